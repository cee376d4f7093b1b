#include "backup/archive.h"
#include "backup/lz_arc.h"
#include "core/codepage.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstring>

using backup::TLzArc;

namespace {

struct Memory {
    QByteArray data;
    qsizetype pos = 0;
    qsizetype failAt = -1;  // the sink refuses once this much was written
};

const TLzArc::Source kSource{nullptr, [](void* c, unsigned char* buffer, std::int64_t size) {
                                 auto* m = static_cast<Memory*>(c);
                                 const qsizetype n =
                                     std::min<qsizetype>(size, m->data.size() - m->pos);
                                 std::memcpy(buffer, m->data.constData() + m->pos, size_t(n));
                                 m->pos += n;
                                 return std::int64_t(n);
                             }};
const TLzArc::Sink kSink{nullptr, [](void* c, const unsigned char* data, std::int64_t size) {
                             auto* m = static_cast<Memory*>(c);
                             if (m->failAt >= 0 && m->data.size() + size > m->failAt) return false;
                             m->data.append(reinterpret_cast<const char*>(data), qsizetype(size));
                             return true;
                         }};

QByteArray packInMemory(const QByteArray& text) {
    TLzArc z(reinterpret_cast<const unsigned char*>(text.constData()), std::int32_t(text.size()));
    z.Pack();
    EXPECT_TRUE(z.IsOk());
    return QByteArray(reinterpret_cast<const char*>(z.Output()), qsizetype(z.CodeLength()) + 4);
}

}  // namespace

// The streams are the same bit for bit as the in-memory codec's, across the
// chunk borders of the input and of the unpacked text.
TEST(LzStream, PacksAndUnpacksLikeTheInMemoryCodec) {
    QByteArray sql;
    for (int i = 0; sql.size() < 3 * TLzArc::kUnpackChunk; ++i)
        sql += "INSERT INTO t   ( a, b )   VALUES ( " + QByteArray::number(i * 7919 % 100003) +
               ", \"text\\r\\n\" ) ;\r\n";
    QByteArray noise(300 * 1024, '\0');
    QRandomGenerator gen(5);
    for (char& c : noise) c = char(gen.bounded(256));
    const QByteArray inputs[] = {"a", QByteArray(TLzArc::kStreamChunk + 1, ' '), sql,
                                 noise.left(2000) + sql.left(500000)};
    for (const QByteArray& text : inputs) {
        Memory in{text}, packed;
        TLzArc pack({&in, kSource.read}, {&packed, kSink.write});
        pack.PackStream(std::uint32_t(text.size()));
        ASSERT_TRUE(pack.IsOk()) << text.size();
        EXPECT_EQ(packed.data, packInMemory(text)) << text.size();

        Memory stream{packed.data}, unpacked;
        TLzArc unpack({&stream, kSource.read}, {&unpacked, kSink.write});
        unpack.UnpackStream(std::uint64_t(packed.data.size()));
        ASSERT_TRUE(unpack.IsOk()) << text.size();
        EXPECT_EQ(unpacked.data, text) << text.size();
    }
}

TEST(LzStream, FailuresAreReported) {
    const QByteArray text(200000, 'x');
    {  // the source gives less than was announced
        Memory in{text}, out;
        TLzArc z({&in, kSource.read}, {&out, kSink.write});
        z.PackStream(std::uint32_t(text.size() + 1));
        EXPECT_FALSE(z.IsOk());
    }
    {  // the sink refuses
        Memory in{text}, out;
        out.failAt = 10;
        TLzArc z({&in, kSource.read}, {&out, kSink.write});
        z.PackStream(std::uint32_t(text.size()));
        EXPECT_FALSE(z.IsOk());
    }
    {  // random bytes do not compress: Pack gives up
        QByteArray noise(100000, '\0');
        QRandomGenerator gen(9);
        for (char& c : noise) c = char(gen.bounded(256));
        Memory in{noise}, out;
        TLzArc z({&in, kSource.read}, {&out, kSink.write});
        z.PackStream(std::uint32_t(noise.size()));
        EXPECT_FALSE(z.IsOk());
        EXPECT_EQ(z.Message(), "\nCan't write.\n");
    }
    {  // a stream cut short
        Memory in{text}, packed;
        TLzArc pack({&in, kSource.read}, {&packed, kSink.write});
        pack.PackStream(std::uint32_t(text.size()));
        Memory cut{packed.data.left(packed.data.size() / 2)}, out;
        TLzArc z({&cut, kSource.read}, {&out, kSink.write});
        z.UnpackStream(std::uint64_t(cut.data.size()));
        EXPECT_TRUE(!z.IsOk() || out.data != text);
    }
}

