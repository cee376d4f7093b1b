// The archive container: the file layout byte for byte, the refusals of
// damaged files, and Add/Find/Extract/Rewrite on real files.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>

#include "backup/archive.h"
#include "core/codepage.h"

using backup::TArchive;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); }

QByteArray record(const QByteArray& name, int index) {
    return name + QByteArray(102 - name.size(), '\0') + le16(index);
}

// The one-member archive of a file holding "a" under the name x.
const QByteArray kBlockOfA =
    hex("06000000"
        "01000000F680");

// Makes writes past `bytes` fail (EFBIG) while it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = std::min(old_.rlim_max, bytes);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }

  private:
    rlimit old_{};
    void (*handler_)(int);
};

class ArchiveTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString file(const QString& name, const QByteArray& data) const {
        writeFile(path(name), data);
        return path(name);
    }
};

}  // namespace

TEST_F(ArchiveTest, OneMemberArchiveIsExact) {
    file("x", "a");
    TArchive arc(path("new.arc"), true);
    ASSERT_TRUE(arc.IsValid());
    EXPECT_EQ(arc.Count(), 0);
    EXPECT_EQ(arc.Capacity(), 10);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool added = arc.Add("x", false);
    QDir::setCurrent(cwd);
    ASSERT_TRUE(added) << arc.ErrorText().toStdString();
    ASSERT_TRUE(arc.Rewrite());

    const QByteArray expected = hex("0100"
                                    "0000") +
                                record("x", 0) + kBlockOfA;
    ASSERT_EQ(expected.size(), 118);
    EXPECT_EQ(readFile(path("new.arc")), expected);

    TArchive back(path("new.arc"), false);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Entry(0).Name(), "x");
    EXPECT_EQ(back.Entry(0).index, 0);
    ASSERT_TRUE(back.Extract("x", path("out")));
    EXPECT_EQ(readFile(path("out")), "a");
}

