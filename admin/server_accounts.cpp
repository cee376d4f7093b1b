#include "admin/server_accounts.h"

#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"

namespace admin {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QByteArray literal(const QString& text) { return core::SqlQuote(core::toCp1251(text), true); }

// The server's answer to a statement it cannot parse: what MySQL 8 says to
// GRANT ... IDENTIFIED BY and to PASSWORD(), which it no longer has.
constexpr unsigned kParseError = 1064;

bool checkSelected(core::Prompter& prompter, const std::optional<Account>& selected,
                   const char* noneText) {
    if (!selected) {
        core::ErrorBox(prompter, u(noneText));
        return false;
    }
    if (selected->user.isEmpty()) {
        core::ErrorBox(prompter, u("Неправильное имя пользователя"));
        return false;
    }
    return true;
}

bool passwordsMatch(core::Prompter& prompter, const AccountAnswer& answer) {
    if (answer.password1 == answer.password2) return true;
    core::ErrorBox(prompter, u("Первый и второй варианты паролей не совпадают"));
    return false;
}

}  // namespace

ServerAccounts::ServerAccounts(core::Session& session, core::Prompter& prompter,
                               AccountDialog& dialog)
    : session_(session), connection_(session.connection()), prompter_(prompter), dialog_(dialog) {}

QStringList ServerAccounts::lines() const {
    QStringList out;
    for (const Account& a : accounts_) out << a.line();
    return out;
}

QByteArray ServerAccounts::accountName(const Account& account) const {
    return literal(account.user) + '@' + literal(account.host);
}

void ServerAccounts::refresh() {
    accounts_.clear();
    auto result = connection_.query(
        QByteArrayLiteral("select User, Host from mysql.user order by User, Host"));
    while (result->next())
        accounts_.push_back(Account{result->field(0).asText(), result->field(1).asText()});
}

void ServerAccounts::add() {
    const std::optional<AccountAnswer> answer = dialog_.askAccount(QString(), true);
    if (!answer) return;
    const QString name = answer->name.trimmed();
    if (name.isEmpty()) {
        core::ErrorBox(prompter_, u("Не указано имя пользователя"));
        return;
    }
    if (!passwordsMatch(prompter_, *answer)) return;
    const Account account{name, QStringLiteral("%")};
    const QByteArray rights =
        "GRANT Select, Insert, Update, Delete ON *.* TO " + accountName(account);
    try {
        connection_.execute(rights + " IDENTIFIED BY " + literal(answer->password2));
    } catch (const core::DbError& e) {
        if (e.number() != kParseError) throw;
        // A server whose GRANT no longer makes accounts.
        qCWarning(core::lcDb) << "GRANT with a password refused, creating the account apart:"
                              << e.detail();
        connection_.execute("CREATE USER IF NOT EXISTS " + accountName(account));
        setPassword(account, answer->password2);
        connection_.execute(rights);
    }
    // GRANT ... IDENTIFIED BY gives an account that exists a new password.
    followOwnPassword(account, answer->password2);
    prompter_.report(QString::fromUtf8(core::kReportCaption),
                     u("Новый пользователь добавлен успешно."));
    refresh();
}

void ServerAccounts::remove(const std::optional<Account>& selected) {
    if (!checkSelected(prompter_, selected, "Не выбран пользователь для удаления")) return;
    if (selected->user.compare(QStringLiteral("root"), Qt::CaseInsensitive) == 0) {
        core::ErrorBox(prompter_, u("Этого пользователя удалять нельзя."));
        return;
    }
    // Removes the account with all its rights and takes effect at once; the
    // account tables themselves are views on newer servers.
    connection_.execute("DROP USER " + accountName(*selected));
    prompter_.report(u("Удалить пользователя"), u("Пользователь удален успешно."));
    refresh();
}

void ServerAccounts::newPassword(const std::optional<Account>& selected) {
    if (!checkSelected(prompter_, selected, "Не выбран пользователь для смены пароля")) return;
    const std::optional<AccountAnswer> answer = dialog_.askAccount(selected->user, false);
    if (!answer) return;
    if (!passwordsMatch(prompter_, *answer)) return;
    setPassword(*selected, answer->password2);
    followOwnPassword(*selected, answer->password2);
    prompter_.report(QString::fromUtf8(core::kReportCaption),
                     u("Пароль пользователя был изменен."));
}

void ServerAccounts::followOwnPassword(const Account& account, const QString& password) {
    // CURRENT_USER() is the account the server matched at login, host
    // pattern included, so bob@% and bob@localhost stay apart.
    auto r = connection_.query(
        "select convert(CURRENT_USER() using utf8mb4) collate utf8mb4_bin = convert(concat(" +
        literal(account.user) + ", '@', " + literal(account.host) +
        ") using utf8mb4) collate utf8mb4_bin");
    const bool own = r->next() && r->field(0).asInt64() == 1;
    r.reset();
    if (own) session_.passwordChanged(password);
}

void ServerAccounts::setPassword(const Account& account, const QString& password) {
    try {
        connection_.execute("SET PASSWORD FOR " + accountName(account) + " = PASSWORD(" +
                            literal(password) + ")");
    } catch (const core::DbError& e) {
        if (e.number() != kParseError) throw;
        qCWarning(core::lcDb) << "PASSWORD() refused, setting the password by ALTER USER:"
                              << e.detail();
        connection_.execute("ALTER USER " + accountName(account) + " IDENTIFIED BY " +
                            literal(password));
    }
}

}  // namespace admin
