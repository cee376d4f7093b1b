#include "core/login.h"
#include "tests/support/scripted_login.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using core::ActionLoginExecute;
using core::LoginAnswer;
using core::LoginPreset;
using MainState = core::AppContext;
using testing_support::ScriptedLogin;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;
using Kind = ScriptedPrompter::Kind;

namespace {

class Login : public ::testing::Test {
  protected:
    Login() : state(dir.filePath("velkor.INI")) {
        state.settings.values().HostName = testing_support::serverHost();
    }
    // A journal database reachable through a suffix: velkor + suffix.
    QString suffixOf(const TempDatabase& db) const { return db.name().mid(6); }
    void login(const QString& suffix, const QString& name, const QString& password) {
        dialog.answer = LoginAnswer{suffix, name, password};
        ActionLoginExecute(state, dialog, prompter);
    }
    void loginRoot(const QString& suffix, const QString& name = "root") {
        login(suffix, name, testing_support::serverPassword());
    }
    // Server account names are case-sensitive: "Root" is an account of its
    // own, made for the test and dropped after it. Tests in other processes
    // that need it wait for the lock, so none drops it under another's feet.
    class RootInOtherCase {
      public:
        RootInOtherCase() : lock_(QDir::temp().filePath("velkor_test_Root_account.lock")) {
            lock_.setStaleLockTime(0);
            EXPECT_TRUE(lock_.lock());
            testing_support::openServer(admin_);
            admin_.execute("create user if not exists 'Root'@'127.0.0.1' identified by '" +
                           testing_support::serverPassword() + "'");
            admin_.execute(QString("grant all privileges on *.* to 'Root'@'127.0.0.1'"));
        }
        ~RootInOtherCase() {
            try {
                admin_.execute(QString("drop user if exists 'Root'@'127.0.0.1'"));
            } catch (...) {
            }
        }

