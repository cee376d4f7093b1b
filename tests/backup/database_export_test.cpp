#include "backup/database_export.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>

using backup::ExportResult;
using testing_support::archivedScript;
using testing_support::RecordingProgress;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }
QByteArray cp(const char* s) { return core::toCp1251(u(s)); }

// The script without its header, whose third line carries today's date.
QByteArray body(const QByteArray& script) {
    const QList<QByteArray> lines = script.split('\n');
    return lines.mid(5).join('\n');
}

// The script's last line holds the digest of every byte before it; the
// script before that line.
QByteArray checkedBody(const QByteArray& script) {
    const QByteArray rest = testing_support::unsealed(script);
    EXPECT_EQ(script, testing_support::sealed(rest)) << "no integrity line of the script";
    return rest;
}

}  // namespace

TEST(PathsOfExport, ScriptAndArchiveNamesFollowTheChosenName) {
    struct Case {
        const char* chosen;
        const char* script;
        const char* archive;
    } const cases[] = {
        {"/d/base.ARC", "/d/base.SQL", "/d/base.ARC"},
        {"/d/base.txt", "/d/base.SQL", "/d/base.ARC"},
        {"/d/base", "/d/base.SQL", "/d/base.ARC"},
        {"/d.x/base", "/d.x/base.SQL", "/d.x/base.ARC"},
        {"/d/a.b.arc", "/d/a.b.SQL", "/d/a.b.ARC"},
    };
    for (const Case& c : cases) {
        const QString script = backup::exportScriptPath(c.chosen);
        EXPECT_EQ(script, c.script) << c.chosen;
        EXPECT_EQ(backup::exportArchivePath(script), c.archive) << c.chosen;
    }
    EXPECT_EQ(backup::exportPresetName("velkor2026", QDate(2026, 3, 7)),
              "velkor2026_2026_03_07.ARC");
}

// The whole script of a small database, line by line: tables without keys
// and rows, a primary key, a key over two columns, defaults '' and 0, a
// default the server computes, and values that need escapes.
TEST(DatabaseExport, WritesTheScriptExactly) {
    TempDatabase db(false);
    db.exec("create table a_plain (n int, s char(5) default '') engine=InnoDB");
    db.exec(
        "create table b_keys (id int not null, k1 int not null default 0,"
        " k2 varchar(10) not null default 'x', ts timestamp not null default"
        " current_timestamp(), primary key (id), key two (k2, k1)) engine=InnoDB");
    db.exec("create table c_one (id int not null primary key, v double, d date)");
    db.exec(
        u("insert into b_keys values (1, 0, 'a''b\"c\\\\d\\r\\ne', '2020-01-02 03:04:05'),"
          " (2, -5, '', '2021-12-31 23:59:59')"));
    db.exec(u("insert into c_one values (7, 2.5, '0000-00-00'), (8, null, '2026-02-28')"));
    QTemporaryDir dir;
    RecordingProgress progress;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("out.ARC"), progress),
              ExportResult::Done);
    EXPECT_FALSE(QFile::exists(dir.filePath("out.SQL")));  // the temporary script is gone
    const QByteArray script = checkedBody(archivedScript(dir.filePath("out.ARC")));
    ASSERT_FALSE(script.isEmpty());

    EXPECT_TRUE(script.startsWith(cp("#\r\n# База данных ПО \"Терналь\"\r\n# по состоянию на ")));
    const QByteArray d = db.name().toLatin1();
    const QByteArray expected =
        "#---------------------------\r\n# DATABASE " + d +
        "\r\n#---------------------------\r\n"
        "DROP DATABASE IF EXISTS " +
        d +
        ";\r\n"
        "CREATE DATABASE " +
        d +
        " DEFAULT CHARACTER SET cp1251;\r\n"
        "USE " +
        d +
        ";\r\n\r\n"
        "#---------------------------\r\n# TABLE a_plain\r\n#---------------------------\r\n"
        "DROP TABLE IF EXISTS a_plain;\r\n"
        "CREATE TABLE a_plain(\r\n  n int(11),\r\n  s char(5)\r\n ) ENGINE=MyISAM;\r\n\r\n\r\n"
        "#\r\n" +
        cp("# 0 записей.") +
        "\r\n#\r\n\r\n"
        "#---------------------------\r\n# TABLE b_keys\r\n#---------------------------\r\n"
        "DROP TABLE IF EXISTS b_keys;\r\n"
        "CREATE TABLE b_keys(\r\n"
        "  id int(11) NOT NULL ,\r\n"
        "  k1 int(11) NOT NULL  DEFAULT \"0\",\r\n"
        "  k2 varchar(10) NOT NULL  DEFAULT \"x\",\r\n"
        "  ts timestamp NOT NULL  DEFAULT current_timestamp(),\r\n"
        "  PRIMARY KEY(id),\r\n"
        "  KEY two(k2, k1)\r\n"
        " ) ENGINE=MyISAM;\r\n\r\n\r\n"
        "#\r\n" +
        cp("# 2 записей.") +
        "\r\n#\r\n\r\n"
        "INSERT INTO b_keys   ( id, k1, k2, ts )   VALUES ( 1, 0, \"a\\'b\\\"c\\\\d\\r\\ne\","
        " \"2020-01-02 03:04:05\" ) ;\r\n"
        "INSERT INTO b_keys   ( id, k1, k2, ts )   VALUES ( 2, -5, '', \"2021-12-31 23:59:59\" ) "
        ";\r\n"
        "#---------------------------\r\n# TABLE c_one\r\n#---------------------------\r\n"
        "DROP TABLE IF EXISTS c_one;\r\n"
        "CREATE TABLE c_one(\r\n  id int(11) NOT NULL ,\r\n  v double,\r\n  d date,\r\n"
        "  PRIMARY KEY(id)\r\n ) ENGINE=MyISAM;\r\n\r\n\r\n"
        "#\r\n" +
        cp("# 2 записей.") +
        "\r\n#\r\n\r\n"
        "INSERT INTO c_one   ( id, v, d )   VALUES ( 7, '2.5', \"0000-00-00\" ) ;\r\n"
        "INSERT INTO c_one   ( id, v, d )   VALUES ( 8, NULL, \"2026-02-28\" ) ;\r\n";
    EXPECT_EQ(body(script), expected);
    EXPECT_EQ(progress.operations,
              QStringList({u("Экспорт базы данных в файл"), u("Экспорт базы данных в файл"),
                           u("Экспорт базы данных")}));
    EXPECT_TRUE(progress.finished);
}

