#include "core/session.h"

#include "core/schema.h"

namespace core {

Session::Session(QObject* parent) : QObject(parent), database_name_(schema::kDatabasePrefix) {
    connection_.setLossListener(&lossRelay_);
}

bool Session::onServerDatabase() const {
    return base_suffix_.isEmpty() &&
           login_name_.compare(QStringLiteral("root"), Qt::CaseInsensitive) == 0;
}

void Session::open(const QString& hostName, const QString& suffix, const QString& login,
                   const QString& password) {
    base_suffix_ = suffix;
    login_name_ = login;
    password_ = password;
    database_name_ =
        onServerDatabase() ? QStringLiteral("mysql") : schema::kDatabasePrefix + base_suffix_;
    SetConnectionParam(connection_, QStringLiteral("HostName"), hostName);
    SetConnectionParam(connection_, QStringLiteral("User_Name"), login_name_);
    SetConnectionParam(connection_, QStringLiteral("Password"), password_);
    SetConnectionParam(connection_, QStringLiteral("Database"), database_name_);
    openAndTell();
}

// Whether it opens or not, the session's state has changed: the enabling
// rule hears of it either way.
void Session::openAndTell() {
    try {
        connection_.open();
    } catch (...) {
        Q_EMIT stateChanged();
        throw;
    }
    Q_EMIT stateChanged();
}

void Session::switchDatabase(const QString& suffix, const QString& databaseName) {
    connection_.close();
    Q_EMIT databaseChanging();
    base_suffix_ = suffix;
    database_name_ = databaseName;
    SetConnectionParam(connection_, QStringLiteral("Database"), database_name_);
    openAndTell();
}

void Session::passwordChanged(const QString& password) {
    password_ = password;
    connection_.setParam(QStringLiteral("Password"), password_);
}

void Session::enableAdministration() {
    admin_enabled_ = true;
    Q_EMIT stateChanged();
}

}  // namespace core
