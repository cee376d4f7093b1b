#pragma once
// The printing feature of the main window: the journal printout and the
// fill report. One printer serves both previews for the whole run, so what
// the user set up in it stays; each preview puts its own page layout on it.

#include "core/prompter.h"
#include "reports/grid_printer.h"

#include <QObject>
#include <QPrinter>
#include <functional>

class QWidget;

namespace grid {
class DataGrid;
}  // namespace grid

namespace reports {

class TFormReportSelect;

class ReportsController : public QObject {
    Q_OBJECT
  public:
    ReportsController(grid::DataGrid& journalGrid, core::Prompter& prompter, QWidget* parent);
    ~ReportsController() override;

    // The report window made at start-up; its printouts are shown here.
    void setReportSelect(TFormReportSelect* form);

    void ActionPrintLogExecute();
    void ActionPrintReportExecute();

    // How a printout is shown on the shared printer, after its page layout
    // was put on it; by default the print preview window.
    using Preview = std::function<void(const GridPrinter&, QPrinter&)>;
    void setPreview(Preview preview) { preview_ = std::move(preview); }
    QPrinter& printer() { return printer_; }

  private:
    void show(const GridPrinter& printout);

    grid::DataGrid& grid_;
    core::Prompter& prompter_;
    QWidget* parentWindow_;
    TFormReportSelect* reportSelect_ = nullptr;
    QPrinter printer_;
    Preview preview_;
};

}  // namespace reports
