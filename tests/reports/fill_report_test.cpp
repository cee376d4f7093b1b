#include "reports/fill_report.h"
#include "reports/form_report_select.h"
#include "reports/print_preview.h"
#include "tests/reports/pdf_reading.h"
#include "tests/reports/workbook_reading.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

using testing_support::appearInOrder;
using testing_support::pdfPages;
using testing_support::pdfPageSize;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

namespace {

const QString kReportTitle = QString::fromUtf8("Звіт по журналу обліку документів ЕПК");

// The data selection dialog as the user answers it: with the selection
// given, or cancelled.
struct ScriptedSelection : core::SelectionDialog {
    std::optional<core::ChosenSelection> answer;
    std::optional<core::ChosenSelection> choose() override { return answer; }
};

TEST(ReportQuery, IsTheDesignedTextWithTheWhereTextInserted) {
    EXPECT_EQ(reports::reportQuery(" where pr_num = '2'"),
              QString::fromUtf8(
                  "select doc_caption, sum(shtuk_count) as shtuk_sum, sum(paper_count) as "
                  "paper_sum,\n\rsum(place_count) as place_sum, sum(one_count) as ones_sum, "
                  "sum(order_count) as order_sum \n\rfrom doc_list \n\r where pr_num = '2' group "
                  "by doc_caption order by doc_caption"));
}

// Five records: two meetings in 2011, one in 2012; one record without a
// document name; a document name whose counts are all empty.
class FillReport : public ::testing::Test {
  protected:
    FillReport() : report(db.connection()), form(report, selection, prompter) {
        db.exec(QString::fromUtf8(
            "insert into doc_list (Rec_IDN, pr_date, doc_caption, shtuk_count, paper_count,"
            " place_count, one_count, order_count) values"
            " (1, '2011-03-15', 'Накази', 3, 10, 1, 2, 5),"
            " (2, '2011-11-20', 'Накази', 4, 20, NULL, 1, 0),"
            " (3, '2011-11-20', NULL, 1, 1, 1, 1, 1),"
            " (4, '2012-05-01', 'Акти', NULL, NULL, NULL, NULL, NULL),"
            " (5, '2012-05-01', 'Накази', 100, 100, 100, 100, 100)"));
        QObject::connect(&form, &reports::TFormReportSelect::printoutReady,
                         [this](const reports::GridPrinter& gp) {
                             ++previews;
                             QPrinter layout;
                             ASSERT_TRUE(reports::savePdf(gp, layout, pdfPath()));
                         });
    }
    QString pdfPath() const { return dir.filePath("report.pdf"); }
    // The report's rows as the printout's model shows them.
    QList<QStringList> rows() {
        QList<QStringList> out;
        auto& m = report.model();
        for (int r = 0; r < m.rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < 6; ++c) row << m.index(r, c).data().toString();
            out << row;
        }
        return out;
    }
    TempDatabase db;
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ScriptedSelection selection;
    reports::TFormLogReport report;
    reports::TFormReportSelect form;
    int previews = 0;
};

// The same report as a workbook: a row per document name, the sums as
// numbers (an all-empty group stays empty) and the total row as formulas.
TEST_F(FillReport, ExportsAsAWorkbookWithSumFormulas) {
    const QString path = dir.filePath("report.xlsx");
    prompter.fileNames = {path};
    form.ButXlsx->click();
    EXPECT_NE(form.result(), QDialog::Accepted);  // the window stays for more
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(prompter.shown().size(), 2u);  // the save dialog, then the report
    EXPECT_EQ(prompter.shown()[1].text, QString::fromUtf8("Файл сохранен: ") + path);
    const QJsonObject book = testing_support::readWorkbook(path);
    const auto cell = [&](const char* at) {
        return book["cells"].toObject()[at].toObject()["v"].toVariant().toString();
    };
    EXPECT_EQ(cell("A1"), kReportTitle);
    EXPECT_EQ(cell("B2"), QString::fromUtf8("штук"));
    EXPECT_FALSE(book["cells"].toObject().contains("A3"));  // the NULL name first
    EXPECT_EQ(cell("B3"), "1");
    EXPECT_EQ(cell("A4"), QString::fromUtf8("Акти"));
    EXPECT_FALSE(book["cells"].toObject().contains("B4"));
    EXPECT_EQ(cell("B5"), "107");
    EXPECT_EQ(cell("A6"), QString::fromUtf8("Разом:"));
    EXPECT_EQ(cell("B6"), "=SUM(B3:B5)");
    EXPECT_EQ(cell("A8"), QString::fromUtf8("Условия выбора данных: "));
}

