// velkor-arc run as administrators run it: real files, Cyrillic names,
// exit codes and messages.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ToolRun {
    int code;
    QString out;
    QString err;
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class VelkorArcTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }

    QString file(const QString& name, const QByteArray& data) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path(name);
    }

    ToolRun arc(const QStringList& args) const {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(VELKOR_ARC), args);
        EXPECT_TRUE(p.waitForFinished(-1));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

}  // namespace

TEST_F(VelkorArcTest, AddListExtractWithCyrillicNames) {
    const QString report = QString::fromUtf8("Звіт за 2024.sql");
    const QByteArray text = "INSERT INTO doc_list VALUES (1, '\xC0\xF0\xF5\xB3\xE2');\r\n";
    file(report, text.repeated(50));
    file("plain.sql", "select 1;");

    ASSERT_EQ(arc({"add", "j.arc", report}).code, 0);  // created here
    ASSERT_EQ(arc({"add", "j.arc", path("plain.sql"), "--name-only"}).code, 0);

    const ToolRun listed = arc({"list", "j.arc"});
    ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
    const QByteArray stored = readFile(path("j.arc"));
    const QStringList lines = listed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("0\t" + report + "\t")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("\t" + QString::number(text.size() * 50)));
    EXPECT_TRUE(lines[1].startsWith("1\tplain.sql\t") && lines[1].endsWith("\t9"));
    // In the file the name is Windows-1251.
    EXPECT_EQ(stored.mid(4, 16), QByteArray("\xC7\xE2\xB3\xF2 \xE7\xE0 2024.sql"));

    EXPECT_EQ(arc({"extract", "j.arc", "first.out"}).code, 0);
    EXPECT_EQ(readFile(path("first.out")), text.repeated(50));
    EXPECT_EQ(arc({"extract", "j.arc", "second.out", "plain.sql"}).code, 0);
    EXPECT_EQ(readFile(path("second.out")), "select 1;");
    EXPECT_EQ(arc({"extract", "j.arc", "named.out", report}).code, 0);
    EXPECT_EQ(readFile(path("named.out")), text.repeated(50));
}

TEST_F(VelkorArcTest, PackAndUnpackBareStreams) {
    file("abc", "abc");
    ASSERT_EQ(arc({"pack", "abc", "abc.lz"}).code, 0);
    EXPECT_EQ(readFile(path("abc.lz")), QByteArray::fromHex("03000000F6FBBDE0"));
    ASSERT_EQ(arc({"unpack", "abc.lz", "abc.back"}).code, 0);
    EXPECT_EQ(readFile(path("abc.back")), "abc");
}

TEST_F(VelkorArcTest, FailuresPrintTheMessageAndExitOne) {
    file("empty", "");
    file("x", "xyz");
    file("header", QByteArray::fromHex("FFFF0000"));
    file("none.arc", QByteArray::fromHex("00000000"));
    ASSERT_EQ(arc({"add", "x.arc", "x"}).code, 0);
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"list", "missing.arc"}, "Can't open file!"},
        {{"extract", "x.arc", "out", QString::fromUtf8("Нема")}, "Can't find this name: 'Нема'."},
        {{"add", "x.arc", "missing"}, nullptr},  // names the path
        {{"add", "x.arc", "empty"}, "Error on packing archive!"},
        {{"pack", "empty", "out"}, "Bad constructor argument!"},
        {{"unpack", "x", "out"}, "Stream too short!"},
        {{"unpack", "header", "out"}, "out of memory!"},
        {{"extract", "none.arc", "out"}, "The archive has no members."},
        {{"add", "header", "x"}, "Invalid record count in archive!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun r = arc(c.args);
        EXPECT_EQ(r.code, 1);
        if (c.message)
            EXPECT_EQ(r.err, "velkor-arc: " + QString::fromUtf8(c.message) + "\n");
        else
            EXPECT_EQ(r.err, "velkor-arc: Can't open file 'missing' to add!\n");
    }
    // An archive that cannot be read is not replaced by one of the new file.
    EXPECT_EQ(readFile(path("header")), QByteArray::fromHex("FFFF0000"));
}

TEST_F(VelkorArcTest, WrongUsagePrintsTheUsageAndExitsTwo) {
    const QStringList cases[] = {
        {},
        {"help"},
        {"list"},
        {"list", "a", "b"},
        {"add", "a.arc", "f", "--name"},
        {"extract", "a.arc"},
        {"pack", "in"},
        {"unpack", "in", "out", "more"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ToolRun r = arc(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.startsWith("Usage:\n"));
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(VelkorArcTest, ListWritesControlCharactersOut) {
    // A member named with an escape sequence and a line break, as a damaged
    // or hostile archive may have it.
    const QString name = QString::fromUtf8("a\x1b[2Jb\r\nc.sql");
    file(name, "select 1;");
    ASSERT_EQ(arc({"add", "j.arc", path(name), "--name-only"}).code, 0);
    const ToolRun listed = arc({"list", "j.arc"});
    ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith(QString::fromUtf8("0\ta\\x1b[2Jb\\r\\nc.sql\t")))
        << listed.out.toStdString();
    EXPECT_EQ(listed.out.count('\n'), 1);
    EXPECT_FALSE(listed.out.contains(QChar(0x1b)));
}

TEST_F(VelkorArcTest, RunsAloneInAFolderOfItsOwn) {
    // Administrators copy the one program where they need it: every command
    // must work with nothing beside it.
    const QString alone = path("velkor-arc");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELKOR_ARC), alone));
    file("t.sql", "select 1;");
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(alone, args);
        EXPECT_TRUE(p.waitForFinished(-1));
        EXPECT_EQ(p.readAllStandardError(), QByteArray()) << args.join(' ').toStdString();
        return std::pair(p.exitCode(), p.readAllStandardOutput());
    };
    EXPECT_EQ(run({"add", "t.arc", "t.sql"}).first, 0);
    EXPECT_EQ(run({"list", "t.arc"}),
              std::pair(0, QByteArray("0\tt.sql\t" +
                                      QByteArray::number(readFile(path("t.arc")).size() - 112) +
                                      "\t9\n")));
    EXPECT_EQ(run({"extract", "t.arc", "t.out"}).first, 0);
    EXPECT_EQ(readFile(path("t.out")), "select 1;");
    EXPECT_EQ(run({"pack", "t.sql", "t.lz"}).first, 0);
    EXPECT_EQ(run({"unpack", "t.lz", "t.back"}).first, 0);
    EXPECT_EQ(readFile(path("t.back")), "select 1;");
}
