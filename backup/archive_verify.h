#pragma once
// The verification of an archive against a database: does the archive
// restore it exactly? The archive is checked whole as the import checks it,
// its script runs into a scratch database beside the database as the staged
// import runs it (the database block and its USE line renamed), and every
// table of the database is compared with the scratch copy by row count and
// CHECKSUM TABLE, tables on one side only included. The scratch database is
// never swapped in, and it is dropped on every way out.
//
// No widgets here: the runner's messages go through the Prompter, and the
// report is data with its lines made here, so that the command-line tool
// only prints them.

#include "backup/database_import.h"
#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace backup {

// One table in which the database and the restored archive disagree.
struct TableDifference {
    enum class Kind {
        OnlyInDatabase,  // the archive does not restore it
        OnlyInArchive,   // the archive brings a table the database lacks
        ViewInDatabase,  // a view in the database, a table in the archive
        ViewInArchive,   // a table in the database, a view in the archive
        Rows,            // the row counts differ
        Checksum,        // the same row count, CHECKSUM TABLE differs
    };
    QByteArray table;  // the server's name, Windows-1251 bytes
    Kind kind = Kind::Checksum;
    qint64 databaseRows = 0, archiveRows = 0;      // Rows and Checksum
    QByteArray databaseChecksum, archiveChecksum;  // Checksum: "NULL" where the server gave none
    bool operator==(const TableDifference&) const = default;
};

struct VerifyReport {
    enum class Outcome {
        Unreadable,  // refused as the import refuses it: damaged, not an archive
        Empty,       // an archive without members
        Declined,    // its count lines disagree with its rows and the answer was no
        NoScratch,   // the account may not create the scratch database
        Failed,      // the script did not run through, or the comparison failed
        Aborted,     // the user stopped the comparison
        Differs,
        Equal,
    };
    Outcome outcome = Outcome::Failed;
    QByteArray archiveDatabase;          // the database the archive's script makes, once checked
    qsizetype tables = 0;                // tables compared: on either side, once compared
    QList<TableDifference> differences;  // in the order of the tables' names
    QByteArray scratchLeft;              // the scratch database when it could not be dropped

    bool equal() const { return outcome == Outcome::Equal; }
};

// Verifies the archive against `database` (which need not be the one the
// archive names) on the server of mainConnection. The script runs on
// scriptConnection, which takes over mainConnection's settings; a failing
// statement is asked about by the runner as in the import (an answer other
// than abort goes on, and the comparison then shows what it left out).
// countMismatch answers the import's question about count lines. A script
// connection that cannot be opened throws core::DbError, as in the import.
VerifyReport verifyArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, const QString& database,
                           core::Prompter& prompter, core::Progress& progress,
                           ImportChoices::Answer countMismatch = ImportChoices::Answer::Ask);

// A difference as one line, e.g. "table doc: 2000 rows in the database,
// 1999 in the archive".
QString differenceText(const TableDifference& difference);
// The report as the tool prints it: a line per difference, then one that
// says how it ended (and one more when the scratch database stays).
QStringList verifyReportLines(const VerifyReport& report, const QString& database);

}  // namespace backup
