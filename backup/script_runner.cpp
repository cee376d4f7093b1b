#include "backup/script_runner.h"

#include "backup/archive_check.h"
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

bool batchableInsert(const QByteArray& statement) {
    if (!statement.startsWith("INSERT INTO ")) return false;
    const char* p = statement.constData();
    const qsizetype n = statement.size();
    char quote = 0;
    qsizetype semicolon = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        if (quote) {
            if (c == '\\' && quote != '`')
                ++i;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (semicolon >= 0 && c != ' ' && c != '\t') return false;  // text after the semicolon
        switch (c) {
            case '\'':
            case '"':
            case '`':
                quote = c;
                break;
            case ';':
                semicolon = i;
                break;
            case '\r':
            case '\n':
            case '#':
                return false;
            case '-':
            case '/':
                // A comment ("--", "/*") would hide the server's split.
                if (i + 1 < n && (p[i + 1] == '-' || p[i + 1] == '*')) return false;
                break;
            default:
                break;
        }
    }
    return quote == 0 && semicolon >= 0;
}

namespace {

// A statement's failure: the abort, retry and ignore question. False when
// the run is to stop; a lost connection and a second failure after retry
// end it by their exception.
bool askAfterFailure(const core::DbError& e, qint64 number, const QByteArray& sql,
                     core::Connection& connection, core::Prompter& prompter) {
    qCWarning(core::lcDb) << "script line" << number << e.number() << e.detail();
    // Ignoring it would only fail every statement after it.
    if (e.connectionLost()) throw e;
    switch (prompter.abortRetryIgnore(
        QString::fromUtf8(core::kErrorCaption),
        u("Ошибка выполнения скрипта в строке №") + QString::number(number) + '.')) {
        case core::Prompter::Answer::Retry:
            connection.execute(sql);  // a second failure ends the run
            return true;
        case core::Prompter::Answer::Abort:
            return false;
        case core::Prompter::Answer::Ignore:
            return true;
    }
    return true;
}

// INSERT lines go to the server many at a time: one round trip each was
// most of an import's time. They run one after another as they would
// alone, and a failing one is asked about by its line, after which the
// rest of its batch follows.
class StatementBatch {
  public:
    StatementBatch(core::Connection& connection, core::Prompter& prompter)
        : c_(connection), prompter_(prompter) {}

    bool full() const { return lines_.size() >= 200 || text_.size() >= 512 * 1024; }
    void add(qint64 number, const QByteArray& sql) {
        if (!text_.isEmpty()) text_ += '\n';
        starts_.push_back(text_.size());
        lines_.push_back(number);
        text_ += sql;
    }
    // False when the user chose to stop.
    bool flush() {
        std::size_t from = 0;
        bool go = true;
        while (go && from < lines_.size()) {
            const core::Connection::Batch r =
                c_.executeBatch(from == 0 ? text_ : text_.mid(starts_[from] - starts_[0]));
            if (!r.failure) break;
            const std::size_t failed = from + std::size_t(r.done);
            const qsizetype end =
                failed + 1 < lines_.size() ? starts_[failed + 1] - 1 : text_.size();
            go = askAfterFailure(*r.failure, lines_[failed],
                                 text_.mid(starts_[failed], end - starts_[failed]), c_, prompter_);
            from = failed + 1;
        }
        text_.clear();
        lines_.clear();
        starts_.clear();
        return go;
    }

  private:
    core::Connection& c_;
    core::Prompter& prompter_;
    QByteArray text_;
    std::vector<qint64> lines_;
    std::vector<qsizetype> starts_;
};

}  // namespace

bool RunSqlScript(core::Connection& mainConnection, core::Connection& scriptConnection,
                  const QString& path, const ScriptRunOptions& options, core::Prompter& prompter,
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
        StatementBatch batch(scriptConnection, prompter);
        QByteArray statement, line;
        for (qint64 number = 1; reader.next(line); ++number) {
            progress.setTotalPosition(reader.position());
            if (line.isEmpty() || line.at(0) == '#') continue;
            if (!statement.isEmpty()) statement += "\r\n";
            statement += line;
            if (!line.contains(';')) continue;

            if (options.rewrite) statement = options.rewrite(number, statement);
            if (batchableInsert(statement)) {
                batch.add(number, statement);
                statement.clear();
                if (batch.full() && !batch.flush()) go = false;
                if (!go) break;
                continue;
            }
            if (!batch.flush()) {
                go = false;
                break;
            }
            const QByteArray sql =
                options.replaceEngine ? replaceInnoDbEngine(statement) : statement;
            try {
                scriptConnection.execute(sql);
            } catch (const core::DbError& e) {
                go = askAfterFailure(e, number, sql, scriptConnection, prompter);
            }
            if (!go) break;

            // The last line of the statement as it was sent.
            const QByteArray trimmed = statement.mid(statement.lastIndexOf('\n') + 1).trimmed();
            statement.clear();
            if (trimmed.startsWith("USE ")) {
                QByteArray name = trimmed.mid(4);
                const qsizetype semicolon = name.indexOf(';');
                if (semicolon >= 0) name.truncate(semicolon);
                // A name in backquotes is the name without them.
                core::SetConnectionParam(scriptConnection, QStringLiteral("Database"),
                                         core::fromCp1251(unquoteName(name.trimmed())));
                scriptConnection.open();
            }
        }
        // Lines after the last semicolon are no complete statement.
        if (go && !batch.flush()) go = false;
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
