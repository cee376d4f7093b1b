#include "backup/database_import.h"

#include "backup/archive.h"
#include "backup/archive_check.h"
#include "backup/script_runner.h"
#include "backup/staged_import.h"
#include "core/codepage.h"
#include "core/logging.h"

#include <QDir>

namespace backup {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }
const char* const kCaption = "Импорт базы данных";

// A question of the import, asked or answered beforehand; an answer given
// beforehand is still told, so that the command line says why it stopped.
bool decide(ImportChoices::Answer answer, core::Prompter& prompter, const QString& text) {
    if (answer == ImportChoices::Answer::Ask)
        return prompter.destructiveQuestion(u(kCaption), text);
    prompter.report(u(kCaption), text);
    return answer == ImportChoices::Answer::Yes;
}

QString mismatchText(const QList<CountMismatch>& mismatches) {
    QString text = u("Число записей в файле импорта не совпадает с указанным при экспорте:\r\n");
    for (const CountMismatch& m : mismatches)
        text += u("таблица %1: указано %2, в файле %3\r\n")
                    .arg(core::fromCp1251(m.table))
                    .arg(m.stated)
                    .arg(m.found);
    return text + u("Продолжить импорт?");
}

QString directRunText(const QByteArray& database) {
    return u("Нет прав на создание промежуточной базы данных.\r\nВыполнить импорт прямо в базу "
             "данных %1?\r\nЕсли импорт прервется, база данных останется неполной.")
        .arg(core::fromCp1251(database));
}

}  // namespace

std::optional<ImportResult> checkArchive(const QString& archivePath, core::Prompter& prompter,
                                         ImportChoices::Answer countMismatch,
                                         CheckedScript& script) {
    const QString unreadable = u("Выбранный для импорта файл недоступен или поврежден.");
    script.path = script.folder.filePath(QStringLiteral("velkor_import.SQL"));
    ScriptCheck& check = script.check;
    {
        TArchive arc(archivePath, false);
        if (!arc.IsValid()) {
            qCWarning(core::lcDb) << "import:" << archivePath << arc.ErrorText();
            core::ErrorBox(prompter, unreadable);
            return ImportResult::Unreadable;
        }
        if (arc.Count() == 0) return ImportResult::Empty;
        if (script.folder.isValid())
            check = unpackChecked(arc, archivePath, script.path);
        else
            check.fault = script.folder.errorString();
        if (!check.whole()) {
            qCWarning(core::lcDb) << "import: refused" << archivePath << check.fault;
            core::ErrorBox(prompter, unreadable);
            return ImportResult::Unreadable;
        }
    }
    if (!check.mismatches.isEmpty() &&
        !decide(countMismatch, prompter, mismatchText(check.mismatches)))
        return ImportResult::Declined;
    return std::nullopt;
}

ImportResult importArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, core::Prompter& prompter,
                           core::Progress& progress, const ImportChoices& choices) {
    CheckedScript script;
    if (const std::optional<ImportResult> refused =
            checkArchive(archivePath, prompter, choices.countMismatch, script))
        return *refused;
    const QByteArray& database = script.check.database;

    scriptConnection.close();
    scriptConnection.setParams(mainConnection.params());
    scriptConnection.setTimeouts(mainConnection.timeouts());
    scriptConnection.open();
    StagedImport staged(scriptConnection, database);
    if (!staged.begin()) {
        if (!decide(choices.directRun, prompter, directRunText(database)))
            return ImportResult::Declined;
        return RunSqlScript(mainConnection, scriptConnection, script.path, true, prompter, progress)
                   ? ImportResult::Done
                   : ImportResult::Incomplete;
    }

    bool ran = staged.run(mainConnection, script.path, prompter, progress);
    if (ran) {
        try {
            staged.commit();
        } catch (const core::DbError& e) {
            // The swap was refused: the target is as it was.
            qCWarning(core::lcDb) << "import:" << e.number() << e.detail();
            ran = false;
        }
    }
    if (!ran) {
        staged.discard();
        return ImportResult::Unchanged;
    }
    return ImportResult::Done;
}

QString importResultText(ImportResult result) {
    switch (result) {
        case ImportResult::Done:
            return u("Импорт данных завершен.\n\rПерезапустите программу.");
        case ImportResult::Incomplete:
            return u("Импорт данных не завершен.\n\rПерезапустите программу.");
        case ImportResult::Unchanged:
            return u("Импорт данных не завершен.\n\rБаза данных осталась без изменений.");
        case ImportResult::Unreadable:
        case ImportResult::Empty:
        case ImportResult::Declined:
            break;
    }
    return {};
}

void reportImport(core::Prompter& prompter, ImportResult result) {
    const QString text = importResultText(result);
    if (!text.isEmpty()) prompter.report(u("Импорт данных"), text);
}

void ActionBaseImportExecute(core::Connection& mainConnection, core::Connection& scriptConnection,
                             core::Prompter& prompter, core::Progress& progress) {
    if (!prompter.question(u(kCaption),
                           u("В результате все данные из текущей базы данных\r\nбудут заменены "
                             "данными из файла импорта.\r\n     Продолжить?")))
        return;
    const QString cwd = QDir::currentPath();
    const std::optional<QString> chosen =
        prompter.openFileName(u(kCaption), u("Архивы базы данных|*.ARC"));
    QDir::setCurrent(cwd);
    if (!chosen) return;
    reportImport(prompter,
                 importArchive(mainConnection, scriptConnection, *chosen, prompter, progress));
}

}  // namespace backup
