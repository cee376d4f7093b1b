#include "core/field_value.h"

#include "core/codepage.h"

#include <charconv>
#include <cstdio>

namespace core {

namespace {
bool digits(std::string_view s, size_t pos, size_t n, int& out) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}
}  // namespace

std::optional<QDate> parseDate(std::string_view s) {
    int y, m, d;
    if (s.size() < 10 || !digits(s, 0, 4, y) || s[4] != '-' || !digits(s, 5, 2, m) || s[7] != '-' ||
        !digits(s, 8, 2, d))
        return std::nullopt;
    QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QTime> parseTime(std::string_view s) {
    int h, m, sec;
    if (s.size() < 8 || !digits(s, 0, 2, h) || s[2] != ':' || !digits(s, 3, 2, m) || s[5] != ':' ||
        !digits(s, 6, 2, sec))
        return std::nullopt;
    int ms = 0;
    if (s.size() > 9 && s[8] == '.') {
        int frac = 0, n = 0;
        for (size_t i = 9; i < s.size() && n < 3 && s[i] >= '0' && s[i] <= '9'; ++i, ++n)
            frac = frac * 10 + (s[i] - '0');
        while (n++ < 3) frac *= 10;
        ms = frac;
    }
    QTime t(h, m, sec, ms);
    if (!t.isValid()) return std::nullopt;
    return t;
}

std::optional<QDateTime> parseDateTime(std::string_view s) {
    auto d = parseDate(s);
    if (!d) return std::nullopt;
    if (s.size() == 10) return QDateTime(*d, QTime(0, 0));
    if (s.size() < 19 || (s[10] != ' ' && s[10] != 'T')) return std::nullopt;
    auto t = parseTime(s.substr(11));
    if (!t) return std::nullopt;
    return QDateTime(*d, *t);
}

QByteArray formatDate(const QDate& d) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    return QByteArray(buf, n);
}

QByteArray formatTime(const QTime& t) {
    char buf[16];
    const int n =
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour(), t.minute(), t.second());
    return QByteArray(buf, n);
}

QByteArray formatDateTime(const QDateTime& dt) {
    return formatDate(dt.date()) + ' ' + formatTime(dt.time());
}

QString FieldValue::asText() const { return fromCp1251(raw_); }

qint64 FieldValue::asInt64() const {
    if (null_) return 0;
    qint64 v = 0;
    const char* b = raw_.data();
    const char* e = b + raw_.size();
    if (b != e && *b == '+') ++b;
    if (std::from_chars(b, e, v).ec == std::errc()) return v;
    // An unsigned 64-bit value beyond the signed range keeps its bits.
    quint64 u = 0;
    if (std::from_chars(b, e, u).ec == std::errc()) return qint64(u);
    return qint64(asDouble());
}

qint32 FieldValue::asInt32() const { return qint32(quint32(quint64(asInt64()))); }

double FieldValue::asDouble() const {
    if (null_) return 0.0;
    // Never through strtod: it follows the process's numeric locale, and
    // under a decimal comma it would read 1.5 as 1.
    const char* b = raw_.data();
    const char* e = b + raw_.size();
    while (b != e && (*b == ' ' || *b == '\t')) ++b;
    if (b != e && *b == '+') ++b;
    double v = 0.0;
    std::from_chars(b, e, v);
    return v;
}

QDate FieldValue::asDate() const {
    if (null_) return {};
    return parseDate(raw_).value_or(QDate());
}

QTime FieldValue::asTime() const {
    if (null_) return {};
    return parseTime(raw_).value_or(QTime());
}

QDateTime FieldValue::asDateTime() const {
    if (null_) return {};
    return parseDateTime(raw_).value_or(QDateTime());
}

std::optional<QDateTime> FieldValue::tryDateTime() const {
    if (null_ || kind_ == FieldKind::Binary) return std::nullopt;
    if (kind_ == FieldKind::Time) {
        if (auto t = parseTime(raw_)) return QDateTime(QDate(1899, 12, 30), *t);
        return std::nullopt;
    }
    return parseDateTime(raw_);
}

QVariant FieldValue::toVariant() const {
    if (null_) return {};
    // A date or time Qt cannot hold (a zero date, TIME beyond a day) is
    // offered as the server's text rather than as an empty value.
    switch (kind_) {
        case FieldKind::Integer:
            return QVariant::fromValue<qlonglong>(asInt64());
        case FieldKind::Floating:
            return asDouble();
        case FieldKind::Date:
            if (const QDate d = asDate(); d.isValid()) return d;
            break;
        case FieldKind::Time:
            if (const QTime t = asTime(); t.isValid()) return t;
            break;
        case FieldKind::DateTime:
            if (const QDateTime dt = asDateTime(); dt.isValid()) return dt;
            break;
        case FieldKind::Text:
        case FieldKind::Binary:
        case FieldKind::Other:
            break;
    }
    return asText();
}

}  // namespace core
