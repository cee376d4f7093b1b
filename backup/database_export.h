#pragma once
// The export of a whole journal database into an archive: a script that
// drops and recreates the database, each table from the server's own
// description of its columns and keys, and every row as one INSERT line,
// packed into a new *.ARC of one member. The script format is read by other
// installations: every line, blank and comma is part of it. Names, defaults
// and texts that the plain form would not bring back exactly get the form
// the server reads back (backquotes, hex literals with their character set).
//
// No widgets here: questions and reports go through the Prompter, progress
// through core::Progress, so the window and the command-line tool share it.

#include "core/connection.h"
#include "core/progress.h"
#include "core/prompter.h"

#include <QDate>
#include <QString>

namespace backup {

// The file name the save dialog offers: name_yyyy_mm_dd.ARC.
QString exportPresetName(const QString& database, const QDate& date);
// The temporary script beside the chosen file: its extension replaced by
// ".SQL" (added when it has none).
QString exportScriptPath(const QString& chosenPath);
// The archive: the script's extension replaced by ".ARC".
QString exportArchivePath(const QString& scriptPath);

enum class ExportResult {
    CannotWrite,  // not even the first line could be written
    // A query, a line or the archive failed, or the schema cannot be written
    // so that the script restores it; no archive was made, and a script cut
    // short by a write failure is removed.
    Failed,
    Aborted,  // the user stopped it; the archive holds what was written
    Done,
};

// Writes the script for chosenPath and packs it into the archive while it
// is being written; the archive is put in place only when complete, and the
// script is then deleted. Server errors are absorbed into Failed (their
// cause is logged).
ExportResult exportDatabase(core::Connection& connection, const QString& database,
                            const QString& chosenPath, core::Progress& progress);

// The message of a result, and whether it is an error rather than a report.
QString exportResultText(ExportResult result);
// Shows the result's box.
void reportExport(core::Prompter& prompter, ExportResult result);

// The whole action of the main window: the save dialog, the export, the
// report. Nothing happens when the dialog is cancelled.
void ActionBaseExportExecute(core::Connection& connection, const QString& database,
                             core::Prompter& prompter, core::Progress& progress);

}  // namespace backup