// The action: the preset name, a typed extension, a missing directory, the
// reports, and a database without tables.
TEST(DatabaseExport, ActionAsksForTheFileAndReports) {
    TempDatabase db(false);
    QTemporaryDir dir;
    const QString chosen = dir.filePath("new/deeper/backup.txt");
    ScriptedPrompter prompter;
    prompter.fileNames = {std::nullopt, chosen};
    RecordingProgress progress;

    backup::ActionBaseExportExecute(db.connection(), db.name(), prompter, progress);
    ASSERT_EQ(prompter.shown().size(), 1u);  // cancelled: nothing else
    EXPECT_EQ(prompter.shown()[0].caption, u("Экспорт базы данных"));
    EXPECT_EQ(prompter.shown()[0].text,
              db.name() + QDate::currentDate().toString("_yyyy_MM_dd") + ".ARC");
    EXPECT_FALSE(progress.started);

    backup::ActionBaseExportExecute(db.connection(), db.name(), prompter, progress);
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[2].kind, ScriptedPrompter::Kind::Report);
    EXPECT_EQ(prompter.shown()[2].caption, u("Отчет"));
    EXPECT_EQ(prompter.shown()[2].text, u("Экспорт завершен успешно."));
    const QString archive = dir.filePath("new/deeper/backup.ARC");
    EXPECT_FALSE(QFile::exists(dir.filePath("new/deeper/backup.SQL")));
    const QByteArray script = checkedBody(archivedScript(archive));
    const QList<QByteArray> lines = script.split('\n');
    ASSERT_EQ(lines.size(), 13);  // header and database block only, each line ending in CR LF
    EXPECT_EQ(lines[10], "USE " + db.name().toLatin1() + ";\r");
    // The member is named by the script's path as the dialog gave it.
    backup::TArchive arc(archive, false);
    EXPECT_EQ(core::fromCp1251(arc.Entry(0).Name()), dir.filePath("new/deeper/backup.SQL"));
}

// "Прервать" seen before row 300 of a table still writes that row and not
// the next; the archive holds what was written.
TEST(DatabaseExport, AbortAtRow300WritesThatRowOnly) {
    TempDatabase db(false);
    db.exec("create table t (n int)");
    db.exec("insert into t select seq from seq_0_to_999");
    db.exec("create table u (n int)");
    QTemporaryDir dir;
    // Events are processed before the table, before row 0 and before row 300.
    RecordingProgress progress(3);
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("x.ARC"), progress),
              ExportResult::Aborted);
    const QByteArray script = checkedBody(archivedScript(dir.filePath("x.ARC")));
    EXPECT_EQ(script.count("INSERT INTO t "), 301);
    EXPECT_TRUE(script.endsWith("VALUES ( 300 ) ;\r\n"));
    EXPECT_FALSE(script.contains("TABLE u"));
    EXPECT_EQ(backup::exportResultText(ExportResult::Aborted),
              u("Экспорт был прерван пользователем."));
}

