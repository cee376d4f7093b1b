#include "core/connection.h"

#include "core/codepage.h"
#include "core/logging.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

namespace core {

namespace {

bool lostNumber(unsigned n) {
    switch (n) {
        case CR_SERVER_GONE_ERROR:
        case CR_SERVER_LOST:
        case CR_SERVER_LOST_EXTENDED:
        case CR_CONNECTION_ERROR:
        case CR_CONN_HOST_ERROR:
        case CR_ERR_NET_READ:
        case CR_ERR_NET_WRITE:
        case ER_CONNECTION_KILLED:
        case ER_SERVER_SHUTDOWN:
            return true;
        default:
            return false;
    }
}

bool clientNumber(unsigned n) {
    return (n >= CR_MIN_ERROR && n <= CR_MAX_ERROR) || (n >= 5000 && n <= 5999);
}

// The error of the last call on a handle. The client library's own texts
// are English; the user reads a Russian one, the log keeps the original.
DbError errorOf(MYSQL* m) {
    const unsigned n = mysql_errno(m);
    const QString text = fromCp1251(QByteArray(mysql_error(m)));
    if (lostNumber(n)) {
        qCWarning(lcDb) << "connection lost:" << n << text;
        return DbError(n, QString::fromUtf8(kConnectionLostText), text);
    }
    if (clientNumber(n)) {
        qCWarning(lcDb) << "client library error:" << n << text;
        return DbError(n, QStringLiteral("Ошибка обмена данными с сервером (код %1).").arg(n),
                       text);
    }
    return DbError(n, text);
}

}  // namespace

DbError::DbError(unsigned number, const QString& message, const QString& detail)
    : std::runtime_error(message.toStdString()),
      number_(number),
      message_(message),
      detail_(detail) {}

bool DbError::connectionLost() const { return lostNumber(number_); }

FieldKind fieldKindOf(int type, unsigned charsetnr) {
    constexpr unsigned kBinary = 63;
    switch (enum_field_types(type)) {
        case MYSQL_TYPE_TINY:
        case MYSQL_TYPE_SHORT:
        case MYSQL_TYPE_LONG:
        case MYSQL_TYPE_INT24:
        case MYSQL_TYPE_LONGLONG:
        case MYSQL_TYPE_YEAR:
            return FieldKind::Integer;
        case MYSQL_TYPE_FLOAT:
        case MYSQL_TYPE_DOUBLE:
            return FieldKind::Floating;
        case MYSQL_TYPE_DATE:
        case MYSQL_TYPE_NEWDATE:
            return FieldKind::Date;
        case MYSQL_TYPE_TIME:
            return FieldKind::Time;
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            return FieldKind::DateTime;
        case MYSQL_TYPE_STRING:
        case MYSQL_TYPE_VAR_STRING:
        case MYSQL_TYPE_VARCHAR:
        case MYSQL_TYPE_TINY_BLOB:
        case MYSQL_TYPE_MEDIUM_BLOB:
        case MYSQL_TYPE_LONG_BLOB:
        case MYSQL_TYPE_BLOB:
        case MYSQL_TYPE_ENUM:
        case MYSQL_TYPE_SET:
            return charsetnr == kBinary ? FieldKind::Binary : FieldKind::Text;
        case MYSQL_TYPE_BIT:
        case MYSQL_TYPE_GEOMETRY:
            return FieldKind::Binary;
        default:
            return FieldKind::Other;
    }
}

Result::Result(Connection& owner, st_mysql* mysql, st_mysql_res* res)
    : owner_(owner), mysql_(mysql), res_(res) {
    const unsigned n = mysql_num_fields(res);
    const MYSQL_FIELD* f = mysql_fetch_fields(res);
    fields_.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        FieldInfo info;
        info.name = fromCp1251(std::string_view(f[i].name, f[i].name_length));
        info.orgName = QByteArray(f[i].org_name, f[i].org_name_length);
        info.orgTable = QByteArray(f[i].org_table, f[i].org_table_length);
        info.type = f[i].type;
        info.kind = fieldKindOf(f[i].type, f[i].charsetnr);
        unsigned long width = f[i].length;
        if (info.kind == FieldKind::Text) {
            const MARIADB_CHARSET_INFO* cs = mariadb_get_charset_by_nr(f[i].charsetnr);
            if (cs && cs->char_maxlen > 1) width /= cs->char_maxlen;
        }
        info.width = width > 0x7fffffffUL ? 0x7fffffff : int(width);
        info.notNull = (f[i].flags & NOT_NULL_FLAG) != 0;
        info.primaryKey = (f[i].flags & PRI_KEY_FLAG) != 0;
        fields_.push_back(std::move(info));
    }
}

