#include "reports/reports_controller.h"

#include "reports/form_report_select.h"
#include "reports/journal_printout.h"
#include "reports/print_preview.h"

#include <QWidget>

namespace reports {

ReportsController::ReportsController(grid::DataGrid& journalGrid, core::Prompter& prompter,
                                     QWidget* parent)
    : QObject(parent),
      grid_(journalGrid),
      prompter_(prompter),
      parentWindow_(parent),
      printer_(QPrinter::HighResolution) {
    preview_ = [this](const GridPrinter& printout, QPrinter& printer) {
        showPrintPreview(printout, printer, prompter_, parentWindow_);
    };
}

ReportsController::~ReportsController() = default;

void ReportsController::setReportSelect(TFormReportSelect* form) {
    reportSelect_ = form;
    if (form) form->setShowPrintout([this](const GridPrinter& printout) { show(printout); });
}

void ReportsController::show(const GridPrinter& printout) {
    // Every printout sets its orientation anew: the report's portrait
    // must not stay on for the journal.
    printout.applyPageLayout(printer_);
    if (preview_) preview_(printout, printer_);
}

void ReportsController::ActionPrintLogExecute() { show(journalPrintout(grid_)); }

void ReportsController::ActionPrintReportExecute() {
    if (reportSelect_) reportSelect_->exec();
}

}  // namespace reports
