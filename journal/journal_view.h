#pragma once
// The journal grid of the main window: its eight columns over the journal
// dataset, the selection line beneath it, the title clicks that reorder the
// query and the keys that add and delete records.

#include "common/data_grid.h"
#include "core/dataset_model.h"
#include "core/main_state.h"

#include <QLabel>
#include <QObject>
#include <functional>
#include <memory>

namespace journal {

class TFormDataSelect;

class JournalView : public QObject {
    Q_OBJECT
  public:
    // Configures the grid and the label; attaches the display columns to
    // every dataset of the state.
    JournalView(core::MainState& state, common::DataGrid& grid, QLabel& selectionLine,
                core::Prompter& prompter, QObject* parent = nullptr);

    // The columns as designed: titles, widths, alignments, title buttons and
    // the stored fields their filter cells narrow on.
    static QList<common::GridColumn> journalColumns();
    static QFont journalFont();

    // Runs the query and shows the selection in words.
    void RunJournalQuery();
    // A title click: columns 3 to 5 set the server order; every click re-runs
    // the query. Errors reach the general error display.
    void DBGridEhMainLogTitleClick(int column);
    // Insert and Delete, whatever the modifiers, while the journal is open.
    bool DBGridEhMainLogKeyDown(int key);
    // The data selection: on OK its texts become the selection.
    void ActionSelectDataExecute(TFormDataSelect& dialog);

    // The add and delete handlers of record editing.
    std::function<void()> addRecord;
    std::function<void()> deleteRecord;

    core::DataSetModel& model() { return *model_; }

  private:
    core::MainState& state_;
    common::DataGrid& grid_;
    QLabel& line_;
    core::Prompter& prompter_;
    std::unique_ptr<core::DataSetModel> model_;
};

}  // namespace journal