TEST_F(FillReport, RightAfterStartItReportsEveryRecordWithTheSumsAndAnEmptyCondition) {
    form.ButOk->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(previews, 1);
    EXPECT_TRUE(prompter.shown().empty());
    // No name first; a group of empty counts sums to empty, not 0.
    EXPECT_EQ(rows(), QList<QStringList>({{"", "1", "1", "1", "1", "1"},
                                          {"Акти", "", "", "", "", ""},
                                          {"Накази", "107", "130", "101", "103", "105"}}));

    const QStringList pages = pdfPages(pdfPath());
    ASSERT_EQ(pages.size(), 1);
    const QString& text = pages[0];
    const QSizeF page = pdfPageSize(pdfPath());
    EXPECT_LT(page.width(), page.height());
    for (const char* title : {"штук", "друк", "аркушів", "позицій", "од. зб.", "статей"})
        EXPECT_TRUE(appearInOrder(text, {kReportTitle, QString::fromUtf8(title), "Акти"}))
            << title << "\n"
            << text.toStdString();
    EXPECT_TRUE(appearInOrder(text, {"Акти", "Накази", "Разом:", "108", "131", "102", "104", "106",
                                     "Условия выбора данных:"}))
        << text.toStdString();
    // The designed fonts come out as their metric twins, embedded.
    const QString fonts = testing_support::pdfFonts(pdfPath());
    EXPECT_TRUE(fonts.contains("LiberationSerif-Bold")) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains("LiberationSans")) << fonts.toStdString();
    // Nothing follows the footer's left text: no condition was chosen.
    EXPECT_TRUE(text.trimmed().endsWith(QString::fromUtf8("Условия выбора данных:")))
        << text.toStdString();
}

TEST_F(FillReport, ItsOwnSelectionNarrowsTheRowsAndShowsInThePageFooter) {
    const QString description = QString::fromUtf8("дата протокола: 01.01.2011 - 31.12.2011");
    selection.answer = core::ChosenSelection{
        " where pr_date >= '2011-01-01' and pr_date <= '2011-12-31'", description};
    form.But_data_select->click();
    EXPECT_EQ(form.Label_info->text(), description);
    form.ButOk->click();
    ASSERT_EQ(previews, 1);
    EXPECT_EQ(rows(), QList<QStringList>(
                          {{"", "1", "1", "1", "1", "1"}, {"Накази", "7", "30", "1", "3", "5"}}));
    const QString text = pdfPages(pdfPath()).join("\f");
    EXPECT_TRUE(appearInOrder(
        text, {"Разом:", "8", "31", "2", "4", "6", "Условия выбора данных:", description}))
        << text.toStdString();

    // A cancelled selection changes nothing, and the selection lasts.
    selection.answer.reset();
    form.But_data_select->click();
    EXPECT_EQ(form.Label_info->text(), description);
    form.ButOk->click();
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(FillReport, ASelectionWithoutRecordsPrintsTitlesAndAnEmptyTotal) {
    selection.answer = core::ChosenSelection{" where pr_date > '2030-01-01'", "пусто"};
    form.But_data_select->click();
    form.ButOk->click();
    EXPECT_TRUE(rows().isEmpty());
    const QString text = pdfPages(pdfPath()).join("\f");
    EXPECT_TRUE(appearInOrder(text, {kReportTitle, "статей", "Разом:", "пусто"}))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8("Накази")));
}

TEST_F(FillReport, AServerErrorShowsTheGeneralErrorNoPreviewAndStillCloses) {
    selection.answer = core::ChosenSelection{" where no_such_column = 1", "ошибка"};
    form.But_data_select->click();
    form.ButOk->click();
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter.shown()[0].caption, QString::fromUtf8("Журнал учета документов"));
    EXPECT_TRUE(prompter.shown()[0].text.contains("no_such_column"));
}

}  // namespace
