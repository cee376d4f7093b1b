#pragma once
// The private test server: connection parameters from the environment CTest
// sets, and databases with unique names that are dropped again.

#include "core/connection.h"
#include "tests/support/qt_printers.h"

#include <QString>
#include <QStringList>

namespace testing_support {

QString serverHost();  // host:port
QString serverUser();
QString serverPassword();
QString sourceDir();  // the project's source folder

// A connection's parameter list pointed at the test server and database.
QStringList serverParams(const QString& database = QString());

// Opens a connection to the test server; fails the test when none answers.
void openServer(core::Connection& c, const QString& database = QString());

// A database with a unique name, created on construction and dropped on
// destruction. `withTemplate` creates the journal tables from the template.
class TempDatabase {
  public:
    explicit TempDatabase(bool withTemplate = true, const QString& prefix = "vt_");
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const QString& name() const { return name_; }
    core::Connection& connection() { return admin_; }  // open on this database
    void exec(const QString& sql) { admin_.execute(sql); }

  private:
    QString name_;
    core::Connection admin_;
};

// Runs a script split at every semicolon, as the template runner does.
void runScript(core::Connection& c, const QByteArray& script);
QByteArray templateScript();

}  // namespace testing_support
