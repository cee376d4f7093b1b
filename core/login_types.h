#pragma once
// The login dialog as the login sees it: preset from the settings, answered
// with the three texts as typed, or nullopt when cancelled.

#include <QString>
#include <QStringList>
#include <optional>

namespace core {

struct LoginPreset {
    QString base_name;
    QStringList login_log;
    QString default_login;
};

struct LoginAnswer {
    QString suffix;
    QString login;
    QString password;
};

class LoginDialog {
  public:
    virtual ~LoginDialog() = default;
    virtual std::optional<LoginAnswer> ask(const LoginPreset& preset) = 0;
};

}  // namespace core
