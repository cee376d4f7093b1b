#include "backup/database_export.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QTemporaryDir>

using testing_support::archivedScript;
using testing_support::TempDatabase;

namespace {

struct ToolRun {
    int exitCode;
    QString err;
};

ToolRun velkorBackup(const QStringList& args, const QString& password,
                     const QByteArray& input = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("VELKOR_PASSWORD");
    if (!password.isNull()) env.insert("VELKOR_PASSWORD", password);
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(VELKOR_BACKUP_EXE), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

QStringList server() {
    return {"--host", testing_support::serverHost(), "--user", testing_support::serverUser()};
}

QString checksum(const QString& database) {
    core::Connection c;
    testing_support::openServer(c, database);
    auto r = c.query(QStringLiteral("checksum table t"));
    return r->next() ? r->field(1).asText() : QString();
}

// The script without its date line.
QByteArray undated(const QByteArray& script) {
    QList<QByteArray> lines = script.split('\n');
    lines.removeAt(2);
    return lines.join('\n');
}

}  // namespace

TEST(VelkorBackupCli, WrongUsageExits2) {
    const QStringList cases[] = {
        {},
        {"export"},
        {"export", "--host", "h", "--user", "u", "out.ARC"},  // no database
        {"import", "--host", "h", "--user", "u"},             // no archive
        {"import", "--host", "h", "--user", "u", "--database", "d", "a.ARC"},
        {"export", "--host", "h", "--user", "u", "--database", "d", "--ignore-errors", "o"},
        {"backup", "--host", "h", "--user", "u", "a.ARC"},
        {"export", "--host", "h", "--user", "u", "--database", "d", "--password", "p", "o"},
        {"verify", "--host", "h", "--user", "u", "a.ARC"},            // no database
        {"verify", "--host", "h", "--user", "u", "--database", "d"},  // no archive
        {"verify", "--host", "h", "--user", "u", "--database", "d", "--ignore-errors", "a.ARC"},
        {"verify", "--host", "h", "--user", "u", "--database", "d", "--verify", "a.ARC"},
        {"import", "--host", "h", "--user", "u", "--verify", "a.ARC"},
    };
    for (const QStringList& args : cases) {
        const ToolRun r = velkorBackup(args, "x");
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("Usage:")) << r.err.toStdString();
    }
}

// The tool writes the archive the window writes, and restores it.
TEST(VelkorBackupCli, ExportsAndImportsTheSameArchiveAsTheWindow) {
    TempDatabase db(false);
    db.exec("create table t (id int not null primary key, s varchar(20)) engine=InnoDB");
    db.exec(QString::fromUtf8("insert into t values (1, 'Львів'), (2, 'a\\nb'), (3, null)"));
    const QString before = checksum(db.name());
    QTemporaryDir dir;
    const QString password = testing_support::serverPassword();

    const ToolRun out =
        velkorBackup(QStringList{"export"} + server() +
                         QStringList{"--database", db.name(), dir.filePath("cli.arc")},
                     password);
    EXPECT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_TRUE(out.err.contains(QString::fromUtf8("Экспорт завершен успешно.")));
    testing_support::RecordingProgress progress;
    ASSERT_EQ(
        backup::exportDatabase(db.connection(), db.name(), dir.filePath("window.ARC"), progress),
        backup::ExportResult::Done);
    const QByteArray cli = archivedScript(dir.filePath("cli.ARC"));
    ASSERT_FALSE(cli.isEmpty());
    EXPECT_EQ(undated(cli), undated(archivedScript(dir.filePath("window.ARC"))));

    db.exec("delete from t");
    // No variable: the password is read from standard input.
    const ToolRun in =
        velkorBackup(QStringList{"import"} + server() + QStringList{dir.filePath("window.ARC")},
                     QString(), password.toLocal8Bit() + "\n");
    EXPECT_EQ(in.exitCode, 0) << in.err.toStdString();
    EXPECT_EQ(checksum(db.name()), before);
}

