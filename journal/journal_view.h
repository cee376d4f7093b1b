#pragma once
// The journal view, the controller of the journal grid in the main window:
// its eight columns over the journal dataset, the selection line beneath
// it, the title clicks that reorder the query, the keys that add and delete
// records, and the data selection that narrows it.

#include "core/client_dataset.h"
#include "core/dataset_model.h"
#include "core/journal_selection.h"
#include "core/prompter.h"
#include "core/selection_dialog.h"
#include "core/settings_store.h"
#include "grid/data_grid.h"

#include <QLabel>
#include <QObject>
#include <memory>

namespace journal {

class JournalView : public QObject {
    Q_OBJECT
  public:
    // Configures the grid and the label and composes the journal's display
    // columns. The grid's widths go into the settings whenever they are
    // saved. `dataSelect` is asked by "Выбор данных".
    JournalView(core::ClientDataSet& journal, core::JournalSelection& selection,
                core::SettingsStore& settings, grid::DataGrid& grid, QLabel& selectionLine,
                core::SelectionDialog& dataSelect, core::Prompter& prompter,
                QObject* parent = nullptr);

    // The columns as designed: titles, widths, alignments, title buttons and
    // the stored fields their filter cells narrow on.
    static QList<grid::GridColumn> journalColumns();
    // Courier New, bold, 16 pixels: the main window's and the grid's font.
    static QFont journalFont();

    // Puts the widths read from the settings on the grid, by position.
    void applyStoredWidths();

    // Runs the query and shows the selection in words.
    void RunJournalQuery();
    // A title click: columns 3 to 5 set the server order; every click re-runs
    // the query. Errors reach the general error display.
    void DBGridEhMainLogTitleClick(int column);
    // Insert and Delete, whatever the modifiers, while the journal is open.
    bool DBGridEhMainLogKeyDown(int key);
    // The data selection: on OK its texts become the selection.
    void ActionSelectDataExecute();

    core::DataSetModel& model() { return *model_; }
    // Whether the journal's current row is among the rows the grid shows.
    bool currentShown() const;

    // The selection line shows at most this many lines, and a text longer
    // than kSelectionChars cut with an ellipsis.
    static constexpr int kSelectionLines = 3;
    static constexpr int kSelectionChars = 400;

  Q_SIGNALS:
    // The grid's Insert and Delete keys: whoever edits records adds or
    // deletes one.
    void addRequested();
    void deleteRequested();

  private Q_SLOTS:
    void keepCurrentShown();
    void showSelectionLine(const QString& text);

  private:
    core::ClientDataSet& journal_;
    core::JournalSelection& selection_;
    core::SettingsStore& settings_;
    grid::DataGrid& grid_;
    QLabel& line_;
    core::SelectionDialog& dataSelect_;
    core::Prompter& prompter_;
    std::unique_ptr<core::DataSetModel> model_;
};

}  // namespace journal
