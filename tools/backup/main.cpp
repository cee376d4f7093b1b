// velkor-backup: the export and import of the main window without a window,
// for scheduled backups, and the verification of an archive.
//
//   velkor-backup export --host HOST[:PORT] --user USER --database NAME [--verify] OUT.ARC
//   velkor-backup import --host HOST[:PORT] --user USER [--ignore-errors] [--direct] ARCHIVE
//   velkor-backup verify --host HOST[:PORT] --user USER --database NAME ARCHIVE
//
// The import runs into a staging database and replaces the database only
// when the whole script went through. --ignore-errors goes on past failing
// statements and past an archive whose count lines and rows disagree;
// --direct runs the script straight into the database when the account may
// not create the staging database (a failure then leaves it part-way).
//
// verify checks the archive as the import does, restores it into a scratch
// database on the same server, compares every table of NAME (which may be
// another database than the archive's) with it by row count and CHECKSUM
// TABLE, prints a line per table that differs and drops the scratch
// database, whatever happened. export --verify verifies the archive it has
// just written against the database it came from.
//
// The password comes from VELKOR_PASSWORD or is asked on the terminal
// without echo: never from the command line, where other users see it.
// Progress and messages go to standard error. The exit status is 0 only
// when everything was written or executed and, where verified, found
// equal; 1 when something failed or differs; 2 for a wrong command line.

#include "backup/archive_verify.h"
#include "backup/database_export.h"
#include "backup/database_import.h"
#include "core/connection.h"

#include <termios.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  velkor-backup export --host HOST[:PORT] --user USER --database NAME [--verify] OUT.ARC\n"
    "  velkor-backup import --host HOST[:PORT] --user USER [--ignore-errors] [--direct] ARCHIVE\n"
    "  velkor-backup verify --host HOST[:PORT] --user USER --database NAME ARCHIVE\n"
    "\n"
    "The import replaces the database only when the whole script ran. --ignore-errors\n"
    "goes on past failing statements and past count lines that disagree with the rows;\n"
    "--direct runs the script straight into the database when the account may not\n"
    "create the staging database.\n"
    "\n"
    "verify restores the archive into a scratch database on the same server, compares\n"
    "every table of NAME with it by row count and CHECKSUM TABLE, prints the tables\n"
    "that differ and drops the scratch database. export --verify verifies the archive\n"
    "it has written.\n"
    "\n"
    "The password is taken from the environment variable VELKOR_PASSWORD, or asked\n"
    "on the terminal. Exit status 0 only when everything was written or executed and,\n"
    "where verified, equal; 1 when something failed or differs; 2 for wrong usage.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void say(const QString& text) {
    std::fprintf(stderr, "velkor-backup: %s\n", text.toLocal8Bit().constData());
}

// The program's boxes as lines on standard error. A failing statement is
// ignored or ends the import, as the command line said.
class ConsolePrompter : public core::Prompter {
  public:
    explicit ConsolePrompter(bool ignoreErrors) : ignoreErrors_(ignoreErrors) {}
    int failures = 0;
    int errors = 0;

    void error(const QString&, const QString& text) override {
        ++errors;
        say(text);
    }
    void report(const QString&, const QString& text) override { say(text); }
    bool question(const QString&, const QString&) override { return true; }
    bool destructiveQuestion(const QString&, const QString&) override { return false; }
    Answer abortRetryIgnore(const QString&, const QString& text) override {
        ++failures;
        say(text);
        return ignoreErrors_ ? Answer::Ignore : Answer::Abort;
    }
    std::optional<QString> openFileName(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> inputString(const QString&, const QString&, const QString&) override {
        return {};
    }
    void beep() override {}

  private:
    bool ignoreErrors_;
};

// Progress as lines on standard error: the operations, and a line every
// tenth of the way through the whole run.
class ConsoleProgress : public core::Progress {
  public:
    void start(const QString&, const QString& operation) override { setOperation(operation); }
    void setOperation(const QString& operation) override { say(operation); }
    void setTotalMaximum(qint64 maximum) override {
        maximum_ = maximum;
        shown_ = -1;
    }
    void setTotalPosition(qint64 position) override {
        if (maximum_ <= 0) return;
        const qint64 tenth = position * 10 / maximum_;
        if (tenth == shown_) return;
        shown_ = tenth;
        std::fprintf(stderr, "velkor-backup: %lld%%\n", static_cast<long long>(tenth * 10));
    }
    void setStepMaximum(qint64) override {}
    void setStepPosition(qint64) override {}
    void processEvents() override {}
    bool aborted() const override { return false; }
    void finish() override {}

