#include "admin/database_catalogue.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>

using admin::DatabaseCatalogue;
using testing_support::ScriptedPrompter;
using Kind = ScriptedPrompter::Kind;

namespace {

const QString kAskCreate = "База данных не создана. Создать базу данных сейчас?";
const QString kCreated = "База данных создана успешно. Перезапустите программу.";
const QString kDropQuestion =
    "Восстановить удаленную базу данных будет невозможно.\n\rВы действительно хотите удалить "
    "выбранную базу данных?";

// Every test works under a prefix of its own, so that its server looks
// empty of journals whatever other tests create meanwhile. The databases
// under it are dropped afterwards, even when the test failed.
class Catalogue : public ::testing::Test {
  protected:
    Catalogue() {
        static std::atomic<int> counter{0};
        prefix = QString("vcat%1x%2").arg(::getpid()).arg(counter++);
        testing_support::openServer(admin);
        session.open(testing_support::serverHost(), QString(), testing_support::serverUser(),
                     testing_support::serverPassword());
    }
    ~Catalogue() override {
        try {
            if (!admin.isOpen()) testing_support::openServer(admin);
            for (const QString& name : databases())
                admin.execute("drop database if exists `" + name + "`");
        } catch (...) {
        }
    }
    QStringList databases() {
        QStringList out;
        auto r = admin.query("show databases like '" + prefix + "%'");
        while (r->next()) out << r->field(0).asText();
        out.sort();
        return out;
    }
    QStringList tablesOf(const QString& database) {
        QStringList out;
        auto r = admin.query("show tables from `" + database + "`");
        while (r->next()) out << r->field(0).asText();
        out.sort();
        return out;
    }
    QString currentDatabase() {
        auto r = session.connection().query(QString("select database()"));
        return r->next() ? r->field(0).asText() : QString();
    }
    DatabaseCatalogue catalogue(const QString& templatePath = VELKOR_TEMPLATE_SCRIPT) {
        return DatabaseCatalogue(session, prompter, templatePath, prefix);
    }
    static QString month() { return QDate::currentDate().toString("yyyyMM"); }

