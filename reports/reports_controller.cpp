#include "reports/reports_controller.h"

#include "reports/fill_report.h"
#include "reports/form_report_select.h"
#include "reports/journal_printout.h"
#include "reports/print_preview.h"

#include <QWidget>

namespace reports {

namespace {

class PreviewWindow : public PrintoutViewer {
  public:
    PreviewWindow(core::Prompter& prompter, QWidget* window)
        : prompter_(prompter), window_(window) {}
    void show(const GridPrinter& printout, QPrinter& printer) override {
        showPrintPreview(printout, printer, prompter_, window_);
    }

  private:
    core::Prompter& prompter_;
    QWidget* window_;
};

}  // namespace

ReportsController::ReportsController(grid::DataGrid& journalGrid, core::SelectionDialog& dataSelect,
                                     core::Connection& connection, core::Prompter& prompter,
                                     QWidget* window, PrintoutViewer* viewer)
    : QObject(window),
      grid_(journalGrid),
      printer_(QPrinter::HighResolution),
      preview_(viewer ? nullptr : std::make_unique<PreviewWindow>(prompter, window)),
      viewer_(viewer ? *viewer : *preview_),
      logReport_(new TFormLogReport(connection, window)),
      reportSelect_(new TFormReportSelect(*logReport_, dataSelect, prompter, window)) {
    connect(reportSelect_, &TFormReportSelect::printoutReady, this, &ReportsController::show);
}

ReportsController::~ReportsController() = default;

void ReportsController::show(const GridPrinter& printout) {
    // Every printout sets its orientation anew: the report's portrait
    // must not stay on for the journal.
    printout.applyPageLayout(printer_);
    viewer_.show(printout, printer_);
}

void ReportsController::ActionPrintLogExecute() { show(journalPrintout(grid_)); }

void ReportsController::ActionPrintReportExecute() { reportSelect_->exec(); }

}  // namespace reports