      private:
        QLockFile lock_;
        core::Connection admin_;
    };
    QTemporaryDir dir;
    MainState state;
    ScriptedLogin dialog;
    ScriptedPrompter prompter;
};

TEST_F(Login, RootWithoutSuffixInAnyCaseOpensMysqlAndStops) {
    RootInOtherCase root;
    loginRoot("", "Root");
    EXPECT_TRUE(state.session.connected());
    EXPECT_EQ(state.session.database_name(), "mysql");
    EXPECT_TRUE(state.session.admin_enabled());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_FALSE(state.dataSets.journal().isActive());
    EXPECT_FALSE(state.dataSets.referenceList("sprav_source_list").isActive());
    EXPECT_EQ(state.settings.values().default_login, "Root");
    EXPECT_EQ(state.settings.values().login_log, QStringList({"Root"}));
    // The login was stored in the settings file at once.
    MainState again(state.settings.path());
    again.settings.load();
    EXPECT_EQ(again.settings.values().default_login, "Root");
}

TEST_F(Login, CancelledDialogChangesNothing) {
    dialog.answer.reset();
    state.settings.values().base_name = "x";
    ActionLoginExecute(state, dialog, prompter);
    EXPECT_FALSE(state.session.connected());
    EXPECT_EQ(state.settings.values().base_name, "x");
    EXPECT_FALSE(QFile::exists(state.settings.path()));
}

TEST_F(Login, WrongPasswordShowsTheErrorAndKeepsLoginValues) {
    state.settings.values().default_login = "someone";
    login("201011", "root", "wrong");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, Kind::Error);
    EXPECT_EQ(prompter.shown()[0].caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(prompter.shown()[0].text, QString::fromUtf8("Не могу подключиться к серверу"));
    EXPECT_FALSE(state.session.connected());
    EXPECT_FALSE(state.session.admin_enabled());
    EXPECT_EQ(state.session.database_name(), "velkor201011");
    // The suffix is taken over even though the login failed; the login name is not.
    EXPECT_EQ(state.settings.values().base_name, "201011");
    EXPECT_EQ(state.settings.values().default_login, "someone");
    EXPECT_TRUE(state.settings.values().login_log.isEmpty());
    // The next showing is preset from the last attempt's suffix.
    login("201011", "root", "wrong");
    EXPECT_EQ(dialog.presets.back().base_name, "201011");
    EXPECT_EQ(dialog.presets.back().default_login, "someone");
}

TEST_F(Login, OtherAccountWithoutSuffixOpensVelkor) {
    login("", "nobody_here", "x");
    EXPECT_EQ(state.session.database_name(), "velkor");
    EXPECT_EQ(state.session.connection().param("Database"), "velkor");
    EXPECT_EQ(state.session.connection().param("User_Name"), "nobody_here");
}

TEST_F(Login, JournalOpensOnTheLatestMeetingDate) {
    TempDatabase db(true, "velkor");
    db.exec(QString::fromUtf8(
        "insert into doc_list (Rec_IDN, pr_date, pr_num) values (1, '2011-03-15', '1'),"
        " (2, '2012-05-01', '2'), (3, '2012-05-01', '3'), (4, NULL, '4')"));
    db.exec(QString::fromUtf8("insert into sprav_source_list values ('Архів'), ('Суд')"));
    loginRoot(suffixOf(db));
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(state.session.database_name(), db.name());
    EXPECT_EQ(state.selection.select_where(), " where pr_date='2012-05-01'");
    EXPECT_EQ(state.selection.select_info(), QString::fromUtf8(" дата протокола: 01.05.2012"));
    EXPECT_EQ(state.selection.select_order(), " ORDER BY Rec_IDN");
    EXPECT_EQ(state.dataSets.journal().commandText(),
              "select * from doc_list  where pr_date='2012-05-01' ORDER BY Rec_IDN");
    EXPECT_EQ(state.dataSets.journal().rowCount(), 2);
    EXPECT_EQ(state.selection.line(),
              QString::fromUtf8("Условия выбора данных:  дата протокола: 01.05.2012"));
    EXPECT_EQ(state.dataSets.referenceList("sprav_source_list").rowCount(), 2);
    for (core::ClientDataSet* ds : state.dataSets.all())
        EXPECT_TRUE(ds->isActive()) << ds->name().toStdString();
}

TEST_F(Login, UndatedJournalKeepsTheSelection) {
    TempDatabase db(true, "velkor");
    db.exec("insert into doc_list (Rec_IDN, pr_date) values (1, NULL), (2, NULL)");
    loginRoot(suffixOf(db));
    EXPECT_EQ(state.selection.select_where(), "");
    EXPECT_EQ(state.selection.select_info(), QString::fromUtf8("ВСЕ ДАННЫЕ"));
    EXPECT_EQ(state.dataSets.journal().commandText(), "select * from doc_list  ORDER BY Rec_IDN");
    EXPECT_EQ(state.dataSets.journal().rowCount(), 2);
    EXPECT_EQ(state.selection.line(), QString::fromUtf8("Условия выбора данных: ВСЕ ДАННЫЕ"));
}

TEST_F(Login, DatabaseWithoutReferenceListsBeepsAndTellsIt) {
    TempDatabase db(false, "velkor");
    db.exec("create table sprav_source_list (source_name char(100) not null primary key)");
    loginRoot(suffixOf(db));
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].kind, Kind::Beep);
    EXPECT_EQ(prompter.boxes[1].kind, Kind::Error);
    EXPECT_EQ(prompter.boxes[1].text, QString::fromUtf8("Не удалось подключить справочники."));
    EXPECT_TRUE(state.session.connected());
    EXPECT_TRUE(state.session.admin_enabled());
    // The walk stopped at the first failure: the list before it is open.
    EXPECT_TRUE(state.dataSets.referenceList("sprav_source_list").isActive());
    EXPECT_FALSE(state.dataSets.referenceList("sprav_place_list").isActive());
    EXPECT_FALSE(state.dataSets.journal().isActive());
}

// Any failure while the lists open takes the same path, also a table that
// lacks a column its list needs.
TEST_F(Login, ReferenceTableLackingAColumnBeepsAndTellsIt) {
    TempDatabase db(true, "velkor");
    db.exec("alter table sprav_org_list drop column org_place");
    loginRoot(suffixOf(db));
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].kind, Kind::Beep);
    EXPECT_EQ(prompter.boxes[1].kind, Kind::Error);
    EXPECT_EQ(prompter.boxes[1].caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(prompter.boxes[1].text, QString::fromUtf8("Не удалось подключить справочники."));
    EXPECT_TRUE(state.session.connected());
    EXPECT_FALSE(state.dataSets.referenceList("sprav_org_list").isActive());
    EXPECT_FALSE(state.dataSets.journal().isActive());
}

