// Logs in to a generated journal and times saving a new record: from
// "Сохранить" in the editor (with auto-fill on, every list text already
// known) until the row is on the server; in the same run times the mariadb
// command-line client inserting the same row (with a negative number, which
// the next record number does not depend on).
//
//   bench_record_save HOST:PORT USER PASSWORD [ROWS] [RUNS]
// (bench/run_server_bench.sh bench_record_save starts a server for it)

#include "app/form_main.h"
#include "bench/support/bench_server.h"
#include "bench/support/silent_prompter.h"
#include "core/schema.h"
#include "grid/data_grid.h"
#include "journal/form_edit_record.h"
#include "journal/journal_controller.h"
#include "journal/journal_view.h"
#include "tests/support/dialog_user.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::optional<bench::Args> args = bench::parseArgs(argc, argv);
    if (!args) return 2;
    if (argc < 5) args->rows = 2000;
    if (argc < 6) args->runs = 20;
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
    core::AppContext& context = window.context();
    journal::TFormEditRecord& editor = window.journal().editor();
    context.settings.values().HostName = host;
    window.ActionLogin->trigger();
    if (!context.session.connected()) return 1;

    // Latin, so that the command-line client sends the very same bytes.
    const QString source = QStringLiteral("Kantseliariia");
    QElapsedTimer t;
    std::vector<double> save, cli;
    using enum journal::EditorControl;
    testing_support::DialogUser typist(editor);
    typist.always([&] {
        editor.list(Source)->setEditText(source);
        editor.edit(DocNum)->setText(QStringLiteral("bench"));
        editor.edit(Shtuk)->setText(QStringLiteral("5"));
        t.start();
        editor.okButton()->click();
    });
    for (int i = 0; i < runs; ++i) {
        window.journal().ActionAddRecordExecute();
        save.push_back(t.nsecsElapsed() / 1e9);
        cli.push_back(bench::timeCommandLineClient(
            server, db,
            QString("insert into doc_list (Rec_IDN, doc_source, pr_date, doc_number, shtuk_count,"
                    " post_user, post_moment) values (%1, '%2', '2026-10-02', 'bench', 5,"
                    " user(), now())")
                .arg(-1 - i)
                .arg(source)));
    }
    const double s = bench::median(save), m = bench::median(cli);
    std::printf("save from \"Сохранить\" to the server (median of %d): %.4f s\n", runs, s);
    std::printf("mariadb -e bare INSERT                (median of %d): %.4f s\n", runs, m);
    std::printf("ratio: %.2f (goal <= 3)\n", s / m);
    return 0;
}
