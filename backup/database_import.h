#pragma once
// The import: the first member of an archive made by the export is unpacked
// into a private temporary file, checked whole, and run by the script runner
// on the script connection. The script drops and recreates its own database;
// it runs into a staging database that replaces that one only when the run
// went through.

#include "backup/archive_check.h"
#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace backup {

enum class ImportResult {
    Unreadable,  // not an archive, damaged, or its script could not be unpacked (reported)
    Empty,       // an archive without members: nothing to do, nothing said
    Declined,    // the user (or the command line) said no to a question: nothing ran
    Unchanged,   // the run failed, was aborted or lost its connection; every database as it was
    Incomplete,  // a run straight into the database stopped part-way
    Done,
};

// How the questions of an import are answered: by the user, or beforehand
// (the command-line tool, where nobody is there to ask).
struct ImportChoices {
    enum class Answer { Ask, Yes, No };
    Answer countMismatch = Answer::Ask;  // an archive whose count lines and rows disagree
    Answer directRun = Answer::Ask;      // no staging database allowed: run into the target
};

// An archive's script unpacked into a folder only this user may enter (a
// stale or planted file of a fixed name in the shared temporary folder must
// never be what runs), and what its check found.
struct CheckedScript {
    QTemporaryDir folder;
    QString path;
    ScriptCheck check;
};

// The import's check before any statement: unpacks the archive's first
// member into `script` and checks the archive whole. An unusable archive is
// reported and gives Unreadable, one without members Empty; count lines that
// disagree with the rows are asked about, or answered as given (Declined
// when the answer is no). Nothing when the script may run.
std::optional<ImportResult> checkArchive(const QString& archivePath, core::Prompter& prompter,
                                         ImportChoices::Answer countMismatch,
                                         CheckedScript& script);

// Checks, unpacks and runs the archive's script. Reports an unusable
// archive itself; a failing statement is asked about by the runner. A script
// connection that cannot be opened throws core::DbError.
ImportResult importArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, core::Prompter& prompter,
                           core::Progress& progress, const ImportChoices& choices = {});

// The report after a run, with caption "Импорт данных", and its text.
QString importResultText(ImportResult result);
void reportImport(core::Prompter& prompter, ImportResult result);

// The whole action of the main window: the question, the open dialog, the
// import and its report.
void ActionBaseImportExecute(core::Connection& mainConnection, core::Connection& scriptConnection,
                             core::Prompter& prompter, core::Progress& progress);

}  // namespace backup
