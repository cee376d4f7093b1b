#include "backup/database_export.h"

#include "backup/archive.h"
#include "backup/archive_check.h"
#include "backup/table_read_lock.h"
#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <stdexcept>

namespace backup {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QByteArray kRule = "#---------------------------";

// A line of the script could not be written.
struct WriteFailure : std::runtime_error {
    WriteFailure() : std::runtime_error("cannot write the export script") {}
};

// The script file, open for the whole run. Every line goes to the disk at
// once (the file is unbuffered), so the file is complete up to the last line
// written at every moment, and a short write shows at that line.
class ScriptFile {
  public:
    explicit ScriptFile(const QString& path) : file_(path) {}

    bool open() { return file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool tryLine(const QByteArray& line) {
        QByteArray data;
        data.reserve(line.size() + 2);
        data += line;
        data += "\r\n";
        if (file_.write(data) != data.size()) return false;
        digest_.addData(data);
        return true;
    }
    // The last line: the digest of every byte before it, which the import
    // verifies before it runs anything.
    bool seal() { return tryLine(integrityLine(digest_.result())); }
    void line(const QByteArray& text) {
        if (!tryLine(text)) throw WriteFailure();
    }
    bool close() {
        file_.close();
        return file_.error() == QFileDevice::NoError;
    }

  private:
    QFile file_;
    Sha256 digest_;
};

QByteArray rawBytes(const core::FieldValue& v) { return v.bytes(); }

// Column defaults that the server computes (current_timestamp() and the like)
// must stay unquoted, or the definition no longer runs. MariaDB tells them
// apart in information_schema, where it quotes literal texts; elsewhere only
// the current time is recognised.
QSet<QByteArray> expressionDefaults(core::Connection& c, const QByteArray& database,
                                    const QByteArray& table, bool mariadb) {
    QSet<QByteArray> columns;
    auto r = c.query(
        "select COLUMN_NAME, COLUMN_DEFAULT from information_schema.COLUMNS"
        " where TABLE_SCHEMA = " +
        core::SqlQuote(database, true) + " and TABLE_NAME = " + core::SqlQuote(table, true));
    static const QRegularExpression number(
        QStringLiteral("^[-+]?[0-9]*\\.?[0-9]+([eE][-+]?[0-9]+)?$"));
    static const QRegularExpression now(QStringLiteral("^current_timestamp(\\(\\d*\\))?$"),
                                        QRegularExpression::CaseInsensitiveOption);
    while (r->next()) {
        if (r->isNull(1)) continue;
        const QByteArray def = rawBytes(r->field(1)).trimmed();
        const QString text = QString::fromLatin1(def);
        bool expression;
        if (mariadb)
            expression = !def.isEmpty() && !def.startsWith('\'') && def != "NULL" &&
                         !number.match(text).hasMatch() &&
                         !QRegularExpression(QStringLiteral("^[bBxX]'")).match(text).hasMatch();
        else
            expression = now.match(text).hasMatch();
        if (expression) columns.insert(rawBytes(r->field(0)));
    }
    return columns;
}

QByteArray tableDefinition(core::Connection& c, const QByteArray& database, const QByteArray& table,
                           bool mariadb) {
    const QByteArray q = database + '.' + table;
    const QSet<QByteArray> expressions = expressionDefaults(c, database, table, mariadb);

    QByteArray def = "CREATE TABLE " + table + '(';
    {
        auto r = c.query("show fields from " + q);
        for (int j = 0; r->next(); ++j) {
            if (j > 0) def += ',';
            const QByteArray name = rawBytes(r->field(u"Field"));
            def += "\r\n  " + name + ' ' + rawBytes(r->field(u"Type"));
            const QByteArray null = rawBytes(r->field(u"Null"));
            if (null.isEmpty() || !QByteArray("TtYy").contains(null.at(0))) def += " NOT NULL ";
            const core::FieldValue d = r->field(u"Default");
            const QByteArray value = d.isNull() ? QByteArray() : d.bytes().trimmed();
            if (!value.isEmpty())
                def += " DEFAULT " +
                       (expressions.contains(name) ? value : core::SqlQuote(value, false));
        }
    }
    {
        auto r = c.query("show keys from " + q);
        QByteArray label, columns;
        int k = 0;
        auto keyText = [&]() -> QByteArray { return "  " + label + '(' + columns + ')'; };
        while (r->next()) {
            const QByteArray keyName = rawBytes(r->field(u"Key_name"));
            const QByteArray newLabel =
                keyName.startsWith("PRIMARY") ? QByteArray("PRIMARY KEY") : "KEY " + keyName;
            if (newLabel.compare(label, Qt::CaseInsensitive) != 0) {
                if (k != 0) def += ",\r\n";
                ++k;
                if (!label.isEmpty()) def += keyText();
                label = newLabel;
                columns = rawBytes(r->field(u"Column_name"));
            } else {
                columns += ", " + rawBytes(r->field(u"Column_name"));
            }
        }
        if (!label.isEmpty()) def += ",\r\n" + keyText();
    }
    def += "\r\n ) ENGINE=MyISAM;\r\n";
    return def;
}

// The rows of one table, one INSERT line each, read as the server sends
// them: never the whole table in memory.
void writeRows(core::Connection& c, const QByteArray& table, const QByteArray& q, ScriptFile& out,
               core::Progress& progress) {
    auto r = c.query("select * from " + q);
    QByteArray prefix = "INSERT INTO " + table + "   ( ";
    for (int f = 0; f < r->fieldCount(); ++f) {
        if (f > 0) prefix += ", ";
        prefix += core::toCp1251(r->fields()[f].name);
    }
    prefix += " )   VALUES ( ";
    QByteArray line;
    for (qint64 row = 0; !progress.aborted() && r->next(); ++row) {
        if (row % 300 == 0) progress.processEvents();
        progress.setStepPosition(row);
        line = prefix;
        for (int f = 0; f < r->fieldCount(); ++f) {
            if (f > 0) line += ", ";
            line += core::SqlValue(r->field(f));
        }
        line += " ) ;";
        out.line(line);
    }
}

// Steps of the run that any failure ends at once.
void writeDatabase(core::Connection& c, const QByteArray& database, ScriptFile& out,
                   core::Progress& progress) {
    bool mariadb = false;
    QByteArray charset;
    {
        auto r = c.query(QByteArray("select version()"));
        if (r->next()) mariadb = r->field(0).bytes().contains("MariaDB");
    }
    {
        auto r = c.query(
            "select DEFAULT_CHARACTER_SET_NAME from information_schema.SCHEMATA"
            " where SCHEMA_NAME = " +
            core::SqlQuote(database, true));
        if (r->next()) charset = r->field(0).bytes().trimmed();
    }

    out.line(kRule);
    out.line("# DATABASE " + database);
    out.line(kRule);
    out.line("DROP DATABASE IF EXISTS " + database + ';');
    // The database's own character set: an import onto a server of another
    // default must not turn its texts into question marks.
    out.line("CREATE DATABASE " + database +
             (charset.isEmpty() ? QByteArray() : " DEFAULT CHARACTER SET " + charset) + ';');
    out.line("USE " + database + ';');
    out.line(QByteArray());
    progress.setOperation(u("Экспорт базы данных"));

    QList<QByteArray> tables;
    {
        auto r = c.query("show table status from " + database);
        while (r->next()) tables.append(rawBytes(r->field(u"Name")));
    }
    progress.setTotalMaximum(tables.size());

    for (qsizetype i = 0; i < tables.size(); ++i) {
        progress.setTotalPosition(i);
        progress.processEvents();
        if (progress.aborted()) break;
        const QByteArray& table = tables[i];
        const QByteArray q = database + '.' + table;
        out.line(kRule);
        out.line("# TABLE " + table);
        out.line(kRule);
        out.line("DROP TABLE IF EXISTS " + table + ';');
        out.line(tableDefinition(c, database, table, mariadb));
        out.line(QByteArray());

        const TableReadLock lock(c, q);
        qint64 n = 0;
        {
            auto r = c.query("select count(*) as rez from " + q);
            if (r->next()) n = r->field(u"rez").asInt64();
        }
        if (n > 0) progress.setStepMaximum(n);
        out.line("#");
        out.line("# " + QByteArray::number(n) + core::toCp1251(u(" записей.")));
        out.line("#");
        out.line(QByteArray());
        if (n > 0) writeRows(c, table, q, out, progress);
    }
}

// The archive is written beside its place and put there only when complete,
// so that a failure leaves no half-written archive and keeps the file the
// user chose to replace; the script is streamed, never held in memory.
bool packArchive(const QString& scriptPath, const QString& archivePath, core::Progress& progress) {
    QString error;
    // Packing takes seconds for a large journal: the step bar follows it and
    // the window keeps painting.
    progress.setStepMaximum(100);
    const auto packed = [&progress](qint64 done, qint64 total) {
        progress.setStepPosition(total > 0 ? done * 100 / total : 100);
        progress.processEvents();
    };
    if (!WriteSingleMemberArchive(archivePath, scriptPath, false, &error, packed)) {
        qCWarning(core::lcDb) << "export archive:" << archivePath << error;
        return false;
    }
    return true;
}

}  // namespace

QString exportPresetName(const QString& database, const QDate& date) {
    return database + '_' + date.toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral(".ARC");
}

QString exportScriptPath(const QString& chosenPath) {
    const QFileInfo info(chosenPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString base = dot < 0 ? name : name.left(dot);
    const qsizetype cut = chosenPath.size() - name.size();
    return chosenPath.left(cut) + base + QStringLiteral(".SQL");
}

QString exportArchivePath(const QString& scriptPath) {
    return scriptPath.left(scriptPath.size() - 4) + QStringLiteral(".ARC");
}

ExportResult exportDatabase(core::Connection& connection, const QString& database,
                            const QString& chosenPath, core::Progress& progress) {
    const QString scriptPath = exportScriptPath(chosenPath);
    const QString dir = QFileInfo(scriptPath).path().trimmed();
    if (!dir.isEmpty()) QDir().mkpath(dir);
    QFile::remove(scriptPath);

    ScriptFile out(scriptPath);
    if (!out.open() || !out.tryLine("#")) return ExportResult::CannotWrite;

    const QByteArray db = core::toCp1251(database);
    const QString caption = u("Экспорт базы данных в файл");
    bool failed = false;
    try {
        out.line(core::toCp1251(u("# База данных ПО \"Терналь\"")));
        out.line(
            core::toCp1251(u("# по состоянию на ") +
                           QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)));
        out.line("#");
        out.line(QByteArray());
        progress.start(caption, caption);
        progress.setTotalMaximum(100);
        writeDatabase(connection, db, out, progress);
    } catch (const core::DbError& e) {
        qCWarning(core::lcDb) << "export:" << e.number() << e.detail();
        failed = true;
    } catch (const WriteFailure&) {
        qCWarning(core::lcDb) << "export: cannot write" << scriptPath;
        failed = true;
    }
    const bool aborted = progress.aborted();
    if (!failed && !out.seal()) failed = true;
    if (!out.close()) failed = true;
    if (failed) {
        progress.finish();
        return ExportResult::Failed;
    }
    const bool packed = packArchive(scriptPath, exportArchivePath(scriptPath), progress);
    progress.finish();
    if (!packed) return ExportResult::Failed;
    QFile::remove(scriptPath);
    return aborted ? ExportResult::Aborted : ExportResult::Done;
}

QString exportResultText(ExportResult result) {
    switch (result) {
        case ExportResult::CannotWrite:
            return u("Не могу произвести экспорт в указанный файл.");
        case ExportResult::Failed:
            return u("Экспорт завершен из-за ошибки.");
        case ExportResult::Aborted:
            return u("Экспорт был прерван пользователем.");
        case ExportResult::Done:
            break;
    }
    return u("Экспорт завершен успешно.");
}

void reportExport(core::Prompter& prompter, ExportResult result) {
    const QString text = exportResultText(result);
    if (result == ExportResult::CannotWrite || result == ExportResult::Failed)
        core::ErrorBox(prompter, text);
    else
        prompter.report(QString::fromUtf8(core::kReportCaption), text);
}

void ActionBaseExportExecute(core::Connection& connection, const QString& database,
                             core::Prompter& prompter, core::Progress& progress) {
    const QString preset = exportPresetName(database, QDate::currentDate());
    const QString cwd = QDir::currentPath();
    const std::optional<QString> chosen = prompter.saveFileNameWith(
        u("Экспорт базы данных"), u("Архивы базы данных|*.ARC"), QStringLiteral("ARC"), preset);
    QDir::setCurrent(cwd);
    if (!chosen) return;
    reportExport(prompter, exportDatabase(connection, database, *chosen, progress));
}

}  // namespace backup