// The export's streamed archive is the archive the container writes.
TEST(ArchiveOfOne, SameBytesAsTheContainerWrites) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QString::fromUtf8("сценарий.SQL"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 3000; ++i)
        f.write("INSERT INTO t   ( a )   VALUES ( " + QByteArray::number(i) + " ) ;\r\n");
    f.close();
    for (const bool nameOnly : {false, true}) {
        {
            backup::TArchive arc(dir.filePath("a.ARC"), true);
            ASSERT_TRUE(arc.Add(file, nameOnly) && arc.Rewrite());
        }
        ASSERT_TRUE(backup::WriteSingleMemberArchive(dir.filePath("b.ARC"), file, nameOnly));
        QFile a(dir.filePath("a.ARC")), b(dir.filePath("b.ARC"));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << nameOnly;
        QFile::remove(a.fileName());
    }
    EXPECT_FALSE(
        backup::WriteSingleMemberArchive(dir.filePath("c.ARC"), dir.filePath("none"), false));
    EXPECT_FALSE(QFile::exists(dir.filePath("c.ARC")));
}

// Packing tells how far it read, up to the whole file; and an archive that
// runs out of room (here the file size limit, as a full disk would) is not
// put in place as a cut archive reported as written.
TEST(ArchiveOfOne, ReportsPackingAndRefusesACutArchive) {
    QTemporaryDir dir;
    const QString file = dir.filePath("script.SQL");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QRandomGenerator random(7);
    for (int i = 0; i < 40000; ++i)
        f.write("INSERT INTO t VALUES (" + QByteArray::number(random.generate()) + ");\r\n");
    const qint64 size = f.size();
    f.close();

    QList<qint64> seen;
    ASSERT_TRUE(backup::WriteSingleMemberArchive(dir.filePath("a.ARC"), file, true, nullptr,
                                                 [&](qint64 done, qint64 total) {
                                                     EXPECT_EQ(total, size);
                                                     seen << done;
                                                 }));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.last(), size);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20000;  // far less than the packed script
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written =
        backup::WriteSingleMemberArchive(dir.filePath("b.ARC"), file, true, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("b.ARC")));
}

// The archive packed while its text is being written is the archive packed
// from the finished file, however the text was cut into chunks; one given up
// or refused leaves nothing behind.
TEST(ArchiveOfOne, PackedWhileWrittenSameBytesAsFromTheFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QString::fromUtf8("сценарий.SQL"));
    QByteArray text;
    for (int i = 0; text.size() < 3 * TLzArc::kStreamChunk + 77; ++i)
        text += "INSERT INTO t   ( a )   VALUES ( " + QByteArray::number(i * 31 % 9973) + " ) ;\r\n";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    f.close();
    ASSERT_TRUE(backup::WriteSingleMemberArchive(dir.filePath("a.ARC"), file, false));
    const QByteArray expected = [&] {
        QFile a(dir.filePath("a.ARC"));
        return a.open(QIODevice::ReadOnly) ? a.readAll() : QByteArray();
    }();

    const qsizetype cuts[] = {7, 1000, TLzArc::kStreamChunk, 5 * TLzArc::kStreamChunk};
    for (const qsizetype cut : cuts) {
        SCOPED_TRACE(cut);
        QList<qint64> seen;
        {
            backup::ArchiveStreamWriter w(dir.filePath("b.ARC"), core::toCp1251(file));
            ASSERT_TRUE(w.open());
            EXPECT_TRUE(w.append(QByteArray()));
            for (qsizetype at = 0; at < text.size(); at += cut)
                ASSERT_TRUE(w.append(text.mid(at, cut)));
            EXPECT_FALSE(QFile::exists(dir.filePath("b.ARC")));  // not before it is finished
            ASSERT_TRUE(w.finish([&](qint64 packed, qint64 total) {
                EXPECT_EQ(total, text.size());
                seen << packed;
            }));
        }
        QFile b(dir.filePath("b.ARC"));
        ASSERT_TRUE(b.open(QIODevice::ReadOnly));
        EXPECT_EQ(b.readAll(), expected);
        ASSERT_FALSE(seen.isEmpty());
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_EQ(seen.last(), text.size());
        QFile::remove(b.fileName());
    }

    {  // dropped before finish: no archive, no temporary file
        backup::ArchiveStreamWriter w(dir.filePath("c.ARC"), "c");
        ASSERT_TRUE(w.open());
        ASSERT_TRUE(w.append(text));
    }
    {  // an empty text is no archive
        backup::ArchiveStreamWriter w(dir.filePath("d.ARC"), "d");
        ASSERT_TRUE(w.open());
        EXPECT_FALSE(w.finish());
        EXPECT_FALSE(w.ErrorText().isEmpty());
    }
    {  // the disk fills up while packing
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 2000;  // far less than the packed text
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        backup::ArchiveStreamWriter w(dir.filePath("e.ARC"), "e");
        const bool opened = w.open();
        for (qsizetype at = 0; opened && at < text.size(); at += 4096) w.append(text.mid(at, 4096));
        const bool finished = opened && w.finish();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_TRUE(opened);
        EXPECT_FALSE(finished);
        EXPECT_EQ(w.ErrorText(), "Can't re-write file!");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({"a.ARC", QString::fromUtf8("сценарий.SQL")}));
}
