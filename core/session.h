#pragma once
// The session: the one connection of the main window to the server, the
// identity it was opened under and the flag that unlocks administration.
// Every feature works on this connection; stateChanged() tells them when it
// opened, closed or was found lost (the connection tells the session the
// moment a call finds the server gone), databaseChanging() that what was
// read from the old database no longer belongs to the connection.

#include "core/connection.h"

#include <QObject>
#include <QString>

namespace core {

class Session : public QObject {
    Q_OBJECT
  public:
    explicit Session(QObject* parent = nullptr);

    Connection& connection() { return connection_; }
    const Connection& connection() const { return connection_; }
    bool connected() const { return connection_.isOpen(); }

    const QString& login_name() const { return login_name_; }
    const QString& password() const { return password_; }
    const QString& base_suffix() const { return base_suffix_; }
    const QString& database_name() const { return database_name_; }
    bool admin_enabled() const { return admin_enabled_; }
    // The administrator without a suffix works on the server's own database.
    bool onServerDatabase() const;

    // Takes the login's texts, names the database ("velkor" + suffix, or
    // "mysql" for root without a suffix), sets the connection's parameters
    // and connects. Throws DbError when the server refuses; the connection
    // then stays closed.
    void open(const QString& hostName, const QString& suffix, const QString& login,
              const QString& password);
    // Points the open session at another database of the same server under
    // the same account: the connection is closed, databaseChanging() is
    // emitted, the suffix and database name change, and the connection is
    // opened again. Throws DbError when
    // the server refuses; the connection then stays closed.
    void switchDatabase(const QString& suffix, const QString& databaseName);
    // The server took `password` for the session's own account: every later
    // open uses it, the import's script connection's included, which copies
    // the connection's parameters. The open connection stays open.
    void passwordChanged(const QString& password);
    // Set by every successful login and never cleared during the run.
    void enableAdministration();

  Q_SIGNALS:
    void stateChanged();
    // Before the session moves to another database: whoever holds rows of
    // the old one closes them.
    void databaseChanging();

  private:
    void openAndTell();

    // The connection's word that the server is gone, as stateChanged().
    struct LossRelay : ConnectionLossListener {
        Session* session;
        explicit LossRelay(Session* s) : session(s) {}
        void connectionLost() override { Q_EMIT session->stateChanged(); }
    };
    LossRelay lossRelay_{this};

    Connection connection_;
    QString login_name_;
    QString password_;
    QString base_suffix_;
    QString database_name_;
    bool admin_enabled_ = false;
};

}  // namespace core