Result::~Result() {
    if (res_) mysql_free_result(res_);
}

int Result::fieldIndex(QStringView name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

bool Result::next() {
    row_ = mysql_fetch_row(res_);
    if (!row_) {
        if (mysql_errno(mysql_) != 0) owner_.fail();
        return false;
    }
    lengths_ = mysql_fetch_lengths(res_);
    return true;
}

FieldValue Result::field(int column) const {
    const FieldInfo& f = fields_[size_t(column)];
    return FieldValue(f.kind, row_[column] == nullptr, raw(column));
}

FieldValue Result::field(QStringView name) const {
    const int i = fieldIndex(name);
    return i < 0 ? FieldValue() : field(i);
}

Connection::Connection() : params_(defaultParams()) {}

Connection::~Connection() { close(); }

QStringList Connection::defaultParams() {
    return {QStringLiteral("DriverName=MySQL"), QStringLiteral("HostName=127.0.0.1"),
            QStringLiteral("Database=velkor"),  QStringLiteral("User_Name=root"),
            QStringLiteral("Password="),        QStringLiteral("BlobSize=-1"),
            QStringLiteral("LocaleCode=0000")};
}

void Connection::setParams(const QStringList& params) {
    close();
    params_ = params;
}

QString Connection::param(const QString& name) const {
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : params_)
        if (line.startsWith(prefix)) return line.mid(prefix.size());
    return {};
}

void Connection::open() {
    close();
    MYSQL* m = mysql_init(nullptr);
    if (!m) throw DbError(CR_OUT_OF_MEMORY, QStringLiteral("out of memory"));
    mysql_options(m, MYSQL_SET_CHARSET_NAME, "cp1251");
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeouts_.connect);
    mysql_options(m, MYSQL_OPT_READ_TIMEOUT, &timeouts_.read);
    mysql_options(m, MYSQL_OPT_WRITE_TIMEOUT, &timeouts_.write);

    const auto [host, port] = splitHostPort(param(QStringLiteral("HostName")));
    const QByteArray h = toCp1251(host), u = toCp1251(param(QStringLiteral("User_Name"))),
                     p = toCp1251(param(QStringLiteral("Password"))),
                     d = toCp1251(param(QStringLiteral("Database")));
    if (!mysql_real_connect(m, h.isEmpty() ? "localhost" : h.constData(), u.constData(),
                            p.constData(), d.isEmpty() ? nullptr : d.constData(), port, nullptr,
                            CLIENT_FOUND_ROWS)) {
        const unsigned n = mysql_errno(m);
        const QString text = fromCp1251(QByteArray(mysql_error(m)));
        qCWarning(lcDb) << "cannot connect to" << host << "port" << port << "as"
                        << param(QStringLiteral("User_Name")) << "database"
                        << param(QStringLiteral("Database")) << ":" << n << text;
        mysql_close(m);
        // The server's own refusals (a wrong password, no such database) keep
        // its words; the client library's (no answer, unknown host) get ours.
        if (clientNumber(n))
            throw DbError(n, QStringLiteral("Сервер %1 не отвечает.").arg(host), text);
        throw DbError(n, text);
    }
    mysql_ = m;
    try {
        clearSqlModeFlags();
    } catch (...) {
        close();
        throw;
    }
}

// Statements quote texts in double quotes with backslash escapes. Two flags
// of the server's mode would change that: NO_BACKSLASH_ESCAPES makes the
// backslash an ordinary character (so a typed quote could end the literal),
// ANSI_QUOTES makes double quotes name identifiers. The combined modes that
// include ANSI_QUOTES go too; every other flag stays.
void Connection::clearSqlModeFlags() {
    QByteArray mode;
    {
        auto r = query(QByteArray("select @@SESSION.sql_mode"));
        if (r->next()) mode = r->field(0).bytes();
        while (r->next()) {
        }
    }
    static const QList<QByteArray> kDropped = {"NO_BACKSLASH_ESCAPES",
                                               "ANSI_QUOTES",
                                               "ANSI",
                                               "DB2",
                                               "MAXDB",
                                               "MSSQL",
                                               "ORACLE",
                                               "POSTGRESQL"};
    QList<QByteArray> kept;
    bool changed = false;
    for (const QByteArray& flag : mode.split(',')) {
        if (flag.isEmpty()) continue;
        if (kDropped.contains(flag.trimmed().toUpper())) {
            changed = true;
            continue;
        }
        kept << flag.trimmed();
    }
    if (!changed) return;
    // The flags are plain words, and with ANSI_QUOTES possibly still on for
    // this very statement the value must be in apostrophes.
    QByteArray value;
    for (const QByteArray& f : kept) {
        for (char c : f)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                  c == '_'))
                throw DbError(0, QStringLiteral("Недопустимый режим сервера: ") + fromCp1251(mode));
        if (!value.isEmpty()) value += ',';
        value += f;
    }
    execute("set SESSION sql_mode = '" + value + "'");
}

