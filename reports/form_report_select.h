#pragma once
// The fill report's window: the report's own selection, chosen through the
// shared data selection dialog and kept for the whole run, and the button
// that runs the report and hands its printout on to be shown.

#include "core/prompter.h"
#include "core/selection_dialog.h"
#include "reports/grid_printer.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace reports {

class TFormLogReport;

class TFormReportSelect : public QDialog {
    Q_OBJECT
  public:
    // "Выбрать данные для отчета" asks `dataSelect`.
    TFormReportSelect(TFormLogReport& report, core::SelectionDialog& dataSelect,
                      core::Prompter& prompter, QWidget* parent = nullptr);

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

  Q_SIGNALS:
    // "Продолжить" ran the report: its printout, to be shown.
    void printoutReady(const reports::GridPrinter& printout);

  private:
    TFormLogReport& report_;
    core::SelectionDialog& dataSelect_;
    core::Prompter& prompter_;
    QString where_;
};

}  // namespace reports
