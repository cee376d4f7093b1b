#pragma once
// The spreadsheet exports as the user runs them: the save dialog, a
// progress window with "Прервать" for long sheets, and the outcome in a
// message box. The journal is exported as its grid shows it.

#include "core/journal_selection.h"
#include "core/prompter.h"
#include "reports/sheet_source.h"

#include <QObject>

class QWidget;

namespace reports {

enum class SheetFormat { Xlsx, Csv };

inline const QString kJournalSheetTitle =
    QStringLiteral("Журнал обліку документів, схвалених (погоджених) ЕПК");
inline const QString kReportSheetTitle = QStringLiteral("Звіт по журналу обліку документів ЕПК");

// Asks where to save, writes and reports. Sheets of more than a few
// thousand rows show their progress and can be stopped.
void exportSheet(const SheetSource& sheet, SheetFormat format, core::Prompter& prompter,
                 QWidget* parent);

class SpreadsheetController : public QObject {
    Q_OBJECT
  public:
    SpreadsheetController(const grid::DataGrid& journalGrid,
                          const core::JournalSelection& selection, core::Prompter& prompter,
                          QWidget* parent);

    // The journal as the grid holds it: selection, client-side order and
    // filter, present column order and widths.
    void ActionExportLogExecute(SheetFormat format);

  private:
    const grid::DataGrid& grid_;
    const core::JournalSelection& selection_;
    core::Prompter& prompter_;
    QWidget* parent_;
};

}  // namespace reports
