#include "dialogs/form_password.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using core::LoginAnswer;
using core::LoginPreset;
using dialogs::TFormPassword;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Runs `act` once the dialog's modal loop has started.
void whenShown(TFormPassword& form, std::function<void(TFormPassword&)> act) {
    QTimer::singleShot(0, &form, [&form, act] {
        ASSERT_TRUE(form.isVisible());
        act(form);
    });
}

QStringList listed(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    return items;
}

}  // namespace

// Found by argument lookup from the checks below.
namespace core {
bool operator==(const LoginAnswer& a, const LoginAnswer& b) {
    return a.suffix == b.suffix && a.login == b.login && a.password == b.password;
}
void PrintTo(const LoginAnswer& a, std::ostream* os) {
    *os << '{' << a.suffix.toStdString() << '|' << a.login.toStdString() << '|'
        << a.password.toStdString() << '}';
}
}  // namespace core

TEST(TFormPasswordTest, DesignNamesTextsAndFrame) {
    TFormPassword form;
    EXPECT_EQ(form.objectName(), "TFormPassword");
    EXPECT_EQ(form.windowTitle(), u("Подключение к базе данных"));
    const Qt::WindowFlags f = form.windowFlags();
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_FALSE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinMaxButtonsHint);

    struct Field {
        const char* label;
        QWidget* field;
    };
    const Field fields[] = {{"База данных:", form.EditBaseName},
                            {"Имя пользователя:", form.ComboBoxLogin},
                            {"Пароль:", form.EditPassword}};
    int lastY = -1;
    for (const Field& fl : fields) {
        SCOPED_TRACE(fl.label);
        const auto labels = form.findChildren<QLabel*>();
        const auto it = std::find_if(labels.begin(), labels.end(),
                                     [&](QLabel* l) { return l->text() == u(fl.label); });
        ASSERT_NE(it, labels.end());
        EXPECT_EQ((*it)->buddy(), fl.field);
        form.adjustSize();
        EXPECT_GT(fl.field->y(), lastY);  // top to bottom in this order
        lastY = fl.field->y();
    }
    EXPECT_EQ(form.findChild<QLineEdit*>("EditBaseName"), form.EditBaseName);
    EXPECT_EQ(form.findChild<QComboBox*>("ComboBoxLogin"), form.ComboBoxLogin);
    EXPECT_EQ(form.findChild<QLineEdit*>("EditPassword"), form.EditPassword);
    EXPECT_TRUE(form.ComboBoxLogin->isEditable());
    EXPECT_EQ(form.ButOk->text(), u("Продолжить"));
    EXPECT_EQ(form.ButCancel->text(), u("Отменить"));
    EXPECT_TRUE(form.ButOk->isDefault());
}

TEST(TFormPasswordTest, PasswordShowsDollarPerCharacter) {
    TFormPassword form;
    form.show();
    QTest::keyClicks(form.EditPassword, "s3cr#t");
    EXPECT_EQ(form.EditPassword->text(), "s3cr#t");
    EXPECT_EQ(form.EditPassword->displayText(), "$$$$$$");
    EXPECT_EQ(form.EditPassword->echoMode(), QLineEdit::Password);
    // Nothing else in the dialog is masked.
    QTest::keyClicks(form.EditBaseName, "2011");
    EXPECT_EQ(form.EditBaseName->displayText(), "2011");
}

