#include "backup/database_export.h"

#include "backup/archive.h"
#include "backup/archive_check.h"
#include "backup/export_schema.h"
#include "backup/table_read_lock.h"
#include "core/codepage.h"
#include "core/logging.h"
#include "core/sql_literals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
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

// The script file, open for the whole run, and the archive it is packed
// into as it is written. Lines are gathered into chunks; each chunk goes to
// the disk, to the digest and to the packer, so that a short write shows at
// that chunk and the packer works on the second core while rows are read.
class ScriptFile {
  public:
    static constexpr qsizetype kChunk = 256 * 1024;

    explicit ScriptFile(const QString& path) : file_(path) {}

    bool open() { return file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    // From the next chunk on, every byte of the script goes into the archive
    // too; the archive must be there before the first chunk.
    void packInto(ArchiveStreamWriter& archive) { archive_ = &archive; }
    bool tryLine(const QByteArray& line) {
        pending_ += line;
        pending_ += "\r\n";
        return pending_.size() < kChunk || flush();
    }
    bool flush() {
        if (pending_.isEmpty()) return true;
        if (file_.write(pending_) != pending_.size()) return false;
        digest_.addData(pending_);
        // When the packer has given up, the script goes on: finish says why.
        if (archive_ && !archive_->append(pending_)) archive_ = nullptr;
        pending_ = QByteArray();
        pending_.reserve(kChunk + 4096);
        return true;
    }
    // The last line: the digest of every byte before it, which the import
    // verifies before it runs anything.
    bool seal() { return flush() && tryLine(integrityLine(digest_.result())) && flush(); }
    void line(const QByteArray& text) {
        if (!tryLine(text)) throw WriteFailure();
    }
    bool close() {
        const bool flushed = flush();
        file_.close();
        return flushed && file_.error() == QFileDevice::NoError;
    }

  private:
    QFile file_;
    Sha256 digest_;
    QByteArray pending_;
    ArchiveStreamWriter* archive_ = nullptr;
};

QByteArray rawBytes(const core::FieldValue& v) { return v.bytes(); }

// The rows of one table, one INSERT line each, read as the server sends
// them: never the whole table in memory. A text of a column in another
// character set that cp1251 would change is written in its own.
void writeRows(core::Connection& c, const QByteArray& table, const QByteArray& q,
               const QList<RecodedColumn>& recoded, ScriptFile& out, core::Progress& progress) {
    QByteArray select = "select *";
    for (const RecodedColumn& column : recoded) {
        const QByteArray name = core::SqlName(column.name);
        select += ", if(cast(convert(convert(" + name + " using cp1251) using " + column.charset +
                  ") as binary) = cast(" + name + " as binary), NULL, hex(" + name + "))";
    }
    auto r = c.query(select + " from " + q);
    const int n = r->fieldCount() - int(recoded.size());
    QList<const RecodedColumn*> recodedAt(n, nullptr);
    QList<int> checkAt(n, -1);
    for (qsizetype i = 0; i < recoded.size(); ++i) {
        recodedAt[recoded[i].index] = &recoded[i];
        checkAt[recoded[i].index] = n + int(i);
    }
    QByteArray prefix = "INSERT INTO " + scriptName(table) + "   ( ";
    for (int f = 0; f < n; ++f) {
        if (f > 0) prefix += ", ";
        prefix += scriptName(core::toCp1251(r->fields()[f].name));
    }
    prefix += " )   VALUES ( ";
    QByteArray line;
    for (qint64 row = 0; !progress.aborted() && r->next(); ++row) {
        if (row % 300 == 0) progress.processEvents();
        progress.setStepPosition(row);
        line = prefix;
        for (int f = 0; f < n; ++f) {
            if (f > 0) line += ", ";
            if (checkAt[f] >= 0 && !r->isNull(checkAt[f]))
                line += '_' + recodedAt[f]->charset + " 0x" + r->field(checkAt[f]).bytes();
            else
                line += core::SqlValue(r->field(f));
        }
        line += " ) ;";
        out.line(line);
    }
}

// Steps of the run that any failure ends at once.
void writeDatabase(core::Connection& c, const QByteArray& database, ScriptFile& out,
                   core::Progress& progress) {
    // The runner follows "USE name;" with the name as written.
    if (core::SqlName(database) != database)
        throw UnwritableSchema("the database name needs quoting");
    const DatabaseFacts facts = readDatabaseFacts(c, database);
    const QByteArray& charset = facts.charset;

    out.line(kRule);
    out.line("# DATABASE " + database);
    out.line(kRule);
    out.line("DROP DATABASE IF EXISTS " + database + ';');
    // The character set its tables come back in: an import onto a server of
    // another default must not turn their texts into question marks.
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
        const QByteArray q = database + '.' + scriptName(table);
        out.line(kRule);
        out.line("# TABLE " + table);
        out.line(kRule);
        out.line("DROP TABLE IF EXISTS " + scriptName(table) + ';');
        const TableScript definition = tableScript(c, facts, database, table);
        out.line(definition.definition);
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
        if (n > 0) writeRows(c, table, q, definition.recoded, out, progress);
    }
}

// Waits for the packer to finish the archive, which is put in place only
// when complete: a failure leaves no half-written archive and keeps the
// file the user chose to replace. Packing may take a moment after the last
// row: the step bar follows it and the window keeps painting.
bool finishArchive(ArchiveStreamWriter& archive, core::Progress& progress) {
    progress.setStepMaximum(100);
    const bool done = archive.finish([&progress](qint64 packed, qint64 total) {
        progress.setStepPosition(total > 0 ? packed * 100 / total : 100);
        progress.processEvents();
    });
    if (!done) qCWarning(core::lcDb) << "export archive:" << archive.ErrorText();
    return done;
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

    // The member is named by the script's path, as an archive made from the
    // script file would name it.
    ArchiveStreamWriter archive(exportArchivePath(scriptPath), core::toCp1251(scriptPath));
    ScriptFile out(scriptPath);
    if (archive.open()) out.packInto(archive);
    if (!out.open() || !out.tryLine("#") || !out.flush()) {
        out.close();
        QFile::remove(scriptPath);
        return ExportResult::CannotWrite;
    }

    const QByteArray db = core::toCp1251(database);
    const QString caption = u("Экспорт базы данных в файл");
    bool failed = false;
    bool writeFailed = false;
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
    } catch (const UnwritableSchema& e) {
        qCWarning(core::lcDb) << "export: the script would not restore the database:" << e.what();
        failed = true;
    } catch (const WriteFailure&) {
        qCWarning(core::lcDb) << "export: cannot write" << scriptPath;
        writeFailed = true;
    }
    const bool aborted = progress.aborted();
    if (!failed && !writeFailed && !out.seal()) writeFailed = true;
    if (!out.close()) writeFailed = true;
    // A script cut short by a full disk is of no use to anyone and would
    // keep the disk full.
    if (writeFailed) QFile::remove(scriptPath);
    if (failed || writeFailed) {
        progress.finish();
        return ExportResult::Failed;
    }
    // Also when packing failed part-way or never started: finish says why.
    const bool packed = finishArchive(archive, progress);
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
