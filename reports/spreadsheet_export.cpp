#include "reports/spreadsheet_export.h"

#include "dialogs/form_progress.h"
#include "reports/spreadsheet_writer.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <memory>

namespace reports {

namespace {
constexpr int kProgressFrom = 3000;  // rows; smaller sheets are written in a blink

QString captionOf(SheetFormat format) {
    return format == SheetFormat::Xlsx ? QStringLiteral("Экспорт в Excel")
                                       : QStringLiteral("Экспорт в CSV");
}
}  // namespace

void exportSheet(const SheetSource& sheet, SheetFormat format, core::Prompter& prompter,
                 QWidget* parent) {
    const bool xlsx = format == SheetFormat::Xlsx;
    const std::optional<QString> path = prompter.saveFileName(
        captionOf(format),
        xlsx ? QStringLiteral("Книга Excel (*.xlsx)") : QStringLiteral("Текст CSV (*.csv)"),
        xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv"));
    if (!path || path->isEmpty()) return;

    std::unique_ptr<dialogs::TFormProgress> window;
    SheetProgress progress;
    if (sheet.rowCount() > kProgressFrom) {
        window = std::make_unique<dialogs::TFormProgress>(parent);
        window->setWindowTitle(captionOf(format));
        window->LabelOpName->setText(QStringLiteral("Подождите завершения операции:"));
        window->TotalProgress->setRange(0, sheet.rowCount());
        window->SmallProgress->setRange(0, 100);
        window->show();
        QApplication::processEvents();
        progress = [w = window.get()](int done, int total) {
            w->TotalProgress->setValue(done);
            w->SmallProgress->setValue(int(qint64(done) * 100 / std::max(total, 1)));
            QApplication::processEvents();
            return !w->Aborted;
        };
    }
    const SheetResult result =
        xlsx ? writeXlsx(sheet, *path, progress) : writeCsv(sheet, *path, progress);
    if (window) window->hide();
    switch (result.status) {
        case SheetResult::Written:
            prompter.report(captionOf(format),
                            QStringLiteral("Файл сохранен: ") + QDir::toNativeSeparators(*path));
            break;
        case SheetResult::Aborted:
            prompter.report(captionOf(format),
                            QStringLiteral("Экспорт был прерван пользователем."));
            break;
        case SheetResult::Failed:
            core::ErrorBox(prompter, result.error);
            break;
    }
}

SpreadsheetController::SpreadsheetController(const grid::DataGrid& journalGrid,
                                             const core::JournalSelection& selection,
                                             core::Prompter& prompter, QWidget* parent)
    : QObject(parent),
      grid_(journalGrid),
      selection_(selection),
      prompter_(prompter),
      parent_(parent) {}

void SpreadsheetController::ActionExportLogExecute(SheetFormat format) {
    const GridSheet sheet(grid_, kJournalSheetTitle,
                          core::kSelectionLinePrefix + selection_.select_info());
    exportSheet(sheet, format, prompter_, parent_);
}

}  // namespace reports
