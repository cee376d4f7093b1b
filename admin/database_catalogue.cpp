#include "admin/database_catalogue.h"

#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"
#include "core/sql_script.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace admin {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A database name as an identifier, so that no name listed by the server
// can end the statement early.
QByteArray identifier(const QString& name) {
    QByteArray quoted = core::toCp1251(name);
    quoted.replace('`', "``");
    return '`' + quoted + '`';
}

// The prefix as a LIKE pattern that matches only itself, then anything.
QByteArray likePrefix(const QString& prefix) {
    QByteArray pattern = core::toCp1251(prefix);
    pattern.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return core::SqlQuote(pattern + '%', true);
}

}  // namespace

DatabaseCatalogue::DatabaseCatalogue(core::Session& session, core::Prompter& prompter,
                                     QString templatePath, QString prefix)
    : session_(session),
      prompter_(prompter),
      templatePath_(std::move(templatePath)),
      prefix_(std::move(prefix)) {}

QStringList DatabaseCatalogue::lines() const {
    QStringList out;
    for (const Entry& e : entries_) out << e.line;
    return out;
}

bool DatabaseCatalogue::isValidSuffix(const QString& suffix) {
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_]+$"));
    return allowed.match(suffix).hasMatch();
}

QString DatabaseCatalogue::templatePathIn(const QString& folder) {
    return folder + QDir::separator() + QStringLiteral("Template") + QDir::separator() +
           QStringLiteral("base.sql");
}

void DatabaseCatalogue::refresh() {
    entries_.clear();
    auto result = session_.connection().query("show databases LIKE " + likePrefix(prefix_));
    while (result->next()) {
        const QString name = result->field(0).asText();
        entries_.push_back({name.size() > prefix_.size() ? name.mid(prefix_.size()) : name, name});
    }
    result.reset();
    if (entries_.empty() &&
        prompter_.question(u("Базы данных"),
                           u("База данных не создана. Создать базу данных сейчас?")))
        create();
}

void DatabaseCatalogue::create() {
    const std::optional<QString> suffix =
        prompter_.inputString(u("Создание базы данных"), u("Укажите имя новой базы данных"),
                              QDate::currentDate().toString(QStringLiteral("yyyyMM")));
    if (!suffix) return;
    const QString name = prefix_ + *suffix;
    if (!isValidSuffix(*suffix)) {
        core::ErrorBox(prompter_, u(kCreateFailedText));
        return;
    }
    try {
        // The template's tables are cp1251; a database of the server's
        // default (utf8mb4 on a packaged server) would not come back from
        // its own export the same.
        session_.connection().execute("CREATE DATABASE " + identifier(name) +
                                      " DEFAULT CHARACTER SET cp1251");
    } catch (const core::DbError& e) {
        qCWarning(core::lcDb) << "CREATE DATABASE" << name << "refused:" << e.detail();
        core::ErrorBox(prompter_, u(kCreateFailedText));
        return;
    }
    try {
        session_.switchDatabase(*suffix, name);
    } catch (const core::DbError& e) {
        qCWarning(core::lcDb) << "connecting to the new database" << name
                              << "failed:" << e.detail();
        core::ErrorBox(prompter_, u("Не удалось подключиться к новой базе данных."));
        return;
    }
    QFile script(templatePath_);
    if (!script.exists() || !script.open(QIODevice::ReadOnly)) {
        qCWarning(core::lcDb) << "template script" << templatePath_
                              << "unreadable:" << script.errorString();
        core::ErrorBox(prompter_, u("Файл шаблона базы данных не найден."));
        return;
    }
    core::runSplitScript(session_.connection(), script.readAll().trimmed());
    prompter_.report(QString::fromUtf8(core::kReportCaption),
                     u("База данных создана успешно. Перезапустите программу."));
    refresh();
}

void DatabaseCatalogue::drop(int index) {
    if (index < 0 || index >= int(entries_.size())) {
        core::ErrorBox(prompter_, u("База данных для удаления не выбрана."));
        return;
    }
    if (!prompter_.destructiveQuestion(
            u("Удалить базу данных"),
            u("Восстановить удаленную базу данных будет невозможно.\n\rВы действительно хотите "
              "удалить выбранную базу данных?")))
        return;
    // The server's own name of the entry: the bare prefix stays itself.
    session_.connection().execute("DROP DATABASE " + identifier(entries_[index].database));
    refresh();
}

}  // namespace admin
