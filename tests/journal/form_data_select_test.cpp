#include "journal/form_data_select.h"
#include "tests/support/typing.h"

#include "journal/data_selection.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scripted_prompter.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

using journal::TFormDataSelect;
using testing_support::ScriptedPrompter;

namespace {

using testing_support::typeText;

QString u(const char* s) { return QString::fromUtf8(s); }

constexpr int kPrDate = 1, kDocCaption = 5, kDocDate = 7, kStartYear = 8, kStopYear = 9;
constexpr int kMin = TFormDataSelect::ColMin, kMax = TFormDataSelect::ColMax;

QString cell(const TFormDataSelect& f, int row, int column) {
    const QTableWidgetItem* item = f.StringGridParams->item(row, column);
    return item ? item->text() : QString();
}

// Types into a cell the way a user does: the first key opens the cell's
// editor, the rest goes into it. The editor is left open.
QWidget* typeIntoCell(TFormDataSelect& f, int row, int column, const QString& text) {
    QTableWidget* grid = f.StringGridParams;
    grid->setCurrentCell(row, column);
    typeText(grid, text.left(1));
    QWidget* editor = grid->indexWidget(grid->currentIndex());
    if (editor) typeText(editor, text.mid(1));
    return editor;
}

// Fills a cell as a finished edit.
void enter(TFormDataSelect& f, int row, int column, const QString& text) {
    QWidget* editor = typeIntoCell(f, row, column, text);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the view commits the cell in a queued call
}

struct Fixture {
    ScriptedPrompter prompter;
    TFormDataSelect form{prompter};
};

}  // namespace

TEST(TFormDataSelectTest, FirstShowingLabelsTheGrid) {
    Fixture fx;
    TFormDataSelect& f = fx.form;
    EXPECT_EQ(f.objectName(), "TFormDataSelect");
    EXPECT_EQ(f.windowTitle(), u("Выбор данных"));
    EXPECT_EQ(f.ButOk->text(), u("Продолжить"));
    EXPECT_EQ(f.ButCancel->text(), u("Отменить"));
    EXPECT_TRUE(f.ButOk->isDefault());

    f.show();
    const QTableWidget& grid = *f.StringGridParams;
    ASSERT_EQ(grid.rowCount(), 12);
    ASSERT_EQ(grid.columnCount(), 3);
    const char* titles[] = {"Параметр", "Минимум", "Максимум"};
    const int widths[] = {150, 220, 220};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(grid.horizontalHeaderItem(c)->text(), u(titles[c]));
        EXPECT_EQ(grid.columnWidth(c), widths[c]);
    }
    for (int row = 0; row < 12; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(cell(f, row, 0), u(journal::selectionParameters()[std::size_t(row)].label));
        EXPECT_FALSE(grid.item(row, 0)->flags() & Qt::ItemIsEditable);
        EXPECT_TRUE(grid.item(row, kMin)->flags() & Qt::ItemIsEditable);
        EXPECT_EQ(cell(f, row, kMin), "");
        EXPECT_EQ(cell(f, row, kMax), "");
    }
    // All twelve rows and three columns fit without scrolling.
    EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualItemRect(grid.item(11, kMax))));
    EXPECT_EQ(f.whereText(), "");
    EXPECT_EQ(f.description(), u("Все данные"));
    f.reject();
}

// One dialog, two callers: what was typed for the journal shows again for
// the report, while the outputs start afresh at every showing.
TEST(TFormDataSelectTest, ValuesLastTheWholeRunOutputsResetPerShowing) {
    Fixture fx;
    TFormDataSelect& f = fx.form;
    f.show();
    enter(f, kStartYear, kMin, "1990");
    enter(f, kDocCaption, kMax, u("Опис"));
    f.ButOk->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(f.whereText(), u(" where doc_caption <= \"Опис\" AND doc_start_year = \"1990\" "));

    f.show();
    EXPECT_EQ(f.whereText(), "");
    EXPECT_EQ(f.description(), u("Все данные"));
    EXPECT_EQ(cell(f, kStartYear, kMin), "1990");
    EXPECT_EQ(cell(f, kDocCaption, kMax), u("Опис"));
    EXPECT_EQ(cell(f, kStartYear, 0), u("Прешій рік"));
    // Cancelling leaves the caller nothing new; the typed values stay, the
    // one still being typed included.
    ASSERT_NE(typeIntoCell(f, kStartYear, kMin, "2001"), nullptr);
    f.ButCancel->click();
    // Back in the caller's event loop before the next showing, as after exec().
    QApplication::processEvents();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.whereText(), "");
    f.show();
    EXPECT_EQ(cell(f, kStartYear, kMin), "2001");
    EXPECT_EQ(f.StringGridParams->indexWidget(f.StringGridParams->currentIndex()), nullptr);
    f.reject();
}

