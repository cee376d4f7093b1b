#include "admin/server_accounts.h"
#include "backup/script_runner.h"
#include "core/codepage.h"
#include "core/sql_literals.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <deque>
#include <functional>

using admin::Account;
using admin::AccountAnswer;
using admin::ServerAccounts;
using testing_support::ScriptedPrompter;
using Kind = ScriptedPrompter::Kind;

namespace {

// The account window answered from a queue; records how it was preset.
struct ScriptedAccountDialog : admin::AccountDialog {
    std::deque<std::optional<AccountAnswer>> answers;
    std::vector<std::pair<QString, bool>> presets;
    std::optional<AccountAnswer> askAccount(const QString& name, bool nameEditable) override {
        presets.emplace_back(name, nameEditable);
        if (answers.empty()) {
            ADD_FAILURE() << "the account window was not expected";
            return std::nullopt;
        }
        const bool cancelled = !answers.front().has_value();
        const AccountAnswer a = cancelled ? AccountAnswer{} : *answers.front();
        answers.pop_front();
        if (cancelled) return std::nullopt;
        return a;
    }
};

// Accounts get names unique to the test and are dropped afterwards, even
// when the test failed, so that parallel tests never meet them.
class Accounts : public ::testing::Test {
  protected:
    Accounts() {
        session.open(testing_support::serverHost(), QString(), testing_support::serverUser(),
                     testing_support::serverPassword());
    }
    ~Accounts() override {
        try {
            if (!admin.isOpen()) testing_support::openServer(admin);
            auto r = admin.query(QString("select User, Host from mysql.user"));
            std::vector<Account> mine;
            while (r->next()) {
                const Account a{r->field(0).asText(), r->field(1).asText()};
                if (a.user.contains(tag) || a.host.contains(tag)) mine.push_back(a);
            }
            r.reset();
            for (const Account& a : mine)
                admin.execute(QByteArray("drop user if exists ") + quoted(a));
        } catch (...) {
        }
    }
    static QByteArray quoted(const Account& a) {
        return core::SqlQuote(core::toCp1251(a.user), true) + '@' +
               core::SqlQuote(core::toCp1251(a.host), true);
    }
    QString unique(const QString& stem) { return stem + tag; }
    bool canLogIn(const QString& user, const QString& password) {
        core::Connection c;
        c.setParams(testing_support::serverParams());
        core::SetConnectionParam(c, "User_Name", user);
        core::SetConnectionParam(c, "Password", password);
        try {
            c.open();
            return true;
        } catch (const core::DbError&) {
            return false;
        }
    }
    bool listed(const QString& line) {
        accounts.refresh();
        return accounts.lines().contains(line);
    }
    std::optional<Account> find(const QString& user) {
        accounts.refresh();
        for (const Account& a : accounts.accounts())
            if (a.user == user) return a;
        return std::nullopt;
    }
    void add(const QString& name, const QString& p1, const QString& p2) {
        dialog.answers.push_back(AccountAnswer{name, p1, p2});
        accounts.add();
    }

