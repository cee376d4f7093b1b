#include "core/sql_literals.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace core {

namespace {

QByteArray bytesOf(std::string_view s) { return QByteArray(s.data(), qsizetype(s.size())); }

// The decimal digits of a whole number as the server wrote it, in full.
std::optional<QByteArray> integerText(std::string_view raw) {
    const char* b = raw.data();
    const char* e = b + raw.size();
    if (b != e && *b == '+') ++b;
    qint64 v = 0;
    if (auto r = std::from_chars(b, e, v); r.ec == std::errc() && r.ptr == e)
        return QByteArray::number(v);
    quint64 u = 0;
    if (auto r = std::from_chars(b, e, u); r.ec == std::errc() && r.ptr == e)
        return QByteArray::number(u);
    return std::nullopt;
}

// A date or time in the server's form. The server already sends that form,
// so a value read and written again is the same text; one that Qt cannot
// hold, or holds only in part (fractions of a second), goes back as sent.
QByteArray dateTimeText(FieldKind kind, std::string_view raw) {
    std::optional<QByteArray> formatted;
    if (kind == FieldKind::Date) {
        if (auto d = parseDate(raw); d && raw.size() == 10) formatted = formatDate(*d);
    } else if (kind == FieldKind::Time) {
        if (auto t = parseTime(raw); t && raw.size() == 8) formatted = formatTime(*t);
    } else if (auto dt = parseDateTime(raw); dt && raw.size() == 19) {
        formatted = formatDateTime(*dt);
    }
    return formatted ? *formatted : bytesOf(raw);
}

// The words the server refuses as bare names: MariaDB's reserved words
// (each tried as a column name on MariaDB 10.11) and those MySQL 8 added,
// so that a script made here also runs there. Sorted for the search.
// clang-format off
constexpr std::string_view kReservedWords[] = {
    "ACCESSIBLE", "ADD", "ALL", "ALTER", "ANALYZE", "AND", "AS", "ASC", "ASENSITIVE", "BEFORE",
    "BETWEEN", "BIGINT", "BINARY", "BLOB", "BOTH", "BY", "CALL", "CASCADE", "CASE", "CHANGE",
    "CHAR", "CHARACTER", "CHECK", "COLLATE", "COLUMN", "CONDITION", "CONSTRAINT", "CONTINUE",
    "CONVERT", "CREATE", "CROSS", "CUBE", "CUME_DIST", "CURRENT_DATE", "CURRENT_ROLE",
    "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE", "DATABASES",
    "DAY_HOUR", "DAY_MICROSECOND", "DAY_MINUTE", "DAY_SECOND", "DEC", "DECIMAL", "DECLARE",
    "DEFAULT", "DELAYED", "DELETE", "DELETE_DOMAIN_ID", "DENSE_RANK", "DESC", "DESCRIBE",
    "DETERMINISTIC", "DISTINCT", "DISTINCTROW", "DIV", "DOUBLE", "DO_DOMAIN_IDS", "DROP", "DUAL",
    "EACH", "ELSE", "ELSEIF", "EMPTY", "ENCLOSED", "ESCAPED", "EXCEPT", "EXISTS", "EXIT",
    "EXPLAIN", "FALSE", "FETCH", "FIRST_VALUE", "FLOAT", "FLOAT4", "FLOAT8", "FOR", "FORCE",
    "FOREIGN", "FROM", "FULLTEXT", "FUNCTION", "GENERATED", "GET", "GRANT", "GROUP", "GROUPING",
    "GROUPS", "HAVING", "HIGH_PRIORITY", "HOUR_MICROSECOND", "HOUR_MINUTE", "HOUR_SECOND", "IF",
    "IGNORE", "IGNORE_DOMAIN_IDS", "IN", "INDEX", "INFILE", "INNER", "INOUT", "INSENSITIVE",
    "INSERT", "INT", "INT1", "INT2", "INT3", "INT4", "INT8", "INTEGER", "INTERSECT", "INTERVAL",
    "INTO", "IO_AFTER_GTIDS", "IO_BEFORE_GTIDS", "IS", "ITERATE", "JOIN", "JSON_TABLE", "KEY",
    "KEYS", "KILL", "LAG", "LAST_VALUE", "LATERAL", "LEAD", "LEADING", "LEAVE", "LEFT", "LIKE",
    "LIMIT", "LINEAR", "LINES", "LOAD", "LOCALTIME", "LOCALTIMESTAMP", "LOCK", "LONG", "LONGBLOB",
    "LONGTEXT", "LOOP", "LOW_PRIORITY", "MASTER_BIND", "MASTER_DEMOTE_TO_REPLICA",
    "MASTER_DEMOTE_TO_SLAVE", "MASTER_SSL_VERIFY_SERVER_CERT", "MATCH", "MAXVALUE", "MEDIUMBLOB",
    "MEDIUMINT", "MEDIUMTEXT", "MIDDLEINT", "MINUTE_MICROSECOND", "MINUTE_SECOND", "MOD",
    "MODIFIES", "NATURAL", "NOT", "NO_WRITE_TO_BINLOG", "NTH_VALUE", "NTILE", "NULL", "NUMERIC",
    "OF", "OFFSET", "ON", "OPTIMIZE", "OPTIMIZER_COSTS", "OPTIONALLY", "OR", "ORDER", "OUT",
    "OUTER", "OUTFILE", "OVER", "PAGE_CHECKSUM", "PARSE_VCOL_EXPR", "PARTITION", "PERCENT_RANK",
    "PORTION", "PRECISION", "PRIMARY", "PROCEDURE", "PURGE", "RANGE", "RANK", "READ", "READS",
    "READ_WRITE", "REAL", "RECURSIVE", "REFERENCES", "REF_SYSTEM_ID", "REGEXP", "RELEASE",
    "RENAME", "REPEAT", "REPLACE", "REQUIRE", "RESIGNAL", "RESTRICT", "RETURN", "RETURNING",
    "REVOKE", "RIGHT", "RLIKE", "ROW", "ROWS", "ROW_NUMBER", "SCHEMA", "SCHEMAS",
    "SECOND_MICROSECOND", "SELECT", "SENSITIVE", "SEPARATOR", "SET", "SHOW", "SIGNAL", "SMALLINT",
    "SPATIAL", "SPECIFIC", "SQL", "SQLEXCEPTION", "SQLSTATE", "SQLWARNING", "SQL_BIG_RESULT",
    "SQL_CALC_FOUND_ROWS", "SQL_SMALL_RESULT", "SSL", "STARTING", "STATS_AUTO_RECALC",
    "STATS_PERSISTENT", "STATS_SAMPLE_PAGES", "STORED", "STRAIGHT_JOIN", "SYSTEM", "TABLE",
    "TERMINATED", "THEN", "TINYBLOB", "TINYINT", "TINYTEXT", "TO", "TRAILING", "TRIGGER", "TRUE",
    "UNDO", "UNION", "UNIQUE", "UNLOCK", "UNSIGNED", "UPDATE", "USAGE", "USE", "USING",
    "UTC_DATE", "UTC_TIME", "UTC_TIMESTAMP", "VALUES", "VARBINARY", "VARCHAR", "VARCHARACTER",
    "VARYING", "VIRTUAL", "WHEN", "WHERE", "WHILE", "WINDOW", "WITH", "WRITE", "XOR",
    "YEAR_MONTH", "ZEROFILL",
};
// clang-format on
static_assert(std::is_sorted(std::begin(kReservedWords), std::end(kReservedWords)));

bool reservedWord(const QByteArray& name) {
    const QByteArray upper = name.toUpper();
    const std::string_view word(upper.constData(), std::size_t(upper.size()));
    return std::binary_search(std::begin(kReservedWords), std::end(kReservedWords), word);
}

bool plainNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$';
}