// Enter ends the cell's edit, keeping the value, as in any spreadsheet;
// the next Enter confirms the dialog. A value still being typed counts when
// "Продолжить" is pressed.
TEST(TFormDataSelectTest, EnterCommitsTheCellThenConfirms) {
    const auto enterTwice = [](Qt::Key key) {
        return [key](TFormDataSelect& f, QWidget* editor) {
            QTest::keyClick(editor, key);
            QApplication::processEvents();
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(cell(f, kStopYear, kMax), "2000");
            EXPECT_EQ(f.StringGridParams->indexWidget(f.StringGridParams->currentIndex()), nullptr);
            QTest::keyClick(f.StringGridParams, key);
        };
    };
    struct Case {
        const char* name;
        std::function<void(TFormDataSelect&, QWidget* editor)> confirm;
    };
    const Case cases[] = {
        {"Enter", enterTwice(Qt::Key_Return)},
        {"keypad Enter", enterTwice(Qt::Key_Enter)},
        {"button while typing", [](TFormDataSelect& f, QWidget*) { f.ButOk->click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture fx;
        TFormDataSelect& f = fx.form;
        bool done = false;
        QTimer::singleShot(0, &f, [&] {
            QWidget* editor = typeIntoCell(f, kStopYear, kMax, "2000");
            ASSERT_NE(editor, nullptr);
            c.confirm(f, editor);
            done = true;
            if (f.isVisible()) f.reject();  // never leave the loop running
        });
        EXPECT_TRUE(f.run());
        EXPECT_TRUE(done);
        EXPECT_EQ(f.whereText(), " where doc_stop_year <= \"2000\" ");
        EXPECT_EQ(f.description(), u("Останній рік меньше или равен 2000"));
        EXPECT_EQ(cell(f, kStopYear, kMax), "2000");
        EXPECT_TRUE(fx.prompter.shown().empty());
    }
}

// Delete and Backspace empty the value cell that is current and not being
// edited, as in any grid of inputs; a label stays as it is.
TEST(TFormDataSelectTest, DeleteAndBackspaceEmptyAValueCell) {
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        SCOPED_TRACE(key);
        Fixture fx;
        TFormDataSelect& f = fx.form;
        f.show();
        QTableWidget* grid = f.StringGridParams;
        enter(f, kStartYear, kMin, "1990");
        enter(f, kStopYear, kMax, "2000");
        grid->setCurrentCell(kStartYear, kMin);
        QTest::keyClick(grid, key);
        EXPECT_EQ(cell(f, kStartYear, kMin), "");
        EXPECT_EQ(grid->indexWidget(grid->currentIndex()), nullptr);  // no editor opened
        EXPECT_EQ(cell(f, kStopYear, kMax), "2000");
        grid->setCurrentCell(kStartYear, 0);
        QTest::keyClick(grid, key);
        EXPECT_EQ(cell(f, kStartYear, 0), u("Прешій рік"));
        f.reject();
    }
}

// Esc first abandons the cell's edit, then cancels the dialog.
TEST(TFormDataSelectTest, EscapeRevertsTheCellThenCancels) {
    Fixture fx;
    TFormDataSelect& f = fx.form;
    f.show();
    enter(f, kStartYear, kMin, "1990");
    QWidget* editor = typeIntoCell(f, kStartYear, kMin, "2001");
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(cell(f, kStartYear, kMin), "1990");
    QTest::keyClick(f.StringGridParams, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(f.whereText(), "");
}

TEST(TFormDataSelectTest, ComposesFromTheGridOnContinue) {
    Fixture fx;
    TFormDataSelect& f = fx.form;
    f.show();
    enter(f, kPrDate, kMin, "01.03.2011");
    enter(f, kPrDate, kMax, "31.03.2011 14:20");
    enter(f, kStopYear, kMax, " 2000 ");
    f.ButOk->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(f.whereText(),
              " where pr_date >= \"2011-03-01\" and pr_date <= \"2011-03-31\" AND "
              "doc_stop_year <= \"2000\" ");
    EXPECT_EQ(f.description(), u("Дата засідання от \"2011-03-01\" до \"2011-03-31\" и "
                                 "Останній рік меньше или равен 2000"));
}

// One unreadable date spoils the whole selection: the error box, both
// outputs empty, the dialog closed as cancelled, the wrong text kept.
TEST(TFormDataSelectTest, UnreadableDateCancelsWithTheMessage) {
    Fixture fx;
    TFormDataSelect& f = fx.form;
    f.show();
    enter(f, kStartYear, kMin, "1990");
    enter(f, kDocDate, kMax, "31.02.2011");
    f.ButOk->click();
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.whereText(), "");
    EXPECT_EQ(f.description(), "");
    const auto boxes = fx.prompter.shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ScriptedPrompter::Kind::Error);
    EXPECT_EQ(boxes[0].caption, u("Ошибка"));
    EXPECT_EQ(boxes[0].text, u("Параметр Дата документа указан неверно."));
    EXPECT_EQ(cell(f, kDocDate, kMax), "31.02.2011");
}