  private:
    qint64 maximum_ = 0;
    qint64 shown_ = -1;
};

QString password() {
    if (const char* env = std::getenv("VELKOR_PASSWORD")) return QString::fromLocal8Bit(env);
    std::string line;
    if (isatty(STDIN_FILENO)) {
        std::fputs("Password: ", stderr);
        termios old{};
        tcgetattr(STDIN_FILENO, &old);
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        std::getline(std::cin, line);
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
        std::fputc('\n', stderr);
    } else {
        std::getline(std::cin, line);
    }
    return QString::fromLocal8Bit(line.c_str());
}

struct Options {
    QString command, host, user, database, file;
    bool ignoreErrors = false;
    bool direct = false;
    bool verify = false;  // export --verify
};

std::optional<Options> parse(const QStringList& args) {
    if (args.size() < 2) return std::nullopt;
    Options o;
    o.command = args[1];
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == "--host") {
            if (!value(o.host)) return std::nullopt;
        } else if (a == "--user") {
            if (!value(o.user)) return std::nullopt;
        } else if (a == "--database" && (o.command == "export" || o.command == "verify")) {
            if (!value(o.database)) return std::nullopt;
        } else if (a == "--verify" && o.command == "export") {
            o.verify = true;
        } else if (a == "--ignore-errors" && o.command == "import") {
            o.ignoreErrors = true;
        } else if (a == "--direct" && o.command == "import") {
            o.direct = true;
        } else if (!a.startsWith("--") && o.file.isEmpty()) {
            o.file = a;
        } else {
            return std::nullopt;
        }
    }
    if (o.command != "export" && o.command != "import" && o.command != "verify")
        return std::nullopt;
    if (o.host.isEmpty() || o.user.isEmpty() || o.file.isEmpty()) return std::nullopt;
    if (o.command != "import" && o.database.isEmpty()) return std::nullopt;
    return o;
}

// Verifies the archive against the database and prints the report: true
// only when all is equal and no statement failed.
bool verify(core::Connection& main, const QString& archive, const QString& database) {
    ConsolePrompter prompter(false);
    ConsoleProgress progress;
    core::Connection script;
    const backup::VerifyReport report = backup::verifyArchive(
        main, script, archive, database, prompter, progress, backup::ImportChoices::Answer::No);
    for (const QString& line : backup::verifyReportLines(report, database)) say(line);
    return report.equal() && prompter.failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Options> o = parse(app.arguments());
    if (!o) return usage();

    ConsolePrompter prompter(o->ignoreErrors);
    ConsoleProgress progress;
    core::Connection main;
    core::SetConnectionParam(main, QStringLiteral("HostName"), o->host);
    core::SetConnectionParam(main, QStringLiteral("User_Name"), o->user);
    core::SetConnectionParam(main, QStringLiteral("Password"), password());
    // The import's script makes its own database; it starts on none.
    core::SetConnectionParam(main, QStringLiteral("Database"),
                             o->command == "import" ? QString() : o->database);
    try {
        main.open();
        if (o->command == "verify") return verify(main, o->file, o->database) ? 0 : 1;
        if (o->command == "export") {
            const backup::ExportResult r =
                backup::exportDatabase(main, o->database, o->file, progress);
            // The archive is named only where there is one.
            const bool written =
                r == backup::ExportResult::Done || r == backup::ExportResult::Aborted;
            const QString archive = backup::exportArchivePath(backup::exportScriptPath(o->file));
            say(backup::exportResultText(r) + (written ? ' ' + archive : QString()));
            if (r != backup::ExportResult::Done) return 1;
            return !o->verify || verify(main, archive, o->database) ? 0 : 1;
        }
        core::Connection script;
        using Answer = backup::ImportChoices::Answer;
        backup::ImportChoices choices;
        choices.countMismatch = o->ignoreErrors ? Answer::Yes : Answer::No;
        choices.directRun = o->direct ? Answer::Yes : Answer::No;
        const backup::ImportResult r =
            backup::importArchive(main, script, o->file, prompter, progress, choices);
        if (r == backup::ImportResult::Empty) say(QStringLiteral("The archive has no members."));
        if (r == backup::ImportResult::Declined)
            say(QStringLiteral("Nothing imported (see --ignore-errors and --direct)."));
        // The window's report without its advice to restart the program.
        QStringList report = backup::importResultText(r).split(QStringLiteral("\n\r"));
        report.removeAll(QString::fromUtf8("Перезапустите программу."));
        if (!report.join(' ').isEmpty()) say(report.join(' '));
        return r == backup::ImportResult::Done && prompter.failures == 0 ? 0 : 1;
    } catch (const core::DbError& e) {
        say(e.detail());
        return 1;
    }
}
