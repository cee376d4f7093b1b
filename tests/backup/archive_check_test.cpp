// The import's check of an archive: scripts whose layout, count lines or
// digest betray damage, fed in pieces of any size, and archives with bytes
// flipped anywhere, which are refused unless their script is unchanged.

#include "backup/archive_check.h"
#include "tests/backup/backup_test_support.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using backup::CountMismatch;
using backup::ScriptCheck;
using testing_support::exportLayout;
using testing_support::sealed;

namespace {

QByteArray cp(const char* s) { return core::toCp1251(QString::fromUtf8(s)); }

ScriptCheck checkInPieces(const QByteArray& script, qsizetype piece) {
    backup::ScriptChecker checker;
    for (qsizetype at = 0; at < script.size(); at += piece)
        checker.add(script.constData() + at, std::min(piece, script.size() - at));
    return checker.finish();
}

QByteArray replaced(QByteArray s, const QByteArray& from, const QByteArray& to) {
    return s.replace(from, to);
}

}  // namespace

TEST(ScriptChecker, TellsDamageFromScriptsMadeElsewhereAndInterruptedExports) {
    const QByteArray plain = exportLayout("vdb", {{"t", 3, 3}, {"u", 0, 0}, {"w", 2, 2}});
    const QByteArray shortRows = exportLayout("vdb", {{"t", 3, 3}, {"u", 0, 0}, {"w", 1, 2}});
    const struct {
        const char* what;
        QByteArray script;
        bool whole;
        bool verified;
        QList<CountMismatch> mismatches;
    } cases[] = {
        {"sealed", sealed(plain), true, true, {}},
        {"without the integrity line", plain, true, false, {}},
        {"lone LF endings", replaced(plain, "\r\n", "\n"), true, false, {}},
        {"backquoted name",
         replaced(replaced(plain, "EXISTS vdb;", "EXISTS `v db`;"), "vdb", "`v db`"),
         true,
         false,
         {}},
        {"an interrupted export, sealed", sealed(shortRows), true, true, {{"w", 2, 1}}},
        // Without a digest a changed value keeps the layout and passes.
        {"a changed value, unsealed", replaced(plain, "( 2,", "( 3,"), true, false, {}},
        {"rows missing, unsealed", shortRows, true, false, {{"w", 2, 1}}},
        {"a changed byte under the digest",
         replaced(sealed(plain), "( 2,", "( 3,"),
         false,
         false,
         {}},
        {"a malformed integrity line", plain + "# SHA256 12ab\r\n", false, false, {}},
        {"header", replaced(plain, cp("Терналь"), cp("Тернала")), false, false, {}},
        {"database block", replaced(plain, "USE vdb;", "USE vdc;"), false, false, {}},
        {"the script moves to another database",
         replaced(plain, "DROP TABLE IF EXISTS u;", "USE other;"),
         false,
         false,
         {}},
        {"a line out of place among the rows",
         replaced(plain, "INSERT INTO w   ( id, s )   VALUES ( 1",
                  "INSERT INTX w   ( id, s )   VALUES ( 1"),
         false,
         false,
         {}},
        {"a block without its count line",
         replaced(plain, cp("# 0 записей."), "#"),
         false,
         false,
         {}},
        {"cut inside the database block", plain.left(200), false, false, {}},
    };
    for (const auto& c : cases) {
        for (const qsizetype piece : {qsizetype(1 << 20), qsizetype(1), qsizetype(7)}) {
            const ScriptCheck r = checkInPieces(c.script, piece);
            EXPECT_EQ(r.whole(), c.whole)
                << c.what << " in pieces of " << piece << ": " << r.fault.toStdString();
            if (!c.whole) continue;
            EXPECT_EQ(r.verified, c.verified) << c.what;
            EXPECT_EQ(r.mismatches, c.mismatches) << c.what;
            EXPECT_EQ(r.database, c.what == std::string_view("backquoted name") ? "v db" : "vdb")
                << c.what;
        }
    }
}

