#include "backup/database_import.h"

#include "backup/archive.h"
#include "backup/script_runner.h"
#include "core/logging.h"

#include <QDir>
#include <QTemporaryDir>

namespace backup {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

ImportResult importArchive(core::Connection& mainConnection, core::Connection& scriptConnection,
                           const QString& archivePath, core::Prompter& prompter,
                           core::Progress& progress) {
    const QString unreadable = u("Выбранный для импорта файл недоступен или поврежден.");
    // A folder only this user may enter: a stale or planted file of a fixed
    // name in the shared temporary folder must never be what runs.
    QTemporaryDir tmp;
    const QString scriptPath = tmp.filePath(QStringLiteral("velkor_import.SQL"));
    {
        TArchive arc(archivePath, false);
        if (!arc.IsValid()) {
            qCWarning(core::lcDb) << "import:" << archivePath << arc.ErrorText();
            core::ErrorBox(prompter, unreadable);
            return ImportResult::Unreadable;
        }
        if (arc.Count() == 0) return ImportResult::Empty;
        if (!tmp.isValid() || !arc.Extract(arc.Entry(0).Name(), scriptPath)) {
            qCWarning(core::lcDb) << "import: cannot unpack" << archivePath << arc.ErrorText()
                                  << tmp.errorString();
            core::ErrorBox(prompter, unreadable);
            return ImportResult::Unreadable;
        }
    }
    const bool ok =
        RunSqlScript(mainConnection, scriptConnection, scriptPath, true, prompter, progress);
    return ok ? ImportResult::Done : ImportResult::Incomplete;
}

void reportImport(core::Prompter& prompter, ImportResult result) {
    if (result == ImportResult::Done)
        prompter.report(u("Импорт данных"),
                        u("Импорт данных завершен.\n\rПерезапустите программу."));
    else if (result == ImportResult::Incomplete)
        prompter.report(u("Импорт данных"),
                        u("Импорт данных не завершен.\n\rПерезапустите программу."));
}

void ActionBaseImportExecute(core::Connection& mainConnection, core::Connection& scriptConnection,
                             core::Prompter& prompter, core::Progress& progress) {
    if (!prompter.question(u("Импорт базы данных"),
                           u("В результате все данные из текущей базы данных\r\nбудут заменены "
                             "данными из файла импорта.\r\n     Продолжить?")))
        return;
    const QString cwd = QDir::currentPath();
    const std::optional<QString> chosen =
        prompter.openFileName(u("Импорт базы данных"), u("Архивы базы данных|*.ARC"));
    QDir::setCurrent(cwd);
    if (!chosen) return;
    reportImport(prompter,
                 importArchive(mainConnection, scriptConnection, *chosen, prompter, progress));
}

}  // namespace backup