    QString prefix;
    core::Connection admin;
    core::Session session;
    ScriptedPrompter prompter;
};

TEST_F(Catalogue, EmptyServerOffersTheFirstDatabaseAndSwitchesTheSessionToIt) {
    auto c = catalogue();
    prompter.yesNo = {true};
    prompter.inputs = {month()};
    c.refresh();

    const QString name = prefix + month();
    EXPECT_EQ(databases(), QStringList{name});
    EXPECT_EQ(tablesOf(name),
              QStringList({"doc_list", "sprav_adv_info", "sprav_doctype_list", "sprav_expert_list",
                           "sprav_org_list", "sprav_place_list", "sprav_source_list"}));
    EXPECT_EQ(c.lines(), QStringList{month()});
    EXPECT_EQ(prompter.inputInitials, std::vector<QString>{month()});
    const std::vector<ScriptedPrompter::Box> expected{
        {Kind::Question, "Базы данных", kAskCreate},
        {Kind::Input, "Создание базы данных", "Укажите имя новой базы данных"},
        {Kind::Report, "Отчет", kCreated}};
    EXPECT_EQ(prompter.shown(), expected);
    EXPECT_EQ(session.base_suffix(), month());
    EXPECT_EQ(session.database_name(), name);
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(currentDatabase(), name);

    // The same preset a second time in the month: the server refuses.
    prompter.boxes.clear();
    prompter.inputs = {month()};
    c.create();
    EXPECT_EQ(prompter.shown().back().kind, Kind::Error);
    EXPECT_EQ(prompter.shown().back().text, QString(admin::kCreateFailedText));
    EXPECT_EQ(databases(), QStringList{name});
}

TEST_F(Catalogue, DecliningOrCancellingCreatesNothing) {
    auto c = catalogue();
    prompter.yesNo = {false};
    c.refresh();
    prompter.yesNo = {true};
    prompter.inputs = {std::nullopt};
    c.refresh();
    EXPECT_TRUE(databases().isEmpty());
    EXPECT_TRUE(c.lines().isEmpty());
    EXPECT_EQ(session.database_name(), "mysql");
}

TEST_F(Catalogue, SuffixesOutsideLatinLettersDigitsAndUnderscoreNeverReachTheServer) {
    auto c = catalogue();
    const QString attempts[] = {"",        "2026-12", "a b",      "x`; drop database mysql; --",
                                "a'b",     "a\\b",    "тест",     "a;b",
                                " 202612", "202612 ", "../../etc"};
    for (const QString& suffix : attempts) {
        SCOPED_TRACE(suffix.toStdString());
        prompter.boxes.clear();
        prompter.inputs = {suffix};
        c.create();
        const std::vector<ScriptedPrompter::Box> expected{
            {Kind::Input, "Создание базы данных", "Укажите имя новой базы данных"},
            {Kind::Error, "Ошибка", admin::kCreateFailedText}};
        EXPECT_EQ(prompter.shown(), expected);
    }
    EXPECT_TRUE(databases().isEmpty());
    EXPECT_EQ(session.database_name(), "mysql");
    EXPECT_TRUE(session.connected());
}

TEST_F(Catalogue, MissingTemplateLeavesTheEmptyDatabaseAndTheSessionOnIt) {
    auto c = catalogue("/nonexistent/Template/base.sql");
    prompter.inputs = {"nofile"};
    c.create();
    const std::vector<ScriptedPrompter::Box> expected{
        {Kind::Input, "Создание базы данных", "Укажите имя новой базы данных"},
        {Kind::Error, "Ошибка", "Файл шаблона базы данных не найден."}};
    EXPECT_EQ(prompter.shown(), expected);
    EXPECT_EQ(databases(), QStringList{prefix + "nofile"});
    EXPECT_TRUE(tablesOf(prefix + "nofile").isEmpty());
    EXPECT_EQ(currentDatabase(), prefix + "nofile");
    EXPECT_EQ(session.base_suffix(), "nofile");
}

TEST_F(Catalogue, TemplateRunsEveryStatementAndStopsAtTheFirstRefusal) {
    QTemporaryDir dir;
    const QString path = dir.filePath("base.sql");
    auto write = [&](const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    // A comment travels with the statement after it; the last statement
    // needs no semicolon.
    write("  CREATE TABLE a (x INT);\r\n-- the second one\r\nCREATE TABLE b (y INT)\r\n");
    auto c = catalogue(path);
    prompter.inputs = {"tpl"};
    c.create();
    EXPECT_EQ(tablesOf(prefix + "tpl"), QStringList({"a", "b"}));
    EXPECT_EQ(prompter.shown().back().text, kCreated);

    write("CREATE TABLE a (x INT);\r\nCREATE TABLE nonsense nonsense;\r\nCREATE TABLE c (z INT);");
    prompter.boxes.clear();
    prompter.inputs = {"bad"};
    EXPECT_THROW(c.create(), core::DbError);
    EXPECT_EQ(tablesOf(prefix + "bad"), QStringList{"a"});
    EXPECT_EQ(prompter.shown().back().kind, Kind::Input);
}

TEST_F(Catalogue, DropAsksFirstAndDropsExactlyTheListedDatabase) {
    // The bare prefix and the prefix doubled both show as the prefix.
    admin.execute("create database `" + prefix + "`");
    admin.execute("create database `" + prefix + prefix + "`");
    admin.execute("create database `" + prefix + "201011`");
    auto c = catalogue();
    c.refresh();
    ASSERT_EQ(c.lines(), QStringList({prefix, "201011", prefix}));
    ASSERT_EQ(c.entries()[0].database, prefix);

    c.drop(-1);
    EXPECT_EQ(prompter.shown().back().text, "База данных для удаления не выбрана.");

    prompter.yesNo = {false};
    c.drop(0);
    EXPECT_EQ(databases().size(), 3);
    const ScriptedPrompter::Box question{Kind::DestructiveQuestion, "Удалить базу данных",
                                         kDropQuestion};
    EXPECT_EQ(prompter.shown().back(), question);

    prompter.yesNo = {true};
    c.drop(0);
    EXPECT_EQ(databases(), QStringList({prefix + "201011", prefix + prefix}));
    EXPECT_EQ(c.lines(), QStringList({"201011", prefix}));

    // Dropping the last one offers a new one; the session stays where it was.
    prompter.yesNo = {true, true, false};
    c.drop(1);
    c.drop(0);
    EXPECT_TRUE(databases().isEmpty());
    EXPECT_EQ(prompter.shown().back().text, kAskCreate);
    EXPECT_EQ(session.database_name(), "mysql");
}

}  // namespace
