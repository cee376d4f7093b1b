// velkor-gen: writes a generated journal as an SQL script or loads it into a
// database, for the demo, the benchmarks and hand testing.

#include "core/codepage.h"
#include "core/connection.h"
#include "core/sql_script.h"
#include "tools/gen/journal_generator.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  velkor-gen --rows N [--seed S] --sql FILE\n"
    "  velkor-gen --rows N [--seed S] --host H[:PORT] --user U --password P --database D "
    "[--create]\n"
    "\n"
    "Writes N generated journal rows and their reference lists, the same for the same seed\n"
    "(default 1), either as an SQL script (Windows-1251, one INSERT per line) or straight\n"
    "into database D, whose journal tables must exist; --create makes D first from\n"
    "Template/base.sql.\n";

int usage(const QString& problem) {
    std::fprintf(stderr, "velkor-gen: %s\n\n%s", problem.toLocal8Bit().constData(), kUsage);
    return 2;
}

int failure(const QString& message) {
    std::fprintf(stderr, "velkor-gen: %s\n", message.toLocal8Bit().constData());
    return 1;
}

std::optional<QByteArray> readTemplate() {
    for (const QString& dir :
         {QCoreApplication::applicationDirPath(), QString::fromUtf8(VELKOR_SOURCE_DIR)}) {
        QFile f(dir + "/Template/base.sql");
        if (f.open(QIODevice::ReadOnly)) return f.readAll();
    }
    return std::nullopt;
}

// A database name as an identifier, so that whatever was typed stays a name.
QString quotedName(QString name) { return '`' + name.replace('`', "``") + '`'; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    const QStringList valued = {"--rows", "--seed",     "--sql",     "--host",
                                "--user", "--password", "--database"};
    QMap<QString, QString> opt;
    bool create = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--create") {
            create = true;
        } else if (valued.contains(a)) {
            if (i + 1 >= args.size()) return usage(a + " needs a value");
            if (opt.contains(a)) return usage(a + " is given twice");
            opt[a] = args[++i];
        } else {
            return usage("unknown argument " + a);
        }
    }

    bool ok = false;
    if (!opt.contains("--rows")) return usage("--rows is required");
    const int rows = opt["--rows"].toInt(&ok);
    if (!ok || rows < 0) return usage("--rows needs a whole number of 0 or more");
    quint32 seed = 1;
    if (opt.contains("--seed")) {
        seed = opt["--seed"].toUInt(&ok);
        if (!ok) return usage("--seed needs a whole number from 0 to 4294967295");
    }
    const bool toFile = opt.contains("--sql");
    const bool toServer = opt.contains("--database");
    if (toFile == toServer) return usage("give either --sql FILE or --database D");
    const bool serverOptions =
        opt.contains("--host") || opt.contains("--user") || opt.contains("--password") || create;
    if (toFile && serverOptions) return usage("--sql does not go with the server options");
    if (toServer && (!opt.contains("--host") || !opt.contains("--user")))
        return usage("--database needs --host and --user");

    if (toFile) {
        QFile f(opt["--sql"]);
        const QByteArray sql = testdata::journalSql(rows, seed);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(sql) != sql.size() ||
            !f.flush())
            return failure("cannot write " + f.fileName() + ": " + f.errorString());
        std::printf("%d journal rows written to %s\n", rows,
                    f.fileName().toLocal8Bit().constData());
        return 0;
    }

    const QString database = opt["--database"];
    if (database.trimmed().isEmpty()) return usage("--database needs a name");
    std::optional<QByteArray> script;
    if (create && !(script = readTemplate()))
        return failure("cannot find Template/base.sql beside the program or in the source tree");

    core::Connection c;
    core::SetConnectionParam(c, "HostName", opt["--host"]);
    core::SetConnectionParam(c, "User_Name", opt["--user"]);
    core::SetConnectionParam(c, "Password", opt.value("--password"));
    core::SetConnectionParam(c, "Database", create ? QString() : database);
    try {
        c.open();
        if (create) {
            c.execute("create database " + quotedName(database) + " default character set cp1251");
            c.execute("use " + quotedName(database));
            // The template is run the way the program runs it: split at every
            // semicolon.
            core::runSplitScript(c, *script);
        }
        testdata::fillDatabase(c, rows, seed);
    } catch (const core::DbError& e) {
        return failure(e.message());
    }
    std::printf("%d journal rows loaded into %s\n", rows, database.toLocal8Bit().constData());
    return 0;
}
