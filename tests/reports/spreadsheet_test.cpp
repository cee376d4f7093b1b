// The journal and the fill report as workbooks and CSV files, read back:
// workbooks through openpyxl (the reader the receiving side is likely to
// use), CSV by parsing it.
#include "core/schema.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "journal/journal_view.h"
#include "reports/sheet_source.h"
#include "reports/spreadsheet_writer.h"
#include "tests/reports/csv_reading.h"
#include "tests/reports/workbook_reading.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <clocale>

using reports::GridSheet;
using reports::SheetResult;
using testing_support::readCsv;
using testing_support::readWorkbook;

namespace {

namespace doc = core::schema::doc;

QString text(const QJsonObject& book, const char* cell) {
    return book["cells"].toObject()[cell].toObject()["v"].toVariant().toString();
}
QString type(const QJsonObject& book, const char* cell) {
    return book["cells"].toObject()[cell].toObject()["t"].toString();
}

// A small journal as the journal grid shows it: Cyrillic texts, quotes,
// commas and line breaks, NULL and empty values.
class JournalSheet : public ::testing::Test {
  protected:
    JournalSheet() : model(0, doc::Colum6 + 1) {
        struct Row {
            int id;
            const char* source;
            const char* c3;
            const char* c4;
            const char* expert;  // nullptr: NULL
            const char* note;
        };
        const Row rows[] = {
            {1, "Архів \"Київ\"", "15.03.2011\n1", "Школа, №1\nм. Ірпінь", "Шевченко Т.Г.", ""},
            {2, "Суд", "01.05.2012\n10", "В-школа", nullptr, "Опис № 1"},
            {3, "Архів", "01.05.2012\n2", "А-суд\nІрпінь", "Шевченко Т.Г.", nullptr},
            {4, "Рада", "01.05.2012\n3", "", "Лисенко І.О.", "Список"},
        };
        for (const Row& r : rows) {
            QList<QStandardItem*> items;
            for (int c = 0; c <= doc::Colum6; ++c) items << new QStandardItem();
            items[doc::Rec_IDN]->setData(qlonglong(r.id), Qt::EditRole);
            items[doc::doc_source]->setText(QString::fromUtf8(r.source));
            items[doc::Colum3]->setText(QString::fromUtf8(r.c3));
            items[doc::Colum4]->setText(QString::fromUtf8(r.c4));
            if (r.expert) items[doc::expert_fio]->setText(QString::fromUtf8(r.expert));
            if (r.note) items[doc::adv_info]->setText(QString::fromUtf8(r.note));
            model.appendRow(items);
        }
        grid.setModel(&model);
        grid.setColumns(journal::JournalView::journalColumns(), 4);
        // A client-side order (by source, descending) and a filter in force.
        grid.sortByColumn(1, Qt::DescendingOrder);
        grid.setFilterText(6, QString::fromUtf8("Шевченко"));
    }
    QStringList shownIds() const {
        QStringList ids;
        for (int r = 0; r < grid.rowCount(); ++r)
            ids << grid.mapToSource(grid.rowsModel()->index(r, 0)).data().toString();
        return ids;
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    grid::DataGrid grid;
    const QString description =
        QString::fromUtf8("Условия выбора данных:  дата протокола: 01.05.2012");
};

TEST_F(JournalSheet, WorkbookHoldsTheRowsAsShownWithTitlesAndDescription) {
    ASSERT_EQ(shownIds(), QStringList({"1", "3"}));  // "Архів \"Київ\"" > "Архів"
    const GridSheet sheet(grid, QString::fromUtf8("Журнал"), description);
    const QString path = dir.filePath("journal.xlsx");
    ASSERT_EQ(reports::writeXlsx(sheet, path).status, SheetResult::Written);
    const QJsonObject book = readWorkbook(path);
    EXPECT_EQ(text(book, "A1"), QString::fromUtf8("Журнал"));
    // Two title rows; every upper title is its own here, the title over all.
    EXPECT_EQ(book["merged"].toArray().first().toString(), "A1:H1");
    EXPECT_EQ(text(book, "A2"), QString::fromUtf8("Ид. №"));
    EXPECT_EQ(text(book, "A3"), "1");
    EXPECT_EQ(text(book, "H2"), QString::fromUtf8("Примітка (списки)"));
    // Rows in the order shown; numbers as numbers; texts whole.
    EXPECT_EQ(text(book, "A4"), "1");
    EXPECT_EQ(type(book, "A4"), "n");
    EXPECT_EQ(text(book, "B4"), QString::fromUtf8("Архів \"Київ\""));
    EXPECT_EQ(text(book, "C4"), QString::fromUtf8("15.03.2011\n1"));
    EXPECT_EQ(text(book, "D4"), QString::fromUtf8("Школа, №1\nм. Ірпінь"));
    EXPECT_FALSE(book["cells"].toObject().contains("H4"));  // empty note: empty cell
    EXPECT_EQ(text(book, "A5"), "3");
    EXPECT_FALSE(book["cells"].toObject().contains("H5"));  // NULL note: empty cell
    EXPECT_FALSE(book["cells"].toObject().contains("A6"));  // nothing more but the line below
    EXPECT_EQ(text(book, "A7"), description);
    // Widths follow the grid's, in characters.
    EXPECT_NEAR(book["widths"].toObject()["B"].toDouble(), 200 / 7.0, 1.0);
}

TEST_F(JournalSheet, CsvHoldsTheSameRowsQuotedAsRfc4180Says) {
    const GridSheet sheet(grid, QString::fromUtf8("Журнал"), description);
    const QString path = dir.filePath("journal.csv");
    ASSERT_EQ(reports::writeCsv(sheet, path).status, SheetResult::Written);
    QByteArray raw;
    const QList<QStringList> records = readCsv(path, &raw);
    EXPECT_TRUE(raw.endsWith("\r\n"));
    EXPECT_FALSE(raw.replace("\r\n", "").contains('\n'));  // every break is CR LF
    ASSERT_EQ(records.size(), 7);
    EXPECT_EQ(records[0], QStringList({QString::fromUtf8("Журнал")}));
    EXPECT_EQ(records[1][0], QString::fromUtf8("Ид. №"));
    EXPECT_EQ(records[2][0], "1");
    EXPECT_EQ(records[3], QStringList({"1", QString::fromUtf8("Архів \"Київ\""),
                                       QString::fromUtf8("15.03.2011\r\n1"),
                                       QString::fromUtf8("Школа, №1\r\nм. Ірпінь"), "", "",
                                       QString::fromUtf8("Шевченко Т.Г."), ""}));
    EXPECT_EQ(records[4][0], "3");
    EXPECT_EQ(records[5], QStringList({""}));
    EXPECT_EQ(records[6], QStringList({description}));
}

TEST_F(JournalSheet, AStoppedExportLeavesNoFile) {
    for (int i = 0; i < 1200; ++i) {
        QList<QStandardItem*> items;
        for (int c = 0; c <= doc::Colum6; ++c) items << new QStandardItem();
        items[doc::Rec_IDN]->setData(qlonglong(100 + i), Qt::EditRole);
        items[doc::expert_fio]->setText(QString::fromUtf8("Шевченко Т.Г."));
        model.appendRow(items);
    }
    const GridSheet sheet(grid, "x", {});
    int calls = 0;
    const auto stop = [&](int, int) { return ++calls < 2; };
    for (const QString& name : {QString("a.xlsx"), QString("a.csv")}) {
        const QString path = dir.filePath(name);
        const SheetResult r = name.endsWith("xlsx") ? reports::writeXlsx(sheet, path, stop)
                                                    : reports::writeCsv(sheet, path, stop);
        EXPECT_EQ(r.status, SheetResult::Aborted) << name.toStdString();
        EXPECT_FALSE(QFile::exists(path)) << name.toStdString();
        calls = 0;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The fill report: a row per document name (NULL first), five sums as
// numbers, an all-NULL group empty, and the total row as formulas.
class ReportSheet : public ::testing::Test {
  protected:
    ReportSheet() : model(0, 6) {
        const QList<QList<QVariant>> rows = {
            {QVariant(), 1, 10, QVariant(), 2, 0},
            {QString::fromUtf8("Акти"), 3, 30, QVariant(), 4, 5},
            {QString::fromUtf8("Накази, \"розпорядження\""), 7, 70, QVariant(), 0, 1},
        };
        for (const auto& r : rows) {
            QList<QStandardItem*> items;
            for (const QVariant& v : r) {
                auto* item = new QStandardItem();
                // Decimal sums arrive as texts, as the server sends them.
                if (v.isValid()) item->setText(v.toString());
                items << item;
            }
            model.appendRow(items);
        }
        QList<grid::GridColumn> columns = {{0, "  ", 300}};
        columns[0].footer = grid::FooterKind::Text;
        columns[0].footerText = QString::fromUtf8("Разом:");
        const char* titles[] = {"штук", "друк аркушів", "позицій", "од. зб.", "статей"};
        for (int c = 1; c <= 5; ++c) {
            grid::GridColumn col(c, QString::fromUtf8(titles[c - 1]), 100, Qt::AlignRight);
            col.footer = grid::FooterKind::Sum;
            columns << col;
        }
        grid.setModel(&model);
        grid.setColumns(columns);
    }
    QTemporaryDir dir;
    QStandardItemModel model;
    grid::DataGrid grid;
};

TEST_F(ReportSheet, WorkbookSumsAsNumbersAndTotalsAsFormulas) {
    model.item(1, 2)->setText("30.5");
    const GridSheet sheet(grid, QString::fromUtf8("Звіт по журналу обліку документів ЕПК"),
                          QString::fromUtf8("Условия выбора данных: Все данные"));
    const QString path = dir.filePath("report.xlsx");
    // Written on a desktop with a decimal comma, read anywhere.
    const std::string savedLocale = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "uk_UA.UTF-8"), nullptr);
    const SheetResult written = reports::writeXlsx(sheet, path);
    std::setlocale(LC_NUMERIC, savedLocale.c_str());
    ASSERT_EQ(written.status, SheetResult::Written);
    const QJsonObject book = readWorkbook(path);
    EXPECT_EQ(text(book, "B2"), QString::fromUtf8("штук"));  // one title row
    EXPECT_FALSE(book["cells"].toObject().contains("A3"));   // the NULL name first, empty
    EXPECT_EQ(text(book, "B3"), "1");
    EXPECT_EQ(type(book, "B3"), "n");
    EXPECT_EQ(text(book, "A4"), QString::fromUtf8("Акти"));
    EXPECT_EQ(text(book, "C4"), "30.5");
    EXPECT_FALSE(book["cells"].toObject().contains("D4"));  // an all-NULL sum stays empty
    EXPECT_EQ(text(book, "A6"), QString::fromUtf8("Разом:"));
    EXPECT_EQ(text(book, "B6"), "=SUM(B3:B5)");
    EXPECT_EQ(type(book, "B6"), "f");
    EXPECT_EQ(text(book, "F6"), "=SUM(F3:F5)");
    EXPECT_EQ(text(book, "A8"), QString::fromUtf8("Условия выбора данных: Все данные"));
}

TEST_F(ReportSheet, CsvTotalsAreTheSums) {
    const GridSheet sheet(grid, "R", {});
    const QString path = dir.filePath("report.csv");
    ASSERT_EQ(reports::writeCsv(sheet, path).status, SheetResult::Written);
    const QList<QStringList> records = readCsv(path);
    ASSERT_EQ(records.size(), 6);
    EXPECT_EQ(records[1],
              QStringList({"  ", QString::fromUtf8("штук"), QString::fromUtf8("друк аркушів"),
                           QString::fromUtf8("позицій"), QString::fromUtf8("од. зб."),
                           QString::fromUtf8("статей")}));
    EXPECT_EQ(records[2], QStringList({"", "1", "10", "", "2", "0"}));
    EXPECT_EQ(records[4][0], QString::fromUtf8("Накази, \"розпорядження\""));
    EXPECT_EQ(records[5], QStringList({QString::fromUtf8("Разом:"), "11", "110", "", "6", "6"}));
}

// An upper title shared by adjacent columns is one merged cell; a one-level
// title beside them stands in the upper row.
TEST(SharedUpperTitle, IsMergedAcrossItsColumns) {
    QStandardItemModel model(1, 3);
    model.setItem(0, 0, new QStandardItem("ivan"));
    grid::DataGrid grid;
    grid.setModel(&model);
    grid.setColumns({{0, QString::fromUtf8("Пользователь"), 150},
                     {1, QString::fromUtf8("Разрешения|Правка"), 50},
                     {2, QString::fromUtf8("Разрешения|Админ."), 50}});
    QTemporaryDir dir;
    const QString path = dir.filePath("experts.xlsx");
    ASSERT_EQ(reports::writeXlsx(GridSheet(grid, "E", {}), path).status, SheetResult::Written);
    const QJsonObject book = readWorkbook(path);
    EXPECT_EQ(book["merged"].toArray(), QJsonArray({"A1:C1", "B2:C2"}));
    EXPECT_EQ(text(book, "A2"), QString::fromUtf8("Пользователь"));
    EXPECT_EQ(text(book, "B2"), QString::fromUtf8("Разрешения"));
    EXPECT_EQ(text(book, "B3"), QString::fromUtf8("Правка"));
    EXPECT_EQ(text(book, "C3"), QString::fromUtf8("Админ."));
    EXPECT_EQ(text(book, "A4"), "ivan");
}

TEST(SpreadsheetColumns, Names) {
    EXPECT_EQ(reports::columnName(0), "A");
    EXPECT_EQ(reports::columnName(25), "Z");
    EXPECT_EQ(reports::columnName(26), "AA");
    EXPECT_EQ(reports::columnName(701), "ZZ");
    EXPECT_EQ(reports::columnName(702), "AAA");
}

}  // namespace
