#pragma once
// The journal feature's controller: the journal grid with its selection
// (JournalView), the record editor's add, edit and delete, and the one
// store path every journal and reference-list row takes to the server. It
// makes the data selection dialog and the record editor over the main
// window once and keeps them for the whole run.
// A record's way: the editor's lists are read, a row is appended (or put
// into editing), the editor is shown, the fields the user changed are
// written into the row, new list texts are added to their reference lists,
// and store() stamps, stores and sends the row; its one result is shown one
// way.

#include "core/client_dataset.h"
#include "core/data_sets.h"
#include "core/journal_selection.h"
#include "core/prompter.h"
#include "core/settings_store.h"
#include "journal/journal_view.h"
#include "journal/record_rules.h"
#include "journal/record_store.h"

#include <QObject>
#include <memory>

class QLabel;
class QWidget;

namespace grid {
class DataGrid;
}

namespace journal {

class TFormDataSelect;
class TFormEditRecord;

class JournalController : public QObject {
    Q_OBJECT
  public:
    JournalController(core::DataSets& dataSets, core::Connection& connection,
                      core::JournalSelection& selection, core::SettingsStore& settings,
                      grid::DataGrid& grid, QLabel& selectionLine, core::Prompter& prompter,
                      QWidget* window);
    ~JournalController() override;

    JournalView& view() { return *view_; }
    RecordStore& store() { return store_; }
    // The one data selection dialog, which the fill report asks as well.
    core::SelectionDialog& dataSelect();
    TFormEditRecord& editor() { return *editor_; }

    void ActionAddRecordExecute();
    void ActionEditRecordExecute();
    void ActionDeleteRecordExecute();

  private:
    // Reads the editor's lists; on failure shows why and returns nullopt.
    std::optional<EditorLists> prepareEditor();
    // Shows the editor until the row is stored or the user cancels; a row
    // the server refused to stamp is offered again with what was typed.
    void editUntilStored(EditorLists& lists);
    // Reference auto-fill: new list texts become list rows, sent at once.
    void growLists(EditorLists& lists);

    core::DataSets& dataSets_;
    core::Connection& connection_;
    core::SettingsStore& settings_;
    core::Prompter& prompter_;
    TFormDataSelect* dataSelect_;
    TFormEditRecord* editor_;
    RecordStore store_;
    std::unique_ptr<JournalView> view_;
};

}  // namespace journal
