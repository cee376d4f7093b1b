// Logs in to a generated 100,000-row journal, selects all rows and times the
// journal query until the grid's model holds every row with its display
// columns composed; in the same run times the mariadb command-line client
// fetching the same query. Also times narrowing the loaded rows through the
// filter row.
//
//   bench_journal_query HOST:PORT USER PASSWORD [ROWS] [RUNS]
// (bench/run_server_bench.sh bench_journal_query starts a server for it)

#include "app/form_main.h"
#include "bench/support/bench_server.h"
#include "bench/support/silent_prompter.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "journal/journal_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::optional<bench::Args> args = bench::parseArgs(argc, argv);
    if (!args) return 2;
    const QString host = args->server.host, user = args->server.user,
                  password = args->server.password;
    const int rows = args->rows, runs = args->runs;
    const QString suffix = QString("bench%1").arg(rows);
    const QString db = "velkor" + suffix;

    const bench::Server server{host, user, password};
    if (!bench::ensureJournalDatabase(server, db, rows)) return 1;

    QTemporaryDir dir;
    bench::SilentPrompter prompter;
    bench::Login login;
    login.answer = {suffix, user, password};
    app::TFormMain window(dir.filePath("velkor.INI"), {.prompter = &prompter, .login = &login});
    window.resize(1400, 900);
    window.show();
    window.context().settings.values().HostName = host;
    window.ActionLogin->trigger();
    if (!window.context().session.connected()) return 1;
    window.context().selection.setSelection(QString(), "Все данные");

    std::vector<double> query, cli;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        cli.push_back(
            bench::timeCommandLineClient(server, db, "select * from doc_list  ORDER BY Rec_IDN"));
        t.start();
        window.journalView().RunJournalQuery();
        const int shown = window.grid().rowsModel()->rowCount();
        query.push_back(t.nsecsElapsed() / 1e9);
        if (shown != rows) std::fprintf(stderr, "the grid shows %d rows\n", shown);
    }
    app.processEvents();
    const double q = bench::median(query), m = bench::median(cli);
    std::printf("rows in the grid: %d\n", window.grid().rowsModel()->rowCount());
    std::printf("journal query into the grid (median of %d): %.3f s\n", runs, q);
    std::printf("mariadb -e same query       (median of %d): %.3f s\n", runs, m);
    std::printf("ratio: %.2f (goal <= 1.5)\n", q / m);

    // Narrowing through the filter row: organisation column (grid column 3).
    QLineEdit* filter = window.grid().filterEdit(3);
    std::vector<double> narrow;
    for (const char* text : {"школа", "архів", "товариство", "к"}) {
        t.restart();
        filter->setText(QString::fromUtf8(text));
        narrow.push_back(t.nsecsElapsed() / 1e9);
        std::printf("filter \"%s\": %d rows in %.3f s\n", text,
                    window.grid().rowsModel()->rowCount(), narrow.back());
        filter->clear();
    }
    std::printf("filter narrowing, worst: %.3f s (goal < 0.2)\n",
                *std::max_element(narrow.begin(), narrow.end()));
    return 0;
}