void Connection::close() {
    if (mysql_) {
        mysql_close(mysql_);
        mysql_ = nullptr;
    }
    lost_ = false;
}

void Connection::markLost() {
    if (lost_) return;
    lost_ = true;
    if (lossListener_) lossListener_->connectionLost();
}

void Connection::fail() {
    DbError e = errorOf(mysql_);
    // The handle stays until the next open or close, so that a result still
    // being read can be freed; from now on the connection counts as closed.
    if (e.connectionLost()) markLost();
    throw e;
}

void Connection::requireOpen() const {
    if (lost_) throw DbError(CR_SERVER_GONE_ERROR, QString::fromUtf8(kConnectionLostText));
    if (!mysql_)
        throw DbError(CR_SERVER_GONE_ERROR,
                      QStringLiteral("Нет соединения с сервером. Подключитесь к базе данных."));
}

quint64 Connection::execute(const QByteArray& sql) {
    requireOpen();
    if (mysql_real_query(mysql_, sql.constData(), (unsigned long)sql.size()) != 0) fail();
    if (MYSQL_RES* r = mysql_store_result(mysql_)) {
        const quint64 n = mysql_num_rows(r);
        mysql_free_result(r);
        return n;
    }
    if (mysql_field_count(mysql_) != 0) fail();
    return mysql_affected_rows(mysql_);
}

quint64 Connection::execute(const QString& sql) { return execute(toCp1251(sql)); }

Connection::Batch Connection::executeBatch(const QByteArray& statements) {
    requireOpen();
    Batch batch;
    auto failed = [&] {
        DbError e = errorOf(mysql_);
        if (e.connectionLost()) markLost();
        batch.failure = e;
    };
    // Several statements in one text only here: everywhere else a text is
    // one statement, whatever it holds.
    if (mysql_set_server_option(mysql_, MYSQL_OPTION_MULTI_STATEMENTS_ON) != 0) fail();
    int status =
        mysql_real_query(mysql_, statements.constData(), (unsigned long)statements.size()) != 0;
    while (status == 0) {
        if (MYSQL_RES* r = mysql_store_result(mysql_)) {
            mysql_free_result(r);
        } else if (mysql_field_count(mysql_) != 0) {
            status = 1;
            break;
        }
        ++batch.done;
        status = mysql_next_result(mysql_);  // 0: the next one ran, -1: none left, else it failed
    }
    if (status > 0) failed();
    if (!lost_ && mysql_set_server_option(mysql_, MYSQL_OPTION_MULTI_STATEMENTS_OFF) != 0 &&
        !batch.failure)
        fail();
    return batch;
}

std::unique_ptr<Result> Connection::query(const QByteArray& sql) {
    requireOpen();
    if (mysql_real_query(mysql_, sql.constData(), (unsigned long)sql.size()) != 0) fail();
    MYSQL_RES* r = mysql_use_result(mysql_);
    if (!r) {
        if (mysql_field_count(mysql_) != 0) fail();
        throw DbError(0, QStringLiteral("Запрос не вернул строк."));
    }
    return std::unique_ptr<Result>(new Result(*this, mysql_, r));
}

std::unique_ptr<Result> Connection::query(const QString& sql) { return query(toCp1251(sql)); }

HostPort splitHostPort(const QString& hostName) {
    HostPort out{hostName, 0};
    const qsizetype colon = hostName.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0 || hostName.indexOf(QLatin1Char(':')) != colon) return out;
    const QString digits = hostName.mid(colon + 1);
    bool ok = !digits.isEmpty();
    for (QChar c : digits) ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const unsigned port = ok ? digits.toUInt(&ok) : 0;
    if (!ok || port > 65535) return out;
    out.host = hostName.left(colon);
    out.port = port;
    return out;
}

void Connection::setParam(const QString& name, const QString& value) {
    const QString line = name + QLatin1Char('=') + value;
    // The name before the first "=" must be the parameter's name itself: a
    // login such as "xPasswordx" must never be taken for the password line.
    for (QString& p : params_) {
        if (QStringView(p).left(p.indexOf(QLatin1Char('='))) == name) {
            p = line;
            return;
        }
    }
    params_.append(line);
}

void SetConnectionParam(Connection& connection, const QString& name, const QString& value) {
    connection.close();
    connection.setParam(name, value);
}

}  // namespace core
