#include "dialogs/form_input_string.h"
#include "dialogs/form_progress.h"
#include "tests/support/typing.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using dialogs::TFormInputString;
using dialogs::TFormProgress;

namespace {

using testing_support::typeText;

QString u(const char* s) { return QString::fromUtf8(s); }

// Runs `act` on the input window once its modal loop has started.
void whenShown(TFormInputString& form, std::function<void(TFormInputString&)> act) {
    QTimer::singleShot(0, &form, [&form, act] {
        ASSERT_TRUE(form.isVisible());
        act(form);
    });
}

void expectNavyBold(const QWidget& w, int pixels) {
    EXPECT_TRUE(w.font().bold());
    EXPECT_EQ(w.font().pixelSize(), pixels);
    EXPECT_EQ(w.palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

void expectNoTitleBarButtons(const QWidget& w) {
    const Qt::WindowFlags f = w.windowFlags();
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_FALSE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinMaxButtonsHint);
}

}  // namespace

TEST(TFormInputStringTest, DesignNamesTextsAndLook) {
    TFormInputString form;
    EXPECT_EQ(form.objectName(), "TFormInputString");
    EXPECT_EQ(form.windowTitle(), u("Заголовок"));
    EXPECT_EQ(form.size(), QSize(368, 107));
    expectNavyBold(form, 13);
    expectNoTitleBarButtons(form);
    EXPECT_EQ(form.findChild<QLabel*>("LabelQuery")->text(), u("Строка запроса..."));
    EXPECT_NE(form.findChild<QLineEdit*>("EditValue"), nullptr);
    EXPECT_EQ(form.findChild<QPushButton*>("BitBtn1")->text(), u("Продолжить"));
    EXPECT_EQ(form.findChild<QPushButton*>("BitBtn2")->text(), u("Отменить"));
    EXPECT_TRUE(form.BitBtn1->isDefault());
}

// Every way of closing the window, with what the caller gets back.
TEST(TFormInputStringTest, AnswersOfEveryWayOut) {
    struct Case {
        const char* name;
        std::function<void(TFormInputString&)> act;
        std::optional<QString> answer;
    };
    const Case cases[] = {
        {"continue button",
         [](TFormInputString& f) {
             typeText(f.EditValue, u("2011_Київ"));
             QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
         },
         u("2011_Київ")},
        {"Enter",
         [](TFormInputString& f) {
             QTest::keyClicks(f.EditValue, "x");
             QTest::keyClick(f.EditValue, Qt::Key_Return);
         },
         u("x")},
        {"untouched initial text", [](TFormInputString& f) { f.BitBtn1->click(); }, u("old")},
        {"cancel button",
         [](TFormInputString& f) {
             QTest::keyClicks(f.EditValue, "typed");
             QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
         },
         std::nullopt},
        {"Escape",
         [](TFormInputString& f) {
             QTest::keyClicks(f.EditValue, "typed");
             QTest::keyClick(f.EditValue, Qt::Key_Escape);
         },
         std::nullopt},
    };
    TFormInputString form;  // one window for all, as the program keeps it
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        whenShown(form, c.act);
        EXPECT_EQ(form.ask(u("Новая база"), u("Введите суффикс:"), u("old")), c.answer);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.windowTitle(), u("Новая база"));
        EXPECT_EQ(form.LabelQuery->text(), u("Введите суффикс:"));
    }
}

TEST(TFormInputStringTest, EditValueHasTheFocusOnShow) {
    TFormInputString form;
    form.BitBtn2->setFocus();
    bool focused = false, selected = false;
    whenShown(form, [&](TFormInputString& f) {
        focused = f.focusWidget() == f.EditValue;
        selected = f.EditValue->selectedText() == "initial";
        f.reject();
    });
    form.ask("c", "p", "initial");
    EXPECT_TRUE(focused);
    EXPECT_TRUE(selected);
}

TEST(TFormProgressTest, DesignNamesTextsAndLook) {
    TFormProgress form;
    EXPECT_EQ(form.objectName(), "TFormProgress");
    EXPECT_EQ(form.windowTitle(), u("Название операции"));
    EXPECT_EQ(form.size(), QSize(436, 93));
    expectNavyBold(form, 16);
    expectNoTitleBarButtons(form);
    EXPECT_EQ(form.findChild<QLabel*>("LabelOpName")->text(), u("Подождите завершения операции:"));
    EXPECT_EQ(form.findChild<QPushButton*>("BitBtn1")->text(), u("Прервать"));
    struct Bar {
        const char* name;
        QSize size;
    };
    for (const Bar& b : {Bar{"SmallProgress", {410, 10}}, Bar{"TotalProgress", {410, 20}}}) {
        SCOPED_TRACE(b.name);
        const auto* bar = form.findChild<QProgressBar*>(b.name);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->size(), b.size);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 0);
    }
    // Stacked top to bottom: label, small bar, total bar, button centred.
    EXPECT_LE(form.LabelOpName->geometry().bottom(), form.SmallProgress->y());
    EXPECT_LE(form.SmallProgress->geometry().bottom(), form.TotalProgress->y());
    EXPECT_LE(form.TotalProgress->geometry().bottom(), form.BitBtn1->y());
    EXPECT_LE(form.BitBtn1->geometry().bottom(), form.height());
    EXPECT_NEAR(form.BitBtn1->geometry().center().x(), form.width() / 2, 1);
}

// Aborted: false when made and at every show, set by the button only.
TEST(TFormProgressTest, AbortedSemantics) {
    TFormProgress form;
    EXPECT_FALSE(form.Aborted);
    form.show();
    form.SmallProgress->setMaximum(5000);
    form.SmallProgress->setValue(300);
    QApplication::processEvents();
    EXPECT_FALSE(form.Aborted);

    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(form.Aborted);
    // Keys meant to dismiss a window neither hide it nor clear the flag.
    QTest::keyClick(&form, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Aborted);

    form.hide();
    EXPECT_TRUE(form.Aborted);  // the caller reads it after hiding
    form.show();
    EXPECT_FALSE(form.Aborted);
    form.hide();
}
