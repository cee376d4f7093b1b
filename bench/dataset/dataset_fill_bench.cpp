// Fills a client dataset with every row of a generated journal and times it
// against the mariadb command-line client fetching the same query, in the
// same run, on the same server. Also compares the dataset's memory with the
// size of the table's text as the command-line client prints it.
//
//   bench_dataset_fill HOST:PORT USER PASSWORD [ROWS] [RUNS]
// (bench/run_server_bench.sh bench_dataset_fill starts a server for it)
//
// The run that first creates the database fills the heap while generating
// it, so its resident-memory figure means nothing; read it from a later run.

#include "bench/support/bench_server.h"
#include "core/client_dataset.h"
#include "core/connection.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

long rssBytes() {
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<bench::Args> args = bench::parseArgs(argc, argv);
    if (!args) return 2;
    const QString host = args->server.host, user = args->server.user,
                  password = args->server.password;
    const int rows = args->rows, runs = args->runs;
    const QString db = QString("velkorbench%1").arg(rows);

    const bench::Server server{host, user, password};
    if (!bench::ensureJournalDatabase(server, db, rows)) return 1;
    core::Connection c;
    core::SetConnectionParam(c, "HostName", host);
    core::SetConnectionParam(c, "User_Name", user);
    core::SetConnectionParam(c, "Password", password);
    core::SetConnectionParam(c, "Database", db);
    try {
        c.open();
    } catch (const core::DbError& e) {
        std::fprintf(stderr, "server: %s\n", e.what());
        return 1;
    }
    const QString query = QStringLiteral("select * from doc_list");
    auto runCli = [&](const QString& out) {
        return bench::timeCommandLineClient(server, db, query, out);
    };

    // The text as the command-line client prints it.
    const QString textFile = QString("/tmp/bench_dataset_%1.txt").arg(getpid());
    runCli(textFile);
    const qint64 textSize = QFile(textFile).size();
    QFile::remove(textFile);

    // First fill: memory.
    const long before = rssBytes();
    auto ds = std::make_unique<core::ClientDataSet>("ClientDataSet_doc_list", c);
    ds->setCommandText(QByteArray("select * from doc_list"));
    QElapsedTimer t;
    t.start();
    ds->open();
    const double first = t.nsecsElapsed() / 1e9;
    const long after = rssBytes();
    std::printf("rows: %d, first fill %.3f s\n", ds->rowCount(), first);

    std::vector<double> fill, cli;
    for (int i = 0; i < runs; ++i) {
        cli.push_back(runCli("/dev/null"));
        t.restart();
        ds->open();
        fill.push_back(t.nsecsElapsed() / 1e9);
    }
    const double f = bench::median(fill), m = bench::median(cli);
    std::printf("dataset fill (median of %d): %.3f s\n", runs, f);
    std::printf("mariadb -e  (median of %d): %.3f s\n", runs, m);
    std::printf("time ratio fill / cli: %.2f (goal <= 1.5)\n", f / m);
    std::printf("cli text: %lld bytes\n", (long long)textSize);
    std::printf("dataset held bytes: %zu, resident growth: %ld bytes\n", ds->memoryUsage(),
                after - before);
    std::printf("memory ratio (resident growth / text): %.2f (goal <= 2)\n",
                double(after - before) / double(textSize));
    return 0;
}
