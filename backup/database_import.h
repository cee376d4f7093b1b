#pragma once
// The import: the first member of an archive made by the export is unpacked
// into a private temporary file and run by the script runner on the script
// connection. The script drops and recreates its own database.

#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QString>

namespace backup {

enum class ImportResult {
    Unreadable,  // not an archive, or its script could not be unpacked (reported)
    Empty,       // an archive without members: nothing to do, nothing said
    Incomplete,  // the runner stopped: aborted or failed
    Done,
};

// Unpacks and runs the archive's script. Reports an unreadable archive
// itself; a failing statement is asked about by the runner. A script
// connection that cannot be opened throws core::DbError.
ImportResult importArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, core::Prompter& prompter,
                           core::Progress& progress);

// The report after a run, with caption "Импорт данных".
void reportImport(core::Prompter& prompter, ImportResult result);

// The whole action of the main window: the question, the open dialog, the
// import and its report.
void ActionBaseImportExecute(core::Connection& mainConnection, core::Connection& scriptConnection,
                             core::Prompter& prompter, core::Progress& progress);

}  // namespace backup
