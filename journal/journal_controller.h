#pragma once
// The journal feature's controller: the journal grid with its selection
// (JournalView), the record editor's add, edit and delete, and the one
// store path every journal and reference-list row takes to the server.
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
#include <functional>
#include <memory>

class QLabel;

namespace grid {
class DataGrid;
}

namespace journal {

class TFormEditRecord;

class JournalController : public QObject {
    Q_OBJECT
  public:
    JournalController(core::DataSets& dataSets, core::Connection& connection,
                      core::JournalSelection& selection, core::SettingsStore& settings,
                      grid::DataGrid& grid, QLabel& selectionLine, core::Prompter& prompter,
                      QObject* parent = nullptr);
    ~JournalController() override;

    JournalView& view() { return *view_; }
    RecordStore& store() { return store_; }

    void setEditor(TFormEditRecord* editor) { editor_ = editor; }
    // Shows the editor modally; true when it closed with "Сохранить".
    // Tests drive the editor here instead of a modal loop.
    std::function<bool()> showEditor;

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
    RecordStore store_;
    std::unique_ptr<JournalView> view_;
    TFormEditRecord* editor_ = nullptr;
};

}  // namespace journal