TEST(ScriptChecker, DatabaseStatementsRenamed) {
    const struct {
        QByteArray in, out;
    } cases[] = {
        {"DROP DATABASE IF EXISTS velkor1;", "DROP DATABASE IF EXISTS s_imp;"},
        {"CREATE DATABASE velkor1 DEFAULT CHARACTER SET cp1251;",
         "CREATE DATABASE s_imp DEFAULT CHARACTER SET cp1251;"},
        {"CREATE DATABASE `a``b c`;", "CREATE DATABASE s_imp;"},
        {"USE velkor1;", "USE s_imp;"},
        {"INSERT INTO t VALUES (1);", "INSERT INTO t VALUES (1);"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(backup::renameDatabaseIn(c.in, "s_imp"), c.out) << c.in.constData();
    EXPECT_EQ(backup::unquoteName("`a``b c`"), "a`b c");
    EXPECT_EQ(backup::unquoteName("plain"), "plain");
}

// Every flipped byte either makes the archive refused or leaves the script
// exactly as it was written: never a changed script that passes.
TEST(UnpackChecked, FlippedBytesAreRefusedOrChangeNothing) {
    QByteArray body = exportLayout("vdb", {{"t", 400, 400}, {"u", 30, 30}});
    const QByteArray script = sealed(body);
    QTemporaryDir dir;
    const QString good = dir.filePath("good.ARC");
    testing_support::writeArchive(good, script);
    const QByteArray archive = testing_support::fileBytes(good);
    // The count, the volume, the record (name, its zero padding, flag, index),
    // the stored length and the text length, then the code.
    const qsizetype record = 4, stored = record + backup::TArchive::kRecordSize, code = stored + 8;
    ASSERT_GT(archive.size(), code + 1000);

    auto check = [&](const QByteArray& bytes, QByteArray* unpacked) {
        const QString path = dir.filePath("flipped.ARC");
        testing_support::putFile(path, bytes);
        backup::TArchive arc(path, false);
        if (!arc.IsValid()) return ScriptCheck{QStringLiteral("not an archive"), false, {}, {}};
        const QString out = dir.filePath("out.SQL");
        const ScriptCheck r = backup::unpackChecked(arc, path, out);
        *unpacked = testing_support::fileBytes(out);
        return r;
    };
    QByteArray unpacked;
    ScriptCheck r = check(archive, &unpacked);
    ASSERT_TRUE(r.whole()) << r.fault.toStdString();
    EXPECT_TRUE(r.verified);
    EXPECT_EQ(unpacked, script);

    // The container's fields, the stream's length and code at its start,
    // middle and end: each of these must be refused outright.
    const qsizetype refusedAt[] = {0,
                                   1,
                                   2,
                                   record + 99,
                                   record + 100,
                                   record + 101,
                                   record + 102,
                                   stored,
                                   stored + 3,
                                   stored + 4,
                                   stored + 6,
                                   code,
                                   code + 1,
                                   archive.size() / 2,
                                   archive.size() - 2,
                                   archive.size() - 1};
    for (const qsizetype at : refusedAt) {
        QByteArray bytes = archive;
        bytes[at] = char(bytes[at] ^ 0xFF);
        EXPECT_FALSE(check(bytes, &unpacked).whole()) << "byte " << at;
    }
    // One bit at a time through the whole stream.
    int refused = 0, tried = 0;
    for (qsizetype at = code; at < archive.size(); at += 13) {
        QByteArray bytes = archive;
        bytes[at] = char(bytes[at] ^ (1 << (at % 8)));
        ++tried;
        r = check(bytes, &unpacked);
        if (!r.whole())
            ++refused;
        else
            EXPECT_EQ(unpacked, script) << "a changed script passed, bit flipped in byte " << at;
    }
    EXPECT_GT(refused, tried * 9 / 10);
    // Cut short or grown by a byte.
    EXPECT_FALSE(check(archive.chopped(1), &unpacked).whole());
    EXPECT_FALSE(check(archive + '\0', &unpacked).whole());
}

// Without the integrity line damage that keeps the layout passes the check
// (the count lines still catch lost rows); the staged import then keeps a
// failing run from touching the database.
TEST(UnpackChecked, ArchivesWithoutTheIntegrityLineAreCheckedByTheirCountLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.ARC");
    testing_support::writeArchive(path, exportLayout("vdb", {{"t", 5, 6}}));
    backup::TArchive arc(path, false);
    const ScriptCheck r = backup::unpackChecked(arc, path, dir.filePath("out.SQL"));
    ASSERT_TRUE(r.whole()) << r.fault.toStdString();
    EXPECT_FALSE(r.verified);
    EXPECT_EQ(r.mismatches, QList<CountMismatch>({{"t", 6, 5}}));
}

// The digest is the one QCryptographicHash gives, whatever the pieces.
TEST(Sha256, IsQtsSha256InPiecesOfAnySize) {
    QByteArray data;
    for (int i = 0; i < 200000; ++i) data += char((i * 7919) >> 3);
    for (const qsizetype piece : {qsizetype(1), qsizetype(63), qsizetype(64), qsizetype(65536)}) {
        backup::Sha256 sha;
        for (qsizetype at = 0; at < data.size(); at += piece)
            sha.addData(QByteArrayView(data).sliced(at, std::min(piece, data.size() - at)));
        EXPECT_EQ(sha.result(), QCryptographicHash::hash(data, QCryptographicHash::Sha256))
            << piece;
        EXPECT_EQ(sha.result(), sha.result());  // reading it ends nothing
    }
    EXPECT_EQ(backup::Sha256().result(), QCryptographicHash::hash({}, QCryptographicHash::Sha256));
}
