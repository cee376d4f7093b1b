// Usage: sheet_export_bench xlsx|csv ROWS OUT
// Exports a journal-shaped grid of ROWS generated rows to OUT and prints
// the seconds the export itself took.
#include "bench/grid/journal_like_model.h"
#include "grid/data_grid.h"
#include "reports/sheet_source.h"
#include "reports/spreadsheet_writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: sheet_export_bench xlsx|csv ROWS OUT\n");
        return 2;
    }
    JournalLikeModel model(args[1].toInt());
    grid::DataGrid grid;
    grid.setModel(&model);
    grid.setColumns(journalLikeColumns(), 4);
    const reports::GridSheet sheet(grid, "Журнал", "Условия выбора данных: Все данные");
    QElapsedTimer t;
    t.start();
    const auto r =
        args[0] == "csv" ? reports::writeCsv(sheet, args[2]) : reports::writeXlsx(sheet, args[2]);
    std::printf("%d rows to %s: %.3f s\n", sheet.rowCount(), qPrintable(args[0]),
                t.nsecsElapsed() / 1e9);
    return r.status == reports::SheetResult::Written ? 0 : 1;
}
