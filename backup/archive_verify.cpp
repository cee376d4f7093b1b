#include "backup/archive_verify.h"

#include "backup/staged_import.h"
#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"

#include <map>
#include <optional>

namespace backup {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

struct TableFacts {
    bool view = false;
    QByteArray engine;
};

std::map<QByteArray, TableFacts> tablesOf(core::Connection& c, const QByteArray& database) {
    auto r = c.query(
        "select TABLE_NAME, TABLE_TYPE, ENGINE from information_schema.TABLES"
        " where TABLE_SCHEMA = " +
        core::SqlQuote(database, true));
    std::map<QByteArray, TableFacts> tables;
    while (r->next())
        tables[r->field(0).bytes()] = {r->field(1).bytes() == "VIEW",
                                       r->isNull(2) ? QByteArray() : r->field(2).bytes()};
    return tables;
}

qint64 rowCount(core::Connection& c, const QByteArray& table) {
    auto r = c.query("select count(*) from " + table);
    return r->next() ? r->field(0).asInt64() : 0;
}

// EXTENDED: read from the rows on both sides, never a live checksum that
// one engine keeps and the other does not.
QByteArray checksum(core::Connection& c, const QByteArray& table) {
    auto r = c.query("checksum table " + table + " extended");
    QByteArray sum = "NULL";
    if (r->next() && !r->isNull(1)) sum = r->field(1).bytes();
    while (r->next()) {
    }
    return sum;
}

bool plainWord(const QByteArray& word) {
    if (word.isEmpty()) return false;
    for (const char c : word)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    return true;
}

using Kind = TableDifference::Kind;
using Outcome = VerifyReport::Outcome;

// Compares every table of the database with the scratch copy.
Outcome compare(core::Connection& c, const QByteArray& database, const QByteArray& scratch,
                core::Progress& progress, VerifyReport& report) {
    const std::map<QByteArray, TableFacts> ours = tablesOf(c, database);
    const std::map<QByteArray, TableFacts> restored = tablesOf(c, scratch);
    std::map<QByteArray, int> names;
    for (const auto& [name, facts] : ours) names[name] |= 1;
    for (const auto& [name, facts] : restored) names[name] |= 2;

    progress.start(
        u("Verifying the archive"),
        u("Comparing the tables of ") + core::fromCp1251(database) + u(" with the archive"));
    progress.setTotalMaximum(qint64(names.size()));
    const QByteArray d = quoteName(database), s = quoteName(scratch);
    qint64 done = 0;
    for (const auto& [name, sides] : names) {
        progress.setTotalPosition(done++);
        progress.processEvents();
        if (progress.aborted()) return Outcome::Aborted;
        TableDifference diff;
        diff.table = name;
        if (sides != 3) {
            diff.kind = sides == 1 ? Kind::OnlyInDatabase : Kind::OnlyInArchive;
            report.differences << diff;
            continue;
        }
        const TableFacts& mine = ours.at(name);
        const TableFacts& theirs = restored.at(name);
        if (mine.view != theirs.view) {
            diff.kind = mine.view ? Kind::ViewInDatabase : Kind::ViewInArchive;
            report.differences << diff;
            continue;
        }
        const QByteArray inDatabase = d + '.' + quoteName(name);
        const QByteArray inScratch = s + '.' + quoteName(name);
        diff.databaseRows = rowCount(c, inDatabase);
        diff.archiveRows = rowCount(c, inScratch);
        if (diff.databaseRows != diff.archiveRows) {
            diff.kind = Kind::Rows;
            report.differences << diff;
            continue;
        }
        if (mine.view) continue;  // two views: their rows are all there is
        diff.databaseChecksum = checksum(c, inDatabase);
        diff.archiveChecksum = checksum(c, inScratch);
        // The script makes every table MyISAM, and CHECKSUM TABLE reads the
        // engine's own row layout (a BIT column among nullable ones comes
        // out differently): the scratch copy is given the database's engine
        // and summed again.
        if (diff.databaseChecksum != diff.archiveChecksum && mine.engine != theirs.engine &&
            plainWord(mine.engine)) {
            try {
                c.execute("ALTER TABLE " + inScratch + " ENGINE=" + mine.engine);
                diff.archiveChecksum = checksum(c, inScratch);
            } catch (const core::DbError& e) {
                if (e.connectionLost()) throw;
                qCWarning(core::lcDb) << "verify: the copy of" << name << "stays" << theirs.engine
                                      << e.number() << e.detail();
            }
        }
        if (diff.databaseChecksum != diff.archiveChecksum || diff.databaseChecksum == "NULL")
            report.differences << diff;
    }
    progress.setTotalPosition(done);
    progress.finish();
    report.tables = qsizetype(names.size());
    return report.differences.isEmpty() ? Outcome::Equal : Outcome::Differs;
}

}  // namespace

