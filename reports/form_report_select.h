#pragma once
// The fill report's window: the report's own selection, chosen through the
// shared data selection dialog and kept for the whole run, and the button
// that runs the report and shows its printout.

#include "core/prompter.h"
#include "reports/grid_printer.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace reports {

class TFormLogReport;

// A WHERE text ("" or " where ...") and the same in words.
struct ReportSelection {
    QString where;
    QString description;
};

class TFormReportSelect : public QDialog {
    Q_OBJECT
  public:
    // Asks the data selection dialog; nullopt when it was cancelled.
    using SelectData = std::function<std::optional<ReportSelection>()>;
    // Shows a prepared printout (by default its print preview).
    using ShowPrintout = std::function<void(const GridPrinter&)>;

    TFormReportSelect(TFormLogReport& report, core::Prompter& prompter, QWidget* parent = nullptr);

    void setSelectData(SelectData select) { selectData_ = std::move(select); }
    void setShowPrintout(ShowPrintout show) { showPrintout_ = std::move(show); }

    QPushButton* const But_data_select;
    QLabel* const Label_info;  // the description area
    QPushButton* const ButOk;
    QPushButton* const ButCancel;
    // The report as a spreadsheet instead of a printout.
    QPushButton* const ButXlsx;  // "Экспорт в Excel..."
    QPushButton* const ButCsv;   // "Экспорт в CSV..."

    const QString& whereText() const { return where_; }

    void But_data_selectClick();
    void ButOkClick();
    // Runs the report query and saves the rows as a workbook or CSV file
    // with the sums, "Разом:" and the condition beneath; the window stays.
    void ButExportClick(bool xlsx);

  private:
    TFormLogReport& report_;
    core::Prompter& prompter_;
    SelectData selectData_;
    ShowPrintout showPrintout_;
    QString where_;
};

}  // namespace reports
