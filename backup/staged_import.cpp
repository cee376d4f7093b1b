#include "backup/staged_import.h"

#include "backup/archive_check.h"
#include "backup/script_runner.h"
#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"

#include <QRandomGenerator>
#include <QSet>
#include <algorithm>

namespace backup {

namespace {

// ER_DBACCESS_DENIED_ERROR, ER_ACCESS_DENIED_ERROR, ER_TABLEACCESS_DENIED_ERROR,
// ER_SPECIFIC_ACCESS_DENIED_ERROR.
bool accessDenied(unsigned number) {
    return number == 1044 || number == 1045 || number == 1142 || number == 1227;
}
constexpr unsigned kDatabaseExists = 1007;  // ER_DB_CREATE_EXISTS

// The target's name, the tag and a unique ending, in characters that need
// no quoting, within the server's 64.
QByteArray stagingName(const QByteArray& target, const QByteArray& tag) {
    QByteArray base = target.left(64 - tag.size() - 8);
    for (char& c : base)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '_';
    return base + tag +
           QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
}

}  // namespace

QByteArray quoteName(const QByteArray& name) {
    QByteArray out = name;
    out.replace('`', "``");
    return '`' + out + '`';
}

StagedImport::StagedImport(core::Connection& scriptConnection, const QByteArray& target,
                           const QByteArray& tag)
    : c_(scriptConnection), target_(target), tag_(tag) {}

bool StagedImport::begin() {
    // The name is taken by creating it: the script's own DROP DATABASE IF
    // EXISTS must never meet a database that someone else made.
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = stagingName(target_, tag_);
        try {
            c_.execute("CREATE DATABASE " + name);
            staging_ = name;
            return true;
        } catch (const core::DbError& e) {
            if (accessDenied(e.number())) {
                qCWarning(core::lcDb) << "import: no staging database:" << e.number() << e.detail();
                return false;
            }
            if (e.number() != kDatabaseExists || attempt == 5) throw;
        }
    }
}

QByteArray StagedImport::rewrite(qint64 line, const QByteArray& statement) const {
    if (line == kDropDatabaseLine || line == kCreateDatabaseLine || line == kUseDatabaseLine)
        return renameDatabaseIn(statement, staging_);
    return statement;
}

bool StagedImport::run(core::Connection& mainConnection, const QString& scriptPath,
                       core::Prompter& prompter, core::Progress& progress) {
    ScriptRunOptions options;
    options.rewrite = [this](qint64 line, const QByteArray& statement) {
        return rewrite(line, statement);
    };
    try {
        return RunSqlScript(mainConnection, c_, scriptPath, options, prompter, progress);
    } catch (const core::DbError& e) {
        // The runner's own start: nothing ran.
        qCWarning(core::lcDb) << "staged run:" << e.number() << e.detail();
        return false;
    }
}

std::optional<StagedImport::Charset> StagedImport::charsetOf(const QByteArray& database) {
    auto r = c_.query(
        "select DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME from information_schema.SCHEMATA"
        " where SCHEMA_NAME = " +
        core::SqlQuote(database, true));
    if (!r->next()) return std::nullopt;
    Charset cs{r->field(0).bytes(), r->field(1).bytes()};
    while (r->next()) {
    }
    return cs;
}

QList<QByteArray> StagedImport::tablesOf(const QByteArray& database, bool views) {
    auto r = c_.query("select TABLE_NAME from information_schema.TABLES where TABLE_SCHEMA = " +
                      core::SqlQuote(database, true) + " and TABLE_TYPE " + (views ? "=" : "<>") +
                      " 'VIEW'");
    QList<QByteArray> names;
    while (r->next()) names << r->field(0).bytes();
    return names;
}

void StagedImport::commit() {
    const QByteArray s = quoteName(staging_), d = quoteName(target_);
    const std::optional<Charset> staged = charsetOf(staging_);
    const std::optional<Charset> old = charsetOf(target_);
    const QList<QByteArray> fresh = tablesOf(staging_, false);

    // The old tables go into the staging database, which is dropped after,
    // under names that none of the new ones has.
    QList<QByteArray> renames;
    if (old) {
        const QSet<QByteArray> taken(fresh.begin(), fresh.end());
        QByteArray prefix = "velkor_old_";
        while (std::any_of(taken.begin(), taken.end(),
                           [&](const QByteArray& t) { return t.startsWith(prefix); }))
            prefix += '_';
        const QList<QByteArray> tables = tablesOf(target_, false);
        for (qsizetype i = 0; i < tables.size(); ++i)
            renames << d + '.' + quoteName(tables[i]) + " TO " + s + '.' +
                           quoteName(prefix + QByteArray::number(i));
    }
    for (const QByteArray& t : fresh)
        renames << s + '.' + quoteName(t) + " TO " + d + '.' + quoteName(t);

    bool created = false;
    if (!old) {
        // A database that did not exist: the staged one takes its place, with
        // the character set the script gave it.
        c_.execute("CREATE DATABASE " + d +
                   (staged ? " CHARACTER SET " + staged->name + " COLLATE " + staged->collation
                           : QByteArray()));
        created = true;
    }
    try {
        if (!renames.isEmpty()) c_.execute("RENAME TABLE " + renames.join(", "));
    } catch (const core::DbError&) {
        if (created) {
            try {
                c_.execute("DROP DATABASE IF EXISTS " + d);
            } catch (const core::DbError& e) {
                qCWarning(core::lcDb) << "import: cannot drop" << target_ << e.detail();
            }
        }
        throw;
    }
    // From here on the new tables are in place; what follows only tidies.
    try {
        // The script dropped the whole database, views included, and made it
        // with its own character set.
        if (old)
            for (const QByteArray& v : tablesOf(target_, true))
                c_.execute("DROP VIEW IF EXISTS " + d + '.' + quoteName(v));
        if (old && staged && !(*old == *staged))
            c_.execute("ALTER DATABASE " + d + " CHARACTER SET " + staged->name + " COLLATE " +
                       staged->collation);
    } catch (const core::DbError& e) {
        qCWarning(core::lcDb) << "import: after the swap:" << e.number() << e.detail();
    }
    discard();
    // As a run of the script would have left it: in the database it made.
    try {
        core::SetConnectionParam(c_, QStringLiteral("Database"), core::fromCp1251(target_));
        c_.open();
    } catch (const core::DbError& e) {
        qCWarning(core::lcDb) << "import: reopening on" << target_ << e.detail();
    }
}

void StagedImport::discard() noexcept {
    if (staging_.isEmpty()) return;
    try {
        // After a lost connection the server may still take a new one.
        if (!c_.isOpen()) c_.open();
        c_.execute("DROP DATABASE IF EXISTS " + quoteName(staging_));
        staging_.clear();
    } catch (const std::exception& e) {
        qCWarning(core::lcDb) << "import: the staging database" << staging_ << "stays:" << e.what();
    }
}

}  // namespace backup