TEST(VelkorBackupCli, FailuresExitNonZero) {
    TempDatabase db(false);
    db.exec("create table t (id int not null primary key, s varchar(40))");
    db.exec("insert into t values (7, 'kept')");
    QTemporaryDir dir;
    const QString password = testing_support::serverPassword();
    // The second row goes to a table that does not exist (line 29).
    testing_support::writeArchive(
        dir.filePath("bad.ARC"),
        testing_support::sealed(testing_support::exportLayout(db.name().toLatin1(), {{"t", 3, 3}})
                                    .replace("INSERT INTO t   ( id, s )   VALUES ( 2,",
                                             "INSERT INTO nowhere   ( id, s )   VALUES ( 2,")));
    const QStringList import = QStringList{"import"} + server();
    ToolRun r = velkorBackup(import + QStringList{dir.filePath("bad.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Ошибка выполнения скрипта в строке №29.")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Импорт данных не завершен.")));
    core::Connection c;
    testing_support::openServer(c, db.name());
    auto ids = [&] {
        auto q = c.query(QStringLiteral("select group_concat(id order by id) from t"));
        return q->next() ? q->field(0).asText() : QString();
    };
    EXPECT_EQ(ids(), "7");  // stopped there: the database as it was

    r = velkorBackup(import + QStringList{"--ignore-errors", dir.filePath("bad.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);  // something was not executed
    c.open();
    EXPECT_EQ(ids(), "1,3");

    // Count lines that disagree with the rows: refused unless told to go on.
    testing_support::writeArchive(
        dir.filePath("short.ARC"),
        testing_support::exportLayout(db.name().toLatin1(), {{"t", 1, 2}}));
    r = velkorBackup(import + QStringList{dir.filePath("short.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("таблица t: указано 2, в файле 1")))
        << r.err.toStdString();
    c.open();
    EXPECT_EQ(ids(), "1,3");
    r = velkorBackup(import + QStringList{"--ignore-errors", dir.filePath("short.ARC")}, password);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    c.open();
    EXPECT_EQ(ids(), "1");

    r = velkorBackup(import + QStringList{dir.filePath("missing.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);
    r = velkorBackup(QStringList{"export"} + server() +
                         QStringList{"--database", db.name(), dir.filePath("x.ARC")},
                     "wrong password");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.ARC")));

    // An export that fails names no archive, as none was written.
    db.exec("create table `semi;colon` (a int)");
    r = velkorBackup(QStringList{"export"} + server() +
                         QStringList{"--database", db.name(), dir.filePath("y.ARC")},
                     password);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.contains(QString::fromUtf8("velkor-backup: Экспорт завершен из-за ошибки.\n")))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("y.ARC")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("y.ARC")));
}

// With --ignore-errors a lost connection is no statement to go on past: the
// run ends at once, fails, and the database stays as it was.
TEST(VelkorBackupCli, LostConnectionEndsTheImportEvenWithIgnoreErrors) {
    TempDatabase db(false);
    db.exec("create table t (id int not null primary key, s varchar(40))");
    db.exec("insert into t select seq, concat('row ', seq) from seq_1_to_40000");
    QTemporaryDir dir;
    testing_support::RecordingProgress progress;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("big.ARC"), progress),
              backup::ExportResult::Done);
    db.exec("delete from t where id > 5");
    const QString before = checksum(db.name());

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELKOR_PASSWORD", testing_support::serverPassword());
    p.setProcessEnvironment(env);
    p.start(
        QString::fromUtf8(VELKOR_BACKUP_EXE),
        QStringList{"import"} + server() + QStringList{"--ignore-errors", dir.filePath("big.ARC")});
    // Its script connection works in the staging database: kill it there.
    core::Connection admin;
    testing_support::openServer(admin);
    bool killed = false;
    while (!killed && !p.waitForFinished(5)) {
        auto r = admin.query("select ID from information_schema.PROCESSLIST where DB like '" +
                             db.name() + "\\_imp%'");
        if (!r->next()) continue;
        const QString id = r->field(0).asText();
        r.reset();
        try {
            admin.execute("kill connection " + id);
            killed = true;
        } catch (const core::DbError& e) {
            // The connection ended between the look and the kill ("Unknown
            // thread id"): look again while the import runs.
            if (e.number() != 1094) throw;
        }
    }
    p.waitForFinished(-1);
    ASSERT_TRUE(killed) << "the import ended before it could be killed";
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromUtf8("Импорт данных не завершен."))) << err.toStdString();
    EXPECT_FALSE(err.contains(QString::fromUtf8("Ошибка выполнения скрипта в строке")))
        << err.toStdString();
    EXPECT_EQ(checksum(db.name()), before);
    auto left = admin.query("show databases like '" + db.name() + "\\_imp%'");
    EXPECT_FALSE(left->next());
}

// An account that may not create the staging database: refused unless
// --direct says to run the script straight into the database.
TEST(VelkorBackupCli, RunStraightIntoTheDatabaseOnlyWithDirect) {
    TempDatabase db(false);
    db.exec("create table keep (a int)");
    const testing_support::DatabaseOnlyAccount account(db, "_c", "pw-c");
    QTemporaryDir dir;
    testing_support::writeArchive(dir.filePath("d.ARC"),
                                  testing_support::sealed(testing_support::exportLayout(
                                      db.name().toLatin1(), {{"t", 2, 2}})));
    const QStringList import{"import", "--host", testing_support::serverHost(), "--user",
                             account.user()};
    auto tables = [&] {
        core::Connection c;
        testing_support::openServer(c, db.name());
        auto q = c.query(
            "select group_concat(TABLE_NAME) from information_schema.TABLES"
            " where TABLE_SCHEMA = '" +
            db.name() + "'");
        return q->next() ? q->field(0).asText() : QString();
    };

    ToolRun r = velkorBackup(import + QStringList{dir.filePath("d.ARC")}, account.password());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(
        r.err.contains(QString::fromUtf8("Нет прав на создание промежуточной базы данных.")))
        << r.err.toStdString();
    EXPECT_EQ(tables(), "keep");
    r = velkorBackup(import + QStringList{"--direct", dir.filePath("d.ARC")}, account.password());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(tables(), "t");
}

namespace {

QStringList scratches(const QString& archiveDatabase) {
    core::Connection c;
    testing_support::openServer(c);
    QStringList names;
    auto r = c.query("show databases like '" + QString(archiveDatabase).replace('_', "\\_") +
                     "\\_vfy%'");
    while (r->next()) names << r->field(0).asText();
    return names;
}

}  // namespace

// export --verify and verify: equal is 0; a changed row, a dropped and an
// added table are one line each on standard error and 1; a damaged archive
// is 1. No scratch database stays, and the database is left as it is.
TEST(VelkorBackupCli, VerifyPrintsWhatDiffersAndExitsNonZero) {
    TempDatabase db(false);
    db.exec("create table t (id int not null primary key, s varchar(20)) engine=InnoDB");
    db.exec(QString::fromUtf8("insert into t values (1, 'Львів'), (2, 'Київ'), (3, null)"));
    db.exec("create table u (a int)");
    QTemporaryDir dir;
    const QString password = testing_support::serverPassword();
    const QString archive = dir.filePath("v.ARC");
    const QStringList database{"--database", db.name()};
    const QString equal = "velkor-backup: The archive restores " + db.name() +
                          " exactly: 2 tables equal by row count and CHECKSUM TABLE.\n";

    ToolRun r = velkorBackup(
        QStringList{"export", "--verify"} + server() + database + QStringList{archive}, password);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Экспорт завершен успешно. ") + archive))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(equal)) << r.err.toStdString();

    const QStringList verify = QStringList{"verify", archive} + server() + database;
    r = velkorBackup(verify, password);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(equal)) << r.err.toStdString();

    db.exec(QString::fromUtf8("update t set s = 'Ужгород' where id = 2"));
    db.exec("drop table u");
    db.exec("create table w (a int)");
    const QString before = checksum(db.name());
    r = velkorBackup(verify, password);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    const QStringList lines = r.err.split('\n').filter("velkor-backup: table ");
    ASSERT_EQ(lines.size(), 3) << r.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith("velkor-backup: table t: CHECKSUM TABLE "))
        << r.err.toStdString();
    EXPECT_TRUE(lines[0].endsWith(" in the archive (3 rows each)")) << r.err.toStdString();
    EXPECT_EQ(lines[1], "velkor-backup: table u: only in the archive");
    EXPECT_EQ(lines[2], "velkor-backup: table w: only in the database");
    EXPECT_TRUE(r.err.endsWith("velkor-backup: The archive differs from " + db.name() +
                               " in 3 of 3 tables.\n"))
        << r.err.toStdString();
    EXPECT_EQ(checksum(db.name()), before);

    QByteArray bytes = testing_support::fileBytes(archive);
    bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 0x01);
    testing_support::putFile(dir.filePath("damaged.ARC"), bytes);
    r = velkorBackup(QStringList{"verify", dir.filePath("damaged.ARC")} + server() + database,
                     password);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(
        r.err.contains(QString::fromUtf8("Выбранный для импорта файл недоступен или поврежден.")))
        << r.err.toStdString();
    EXPECT_EQ(checksum(db.name()), before);
    EXPECT_TRUE(scratches(db.name()).isEmpty());

    // An export that fails is not verified.
    db.exec("create table `semi;colon` (a int)");
    r = velkorBackup(QStringList{"export", "--verify"} + server() + database +
                         QStringList{dir.filePath("bad.ARC")},
                     password);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.contains("The archive")) << r.err.toStdString();
}
