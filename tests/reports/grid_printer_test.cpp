#include "reports/grid_printer.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "reports/journal_printout.h"
#include "reports/print_preview.h"
#include "tests/reports/pdf_reading.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scripted_prompter.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

using testing_support::appearInOrder;
using testing_support::pdfPages;
using testing_support::pdfPageSize;
using testing_support::pdfText;
using testing_support::pdfWordRight;

namespace {

const QString kJournalTitle =
    QString::fromUtf8("Журнал обліку документів, схвалених (погоджених) ЕПК");

// A grid like the journal's: a two-level title over two columns, one
// column of its own, and rows of one and of several lines.
class JournalPrintout : public ::testing::Test {
  protected:
    JournalPrintout() {
        const char* rows[][3] = {
            {"1", "Київ", "Накази"},
            {"2", "Ірпінь", "Листи\nпро звіти"},
            {"3", "Обухів", "Акти"},
            {"4", "Бровари", "Протоколи"},
        };
        for (auto& r : rows) {
            QList<QStandardItem*> items;
            for (const char* cell : r) items << new QStandardItem(QString::fromUtf8(cell));
            model.appendRow(items);
        }
        grid.setModel(&model);
        grid.setColumns(
            {grid::GridColumn(0, QString::fromUtf8("Запис|№"), 60, Qt::AlignRight, true, 0),
             grid::GridColumn(1, QString::fromUtf8("Запис|Місце"), 160, Qt::AlignLeft, true, 1),
             grid::GridColumn(2, QString::fromUtf8("Документ"), 300, Qt::AlignLeft, true, 2)},
            1);
    }
    QString print(const reports::GridPrinter& gp) {
        const QString path = dir.filePath("out.pdf");
        QPrinter layout;
        EXPECT_TRUE(reports::savePdf(gp, layout, path));
        return path;
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    grid::DataGrid grid;
};

TEST_F(JournalPrintout, PrintsTheRowsAsShownUnderTheTitleInLandscape) {
    grid.sortByColumn(1, Qt::DescendingOrder);
    grid.setFilterText(2, QString::fromUtf8("а"));  // "Накази", "Акти"
    const QString path = print(reports::journalPrintout(grid));

    const QSizeF page = pdfPageSize(path);
    EXPECT_GT(page.width(), page.height());
    const QString text = pdfText(path);
    // The title block, then both title levels, then the rows.
    for (const char* title : {"Запис", "Місце", "Документ"})
        EXPECT_TRUE(appearInOrder(
            text, {kJournalTitle, QString::fromUtf8(title), QString::fromUtf8("Обухів")}))
            << title << "\n"
            << text.toStdString();
    // Descending by place, without the rows the filter hides.
    QStringList shown;
    for (int r = 0; r < grid.rowCount(); ++r)
        shown << grid.rowsModel()->index(r, 1).data().toString();
    ASSERT_EQ(shown, QStringList({"Обухів", "Київ"}));
    EXPECT_TRUE(appearInOrder(text, {QString::fromUtf8("Обухів"), QString::fromUtf8("Київ")}))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8("Ірпінь")));
    EXPECT_FALSE(text.contains(QString::fromUtf8("Бровари")));
}

TEST_F(JournalPrintout, AnEmptyGridPrintsTheTitleBlockAndTheTitlesOnly) {
    model.removeRows(0, model.rowCount());
    const QStringList pages = pdfPages(print(reports::journalPrintout(grid)));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(appearInOrder(pages[0], {kJournalTitle, QString::fromUtf8("Документ")}));
}

TEST_F(JournalPrintout, LongJournalsRepeatTheTitlesOnEveryPageAndPrintEachRowOnce) {
    model.removeRows(0, model.rowCount());
    for (int i = 0; i < 300; ++i)
        model.appendRow({new QStandardItem(QString::number(i + 1)),
                         new QStandardItem(QStringLiteral("M%1").arg(i + 1)),
                         new QStandardItem(QStringLiteral("D%1\nL2\nL3").arg(i + 1))});
    const QStringList pages = pdfPages(print(reports::journalPrintout(grid)));
    ASSERT_GT(pages.size(), 2);
    for (const QString& page : pages) EXPECT_TRUE(page.contains(QString::fromUtf8("Документ")));
    EXPECT_EQ(pages.join("").count(kJournalTitle), 1);
    const QString all = pages.join("\f");
    for (int i = 1; i <= 300; ++i)
        ASSERT_EQ(all.count(QRegularExpression(QStringLiteral("\\bD%1\\b").arg(i))), 1) << i;
}

