// Where the keyboard goes when a modal window closes: the record editor
// after its error box, the main window after the editor. The main window
// runs with its own prompter, so the boxes are the real ones.

#include "app/focus_return.h"
#include "app/form_main.h"
#include "core/login_types.h"
#include "core/prompter.h"
#include "dialogs/qt_prompter.h"
#include "journal/form_edit_record.h"
#include "tests/support/scripted_login.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"
#include "tests/support/typing.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

// Runs `act` once, as soon as the window on top of the modal chain passes
// `is` and has the keyboard. Each step has a timer of its own, so that a step
// whose action opens a box (and waits in it) does not hold back the next.
void whenOnTop(std::function<bool(QWidget*)> is, std::function<void(QWidget*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, is, act] {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !is(top) || QApplication::activeWindow() != top) return;
        poll->stop();
        poll->deleteLater();
        act(top);
    });
    poll->start();
}

bool isBox(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

// A window that got the keyboard, and what was still on the screen then.
struct Given {
    std::string window;  // its object name, else its class
    bool boxShown;       // an error box
    bool editorShown;    // the record editor
    bool operator==(const Given&) const = default;
};

void PrintTo(const Given& g, std::ostream* os) {
    *os << "{" << g.window << (g.boxShown ? ", box shown" : "")
        << (g.editorShown ? ", editor shown" : "") << "}";
}

class ModalFocus : public ::testing::Test {
  protected:
    ModalFocus() : db(true, "velkor"), window(dir.filePath("velkor.INI"), {.login = &login}) {
        window.context().settings.values().HostName = testing_support::serverHost();
        editor = window.findChild<journal::TFormEditRecord*>();
        // Every window given the keyboard, with what was on the screen then.
        if (auto* focusReturn = window.findChild<app::FocusReturn*>())
            QObject::connect(focusReturn, &app::FocusReturn::givingBack, [this](QWidget* w) {
                bool boxShown = false;
                for (QWidget* top : QApplication::topLevelWidgets())
                    boxShown = boxShown || (isBox(top) && top->isVisible());
                const QString name =
                    w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
                given.push_back({name.toStdString(), boxShown, editor->isVisible()});
            });
    }
    void SetUp() override {
        ASSERT_NE(window.findChild<app::FocusReturn*>(), nullptr);
        ASSERT_NE(editor, nullptr);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        login.answer =
            core::LoginAnswer{db.name().mid(6), "root", testing_support::serverPassword()};
        window.ActionLogin->trigger();
        ASSERT_TRUE(window.ActionAddRecord->isEnabled());
        given.clear();
    }
    QLineEdit* dateField() const {
        return editor->findChild<QLineEdit*>(QStringLiteral("DBDateEdit_pr_date"));
    }

    testing_support::TempDatabase db;
    QTemporaryDir dir;
    testing_support::ScriptedLogin login;
    app::TFormMain window;
    journal::TFormEditRecord* editor = nullptr;
    std::vector<Given> given;
    QString boxText;
    QWidget* boxOwner = nullptr;
};

// Closes the next error box with Enter, noting its text and owner.
void closeNextBoxWithEnter(QString& text, QWidget*& owner) {
    whenOnTop(isBox, [&text, &owner](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        text = box->text();
        owner = box->parentWidget();
        QTest::keyClick(box, Qt::Key_Return);
    });
}

// "Сохранить" with a date that does not exist: the editor's error box, Enter,
// then Escape in the editor. The box belongs to the editor, the editor gets
// the keyboard back once the box is gone and the main window once the editor
// is gone, so that F5 opens the editor again at once.
TEST_F(ModalFocus, ErrorBoxOverTheEditorThenTheEditorClosed) {
    whenOnTop([this](QWidget* w) { return w == editor; },
              [this](QWidget*) {
                  QLineEdit* date = dateField();
                  date->setFocus();
                  date->home(false);
                  testing_support::typeText(date, QStringLiteral("31022011"));
                  closeNextBoxWithEnter(boxText, boxOwner);
                  QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("ButOk")),
                                    Qt::LeftButton);
                  // Back in the editor, with the keyboard in the date field.
                  whenOnTop([this](QWidget* w) { return w == editor && !boxText.isEmpty(); },
                            [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
              });
    window.ActionAddRecord->trigger();

    EXPECT_TRUE(boxText.startsWith(QString::fromUtf8("\"31.02.2011\" - неверная дата.")))
        << boxText.toStdString();
    EXPECT_EQ(boxOwner, editor);
    QApplication::processEvents();
    const std::vector<Given> expected = {{"TFormEditRecord", false, true},
                                         {"TFormMain", false, false}};
    EXPECT_EQ(given, expected);
    EXPECT_EQ(QApplication::activeWindow(), &window);

    // F5 in the main window opens the editor again.
    bool reopened = false;
    whenOnTop([this](QWidget* w) { return w == editor; },
              [&reopened](QWidget* w) {
                  reopened = true;
                  QTest::keyClick(w, Qt::Key_Escape);
              });
    QTest::keyClick(&window, Qt::Key_F5);
    EXPECT_TRUE(reopened);
}

// Lists the editor cannot read (a reference table gone): the error comes
// before the editor opens, the editor does not open, and the keyboard goes
// back to the main window once the box is gone.
TEST_F(ModalFocus, ErrorBoxInsteadOfTheEditor) {
    db.exec("drop table sprav_source_list");
    closeNextBoxWithEnter(boxText, boxOwner);
    window.ActionAddRecord->trigger();

    EXPECT_TRUE(boxText.contains("sprav_source_list")) << boxText.toStdString();
    QApplication::processEvents();
    const std::vector<Given> expected = {{"TFormMain", false, false}};
    EXPECT_EQ(given, expected);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

// A box over a window of its own (a report, say) gives the keyboard back to
// that window, not to the main window behind it.
TEST(ModalFocusOverAWindow, TheKeyboardGoesBackToTheWindowTheBoxWasOver) {
    QTemporaryDir dir;
    testing_support::ScriptedPrompter scripted;
    app::TFormMain window(dir.filePath("velkor.INI"), {.prompter = &scripted});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget report(&window, Qt::Window);
    report.show();
    report.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));

    dialogs::QtPrompter prompter(&window);
    whenOnTop(isBox, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    core::ErrorBox(prompter, QString::fromUtf8("Нет связи"));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &report);
}

}  // namespace