    const QString tag = QString("vt%1x%2").arg(::getpid()).arg(counter()++);
    static std::atomic<int>& counter() {
        static std::atomic<int> c{0};
        return c;
    }
    core::Session session;  // root's
    core::Connection& admin = session.connection();
    ScriptedPrompter prompter;
    ScriptedAccountDialog dialog;
    ServerAccounts accounts{session, prompter, dialog};
};

TEST_F(Accounts, AddedAccountLogsInTakesANewPasswordAndIsGoneAfterDeletion) {
    const QString name = unique("clerk");
    add("  " + name + " ", "Secret1", "Secret1");
    ASSERT_TRUE(listed(name + "@%"));
    EXPECT_TRUE(canLogIn(name, "Secret1"));
    EXPECT_EQ(dialog.presets.back(), std::make_pair(QString(), true));

    dialog.answers.push_back(AccountAnswer{"ignored", "Other2", "Other2"});
    accounts.newPassword(find(name));
    EXPECT_EQ(dialog.presets.back(), std::make_pair(name, false));
    EXPECT_FALSE(canLogIn(name, "Secret1"));
    EXPECT_TRUE(canLogIn(name, "Other2"));

    accounts.remove(find(name));
    EXPECT_FALSE(canLogIn(name, "Other2"));
    EXPECT_FALSE(listed(name + "@%"));
    EXPECT_FALSE(accounts.lines().isEmpty());

    const std::vector<ScriptedPrompter::Box> expected{
        {Kind::Report, "Отчет", "Новый пользователь добавлен успешно."},
        {Kind::Report, "Отчет", "Пароль пользователя был изменен."},
        {Kind::Report, "Удалить пользователя", "Пользователь удален успешно."}};
    EXPECT_EQ(prompter.shown(), expected);
}

TEST_F(Accounts, NamesAndPasswordsAreTakenExactlyAsTyped) {
    // Each would end or bend the statement if pasted in unescaped.
    const QString names[] = {"o'neil",   "back\\slash", "semi;colon",
                             "dq\"uote", "at@sign",     "x'@'%' IDENTIFIED BY 'a'; --"};
    const QString passwords[] = {"it's", "c:\\new\\", "a;b", "\"q\"", "p@ss", "') --"};
    for (int i = 0; i < 6; ++i) {
        const QString name = names[i] + tag;
        SCOPED_TRACE(name.toStdString());
        add(name, passwords[i], passwords[i]);
        const std::optional<Account> account = find(name);
        ASSERT_TRUE(account);
        EXPECT_EQ(account->host, "%");
        EXPECT_TRUE(canLogIn(name, passwords[i]));

        const QString next = passwords[(i + 1) % 6] + "2";
        dialog.answers.push_back(AccountAnswer{name, next, next});
        accounts.newPassword(account);
        EXPECT_TRUE(canLogIn(name, next));

        accounts.remove(account);
        EXPECT_FALSE(find(name));
        EXPECT_FALSE(canLogIn(name, next));
    }
    EXPECT_FALSE(find("x"));  // no account made by a bent statement
}

TEST_F(Accounts, EmptyPasswordsMakeAnAccountWithoutPassword) {
    const QString name = unique("open");
    add(name, "", "");
    EXPECT_TRUE(canLogIn(name, ""));
    EXPECT_FALSE(canLogIn(name, "x"));
}

TEST_F(Accounts, WrongInputIsRefusedBeforeTheServerSeesIt) {
    const QString name = unique("never");
    struct Case {
        const char* what;
        std::function<void()> act;
        QString text;
    };
    const Case cases[] = {
        {"blank name", [&] { add("   ", "a", "a"); }, "Не указано имя пользователя"},
        {"different passwords", [&] { add(name, "abc", "abd"); },
         "Первый и второй варианты паролей не совпадают"},
        {"passwords differing in case", [&] { add(name, "Abc", "abc"); },
         "Первый и второй варианты паролей не совпадают"},
        {"nothing selected to delete", [&] { accounts.remove(std::nullopt); },
         "Не выбран пользователь для удаления"},
        {"nothing selected for a password", [&] { accounts.newPassword(std::nullopt); },
         "Не выбран пользователь для смены пароля"},
        {"empty user name, delete",
         [&] {
             accounts.remove(Account{"", "somehost"});
         },
         "Неправильное имя пользователя"},
        {"empty user name, password",
         [&] {
             accounts.newPassword(Account{"", "%"});
         },
         "Неправильное имя пользователя"},
        {"root",
         [&] {
             accounts.remove(Account{"root", "localhost"});
         },
         "Этого пользователя удалять нельзя."},
        {"Root",
         [&] {
             accounts.remove(Account{"Root", "%"});
         },
         "Этого пользователя удалять нельзя."},
        {"ROOT",
         [&] {
             accounts.remove(Account{"ROOT", "10.0.0.1"});
         },
         "Этого пользователя удалять нельзя."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.boxes.clear();
        c.act();
        const std::vector<ScriptedPrompter::Box> expected{{Kind::Error, "Ошибка", c.text}};
        EXPECT_EQ(prompter.shown(), expected);
    }
    dialog.answers.push_back(AccountAnswer{name, "a", "b"});
    accounts.newPassword(Account{name, "%"});
    EXPECT_EQ(prompter.shown().back().text, "Первый и второй варианты паролей не совпадают");
    EXPECT_FALSE(find(name));
    EXPECT_TRUE(canLogIn("root", testing_support::serverPassword()));
}

// A clerk changes their own password in the accounts tab; the import that
// follows opens its script connection with the session's parameters and
// must log in with the new one. Root's session, changing the clerk's
// password, keeps its own.
TEST_F(Accounts, OwnNewPasswordBecomesTheSessionsSoTheImportConnects) {
    const QString name = unique("self");
    add(name, "Old1", "Old1");
    testing_support::TempDatabase db(false, "velkor");
    db.exec("create table t (a int)");

    core::Session own;
    own.open(testing_support::serverHost(), db.name().mid(6), name, "Old1");
    ScriptedAccountDialog ownDialog;
    ServerAccounts ownAccounts(own, prompter, ownDialog);
    ownDialog.answers.push_back(AccountAnswer{name, "New2", "New2"});
    ownAccounts.newPassword(find(name));
    EXPECT_EQ(own.password(), "New2");
    EXPECT_EQ(own.connection().param("Password"), "New2");
    EXPECT_TRUE(own.connected());

    QTemporaryDir dir;
    const QString script = dir.filePath("s.SQL");
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("USE " + db.name().toLatin1() + ";\r\ninsert into t values (7);\r\n");
    }
    core::Connection scriptConnection;
    testing_support::RecordingProgress progress;
    EXPECT_TRUE(
        backup::RunSqlScript(own.connection(), scriptConnection, script, true, prompter, progress));
    auto r = db.connection().query(QString("select group_concat(a) from t"));
    ASSERT_TRUE(r->next());
    EXPECT_EQ(r->field(0).asText(), "7");
    r.reset();

    // Root gives the clerk yet another password: root's session is root's.
    dialog.answers.push_back(AccountAnswer{name, "Third3", "Third3"});
    accounts.newPassword(find(name));
    EXPECT_EQ(session.password(), testing_support::serverPassword());
    EXPECT_EQ(own.password(), "New2");
    EXPECT_TRUE(canLogIn(name, "Third3"));
}

TEST_F(Accounts, AnAccountWithoutNameIsListedButCannotBeChanged) {
    const QString host = unique("nohost") + ".invalid";
    admin.execute("create user ''@'" + host + "'");
    ASSERT_TRUE(listed("@" + host));
    std::optional<Account> anonymous;
    for (const Account& a : accounts.accounts())
        if (a.host == host) anonymous = a;
    ASSERT_TRUE(anonymous);
    accounts.remove(anonymous);
    accounts.newPassword(anonymous);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].text, "Неправильное имя пользователя");
    EXPECT_EQ(prompter.shown()[1].text, "Неправильное имя пользователя");
    EXPECT_TRUE(listed("@" + host));
}

}  // namespace