TEST_F(ArchiveTest, ReadingAcceptsAndRefuses) {
    QByteArray full32000 = le16(32000) + le16(0);
    for (int i = 0; i < 32000; ++i) full32000 += record("m", i);
    for (int i = 0; i < 32000; ++i) full32000 += kBlockOfA;
    const QByteArray oneMember = le16(1) + le16(7) + record("x", 0) + kBlockOfA;

    const struct {
        const char* name;
        QByteArray file;
        const char* error;  // nullptr: valid
        int count;
    } cases[] = {
        {"header only", hex("00000000"), nullptr, 0},
        {"32000 members", full32000, nullptr, 32000},
        {"count 32001", le16(32001) + le16(0), "Invalid record count in archive!", 0},
        {"negative count", le16(-1) + le16(0), "Invalid record count in archive!", 0},
        {"stored length 3", le16(1) + le16(0) + record("x", 0) + hex("03000000010000"),
         "Invalid record length!", 0},
        {"empty file", QByteArray(), "Unexpected end of archive!", 0},
        {"ends in the header", hex("0100"), "Unexpected end of archive!", 0},
        {"ends in the directory", oneMember.left(50), "Unexpected end of archive!", 0},
        {"ends in a stored length", oneMember.left(4 + 104 + 2), "Unexpected end of archive!", 0},
        {"ends in a member", oneMember.chopped(1), "Unexpected end of archive!", 0},
        {"length beyond the file", le16(1) + le16(0) + record("x", 0) + hex("FFFFFFFF0100"),
         "Unexpected end of archive!", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TArchive arc(file("in.arc", c.file), false);
        if (c.error) {
            EXPECT_FALSE(arc.IsValid());
            EXPECT_EQ(arc.ErrorText(), c.error);
        } else {
            EXPECT_TRUE(arc.IsValid()) << arc.ErrorText().toStdString();
            EXPECT_EQ(arc.Count(), c.count);
            EXPECT_EQ(arc.Capacity(), c.count + 10);
        }
    }

    // The readers stop at 32000 members, so Add stops there too.
    writeFile(path("in.arc"), full32000);
    TArchive atLimit(path("in.arc"), false);
    ASSERT_EQ(atLimit.Count(), 32000);
    EXPECT_FALSE(atLimit.Add(file("one", "1"), true));
    EXPECT_EQ(atLimit.ErrorText(), "Too many records in archive!");
    EXPECT_EQ(atLimit.Count(), 32000);

    TArchive missing(path("missing.arc"), false);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_EQ(missing.ErrorText(), "Can't open file!");
}

TEST_F(ArchiveTest, RewriteKeepsWhatWasRead) {
    // Volume number, reserved bytes and junk after a name's terminator all
    // survive a read and a rewrite; Add appends behind them.
    QByteArray rec = record("old", 5);
    rec[10] = 'j';
    rec[101] = 'r';
    const QByteArray original = le16(1) + le16(3) + rec + kBlockOfA;
    TArchive arc(file("kept.arc", original), false);
    ASSERT_TRUE(arc.IsValid());
    EXPECT_EQ(arc.VolumeNumber(), 3);
    EXPECT_EQ(arc.Entry(0).Name(), "old");
    ASSERT_TRUE(arc.Add(file("b", "b"), true));
    ASSERT_TRUE(arc.Rewrite());
    const QByteArray written = readFile(path("kept.arc"));
    EXPECT_EQ(written.left(4), le16(2) + le16(3));
    EXPECT_EQ(written.mid(4, 104), rec);
    EXPECT_EQ(written.mid(108, 104), record("b", 1));
    EXPECT_EQ(written.mid(212, kBlockOfA.size()), kBlockOfA);
}

TEST_F(ArchiveTest, AddRefusesMissingAndEmptyFiles) {
    TArchive arc(path("a.arc"), true);
    const QString missing = path("missing.txt");
    EXPECT_FALSE(arc.Add(missing, false));
    EXPECT_EQ(arc.ErrorText(), "Can't open file '" + missing + "' to add!");
    EXPECT_FALSE(arc.Add(file("empty", ""), false));
    EXPECT_EQ(arc.ErrorText(), "Error on packing archive!");
    EXPECT_EQ(arc.Count(), 0);
    EXPECT_TRUE(arc.IsValid());
    EXPECT_FALSE(QFile::exists(path("a.arc")));  // nothing before Rewrite
}

TEST_F(ArchiveTest, EleventhAddGrowsTheTables) {
    TArchive arc(path("g.arc"), true);
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(arc.Add(file(QString("f%1").arg(i), QByteArray(100 + i, char('a' + i))), true));
        EXPECT_EQ(arc.Capacity(), i < 10 ? 10 : 20);
    }
    ASSERT_TRUE(arc.Rewrite());
    TArchive back(path("g.arc"), false);
    ASSERT_EQ(back.Count(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(back.Entry(i).Name(), QString("f%1").arg(i).toLatin1());
        EXPECT_EQ(back.Entry(i).index, i);
        ASSERT_TRUE(back.Extract(back.Entry(i).Name(), path("out")));
        EXPECT_EQ(readFile(path("out")), QByteArray(100 + i, char('a' + i)));
    }
}

TEST_F(ArchiveTest, NamesAreStoredAsGivenAndFoundExactly) {
    TArchive arc(path("n.arc"), true);
    // The same file twice: two members of one name, Find gives the first.
    const QString script = file("script.SQL", "select 1;");
    ASSERT_TRUE(arc.Add(script, true));
    ASSERT_TRUE(arc.Add(script, true));
    EXPECT_EQ(arc.Entry(1).Name(), "script.SQL");
    EXPECT_EQ(arc.Find("script.SQL"), 0);
    EXPECT_EQ(arc.Find("SCRIPT.SQL"), -1);

    // The path as passed, in Windows-1251, cut to 100 bytes.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QString(120, QChar(0x0416))));
    const QString longPath = file(QString(120, QChar(0x0416)) + "/f.sql", "x");
    ASSERT_GE(longPath.size(), 130);
    ASSERT_TRUE(arc.Add(longPath, false));
    const QByteArray stored = core::toCp1251(longPath);
    EXPECT_EQ(arc.Entry(2).Name(), stored.left(100));
    EXPECT_EQ(arc.Find(stored.left(100)), 2);
    EXPECT_EQ(arc.Find(stored), -1);

    const QString cyrillic = file(QString::fromUtf8("Звіт.sql"), "y");
    ASSERT_TRUE(arc.Add(cyrillic, false));
    EXPECT_EQ(arc.Entry(3).Name(), core::toCp1251(cyrillic));
    ASSERT_TRUE(arc.Add(cyrillic, true));
    EXPECT_EQ(arc.Entry(4).Name(), QByteArray("\xC7\xE2\xB3\xF2.sql"));
}

TEST_F(ArchiveTest, ExtractFailures) {
    TArchive arc(path("e.arc"), true);
    ASSERT_TRUE(arc.Add(file("x", "data"), true));
    const QByteArray name = core::toCp1251(QString::fromUtf8("Звіт"));

    EXPECT_FALSE(arc.Extract(name, path("out")));
    EXPECT_EQ(arc.ErrorText(), QString::fromUtf8("Can't find this name: 'Звіт'.\n\r"));
    EXPECT_TRUE(QFile::exists(path("out")));
    EXPECT_EQ(readFile(path("out")), "");

    EXPECT_FALSE(arc.Extract("x", path("no/such/dir/out")));
    EXPECT_EQ(arc.ErrorText(), "Can't create output file! (x)\n\r");

    // A member whose stream announces more than it holds.
    QByteArray damaged = le16(1) + le16(0) + record("bad", 0) +
                         hex("06000000"
                             "FF000000F680");
    TArchive bad(file("bad.arc", damaged), false);
    ASSERT_TRUE(bad.IsValid());
    writeFile(path("out2"), "old");
    EXPECT_FALSE(bad.Extract("bad", path("out2")));
    EXPECT_EQ(bad.ErrorText(), "Error on unpacking from archive!");
    EXPECT_EQ(readFile(path("out2")), "");

    // A full disk is a failure, not a finished extraction.
    ASSERT_TRUE(arc.Add(file("big", QByteArray(50000, 'b')), true));
    bool extracted;
    {
        FileSizeLimit limit(1000);
        extracted = arc.Extract("big", path("out3"));
    }
    EXPECT_FALSE(extracted);
    EXPECT_EQ(arc.ErrorText(), "Can't write output file! (big)\n\r");
}

TEST_F(ArchiveTest, ExtractWithoutPathUsesTheMemberName) {
    TArchive arc(path("w.arc"), true);
    ASSERT_TRUE(arc.Add(file(QString::fromUtf8("Звіт.sql"), "report"), true));
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    QDir::setCurrent(path("sub"));
    const bool done = arc.Extract(arc.Entry(0).Name());
    QDir::setCurrent(cwd);
    ASSERT_TRUE(done) << arc.ErrorText().toStdString();
    EXPECT_EQ(readFile(path(QString::fromUtf8("sub/Звіт.sql"))), "report");
}

TEST_F(ArchiveTest, RewriteFailureKeepsTheOldFile) {
    TArchive arc(path("no/such/dir/r.arc"), true);
    ASSERT_TRUE(arc.IsValid());
    EXPECT_FALSE(arc.Rewrite());
    EXPECT_EQ(arc.ErrorText(), "Can't re-write file!");

    // A write that fails after the file was opened: the file size limit
    // refuses the bytes, and the archive on disk stays as it was.
    TArchive kept(path("k.arc"), true);
    ASSERT_TRUE(kept.Add(file("big", QByteArray(20000, 'z') + "tail"), true));
    ASSERT_TRUE(kept.Rewrite());
    const QByteArray before = readFile(path("k.arc"));
    ASSERT_TRUE(kept.Add(file("more", QByteArray(200000, 'q')), true));
    bool rewritten;
    {
        FileSizeLimit limit(before.size() + 16);
        rewritten = kept.Rewrite();
    }
    EXPECT_FALSE(rewritten);
    EXPECT_EQ(kept.ErrorText(), "Can't re-write file!");
    EXPECT_EQ(readFile(path("k.arc")), before);
}

TEST_F(ArchiveTest, RewriteReplacesTheFileItWasReadFrom) {
    // The archive keeps its permissions, a link to it stays a link, and no
    // copy is left beside it, after a rewrite that went through and after
    // one that failed.
    TArchive first(path("real.arc"), true);
    ASSERT_TRUE(first.Add(file("a", "aaaa"), true));
    ASSERT_TRUE(first.Rewrite());
    ASSERT_TRUE(QFile::setPermissions(path("real.arc"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link("real.arc", path("link.arc")));

    TArchive viaLink(path("link.arc"), false);
    ASSERT_TRUE(viaLink.IsValid());
    ASSERT_TRUE(viaLink.Add(file("b", "bbbb"), true));
    ASSERT_TRUE(viaLink.Rewrite()) << viaLink.ErrorText().toStdString();
    EXPECT_TRUE(QFileInfo(path("link.arc")).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path("real.arc")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    const TArchive back(path("real.arc"), false);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Entry(1).Name(), "b");

    const QByteArray before = readFile(path("real.arc"));
    ASSERT_TRUE(viaLink.Add(file("more", QByteArray(200000, 'q')), true));
    {
        FileSizeLimit limit(before.size() + 16);
        EXPECT_FALSE(viaLink.Rewrite());
    }
    EXPECT_EQ(readFile(path("real.arc")), before);
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::System);
    names.sort();
    EXPECT_EQ(names, QStringList({"a", "b", "link.arc", "more", "real.arc"}));
}
