#include "tests/support/test_server.h"
#include "tools/gen/journal_generator.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using testing_support::TempDatabase;

namespace {

struct GenRun {
    int exitCode;
    QString out, err;
};

GenRun velkorGen(const QStringList& args) {
    QProcess p;
    p.start(QString::fromUtf8(VELKOR_GEN_EXE), args);
    p.waitForFinished(-1);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QStringList serverArgs(const QString& database, const QString& password) {
    return {"--host",     testing_support::serverHost(),
            "--user",     testing_support::serverUser(),
            "--password", password,
            "--database", database};
}

}  // namespace

TEST(VelkorGenCli, WrongUsageShowsUsageAndExits2) {
    const QStringList cases[] = {
        {},
        {"--rows"},
        {"--rows", "ten", "--sql", "x.sql"},
        {"--rows", "-1", "--sql", "x.sql"},
        {"--rows", "5", "--seed", "-3", "--sql", "x.sql"},
        {"--rows", "5"},
        {"--rows", "5", "--sql", "x.sql", "--database", "d", "--host", "h", "--user", "u"},
        {"--rows", "5", "--sql", "x.sql", "--create"},
        {"--rows", "5", "--database", "d"},
        {"--rows", "5", "--sql", "x.sql", "--verbose"},
        {"--rows", "5", "--rows", "6", "--sql", "x.sql"},
    };
    QTemporaryDir dir;
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QString::fromUtf8(VELKOR_GEN_EXE), args);
        p.waitForFinished(-1);
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_TRUE(p.readAllStandardError().contains("Usage:"));
        EXPECT_FALSE(QFile::exists(dir.filePath("x.sql")));
    }
}

TEST(VelkorGenCli, SqlFileHoldsTheGeneratedScript) {
    QTemporaryDir dir;
    const QString file = dir.filePath("journal.sql");
    const GenRun r = velkorGen({"--rows", "250", "--seed", "77", "--sql", file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), testdata::journalSql(250, 77));

    const GenRun bad = velkorGen({"--rows", "5", "--sql", dir.filePath("no/such/dir/x.sql")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("cannot write")) << bad.err.toStdString();
}

TEST(VelkorGenCli, CreatesAndFillsADatabaseAndReportsServerErrors) {
    TempDatabase db(false);  // only for its unique name, dropped again at the end
    db.exec("drop database " + db.name());
    const QString password = testing_support::serverPassword();

    const GenRun made =
        velkorGen(QStringList{"--rows", "120"} << serverArgs(db.name(), password) << "--create");
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    db.exec("use " + db.name());
    auto count = db.connection().query(QByteArray("select count(*), max(Rec_IDN) from doc_list"));
    ASSERT_TRUE(count->next());
    EXPECT_EQ(count->field(0).asInt64(), 120);
    EXPECT_EQ(count->field(1).asInt64(), 120);
    count.reset();

    // Creating over an existing database loses nothing: the server refuses.
    const GenRun again =
        velkorGen(QStringList{"--rows", "5"} << serverArgs(db.name(), password) << "--create");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("database exists")) << again.err.toStdString();

    const GenRun denied = velkorGen(QStringList{"--rows", "5"} << serverArgs(db.name(), "wrong"));
    EXPECT_EQ(denied.exitCode, 1);
    EXPECT_TRUE(denied.err.contains("Access denied")) << denied.err.toStdString();

    // Without --create the rows go into the tables already there; the same
    // seed again collides with its own keys and the server says so.
    const GenRun dup = velkorGen(QStringList{"--rows", "5"} << serverArgs(db.name(), password));
    EXPECT_EQ(dup.exitCode, 1);
    EXPECT_TRUE(dup.err.contains("Duplicate entry")) << dup.err.toStdString();
}
