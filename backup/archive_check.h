#pragma once
// The import's check of an archive before any statement of it runs. A
// damaged archive must never reach the server: one flipped bit in the packed
// stream can leave the script readable yet wrong, and its first statement
// drops the database it names.
//
// Three layers catch damage: the container and its member must decode whole
// to exactly their stored lengths; the script's header and database block
// must stand where the export writes them; and the script's last line, the
// integrity line, must carry the SHA-256 of every byte before it. An archive
// without that line (written before it existed, or by another installation)
// is checked by its count lines instead: each table block's "# N записей."
// against the INSERT lines that follow it.

#include "backup/archive.h"
#include "backup/sha256.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace backup {

// The last line of every script the export writes, without its CR LF: a
// comment, so that every reader of the format skips it.
QByteArray integrityLine(const QByteArray& sha256);
constexpr qsizetype kIntegrityLineSize = 9 + 64;  // "# SHA256 " and the hex digest

// A table whose count line and INSERT lines disagree: an export that was
// interrupted, or rows that went missing.
struct CountMismatch {
    QByteArray table;
    qint64 stated = 0;  // the count line
    qint64 found = 0;   // the INSERT lines
    bool operator==(const CountMismatch&) const = default;
};

struct ScriptCheck {
    QString fault;          // why the archive is unusable (for the log); empty when whole
    bool verified = false;  // the integrity line was there and matched
    QByteArray database;    // the database the script drops and recreates
    QList<CountMismatch> mismatches;

    bool whole() const { return fault.isEmpty(); }
};

// The lines of the database block that name the database, counted from 1
// as the script runner counts them: DROP, CREATE and USE.
constexpr qint64 kDropDatabaseLine = 9;
constexpr qint64 kCreateDatabaseLine = 10;
constexpr qint64 kUseDatabaseLine = 11;

// Reads a script as it is unpacked, in pieces of any size, and checks it.
class ScriptChecker {
  public:
    void add(const char* data, qsizetype size);
    ScriptCheck finish();

  private:
    void takeLines(bool atEnd);
    void line(QByteArrayView text);
    void header(QByteArrayView text);
    void closeBlock();
    void fail(const QString& why);

    Sha256 hash_;
    QByteArray buf_;
    qsizetype lineStart_ = 0;      // where the line being read starts in buf_
    qsizetype scanned_ = 0;        // how far that line was searched for its end
    qsizetype previousStart_ = 0;  // the complete line before it, not yet hashed
    qsizetype lastLength_ = 0;     // and its length without its ending
    bool havePrevious_ = false;
    qint64 number_ = 0;
    bool inStatement_ = false;  // a statement's first line came, its semicolon not yet

    ScriptCheck result_;
    enum class State { Header, BetweenBlocks, AfterRule, TableName, Definition, Rows };
    State state_ = State::Header;
    QByteArray table_;
    qint64 stated_ = -1;
    qint64 found_ = 0;
    qint64 foreign_ = 0;  // lines among the rows that are no INSERT line
};

// Unpacks the archive's first member into scriptPath and checks the archive
// on the way: the container's layout, the member decoded whole and to its
// stored length, and the script (ScriptChecker).
ScriptCheck unpackChecked(const TArchive& archive, const QString& archivePath,
                          const QString& scriptPath);

// The database statement of the database block with its name replaced:
// "DROP DATABASE IF EXISTS D;", "CREATE DATABASE D ...;", "USE D;".
QByteArray renameDatabaseIn(const QByteArray& statement, const QByteArray& to);

// A name as a statement gives it: bare, or in backquotes with `` for `.
QByteArray unquoteName(QByteArrayView name);

}  // namespace backup
