#pragma once
// The printing feature of the main window: the journal printout and the
// fill report. It makes the fill report's windows over the main window once
// and keeps them for the whole run. One printer serves both previews for the
// whole run, so what the user set up in it stays; each printout puts its own
// page layout on it.

#include "core/connection.h"
#include "core/prompter.h"
#include "core/selection_dialog.h"
#include "reports/grid_printer.h"

#include <QObject>
#include <QPrinter>
#include <memory>

class QWidget;

namespace grid {
class DataGrid;
}  // namespace grid

namespace reports {

class TFormLogReport;
class TFormReportSelect;

// Where a printout, laid out on the shared printer, is shown: the print
// preview window in the program, a file in tests.
class PrintoutViewer {
  public:
    virtual ~PrintoutViewer() = default;
    virtual void show(const GridPrinter& printout, QPrinter& printer) = 0;
};

class ReportsController : public QObject {
    Q_OBJECT
  public:
    // The journal is printed as `journalGrid` shows it; the report's
    // selection is chosen through `dataSelect` and its rows read over
    // `connection`. `viewer` null: the print preview over `window`.
    ReportsController(grid::DataGrid& journalGrid, core::SelectionDialog& dataSelect,
                      core::Connection& connection, core::Prompter& prompter, QWidget* window,
                      PrintoutViewer* viewer = nullptr);
    ~ReportsController() override;

    void ActionPrintLogExecute();
    void ActionPrintReportExecute();

    QPrinter& printer() { return printer_; }

  private:
    void show(const GridPrinter& printout);

    grid::DataGrid& grid_;
    QPrinter printer_;
    std::unique_ptr<PrintoutViewer> preview_;
    PrintoutViewer& viewer_;
    TFormLogReport* logReport_;
    TFormReportSelect* reportSelect_;
};

}  // namespace reports
