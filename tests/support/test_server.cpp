#include "tests/support/test_server.h"

#include "core/sql_script.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <atomic>

namespace testing_support {

namespace {
QString env(const char* name, const char* fallback) {
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(fallback) : v;
}
}  // namespace

QString serverHost(Server server) {
    return server == Server::Stock ? env("VELKOR_STOCK_TEST_HOST", VELKOR_STOCK_TEST_HOST_DEFAULT)
                                   : env("VELKOR_TEST_HOST", VELKOR_TEST_HOST_DEFAULT);
}
QString serverUser() { return env("VELKOR_TEST_USER", "root"); }
QString serverPassword() { return env("VELKOR_TEST_PASSWORD", "velkor-root"); }
QString sourceDir() { return env("VELKOR_SOURCE_DIR", VELKOR_SOURCE_DIR_DEFAULT); }

QStringList serverParams(const QString& database, Server server) {
    core::Connection c;
    core::SetConnectionParam(c, "HostName", serverHost(server));
    core::SetConnectionParam(c, "User_Name", serverUser());
    core::SetConnectionParam(c, "Password", serverPassword());
    core::SetConnectionParam(c, "Database", database);
    return c.params();
}

void openServer(core::Connection& c, const QString& database, Server server) {
    c.setParams(serverParams(database, server));
    try {
        c.open();
    } catch (const core::DbError& e) {
        ADD_FAILURE() << "the private test server does not answer at "
                      << serverHost(server).toStdString() << ": " << e.what();
        throw;
    }
}

QByteArray templateScript() {
    QFile f(sourceDir() + "/Template/base.sql");
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << f.fileName().toStdString();
        return {};
    }
    return f.readAll();
}

void runScript(core::Connection& c, const QByteArray& script) { core::runSplitScript(c, script); }

TempDatabase::TempDatabase(bool withTemplate, const QString& prefix, Server server)
    : server_(server) {
    static std::atomic<int> counter{0};
    name_ = QString("%1%2_%3").arg(prefix).arg(::getpid()).arg(counter++);
    openServer(admin_, QString(), server_);
    admin_.execute("drop database if exists " + name_);
    admin_.execute("create database " + name_ +
                   (server_ == Server::Stock ? "" : " default character set cp1251"));
    admin_.execute("use " + name_);
    if (withTemplate) runScript(admin_, templateScript());
}

TempDatabase::~TempDatabase() {
    try {
        if (!admin_.isOpen()) openServer(admin_, QString(), server_);
        admin_.execute("drop database if exists " + name_);
    } catch (...) {
    }
}

}  // namespace testing_support
