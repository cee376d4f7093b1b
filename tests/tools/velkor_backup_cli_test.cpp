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
    db.exec("create table t (a int)");
    QTemporaryDir dir;
    const QString password = testing_support::serverPassword();
    {  // a statement fails: the import stops there unless told to go on
        QFile f(dir.filePath("bad.SQL"));
        f.open(QIODevice::WriteOnly);
        f.write("USE " + db.name().toLatin1() +
                ";\r\ninsert into t values (1);\r\ninsert into nowhere values (2);\r\n"
                "insert into t values (3);\r\n");
        f.close();
        backup::TArchive arc(dir.filePath("bad.ARC"), true);
        ASSERT_TRUE(arc.Add(f.fileName(), true) && arc.Rewrite());
    }
    const QStringList import = QStringList{"import"} + server();
    ToolRun r = velkorBackup(import + QStringList{dir.filePath("bad.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Ошибка выполнения скрипта в строке №3.")))
        << r.err.toStdString();
    core::Connection c;
    testing_support::openServer(c, db.name());
    auto count = [&] {
        auto q = c.query(QStringLiteral("select group_concat(a order by a) from t"));
        return q->next() ? q->field(0).asText() : QString();
    };
    EXPECT_EQ(count(), "1");

    db.exec("delete from t");
    r = velkorBackup(import + QStringList{"--ignore-errors", dir.filePath("bad.ARC")}, password);
    EXPECT_EQ(r.exitCode, 1);  // something was not executed
    EXPECT_EQ(count(), "1,3");

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
