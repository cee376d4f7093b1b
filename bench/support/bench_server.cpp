#include "bench/support/bench_server.h"

#include "core/connection.h"
#include "core/sql_script.h"
#include "tools/gen/journal_generator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

namespace bench {

std::optional<Args> parseArgs(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HOST:PORT USER PASSWORD [ROWS] [RUNS]\n", argv[0]);
        return std::nullopt;
    }
    Args a;
    a.server = {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                QString::fromLocal8Bit(argv[3])};
    if (argc > 4) a.rows = std::atoi(argv[4]);
    if (argc > 5) a.runs = std::atoi(argv[5]);
    return a;
}

bool ensureJournalDatabase(const Server& server, const QString& database, int rows) {
    core::Connection c;
    core::SetConnectionParam(c, "HostName", server.host);
    core::SetConnectionParam(c, "User_Name", server.user);
    core::SetConnectionParam(c, "Password", server.password);
    core::SetConnectionParam(c, "Database", "");
    try {
        c.open();
        {
            auto r = c.query("show databases like '" + database + "'");
            if (r->next()) return true;
        }
        std::printf("creating %s with %d rows...\n", qPrintable(database), rows);
        c.execute("create database " + database + " default character set cp1251");
        c.execute("use " + database);
        QFile t(QStringLiteral(VELKOR_SOURCE_DIR "/Template/base.sql"));
        if (!t.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(t.fileName()));
            return false;
        }
        core::runSplitScript(c, t.readAll());
        testdata::fillDatabase(c, rows, 1);
        return true;
    } catch (const core::DbError& e) {
        std::fprintf(stderr, "server: %s\n", e.what());
        return false;
    }
}

double timeCommandLineClient(const Server& server, const QString& database, const QString& query,
                             const QString& outputFile) {
    const QStringList args = {"--no-defaults",
                              "-h",
                              server.host.section(':', 0, 0),
                              "-P",
                              server.host.section(':', 1, 1),
                              "-u",
                              server.user,
                              "-p" + server.password,
                              "--default-character-set=cp1251",
                              "-e",
                              query,
                              database};
    QProcess p;
    p.setStandardOutputFile(outputFile);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("mariadb"), args);
    p.waitForFinished(-1);
    return t.nsecsElapsed() / 1e9;
}

}  // namespace bench
