#include "core/connection.h"

#include "core/codepage.h"

#include <errmsg.h>
#include <mysql.h>

namespace core {

DbError::DbError(unsigned number, const QString& message)
    : std::runtime_error(message.toStdString()), number_(number), message_(message) {}

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
            return charsetnr == kBinary ? FieldKind::Other : FieldKind::Text;
        default:
            return FieldKind::Other;
    }
}

Result::Result(st_mysql* mysql, st_mysql_res* res) : mysql_(mysql), res_(res) {
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
        if (mysql_errno(mysql_) != 0)
            throw DbError(mysql_errno(mysql_), fromCp1251(QByteArray(mysql_error(mysql_))));
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
    const unsigned timeout = 10;
    mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);

    QString host = param(QStringLiteral("HostName"));
    unsigned port = 0;
    const int colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && host.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const unsigned p = host.mid(colon + 1).toUInt(&ok);
        if (ok) {
            port = p;
            host.truncate(colon);
        }
    }
    const QByteArray h = toCp1251(host), u = toCp1251(param(QStringLiteral("User_Name"))),
                     p = toCp1251(param(QStringLiteral("Password"))),
                     d = toCp1251(param(QStringLiteral("Database")));
    if (!mysql_real_connect(m, h.isEmpty() ? "localhost" : h.constData(), u.constData(),
                            p.constData(), d.isEmpty() ? nullptr : d.constData(), port, nullptr,
                            CLIENT_FOUND_ROWS)) {
        DbError e(mysql_errno(m), fromCp1251(QByteArray(mysql_error(m))));
        mysql_close(m);
        throw e;
    }
    mysql_ = m;
}

void Connection::close() {
    if (mysql_) {
        mysql_close(mysql_);
        mysql_ = nullptr;
    }
}

void Connection::fail() {
    throw DbError(mysql_errno(mysql_), fromCp1251(QByteArray(mysql_error(mysql_))));
}

quint64 Connection::execute(const QByteArray& sql) {
    if (!mysql_) throw DbError(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is closed"));
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

std::unique_ptr<Result> Connection::query(const QByteArray& sql) {
    if (!mysql_) throw DbError(CR_SERVER_GONE_ERROR, QStringLiteral("Connection is closed"));
    if (mysql_real_query(mysql_, sql.constData(), (unsigned long)sql.size()) != 0) fail();
    MYSQL_RES* r = mysql_use_result(mysql_);
    if (!r) {
        if (mysql_field_count(mysql_) != 0) fail();
        throw DbError(0, QStringLiteral("The statement returned no rows"));
    }
    return std::unique_ptr<Result>(new Result(mysql_, r));
}

std::unique_ptr<Result> Connection::query(const QString& sql) { return query(toCp1251(sql)); }

void SetConnectionParam(Connection& connection, const QString& name, const QString& value) {
    connection.close();
    QStringList params = connection.params();
    const QString line = name + QLatin1Char('=') + value;
    bool replaced = false;
    for (QString& p : params) {
        if (p.contains(name, Qt::CaseSensitive)) {
            p = line;
            replaced = true;
            break;
        }
    }
    if (!replaced) params.append(line);
    connection.setParams(params);
}

}  // namespace core