// The count line and the rows come from one read of the table: a writer is
// refused while the export reads it (lock_wait_timeout 0: no waiting), and
// gets through between tables and after the export, also an aborted one.
TEST(DatabaseExport, ReadsEachTableUnderAReadLock) {
    TempDatabase db(false);
    db.exec("create table t (n int) engine=MyISAM");
    db.exec("insert into t select seq from seq_1_to_700");
    db.exec("create table u (n int) engine=InnoDB");
    core::Connection writer;
    testing_support::openServer(writer, db.name());
    writer.execute(QByteArray("set session lock_wait_timeout = 0"));

    // At every point where events are processed a writer tries to add a row.
    struct Writing : RecordingProgress {
        using RecordingProgress::RecordingProgress;
        core::Connection* writer = nullptr;
        QStringList outcomes;
        void processEvents() override {
            RecordingProgress::processEvents();
            try {
                writer->execute(QByteArray("insert into t values (0)"));
                outcomes << "in";
            } catch (const core::DbError& e) {
                outcomes << QString::number(e.number());
            }
        }
    };
    QTemporaryDir dir;
    Writing progress;
    progress.writer = &writer;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("l.ARC"), progress),
              ExportResult::Done);
    // Before t, before its rows 0, 300 and 600, before u; then while packing.
    EXPECT_EQ(progress.outcomes.mid(0, 5), QStringList({"in", "1205", "1205", "1205", "in"}));
    EXPECT_FALSE(progress.outcomes.mid(5).contains("1205"));
    const QByteArray script = archivedScript(dir.filePath("l.ARC"));
    EXPECT_TRUE(script.contains(cp("\r\n# 701 записей.\r\n")));
    EXPECT_EQ(script.count("INSERT INTO t "), 701);
    // Nothing stays locked on the export's connection.
    EXPECT_EQ(db.connection().execute(QByteArray("insert into u values (1)")), 1u);

    Writing aborting(2);  // "Прервать" before row 0 of t
    aborting.writer = &writer;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("a.ARC"), aborting),
              ExportResult::Aborted);
    EXPECT_EQ(db.connection().execute(QByteArray("insert into u values (2)")), 1u);
    EXPECT_EQ(writer.execute(QByteArray("insert into t values (0)")), 1u);
}

// Nothing is called a success that is not in the archive.
TEST(DatabaseExport, FailuresLeaveNoArchive) {
    TempDatabase db(false);
    db.exec("create table t (s varchar(200))");
    db.exec("insert into t select repeat('x', 150) from seq_1_to_200");
    QTemporaryDir dir;
    RecordingProgress progress;

    {  // the first line cannot be written: a directory stands in the way
        const QString blocked = dir.filePath("blocked");
        QDir().mkpath(blocked + "/name.SQL");
        ScriptedPrompter prompter;
        prompter.fileNames = {blocked + "/name.ARC"};
        backup::ActionBaseExportExecute(db.connection(), db.name(), prompter, progress);
        ASSERT_EQ(prompter.shown().size(), 2u);
        EXPECT_EQ(prompter.shown()[1].kind, ScriptedPrompter::Kind::Error);
        EXPECT_EQ(prompter.shown()[1].caption, u("Ошибка"));
        EXPECT_EQ(prompter.shown()[1].text, u("Не могу произвести экспорт в указанный файл."));
        EXPECT_FALSE(progress.started);
    }
    {  // a query fails: the partial script stays
        ASSERT_EQ(backup::exportDatabase(db.connection(), "no_such_base_x", dir.filePath("q.ARC"),
                                         progress),
                  ExportResult::Failed);
        EXPECT_FALSE(QFile::exists(dir.filePath("q.ARC")));
        EXPECT_TRUE(testing_support::fileBytes(dir.filePath("q.SQL")).contains("# DATABASE"));
        EXPECT_EQ(backup::exportResultText(ExportResult::Failed),
                  u("Экспорт завершен из-за ошибки."));
    }
    // The disk is full: after 8 KB, or before the first line. No archive,
    // and no partial script left to keep the disk full.
    const struct {
        rlim_t limit;
        ExportResult result;
    } full[] = {{8192, ExportResult::Failed}, {2, ExportResult::CannotWrite}};
    for (const auto& c : full) {
        SCOPED_TRACE(c.limit);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = c.limit;
        setrlimit(RLIMIT_FSIZE, &small);
        const ExportResult r =
            backup::exportDatabase(db.connection(), db.name(), dir.filePath("w.ARC"), progress);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(r, c.result);
        EXPECT_FALSE(QFile::exists(dir.filePath("w.ARC")));
        EXPECT_FALSE(QFile::exists(dir.filePath("w.SQL")));
    }
    {  // the archive cannot be put in place: the script stays, the old file too
        QDir().mkpath(dir.filePath("a.ARC/keep"));
        EXPECT_EQ(
            backup::exportDatabase(db.connection(), db.name(), dir.filePath("a.ARC"), progress),
            ExportResult::Failed);
        EXPECT_TRUE(QFileInfo(dir.filePath("a.ARC/keep")).isDir());
        EXPECT_TRUE(QFile::exists(dir.filePath("a.SQL")));
    }
}
