#include "backup/script_runner.h"

#include "core/codepage.h"
#include "core/logging.h"

#include <QFileInfo>
#include <stdexcept>

namespace backup {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
constexpr qsizetype kChunk = 1 << 20;

// Where the statement's line ends, or -1.
qsizetype lineEnd(const QByteArray& buf, qsizetype from) {
    const char* p = buf.constData();
    for (qsizetype i = from; i < buf.size(); ++i)
        if (p[i] == '\n' || p[i] == '\r') return i;
    return -1;
}
}  // namespace

bool ScriptLineReader::fill() {
    if (eof_) return false;
    buf_.remove(0, pos_);
    pos_ = 0;
    const qsizetype old = buf_.size();
    buf_.resize(old + kChunk);
    const qint64 n = file_.read(buf_.data() + old, kChunk);
    if (n < 0) throw std::runtime_error("cannot read the script");
    buf_.resize(old + n);
    if (n == 0) eof_ = true;
    return n > 0;
}

bool ScriptLineReader::next(QByteArray& line) {
    qsizetype scanned = pos_;
    for (;;) {
        const qsizetype end = lineEnd(buf_, scanned);
        // A CR at the end of the buffer may be the first half of CR LF.
        if (end >= 0 && !(buf_[end] == '\r' && end + 1 == buf_.size() && !eof_)) {
            line = buf_.mid(pos_, end - pos_);
            qsizetype after = end + 1;
            if (buf_[end] == '\r' && after < buf_.size() && buf_[after] == '\n') ++after;
            consumed_ += after - pos_;
            pos_ = after;
            return true;
        }
        const qsizetype done = (end >= 0 ? end : buf_.size()) - pos_;
        const bool more = fill();
        scanned = pos_ + done;
        if (!more && end < 0) {
            if (pos_ >= buf_.size()) return false;
            line = buf_.mid(pos_);
            consumed_ += line.size();
            pos_ = buf_.size();
            return true;
        }
    }
}

QByteArray replaceInnoDbEngine(const QByteArray& statement) {
    const QByteArray head = statement.left(64).trimmed().toUpper();
    if (!head.startsWith("CREATE TABLE") && !head.startsWith("CREATE TEMPORARY TABLE"))
        return statement;
    // The table's options follow the closing parenthesis of its columns.
    const qsizetype close = statement.lastIndexOf(')');
    if (close < 0) return statement;
    QByteArray out = statement.left(close + 1);
    QByteArray options = statement.mid(close + 1);
    for (qsizetype at = options.indexOf("InnoDB"); at >= 0;
         at = options.indexOf("InnoDB", at + 1)) {
        qsizetype k = at - 1;
        while (k >= 0 && options[k] == ' ') --k;
        if (k < 0 || options[k] != '=') continue;
        --k;
        while (k >= 0 && options[k] == ' ') --k;
        const QByteArray word = options.left(k + 1).right(6).toUpper();
        if (word.endsWith("ENGINE") || word.endsWith("TYPE")) options.replace(at, 6, "MyISAM");
    }
    return out + options;
}

bool RunSqlScript(core::Connection& mainConnection, core::Connection& scriptConnection,
                  const QString& path, bool replaceEngine, core::Prompter& prompter,
                  core::Progress& progress) {
    scriptConnection.close();
    scriptConnection.setParams(mainConnection.params());
    scriptConnection.setTimeouts(mainConnection.timeouts());
    scriptConnection.open();

    progress.start(u("Выполняется SQL скрипт"), QFileInfo(path).fileName());
    progress.setTotalPosition(0);
    progress.setStepPosition(0);
    progress.processEvents();

    bool go = true;
    try {
        ScriptLineReader reader(path);
        if (!reader.open()) throw std::runtime_error("cannot open the script");
        progress.setTotalMaximum(reader.size());
        QByteArray statement, line;
        for (qint64 number = 1; reader.next(line); ++number) {
            progress.setTotalPosition(reader.position());
            if (line.isEmpty() || line.at(0) == '#') continue;
            if (!statement.isEmpty()) statement += "\r\n";
            statement += line;
            if (!line.contains(';')) continue;

            const QByteArray sql = replaceEngine ? replaceInnoDbEngine(statement) : statement;
            try {
                scriptConnection.execute(sql);
            } catch (const core::DbError& e) {
                qCWarning(core::lcDb) << "script line" << number << e.number() << e.detail();
                switch (prompter.abortRetryIgnore(
                    QString::fromUtf8(core::kErrorCaption),
                    u("Ошибка выполнения скрипта в строке №") + QString::number(number) + '.')) {
                    case core::Prompter::Answer::Retry:
                        scriptConnection.execute(sql);  // a second failure ends the run
                        break;
                    case core::Prompter::Answer::Abort:
                        go = false;
                        break;
                    case core::Prompter::Answer::Ignore:
                        break;
                }
            }
            statement.clear();
            if (!go) break;

            const QByteArray trimmed = line.trimmed();
            if (trimmed.startsWith("USE ")) {
                QByteArray name = trimmed.mid(4);
                const qsizetype semicolon = name.indexOf(';');
                if (semicolon >= 0) name.truncate(semicolon);
                core::SetConnectionParam(scriptConnection, QStringLiteral("Database"),
                                         core::fromCp1251(name.trimmed()));
                scriptConnection.open();
            }
        }
        // Lines after the last semicolon are no complete statement.
    } catch (const std::exception& e) {
        if (const auto* db = dynamic_cast<const core::DbError*>(&e))
            qCWarning(core::lcDb) << "script:" << db->number() << db->detail();
        else
            qCWarning(core::lcDb) << "script:" << e.what();
        core::ErrorBox(prompter, u("Ошибка выполнения SQL-скрипта."));
        go = false;
    }
    progress.finish();
    return go;
}

}  // namespace backup