VerifyReport verifyArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, const QString& database,
                           core::Prompter& prompter, core::Progress& progress,
                           ImportChoices::Answer countMismatch) {
    VerifyReport report;
    CheckedScript script;
    if (const std::optional<ImportResult> refused =
            checkArchive(archivePath, prompter, countMismatch, script)) {
        report.outcome = *refused == ImportResult::Empty      ? Outcome::Empty
                         : *refused == ImportResult::Declined ? Outcome::Declined
                                                              : Outcome::Unreadable;
        return report;
    }
    report.archiveDatabase = script.check.database;

    scriptConnection.close();
    scriptConnection.setParams(mainConnection.params());
    scriptConnection.setTimeouts(mainConnection.timeouts());
    scriptConnection.open();
    StagedImport scratch(scriptConnection, script.check.database, "_vfy");
    if (!scratch.begin()) {
        report.outcome = Outcome::NoScratch;
        return report;
    }
    // From here on the scratch database exists, and every way out drops it.
    try {
        if (!scratch.run(mainConnection, script.path, prompter, progress))
            report.outcome = Outcome::Failed;
        else
            report.outcome = compare(scriptConnection, core::toCp1251(database), scratch.staging(),
                                     progress, report);
    } catch (const std::exception& e) {
        if (const auto* db = dynamic_cast<const core::DbError*>(&e))
            qCWarning(core::lcDb) << "verify:" << db->number() << db->detail();
        else
            qCWarning(core::lcDb) << "verify:" << e.what();
        report.outcome = Outcome::Failed;
    } catch (...) {
        scratch.discard();
        throw;
    }
    scratch.discard();
    report.scratchLeft = scratch.staging();
    return report;
}

QString differenceText(const TableDifference& d) {
    const QString head = u("table ") + core::fromCp1251(d.table) + u(": ");
    switch (d.kind) {
        case Kind::OnlyInDatabase:
            return head + u("only in the database");
        case Kind::OnlyInArchive:
            return head + u("only in the archive");
        case Kind::ViewInDatabase:
            return head + u("a view in the database, a table in the archive");
        case Kind::ViewInArchive:
            return head + u("a table in the database, a view in the archive");
        case Kind::Rows:
            return head + u("%1 rows in the database, %2 in the archive")
                              .arg(d.databaseRows)
                              .arg(d.archiveRows);
        case Kind::Checksum:
            return head + u("CHECKSUM TABLE %1 in the database, %2 in the archive (%3 rows each)")
                              .arg(QString::fromLatin1(d.databaseChecksum),
                                   QString::fromLatin1(d.archiveChecksum))
                              .arg(d.databaseRows);
    }
    return head;
}

QStringList verifyReportLines(const VerifyReport& report, const QString& database) {
    QStringList lines;
    for (const TableDifference& d : report.differences) lines << differenceText(d);
    switch (report.outcome) {
        case Outcome::Equal:
            lines << u("The archive restores %1 exactly: %2 tables equal by row count and "
                       "CHECKSUM TABLE.")
                         .arg(database)
                         .arg(report.tables);
            break;
        case Outcome::Differs:
            lines << u("The archive differs from %1 in %2 of %3 tables.")
                         .arg(database)
                         .arg(report.differences.size())
                         .arg(report.tables);
            break;
        case Outcome::Unreadable:
            lines << u("Nothing compared: the archive is refused.");
            break;
        case Outcome::Empty:
            lines << u("Nothing compared: the archive has no members.");
            break;
        case Outcome::Declined:
            lines << u("Nothing compared: the archive's count lines disagree with its rows.");
            break;
        case Outcome::NoScratch:
            lines << u("Nothing compared: the account may not create the scratch database.");
            break;
        case Outcome::Failed:
            lines << u(
                "Not verified: the archive was not restored whole into the scratch "
                "database, or the comparison failed.");
            break;
        case Outcome::Aborted:
            lines << u("Not verified: the comparison was stopped.");
            break;
    }
    if (!report.scratchLeft.isEmpty())
        lines << u("The scratch database %1 could not be dropped.")
                     .arg(core::fromCp1251(report.scratchLeft));
    return lines;
}

}  // namespace backup
