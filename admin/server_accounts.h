#pragma once
// The accounts of the database server: listed as user@host, added with
// the rights to read and change every database, deleted, and given new
// passwords. Every name, host and password goes into the statements as an
// escaped literal, so whatever was typed or listed is taken as it stands.

#include "core/prompter.h"
#include "core/session.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace admin {

struct Account {
    QString user;
    QString host;
    // How the list shows it: user, "@", host.
    QString line() const { return user + QLatin1Char('@') + host; }
};

// What the account window gives back when confirmed.
struct AccountAnswer {
    QString name;  // as typed
    QString password1;
    QString password2;
};

// The account window: shows `name` in its name field, editable or not,
// with both password fields empty.
class AccountDialog {
  public:
    virtual ~AccountDialog() = default;
    virtual std::optional<AccountAnswer> askAccount(const QString& name, bool nameEditable) = 0;
};

class ServerAccounts {
  public:
    // Works on the session's connection; a new password for the session's
    // own account becomes the session's.
    ServerAccounts(core::Session& session, core::Prompter& prompter, AccountDialog& dialog);

    const std::vector<Account>& accounts() const { return accounts_; }
    QStringList lines() const;

    // Server refusals of every operation are thrown; the operation ends
    // where it was refused.
    void refresh();
    void add();
    // `selected`: the account of the selected line as the server listed it
    // (never re-read from the line, whose "@" may belong to the name);
    // nullopt when no line is selected. An empty user name is refused.
    void remove(const std::optional<Account>& selected);
    void newPassword(const std::optional<Account>& selected);

  private:
    QByteArray accountName(const Account& account) const;
    void setPassword(const Account& account, const QString& password);
    // After the server took a password for `account`: when that is the
    // account the session logged in as, the session follows.
    void followOwnPassword(const Account& account, const QString& password);

    core::Session& session_;
    core::Connection& connection_;
    core::Prompter& prompter_;
    AccountDialog& dialog_;
    std::vector<Account> accounts_;
};

}  // namespace admin
