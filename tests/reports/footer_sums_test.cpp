// The footer sums of one grid as its footer row, its printout and its
// spreadsheets give them: the same rows (those the filter leaves), the same
// values counted, the same texts.
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "reports/grid_printer.h"
#include "reports/print_preview.h"
#include "reports/sheet_source.h"
#include "reports/spreadsheet_writer.h"
#include "tests/reports/csv_reading.h"
#include "tests/reports/pdf_reading.h"
#include "tests/reports/workbook_reading.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QJsonObject>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTemporaryDir>

using reports::SheetResult;

namespace {

enum { kPlace, kCount, kBig, kNotes, kColumns };

// Counts that are numbers, numbers given as text (with blanks), texts that
// are none, a date and NULLs; whole numbers past what a double holds; a
// column with nothing to add; and a row the filter on the place hides.
const QList<QList<QVariant>> kRows = {
    {"Київ", 5, "9000000000000000001", "н/д"},
    {"Київ", QVariant(), "1", QVariant()},
    {"Київ", "7", QVariant(), "—"},
    {"Одеса", 100, "100", "1"},
    {"Київ", "н/д", QVariant(), QVariant()},
    {"Київ", " 2.5 ", QVariant(), QVariant()},
    {"Київ", QDate(2011, 2, 1), QVariant(), QVariant()},
};
const QStringList kFooter = {"Разом:", "14.5", "9000000000000000002", ""};

class FooterSums : public ::testing::Test {
  protected:
    FooterSums() : model(0, kColumns) {
        for (const QList<QVariant>& r : kRows) {
            QList<QStandardItem*> items;
            for (const QVariant& v : r) {
                auto* item = new QStandardItem;
                if (v.typeId() == QMetaType::QString)
                    item->setText(v.toString());
                else if (v.isValid())
                    item->setData(v, Qt::EditRole);
                items << item;
            }
            model.appendRow(items);
        }
        QList<grid::GridColumn> columns = {
            {kPlace, "Місце", 100, Qt::AlignLeft, false, kPlace},
            {kCount, "Штук", 80, Qt::AlignRight},
            {kBig, "Велике", 160, Qt::AlignRight},
            {kNotes, "Примітки", 80, Qt::AlignRight},
        };
        columns[0].footer = grid::FooterKind::Text;
        columns[0].footerText = "Разом:";
        for (int c = kCount; c < kColumns; ++c) columns[c].footer = grid::FooterKind::Sum;
        grid.setModel(&model);
        grid.setColumns(columns, 1);
        grid.setFilterText(kPlace, "київ");
        printout.setModel(grid.rowsModel());
        printout.setColumns(grid.columns());
    }
    QStringList csvFooter(const reports::SheetSource& sheet) {
        const QString path = dir.filePath("sheet.csv");
        EXPECT_EQ(reports::writeCsv(sheet, path).status, SheetResult::Written);
        const QList<QStringList> records = testing_support::readCsv(path);
        return records.isEmpty() ? QStringList() : records.back();
    }

    QTemporaryDir dir;
    QStandardItemModel model;
    grid::DataGrid grid;
    reports::GridPrinter printout;
};

TEST_F(FooterSums, GridPrintoutAndSpreadsheetsAgree) {
    ASSERT_EQ(grid.rowCount(), 6);
    QStringList onScreen, printed;
    for (int c = 0; c < kColumns; ++c) {
        onScreen << grid.footerText(c);
        printed << printout.footerCellText(c);
    }
    EXPECT_EQ(onScreen, kFooter);
    EXPECT_EQ(printed, kFooter);

    const QString pdf = dir.filePath("out.pdf");
    QPrinter layout;
    ASSERT_TRUE(reports::savePdf(printout, layout, pdf));
    EXPECT_TRUE(testing_support::appearInOrder(testing_support::pdfText(pdf),
                                               {"Разом:", "14.5", "9000000000000000002"}))
        << testing_support::pdfText(pdf).toStdString();

    EXPECT_EQ(csvFooter(reports::GridSheet(grid, "G", {})), kFooter);
    EXPECT_EQ(csvFooter(reports::PrinterSheet(printout, "P", {})), kFooter);
}

// The workbook's totals are formulas: the summed cells are numbers exactly
// where the footer counted one, so that the reader's SUM comes to the same.
TEST_F(FooterSums, WorkbookCountsWhatTheFooterCounts) {
    const QString path = dir.filePath("sheet.xlsx");
    ASSERT_EQ(reports::writeXlsx(reports::GridSheet(grid, "G", {}), path).status,
              SheetResult::Written);
    const QJsonObject cells = testing_support::readWorkbook(path)["cells"].toObject();
    auto cell = [&](const QString& at) { return cells[at].toObject(); };
    // Row 1 the title, row 2 the titles, rows 3 to 8 the rows shown, row 9
    // the totals.
    QStringList types;
    double sum = 0;
    for (int r = 3; r <= 8; ++r) {
        const QJsonObject c = cell("B" + QString::number(r));
        types << c["t"].toString();
        if (c["t"].toString() == "n") sum += c["v"].toDouble();
    }
    EXPECT_EQ(types, QStringList({"n", "", "n", "s", "n", "s"}));
    EXPECT_EQ(QString::number(sum), kFooter[kCount]);
    EXPECT_EQ(cell("A9")["v"].toString(), "Разом:");
    EXPECT_EQ(cell("B9")["v"].toString(), "=SUM(B3:B8)");
    EXPECT_EQ(cell("C9")["v"].toString(), "=SUM(C3:C8)");
    // Nothing to add is an empty total, as on screen, not a SUM showing 0.
    EXPECT_FALSE(cells.contains("D9"));
    for (int r = 3; r <= 8; ++r) EXPECT_NE(cell("D" + QString::number(r))["t"], "n") << r;
}

}  // namespace
