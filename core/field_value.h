#pragma once
// One value of a result row or of a client dataset row, as the server sent it
// in its text protocol (Windows-1251 bytes), with its kind and NULL told apart
// from empty. The readings parse that text on demand.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>
#include <optional>
#include <string_view>

namespace core {

// Binary: byte strings (BINARY, VARBINARY, BLOB), bit fields and geometry,
// whose bytes are never anybody's date.
enum class FieldKind { Text, Integer, Floating, Date, Time, DateTime, Binary, Other };

class FieldValue {
  public:
    FieldValue() = default;  // NULL of the other kind
    FieldValue(FieldKind kind, bool null, std::string_view raw)
        : kind_(kind), null_(null), raw_(null ? std::string_view() : raw) {}

    FieldKind kind() const { return kind_; }
    bool isNull() const { return null_; }
    // The Windows-1251 bytes as stored; empty for NULL.
    std::string_view raw() const { return raw_; }
    QByteArray bytes() const { return QByteArray(raw_.data(), qsizetype(raw_.size())); }

    QString asText() const;
    qint64 asInt64() const;  // 0 when NULL or not a number
    qint32 asInt32() const;  // the low 32 bits, as a 32-bit reading gives them
    double asDouble() const;
    QDate asDate() const;  // invalid when NULL or not a date
    QTime asTime() const;
    QDateTime asDateTime() const;
    // A date-time reading of any kind: a date-time, a date (at midnight) or a
    // text in one of the server's date forms; nullopt when there is none,
    // and always for binary bytes.
    std::optional<QDateTime> tryDateTime() const;
    // The natural Qt value: QString, qlonglong, double, QDate, QTime,
    // QDateTime; an invalid QVariant for NULL.
    QVariant toVariant() const;

  private:
    FieldKind kind_ = FieldKind::Other;
    bool null_ = true;
    std::string_view raw_;
};

// The server's text forms of dates and times.
QByteArray formatDate(const QDate& d);           // yyyy-MM-dd
QByteArray formatTime(const QTime& t);           // hh:mm:ss
QByteArray formatDateTime(const QDateTime& dt);  // yyyy-MM-dd hh:mm:ss
std::optional<QDate> parseDate(std::string_view s);
std::optional<QTime> parseTime(std::string_view s);
std::optional<QDateTime> parseDateTime(std::string_view s);

}  // namespace core