// A connection the server dropped: the user reads a Russian text, and the
// enabling rule treats the session as closed until the next login.
TEST_F(Login, LostConnectionSpeaksRussianAndClosesTheSession) {
    TempDatabase db(true, "velkor");
    db.exec("insert into doc_list (Rec_IDN, pr_date) values (1, '2012-05-01')");
    loginRoot(suffixOf(db));
    ASSERT_TRUE(state.session.connected());
    qint64 id = 0;
    {
        auto r = state.session.connection().query(QByteArray("select connection_id()"));
        ASSERT_TRUE(r->next());
        id = r->field(0).asInt64();
    }
    db.exec(QString("kill connection %1").arg(id));
    // The session says so the moment a call finds the server gone, once.
    QSignalSpy changed(&state.session, &core::Session::stateChanged);
    try {
        core::RunJournalQuery(state.dataSets.journal(), state.selection);
        FAIL() << "a query on a killed connection succeeded";
    } catch (const core::DbError& e) {
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(e.message(), QString::fromUtf8("Соединение с сервером потеряно. "
                                                 "Подключитесь к базе данных заново."));
        EXPECT_TRUE(e.connectionLost());
    }
    EXPECT_THROW(state.session.connection().query(QByteArray("select 1")), core::DbError);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(state.session.connected());
    EXPECT_TRUE(core::actionEnabled(core::ActionGroup::Always, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Admin, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Connected, state.session));
    // Logging in again works without restarting.
    loginRoot(suffixOf(db));
    EXPECT_TRUE(state.session.connected());
    EXPECT_EQ(state.dataSets.journal().rowCount(), 1);
}

TEST_F(Login, HistoryKeepsTheFirstFormOfANameAndAFailedReloginClosesTheSession) {
    RootInOtherCase root;
    loginRoot("", "root");
    loginRoot("", "Root");
    EXPECT_EQ(state.settings.values().login_log, QStringList({"root"}));
    EXPECT_EQ(state.settings.values().default_login, "Root");
    EXPECT_TRUE(core::actionEnabled(core::ActionGroup::Connected, state.session));
    login("", "root", "wrong");
    EXPECT_FALSE(state.session.connected());
    EXPECT_TRUE(state.session.admin_enabled());
    EXPECT_TRUE(core::actionEnabled(core::ActionGroup::Always, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Admin, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Connected, state.session));
}

// Moving the session to another database closes every dataset read from
// the old one: none stays editable against the new database.
TEST_F(Login, SwitchingTheDatabaseClosesWhatWasReadFromTheOldOne) {
    TempDatabase db(true, "velkor");
    TempDatabase other(true, "velkor");
    db.exec("insert into doc_list (Rec_IDN, pr_date) values (1, '2012-05-01')");
    db.exec(QString::fromUtf8("insert into sprav_place_list (place_name) values ('Київ')"));
    loginRoot(suffixOf(db));
    ASSERT_EQ(state.dataSets.journal().rowCount(), 1);
    ASSERT_EQ(state.dataSets.referenceList("sprav_place_list").rowCount(), 1);
    QSignalSpy changing(&state.session, &core::Session::databaseChanging);
    state.session.switchDatabase(suffixOf(other), other.name());
    EXPECT_EQ(changing.count(), 1);
    EXPECT_TRUE(state.session.connected());
    for (core::ClientDataSet* d : state.dataSets.all()) EXPECT_FALSE(d->isActive()) << d->name().toStdString();
    EXPECT_EQ(state.dataSets.journal().rowCount(), 0);
}

TEST(EnablingRule, BeforeLoginOnlyGroup100) {
    MainState state("/nonexistent/velkor.INI");
    EXPECT_TRUE(core::actionEnabled(core::ActionGroup::Always, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Admin, state.session));
    EXPECT_FALSE(core::actionEnabled(core::ActionGroup::Connected, state.session));
}

}  // namespace
