#pragma once
// The private test server: connection parameters from the environment CTest
// sets, and databases with unique names that are dropped again.

#include "core/connection.h"
#include "tests/support/qt_printers.h"

#include <QString>
#include <QStringList>

namespace testing_support {

// The project's server (cp1251), or the one started with a packaged
// server's defaults (utf8mb4, strict sql_mode), which tests built with
// velkor_add_test(... STOCK) have.
enum class Server { Project, Stock };

QString serverHost(Server server = Server::Project);  // host:port
QString serverUser();
QString serverPassword();
QString sourceDir();  // the project's source folder

// A connection's parameter list pointed at the test server and database.
QStringList serverParams(const QString& database = QString(), Server server = Server::Project);

// Opens a connection to the test server; fails the test when none answers.
void openServer(core::Connection& c, const QString& database = QString(),
                Server server = Server::Project);

// A database with a unique name, created on construction and dropped on
// destruction. `withTemplate` creates the journal tables from the template.
class TempDatabase {
  public:
    // On the stock server the database takes that server's default
    // character set, as one created there without naming one does.
    explicit TempDatabase(bool withTemplate = true, const QString& prefix = "vt_",
                          Server server = Server::Project);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const QString& name() const { return name_; }
    core::Connection& connection() { return admin_; }  // open on this database
    void exec(const QString& sql) { admin_.execute(sql); }

    Server server() const { return server_; }

  private:
    QString name_;
    Server server_;
    core::Connection admin_;
};

// Runs a script split at every semicolon, as the template runner does.
void runScript(core::Connection& c, const QByteArray& script);
QByteArray templateScript();

}  // namespace testing_support
