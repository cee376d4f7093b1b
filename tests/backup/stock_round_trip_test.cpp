// Round trips on a server with a packaged server's defaults (utf8mb4,
// strict sql_mode): the hostile schema, and journal databases, whose
// template tables are cp1251 whatever the server's default; and the
// verification of such a journal's archive.

#include "admin/database_catalogue.h"
#include "backup/archive_verify.h"
#include "tests/backup/round_trip.h"

#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::fillJournal;
using testing_support::rowsOf;
using testing_support::ScriptedPrompter;
using testing_support::Server;

namespace {

const QStringList kJournalTables = {"doc_list",          "sprav_adv_info", "sprav_doctype_list",
                                    "sprav_expert_list", "sprav_org_list", "sprav_place_list",
                                    "sprav_source_list"};

QStringList tableCollations(core::Connection& c, const QString& database) {
    return rowsOf(c,
                  "select TABLE_NAME, TABLE_COLLATION from information_schema.TABLES where "
                  "TABLE_SCHEMA = '" +
                      database + "' order by TABLE_NAME");
}

QStringList cp1251Tables() {
    QStringList out;
    for (const QString& t : kJournalTables) out << t + "|cp1251_general_ci";
    return out;
}

}  // namespace

TEST(StockServerRoundTrip, HostileSchemaComesBackExactly) {
    testing_support::expectHostileSchemaRoundTrip(Server::Stock);
}

// "Создать новую" of the administration window on this server, then the
// export and the import: the same database, its tables still cp1251.
TEST(StockServerRoundTrip, WindowMadeJournalComesBackTheSame) {
    const QString prefix = QString("vexp%1x").arg(::getpid());
    core::Session session;
    session.open(testing_support::serverHost(Server::Stock), QString(),
                 testing_support::serverUser(), testing_support::serverPassword());
    ScriptedPrompter prompter;
    prompter.inputs = {"w1"};
    admin::DatabaseCatalogue catalogue(session, prompter, VELKOR_TEMPLATE_SCRIPT, prefix);
    catalogue.create();
    const QString name = prefix + "w1";
    ASSERT_EQ(session.database_name(), name);
    core::Connection& c = session.connection();
    struct Drop {
        core::Connection& c;
        QString name;
        ~Drop() {
            try {
                c.execute("drop database if exists " + name);
            } catch (...) {
            }
        }
    } drop{c, name};
    EXPECT_EQ(rowsOf(c,
                     "select DEFAULT_CHARACTER_SET_NAME from information_schema.SCHEMATA"
                     " where SCHEMA_NAME = '" +
                         name + "'"),
              QStringList{"cp1251"});
    fillJournal(c);

    const testing_support::DatabaseSnapshot before = testing_support::snapshotOf(c, name);
    ASSERT_EQ(before.checksums.size(), 7);
    testing_support::exportDropAndImport(c, name, Server::Stock);
    testing_support::expectSameDatabase(before, testing_support::snapshotOf(c, name));
    EXPECT_EQ(tableCollations(c, name), cp1251Tables());
}

// A journal made here before the window named the character set: the
// database is utf8mb4, its tables cp1251. The export names the tables'
// character set, so they come back cp1251 with the same checksums.
TEST(StockServerRoundTrip, JournalOfUtf8DatabaseComesBackInItsTablesCharacterSet) {
    testing_support::TempDatabase db(true, "vt_", Server::Stock);
    ASSERT_EQ(rowsOf(db.connection(), "select @@character_set_database"), QStringList{"utf8mb4"});
    fillJournal(db.connection());
    const testing_support::DatabaseSnapshot before =
        testing_support::snapshotOf(db.connection(), db.name());
    const QByteArray script =
        testing_support::exportDropAndImport(db.connection(), db.name(), Server::Stock);
    const QByteArray block =
        "CREATE DATABASE " + db.name().toLatin1() + " DEFAULT CHARACTER SET cp1251;\r\n";
    EXPECT_TRUE(script.contains(block)) << block.constData();
    const testing_support::DatabaseSnapshot after =
        testing_support::snapshotOf(db.connection(), db.name());
    EXPECT_EQ(after.columns, before.columns);
    EXPECT_EQ(after.checksums, before.checksums);
    EXPECT_EQ(after.values, before.values);
    EXPECT_EQ(tableCollations(db.connection(), db.name()), cp1251Tables());
}

// The same journal verified against its archive: equal on this server's
// defaults too, and a text changed since is named by its table.
TEST(StockServerRoundTrip, JournalOfUtf8DatabaseVerifiesEqual) {
    testing_support::TempDatabase db(true, "vt_", Server::Stock);
    fillJournal(db.connection());
    QTemporaryDir dir;
    const QString archive = dir.filePath("j.ARC");
    testing_support::RecordingProgress progress;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), archive, progress),
              backup::ExportResult::Done);
    auto verify = [&] {
        core::Connection main, script;
        main.setParams(testing_support::serverParams(db.name(), Server::Stock));
        main.open();
        ScriptedPrompter prompter;
        const backup::VerifyReport r =
            backup::verifyArchive(main, script, archive, db.name(), prompter, progress,
                                  backup::ImportChoices::Answer::No);
        EXPECT_EQ(prompter.shown(), std::vector<ScriptedPrompter::Box>{});
        return r;
    };
    backup::VerifyReport r = verify();
    EXPECT_EQ(r.outcome, backup::VerifyReport::Outcome::Equal);
    EXPECT_EQ(r.tables, 7);
    EXPECT_TRUE(r.differences.isEmpty());

    db.exec(QString::fromUtf8("update sprav_place_list set place_name = 'Харків'"));
    r = verify();
    EXPECT_EQ(r.outcome, backup::VerifyReport::Outcome::Differs);
    ASSERT_EQ(r.differences.size(), 1);
    EXPECT_EQ(r.differences[0].table, "sprav_place_list");
    EXPECT_EQ(r.differences[0].kind, backup::TableDifference::Kind::Checksum);
    EXPECT_EQ(rowsOf(db.connection(),
                     "show databases like '" + QString(db.name()).replace('_', "\\_") + "\\_vfy%'"),
              QStringList{});
}
