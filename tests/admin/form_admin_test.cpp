#include "admin/form_admin.h"
#include "admin/form_new_user.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"
#include "tests/support/typing.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

using admin::TFormAdmin;
using admin::TFormNewUser;
using testing_support::ScriptedPrompter;

namespace {

TEST(FormNewUser, EveryShowingEmptiesThePasswordsAndKeepsTheNameAsPreset) {
    TFormNewUser form;
    EXPECT_EQ(form.windowTitle(), "Добавить новго пользователя");
    form.preset("clerk", false);
    form.show();
    EXPECT_FALSE(form.Edit_login->isEnabled());
    EXPECT_EQ(form.focusWidget(), form.EditPassword1);
    testing_support::typeText(form.EditPassword1, "pä'1");
    testing_support::typeText(form.EditPassword2, "pä'2");
    EXPECT_EQ(form.EditPassword1->displayText(), "$$$$");
    form.ButOk->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    const admin::AccountAnswer a = form.answer();
    EXPECT_EQ(a.name, "clerk");
    EXPECT_EQ(a.password1, "pä'1");
    EXPECT_EQ(a.password2, "pä'2");

    // A new account: the name field is open, empty and takes the keys first.
    form.preset(QString(), true);
    form.show();
    EXPECT_TRUE(form.Edit_login->isEnabled());
    EXPECT_EQ(form.focusWidget(), form.Edit_login);
    EXPECT_TRUE(form.EditPassword1->text().isEmpty());
    EXPECT_TRUE(form.EditPassword2->text().isEmpty());
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

// The window over the real server as root: both lists fill when it is shown,
// and the buttons reach the lists' selection.
TEST(FormAdmin, ShowsBothListsAndActsOnTheSelectedLine) {
    testing_support::TempDatabase journal(false, "velkor");
    core::Session session;
    session.open(testing_support::serverHost(), QString(), testing_support::serverUser(),
                 testing_support::serverPassword());
    ScriptedPrompter prompter;
    TFormNewUser newUser;
    TFormAdmin form(session, prompter, newUser);
    EXPECT_EQ(form.windowTitle(), "Администрирование");
    EXPECT_EQ(form.PageControl->tabText(0), "Базы данных");
    EXPECT_EQ(form.PageControl->tabText(1), "Пользователи");

    form.show();
    QTest::qWait(0);  // the lists fill once the window is up
    QCoreApplication::processEvents();
    const QString suffix = journal.name().mid(6);
    EXPECT_FALSE(form.ListBox_DB_list->findItems(suffix, Qt::MatchExactly).isEmpty());
    const auto roots = form.ListBox_users->findItems("root@", Qt::MatchStartsWith);
    ASSERT_FALSE(roots.isEmpty());

    form.But_delete_user->click();
    EXPECT_EQ(prompter.shown().back().text, "Не выбран пользователь для удаления");
    form.ListBox_users->setCurrentItem(roots.front());
    form.But_delete_user->click();
    EXPECT_EQ(prompter.shown().back().text, "Этого пользователя удалять нельзя.");

    form.PageControl->setCurrentIndex(0);
    form.ListBox_DB_list->clearSelection();
    form.ListBox_DB_list->setCurrentItem(nullptr);
    form.But_del_DB->click();
    EXPECT_EQ(prompter.shown().back().text, "База данных для удаления не выбрана.");
    form.ListBox_DB_list->setCurrentItem(
        form.ListBox_DB_list->findItems(suffix, Qt::MatchExactly).front());
    // Yes to the drop; no, should the server have no journal left.
    prompter.yesNo = {true, false};
    form.But_del_DB->click();
    EXPECT_TRUE(form.ListBox_DB_list->findItems(suffix, Qt::MatchExactly).isEmpty());

    QTest::keyClick(form.ListBox_DB_list, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);

    // Shown again after a button had the focus: Enter closes, it does not
    // press that button once more.
    form.PageControl->setCurrentIndex(1);
    form.But_delete_user->setFocus();
    const auto before = prompter.shown().size();
    form.show();
    QTest::keyClick(form.focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(prompter.shown().size(), before);
}

}  // namespace