TEST_F(JournalPrintout, ProgressIsToldAfterEveryPageAndCanStopThePrinting) {
    model.removeRows(0, model.rowCount());
    for (int i = 0; i < 200; ++i)
        model.appendRow({new QStandardItem(QString::number(i + 1)), new QStandardItem("M"),
                         new QStandardItem("D\nL2\nL3")});
    const reports::GridPrinter gp = reports::journalPrintout(grid);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("all.pdf"));
    gp.applyPageLayout(printer);
    QList<int> done;
    const int pages = gp.print(printer, [&](int rows, int total) {
        EXPECT_EQ(total, 200);
        done << rows;
        return true;
    });
    ASSERT_EQ(done.size(), pages);
    ASSERT_GT(pages, 2);
    EXPECT_EQ(done.back(), 200);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));

    printer.setOutputFileName(dir.filePath("stopped.pdf"));
    EXPECT_EQ(gp.print(printer, [](int, int) { return false; }), 1);
    EXPECT_EQ(pdfPages(dir.filePath("stopped.pdf")).size(), 1);
}

TEST_F(JournalPrintout, AWideGridIsScaledToThePageWidth) {
    grid.setColumnWidths({600, 900, 1400});  // far wider than a landscape page
    model.item(0, 2)->setText(QStringLiteral("RIGHTMOST"));
    const QString path = print(reports::journalPrintout(grid));
    const double right = pdfWordRight(path, QStringLiteral("RIGHTMOST"));
    ASSERT_GT(right, 0);
    EXPECT_LT(right, pdfPageSize(path).width() - 10 / 25.4 * 72 + 1);  // inside the 1 cm margin
}

TEST(GridPrinter, AWordWiderThanItsCellBreaksInsideTheCell) {
    QTemporaryDir dir;
    QStandardItemModel model;
    const QString word = QString::fromUtf8("Сільськогосподарське");
    model.appendRow({new QStandardItem(word), new QStandardItem(QStringLiteral("NEXT"))});
    reports::GridPrinter gp;
    gp.setModel(&model);
    gp.setColumns({grid::GridColumn(0, QStringLiteral("A"), 60),
                   grid::GridColumn(1, QStringLiteral("B"), 60)});
    gp.setMarginsMm(10);
    const QString path = dir.filePath("cell.pdf");
    ASSERT_TRUE(reports::savePdf(gp, QPrinter(), path));

    const double cellRight = 10 / 25.4 * 72 + 60 * 72.0 / 96;  // margin + width, in points
    QString pieces;
    for (const testing_support::PdfWord& w : testing_support::pdfWords(path)) {
        if (w.text == "A" || w.text == "B" || w.text == "NEXT") continue;
        EXPECT_LE(w.right, cellRight + 0.5) << w.text.toStdString();
        pieces += w.text;
    }
    EXPECT_EQ(pieces, word);
}

// The preview's own PDF button: the pages go into the file the user names;
// a file that cannot be written is reported, and the preview stays.
TEST_F(JournalPrintout, ThePreviewSavesItsPagesAsPdfAndReportsAFileItCannotWrite) {
    testing_support::ScriptedPrompter prompter;
    const QString good = dir.filePath("saved.pdf");
    const QString bad = dir.filePath("no/such/folder/saved.pdf");
    prompter.fileNames = {good, bad, std::nullopt};
    QPrinter printer;
    const reports::GridPrinter printout = reports::journalPrintout(grid);
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(preview);
        auto* save = preview->findChild<QAction*>("ActionSavePdf");
        ASSERT_TRUE(save);
        for (int i = 0; i < 3; ++i) save->trigger();
        EXPECT_TRUE(preview->isVisible());
        preview->reject();
    });
    reports::showPrintPreview(printout, printer, prompter, nullptr);

    EXPECT_TRUE(pdfText(good).contains(kJournalTitle));
    EXPECT_GT(pdfPageSize(good).width(), pdfPageSize(good).height());
    ASSERT_EQ(prompter.shown().size(), 4u);  // three file dialogs, one error
    EXPECT_EQ(prompter.shown()[0].kind, testing_support::ScriptedPrompter::Kind::SaveFile);
    EXPECT_EQ(prompter.shown()[0].caption, QString::fromUtf8("Сохранить в файл PDF"));
    EXPECT_EQ(prompter.shown()[2].kind, testing_support::ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter.shown()[2].caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(prompter.shown()[2].text, QString::fromUtf8("Не удалось записать файл ") + bad);
}

}  // namespace
