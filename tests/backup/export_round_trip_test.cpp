// Exports that restore exactly, on the project's server: what the script
// must quote and encode, and the schemas it cannot carry, which are a
// failure rather than an archive that breaks on import.

#include "tests/backup/round_trip.h"

#include <gtest/gtest.h>
#include <QFile>

using backup::ExportResult;
using testing_support::RecordingProgress;
using testing_support::Server;
using testing_support::TempDatabase;

namespace {
const QByteArray kRuleLine = "#---------------------------\r\n";
}  // namespace

TEST(ExportRoundTrip, HostileSchemaComesBackExactly) {
    testing_support::expectHostileSchemaRoundTrip(Server::Project);
}

// A name or a type whose text the script's statements cannot carry: the
// runner ends a statement at the first line holding a semicolon, and the
// definition spans several lines.
TEST(ExportRoundTrip, SchemaThatCannotBeRestoredIsAFailure) {
    const char* const tables[] = {
        "create table t (`a;b` int)",          "create table t (a int, key `k;1` (a))",
        "create table t (e enum('x;y', 'z'))", "create table `t;1` (a int)",
        "create table t (`line\nbreak` int)",
    };
    for (const char* table : tables) {
        SCOPED_TRACE(table);
        TempDatabase db(false);
        db.exec(table);
        QTemporaryDir dir;
        RecordingProgress progress;
        EXPECT_EQ(
            backup::exportDatabase(db.connection(), db.name(), dir.filePath("x.ARC"), progress),
            ExportResult::Failed);
        EXPECT_FALSE(QFile::exists(dir.filePath("x.ARC")));
    }
    EXPECT_EQ(backup::exportResultText(ExportResult::Failed),
              QString::fromUtf8("Экспорт завершен из-за ошибки."));
}

// A journal database's script is what it always was, byte for byte: none
// of its names needs quoting and none of its texts an encoding, so other
// installations read it as before.
TEST(ExportRoundTrip, JournalScriptStaysByteForByte) {
    TempDatabase db;
    testing_support::fillJournal(db.connection());
    QTemporaryDir dir;
    RecordingProgress progress;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("j.ARC"), progress),
              ExportResult::Done);
    QByteArray expected = testing_support::fileBytes(testing_support::sourceDir() +
                                                     "/tests/backup/journal_script.sql");
    ASSERT_FALSE(expected.isEmpty());
    expected.replace("@DATABASE@", db.name().toLatin1());
    // Past the header, whose third line is today's date, and up to the
    // integrity line the export adds at the end (a comment every reader of
    // the format skips).
    QByteArray script = testing_support::archivedScript(dir.filePath("j.ARC"));
    const qsizetype last = script.lastIndexOf("# SHA256 ");
    ASSERT_GT(last, 0);
    EXPECT_EQ(script.size() - last, qsizetype(9 + 64 + 2));  // the digest and CR LF
    script.truncate(last);
    EXPECT_EQ(script.mid(script.indexOf(kRuleLine)), expected);
}
