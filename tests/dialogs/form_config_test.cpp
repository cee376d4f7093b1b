#include "dialogs/form_config.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

using dialogs::TFormConfig;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

void whenShown(TFormConfig& form, std::function<void(TFormConfig&)> act) {
    QTimer::singleShot(0, &form, [&form, act] {
        ASSERT_TRUE(form.isVisible());
        act(form);
    });
}

core::Settings sample() {
    core::Settings s;
    s.HostName = "10.0.0.5:3307";
    s.default_login = "ivanova";
    s.base_name = "2011";
    s.auto_update_sprav = false;
    s.login_log = {"ivanova", "root"};
    return s;
}

void expectSame(const core::Settings& a, const core::Settings& b) {
    EXPECT_EQ(a.HostName, b.HostName);
    EXPECT_EQ(a.default_login, b.default_login);
    EXPECT_EQ(a.base_name, b.base_name);
    EXPECT_EQ(a.auto_update_sprav, b.auto_update_sprav);
    EXPECT_EQ(a.login_log, b.login_log);
}

// Types over the presets: an emptied address, another login, the switch on.
void retype(TFormConfig& f) {
    f.Edit_MySQL_host->clear();
    f.Edit_MySQL_login->setText(" smith ");
    f.CheckBox_auto_update_sprav->click();
}

}  // namespace

TEST(TFormConfigTest, DesignNamesTextsAndLayout) {
    TFormConfig form;
    EXPECT_EQ(form.objectName(), "TFormConfig");
    EXPECT_EQ(form.windowTitle(), u("Настройки подключения к серверу"));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit_MySQL_host"), form.Edit_MySQL_host);
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit_MySQL_login"), form.Edit_MySQL_login);
    EXPECT_EQ(form.findChild<QCheckBox*>("CheckBox_auto_update_sprav")->text(),
              u("Автозаполнение справочников"));
    EXPECT_EQ(form.findChild<QPushButton*>("ButOk")->text(), u("Установить"));
    EXPECT_EQ(form.findChild<QPushButton*>("ButCancel")->text(), u("Отменить"));
    EXPECT_TRUE(form.ButOk->isDefault());

    form.show();
    // Each label above its edit; a fixed size; centred on the screen.
    EXPECT_EQ(form.LabelHost->text(), u("Адрес сервера:"));
    EXPECT_EQ(form.LabelLogin->text(), u("Пользователь по умолчанию:"));
    EXPECT_LT(form.LabelHost->y(), form.Edit_MySQL_host->y());
    EXPECT_LT(form.Edit_MySQL_host->y(), form.LabelLogin->y());
    EXPECT_LT(form.LabelLogin->y(), form.Edit_MySQL_login->y());
    EXPECT_LT(form.Edit_MySQL_login->y(), form.CheckBox_auto_update_sprav->y());
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    form.reject();
}

// Confirmation copies the three controls back unchecked; every other way
// out leaves the settings as they were.
TEST(TFormConfigTest, CopiesBackOnlyOnConfirmation) {
    struct Case {
        const char* name;
        std::function<void(TFormConfig&)> act;
        bool confirmed;
    };
    const Case cases[] = {
        {"Установить", [](TFormConfig& f) { retype(f), f.ButOk->click(); }, true},
        {"Enter in the login edit",
         [](TFormConfig& f) {
             retype(f);
             QTest::keyClick(f.Edit_MySQL_login, Qt::Key_Return);
         },
         true},
        {"Enter on the check box",
         [](TFormConfig& f) {
             retype(f);
             QTest::keyClick(f.CheckBox_auto_update_sprav, Qt::Key_Return);
         },
         true},
        {"Отменить", [](TFormConfig& f) { retype(f), f.ButCancel->click(); }, false},
        {"Escape",
         [](TFormConfig& f) {
             retype(f);
             QTest::keyClick(f.Edit_MySQL_host, Qt::Key_Escape);
         },
         false},
        {"title-bar close", [](TFormConfig& f) { retype(f), f.close(); }, false},
    };
    TFormConfig form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::Settings s = sample();
        whenShown(form, [](TFormConfig& f) {
            // Preset from the settings at every showing.
            EXPECT_EQ(f.Edit_MySQL_host->text(), "10.0.0.5:3307");
            EXPECT_EQ(f.Edit_MySQL_login->text(), "ivanova");
            EXPECT_FALSE(f.CheckBox_auto_update_sprav->isChecked());
            EXPECT_EQ(f.focusWidget(), f.Edit_MySQL_host);
        });
        whenShown(form, c.act);
        EXPECT_EQ(form.edit(s), c.confirmed);
        EXPECT_FALSE(form.isVisible());
        core::Settings expected = sample();
        if (c.confirmed) {
            expected.HostName = "";  // an empty address is accepted as it is
            expected.default_login = " smith ";
            expected.auto_update_sprav = true;
        }
        expectSame(s, expected);
    }
}