// A name that begins with digits is read as a number when nothing else
// follows them, when an exponent follows (1e5) or when it is a hex or bit
// literal (0x1F, 0b101).
bool readAsNumber(const QByteArray& name) {
    qsizetype digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
    if (digits == 0) return false;
    if (digits == name.size()) return true;
    const char next = name[digits];
    if (next == 'e' || next == 'E') return true;
    return name.startsWith('0') && digits == 1 && (next == 'x' || next == 'b');
}

}  // namespace

QByteArray SqlQuotedName(const QByteArray& name) {
    QByteArray out = name;
    out.replace('`', "``");
    return '`' + out + '`';
}

QByteArray SqlName(const QByteArray& name) {
    const bool plain = !name.isEmpty() && std::all_of(name.begin(), name.end(), plainNameCharacter);
    if (plain && !reservedWord(name) && !readAsNumber(name)) return name;
    return SqlQuotedName(name);
}

QByteArray SqlHex(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray introducer = charset.isEmpty() ? QByteArray() : '_' + charset + ' ';
    // 0x with no digits is no literal; the empty text has its own.
    if (bytes.isEmpty()) return introducer + "''";
    return introducer + "0x" + bytes.toHex().toUpper();
}

void appendQuoted(QByteArray& out, std::string_view text) {
    out.reserve(out.size() + qsizetype(text.size()) + 8);
    out += '"';
    for (char c : text) {
        switch (c) {
            case '\'':
                out += "\\'";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    out += '"';
}

QByteArray SqlQuote(const QByteArray& text, bool emptyAsApostrophes) {
    if (text.isEmpty()) return emptyAsApostrophes ? QByteArray("''") : QByteArray("NULL");
    QByteArray out;
    appendQuoted(out, std::string_view(text.constData(), std::size_t(text.size())));
    return out;
}

QByteArray SqlFloat(double value) {
    if (!std::isfinite(value)) {
        char buf[16];
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        return QByteArray(buf, r.ptr - buf);
    }
    if (value == 0) return "0";
    // Round to 15 significant digits first, then lay the digits out.
    char sci[40];
    const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    const std::string_view s(sci, std::size_t(r.ptr - sci));
    const std::size_t ePos = s.find('e');
    const bool negative = s.front() == '-';
    std::string digits;
    for (char c : s.substr(0, ePos))
        if (c >= '0' && c <= '9') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::string_view es = s.substr(ePos + 1);
    if (!es.empty() && es.front() == '+') es.remove_prefix(1);
    std::from_chars(es.data(), es.data() + es.size(), exponent);

    QByteArray out;
    if (negative) out += '-';
    if (exponent >= 15 || exponent < -5) {
        out += digits.front();
        if (digits.size() > 1)
            out += '.' + QByteArray(digits.data() + 1, qsizetype(digits.size() - 1));
        out += exponent < 0 ? "e-" : "e+";
        const int a = std::abs(exponent);
        if (a < 10) out += '0';
        out += QByteArray::number(a);
    } else if (exponent < 0) {
        out += "0." + QByteArray(qsizetype(-exponent - 1), '0') +
               QByteArray(digits.data(), qsizetype(digits.size()));
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out += QByteArray(digits.data(), qsizetype(digits.size())) +
                   QByteArray(qsizetype(whole - digits.size()), '0');
        } else {
            out += QByteArray(digits.data(), qsizetype(whole)) + '.' +
                   QByteArray(digits.data() + whole, qsizetype(digits.size() - whole));
        }
    }
    return out;
}

QByteArray SqlValue(const FieldValue* field) {
    if (!field || field->isNull()) return "NULL";
    const std::string_view raw = field->raw();
    switch (field->kind()) {
        case FieldKind::Text:
            // Character columns are always written as their text, even when
            // the text happens to look like a date.
            return SqlQuote(field->bytes(), true);
        case FieldKind::Integer:
            if (auto t = integerText(raw)) return *t;
            return SqlQuote(field->bytes(), true);
        case FieldKind::Floating: {
            const double v = field->asDouble();
            QByteArray t = SqlFloat(v);
            // Fifteen digits lose the last bits of some doubles; such a value
            // is written with as many digits as give it back exactly.
            double back = 0;
            std::from_chars(t.constData(), t.constData() + t.size(), back);
            if (back != v && std::isfinite(v)) {
                char buf[40];
                const auto r = std::to_chars(buf, buf + sizeof buf, v);
                t = QByteArray(buf, r.ptr - buf);
            }
            return '\'' + t + '\'';
        }
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::DateTime:
            return SqlQuote(dateTimeText(field->kind(), raw), false);
        case FieldKind::Binary:
            // Bytes are bytes: a BLOB that happens to hold "2012-05-01"
            // must come back as those ten bytes, not as a date-time.
            return SqlQuote(field->bytes(), true);
        case FieldKind::Other:
            break;
    }
    if (auto dt = field->tryDateTime()) return SqlQuote(formatDateTime(*dt), true);
    return SqlQuote(field->bytes(), true);
}

bool AppendLine(const QString& path, const QByteArray& line) {
    QFile f(path);
    // Unbuffered, so that a short write (a full disk) shows in write()'s
    // count rather than vanishing in a flush at close.
    const QIODevice::OpenMode mode =
        (f.exists() ? QIODevice::ReadWrite : QIODevice::WriteOnly) | QIODevice::Unbuffered;
    if (!f.open(mode)) return false;
    if (!f.seek(f.size())) return false;
    const QByteArray data = line + "\r\n";
    const bool ok = f.write(data) == data.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

}  // namespace core
