#pragma once
// What the server benchmarks share: a generated journal database made once
// and kept on the benchmark server, and timing the mariadb command-line
// client on the same query.

#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <vector>

namespace bench {

struct Server {
    QString host;  // host:port
    QString user;
    QString password;
};

// The command line every server benchmark takes:
//   HOST:PORT USER PASSWORD [ROWS] [RUNS]
struct Args {
    Server server;
    int rows = 100000;
    int runs = 5;
};
// nullopt (after printing the usage) when the line is short.
std::optional<Args> parseArgs(int argc, char** argv);

// Creates the database from the template and fills it with `rows`
// generated records unless it exists already. False (with the server's
// message on standard error) when the server refuses.
bool ensureJournalDatabase(const Server& server, const QString& database, int rows);

// Seconds the mariadb client takes to run the query and print its rows to
// the file (cp1251, tab-separated as it prints them when not on a terminal).
double timeCommandLineClient(const Server& server, const QString& database, const QString& query,
                             const QString& outputFile = QStringLiteral("/dev/null"));

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace bench