// Each showing starts from the settings, whatever the last one left behind.
TEST(TFormPasswordTest, EveryShowingPresetsTheFields) {
    TFormPassword form;
    const LoginPreset presets[] = {
        {"2011", {"ivanova", "Petrov", "root"}, "Petrov"},
        {"", {"ivanova", "Petrov", "root", "smith"}, "guest"},  // login not in the history
        {"_kyiv", {}, "root"},
    };
    for (const LoginPreset& p : presets) {
        SCOPED_TRACE(p.base_name.toStdString());
        bool checked = false;
        whenShown(form, [&](TFormPassword& f) {
            EXPECT_EQ(f.EditBaseName->text(), p.base_name);
            EXPECT_EQ(f.EditPassword->text(), "");
            EXPECT_EQ(listed(*f.ComboBoxLogin), p.login_log);
            EXPECT_EQ(f.ComboBoxLogin->currentText(), p.default_login);
            EXPECT_EQ(f.focusWidget(), f.EditPassword);
            checked = true;
            // Leave everything changed for the next showing.
            QTest::keyClicks(f.EditPassword, "pw");
            QTest::keyClicks(f.EditBaseName, "x");
            f.ComboBoxLogin->setFocus();
            QTest::keyClicks(f.ComboBoxLogin, "zz");
            f.ButCancel->click();
        });
        EXPECT_EQ(form.ask(p), std::nullopt);
        EXPECT_TRUE(checked);
    }
}

// Every way out of the dialog, with what the login gets back.
TEST(TFormPasswordTest, AnswersOfEveryWayOut) {
    struct Case {
        const char* name;
        std::function<void(TFormPassword&)> act;
        std::optional<LoginAnswer> answer;
    };
    const Case cases[] = {
        {"Enter in the password",
         [](TFormPassword& f) {
             QTest::keyClicks(f.EditPassword, "pw 1");
             QTest::keyClick(f.EditPassword, Qt::Key_Return);
         },
         LoginAnswer{"2011", "Petrov", "pw 1"}},
        {"continue button, fields typed untrimmed",
         [](TFormPassword& f) {
             f.EditBaseName->clear();
             QTest::keyClicks(f.EditBaseName, " 7 ");
             f.ComboBoxLogin->clearEditText();
             QTest::keyClicks(f.ComboBoxLogin, "guest ");
             QTest::mouseClick(f.ButOk, Qt::LeftButton);
         },
         LoginAnswer{" 7 ", "guest ", ""}},
        // Account names are case-sensitive on the server: the listed
        // "petrov" must not replace the typed "PETROV".
        {"Enter in the login keeps the typed case",
         [](TFormPassword& f) {
             f.ComboBoxLogin->setFocus();
             f.ComboBoxLogin->clearEditText();
             QTest::keyClicks(f.ComboBoxLogin, "PETROV");
             QTest::keyClick(f.ComboBoxLogin, Qt::Key_Enter);
         },
         LoginAnswer{"2011", "PETROV", ""}},
        {"a name picked from the list",
         [](TFormPassword& f) {
             f.ComboBoxLogin->setCurrentIndex(0);
             f.ButOk->click();
         },
         LoginAnswer{"2011", "ivanova", ""}},
        {"Escape",
         [](TFormPassword& f) {
             QTest::keyClicks(f.EditPassword, "pw");
             QTest::keyClick(f.EditPassword, Qt::Key_Escape);
         },
         std::nullopt},
        {"cancel button",
         [](TFormPassword& f) {
             QTest::keyClicks(f.EditPassword, "pw");
             QTest::mouseClick(f.ButCancel, Qt::LeftButton);
         },
         std::nullopt},
    };
    const LoginPreset preset{"2011", {"ivanova", "petrov", "root"}, "Petrov"};
    TFormPassword form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        whenShown(form, c.act);
        EXPECT_EQ(form.ask(preset), c.answer);
        EXPECT_FALSE(form.isVisible());
        // Enter never adds a typed name to the list: only a successful
        // login extends the history.
        EXPECT_EQ(listed(*form.ComboBoxLogin), preset.login_log);
    }
}

TEST(TFormPasswordTest, CentredOverTheMainWindow) {
    QWidget main;
    main.setGeometry(40, 60, 900, 700);
    main.show();
    TFormPassword form(&main);
    form.preset({"", {}, "root"});
    form.show();
    EXPECT_LE((form.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(form.focusWidget(), form.EditPassword);
    form.reject();
}
