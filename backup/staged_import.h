#pragma once
// All or nothing: the import's script runs into a staging database beside
// the one it replaces, and only a run that went through is swapped in, all
// tables in one RENAME TABLE, which the server does atomically. A run that
// fails, is aborted or loses its connection leaves every database as it was.
// The verification of an archive runs it the same way and never commits.

#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace backup {

class StagedImport {
  public:
    // target: the database the script drops and recreates. The staging
    // database is named after it, then the tag (four characters that need
    // no quoting, so that one can tell what left it) and a random ending.
    StagedImport(core::Connection& scriptConnection, const QByteArray& target,
                 const QByteArray& tag = "_imp");

    // Creates the staging database on the open script connection. False
    // when the account may not create it; other refusals throw DbError.
    bool begin();
    const QByteArray& staging() const { return staging_; }

    // The database block's statements and its USE line name the staging
    // database instead of the target (lines as the runner counts them).
    QByteArray rewrite(qint64 line, const QByteArray& statement) const;
    // Runs the script at scriptPath into the staging database as the runner
    // does (the script connection takes over mainConnection's settings),
    // with rewrite. True when every line was processed; false when the run
    // failed, was aborted or lost its connection, or could not start
    // (logged). Neither commits nor discards.
    bool run(core::Connection& mainConnection, const QString& scriptPath, core::Prompter& prompter,
             core::Progress& progress);

    // Puts the staged tables in place of the target's, drops the staging
    // database with the old tables and leaves the connection on the target.
    // Throws DbError when the swap was refused: then the target is as it was.
    void commit();
    // Drops the staging database when the server lets us; never throws.
    void discard() noexcept;

  private:
    struct Charset {
        QByteArray name, collation;
        bool operator==(const Charset&) const = default;
    };
    std::optional<Charset> charsetOf(const QByteArray& database);
    QList<QByteArray> tablesOf(const QByteArray& database, bool views);

    core::Connection& c_;
    QByteArray target_;
    QByteArray tag_;
    QByteArray staging_;
};

// A name in backquotes, as a statement may use any name.
QByteArray quoteName(const QByteArray& name);

}  // namespace backup
