#pragma once
// Runs SQL scripts in the export's format line by line on a connection of
// its own: lines that are empty or begin with "#" are comments, a statement
// ends with the line that holds a semicolon, and "USE name;" moves the
// connection to that database. A failing statement asks abort, retry or
// ignore with its line number.

#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace backup {

// Reads a file line by line through a fixed buffer; a line ends at CR LF,
// a lone CR or a lone LF.
class ScriptLineReader {
  public:
    explicit ScriptLineReader(const QString& path) : file_(path) {}
    bool open() { return file_.open(QIODevice::ReadOnly); }
    qint64 size() const { return file_.size(); }
    qint64 position() const { return consumed_; }  // bytes read up to the last line
    // The next line without its ending; false at the end. Throws
    // std::runtime_error when the file cannot be read.
    bool next(QByteArray& line);

  private:
    bool fill();  // more bytes into buf_; false at the end of the file
    QFile file_;
    QByteArray buf_;
    qsizetype pos_ = 0;
    qint64 consumed_ = 0;
    bool eof_ = false;
};

// The statement with InnoDB replaced by MyISAM in the engine clause of a
// table definition; anything else, data values above all, stays as it is.
QByteArray replaceInnoDbEngine(const QByteArray& statement);

// A single-line INSERT whose quotes all close and whose one semicolon ends
// it: in a text of several such statements the server splits exactly where
// the runner does, so they may go to it together.
bool batchableInsert(const QByteArray& statement);

struct ScriptRunOptions {
    bool replaceEngine = true;  // InnoDB becomes MyISAM in table definitions
    // The statement completed on this line (counted from 1) as it is to be
    // sent; a "USE" statement switches to the database it names then.
    std::function<QByteArray(qint64 line, const QByteArray& statement)> rewrite;
};

// Runs the script at path on scriptConnection, which first takes over every
// setting of mainConnection. True when every line was processed; false when
// the user aborted or the run failed (already reported). A lost connection
// ends the run at once: nothing after it could run. A failure to open the
// script connection throws core::DbError to the caller.
bool RunSqlScript(core::Connection& mainConnection, core::Connection& scriptConnection,
                  const QString& path, const ScriptRunOptions& options, core::Prompter& prompter,
                  core::Progress& progress);
inline bool RunSqlScript(core::Connection& mainConnection, core::Connection& scriptConnection,
                         const QString& path, bool replaceEngine, core::Prompter& prompter,
                         core::Progress& progress) {
    return RunSqlScript(mainConnection, scriptConnection, path, ScriptRunOptions{replaceEngine, {}},
                        prompter, progress);
}

}  // namespace backup
