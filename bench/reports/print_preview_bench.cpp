// Timed runs of the journal printout over journal-shaped rows: opening the
// print preview window (every page laid out) and the longest stretch the
// layout keeps the event loop waiting, which is what the user feels as a
// frozen window.
// Usage: print_preview_bench [rows...]   (default: 2000 100000)
#include "bench/grid/journal_like_model.h"
#include "bench/support/silent_prompter.h"
#include "grid/data_grid.h"
#include "journal/journal_view.h"
#include "reports/journal_printout.h"
#include "reports/print_preview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

void run(int rows) {
    JournalLikeModel model(rows);
    grid::DataGrid grid;
    grid.setColumns(journalLikeColumns(), 4);
    grid.setRowLines(5);
    grid.setGridFont(journal::JournalView::journalFont(), QColor(Qt::darkBlue));
    grid.setModel(&model);
    const reports::GridPrinter printout = reports::journalPrintout(grid);

    // The layout alone, with the longest gap between two progress reports.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/tmp/velkor_print_bench.pdf"));
    printout.applyPageLayout(printer);
    QElapsedTimer total, gap;
    qint64 longest = 0;
    total.start();
    gap.start();
    const int pages = printout.print(printer, [&](int, int) {
        longest = std::max(longest, gap.restart());
        return true;
    });
    const qint64 pdfMs = total.elapsed();

    // The preview window, from the action to the window standing with its
    // pages; it is closed as soon as the event loop turns.
    QPrinter previewPrinter(QPrinter::HighResolution);
    bench::SilentPrompter prompter;
    // While the pages are laid out, the progress window is the modal one
    // and the event loop keeps turning under it.
    QElapsedTimer open;
    qint64 openMs = -1;
    qint64 firstTurnMs = -1;
    std::function<void()> poll = [&] {
        if (firstTurnMs < 0) firstTurnMs = open.elapsed();
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) {
            QTimer::singleShot(10, poll);
            return;
        }
        openMs = open.elapsed();
        preview->reject();
    };
    QTimer::singleShot(0, poll);
    open.start();
    reports::showPrintPreview(printout, previewPrinter, prompter, nullptr);
    std::printf(
        "%7d rows: %5d pages, PDF %6lld ms, preview open %6lld ms (events first handled after "
        "%lld ms), longest pause between pages %lld ms\n",
        rows, pages, static_cast<long long>(pdfMs), static_cast<long long>(openMs),
        static_cast<long long>(firstTurnMs), static_cast<long long>(longest));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) args = {"2000", "100000"};
    for (const QString& a : args) run(a.toInt());
    return 0;
}
