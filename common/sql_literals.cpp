#include "common/sql_literals.h"

#include "core/sql_text.h"

#include <QFile>
#include <cstdio>

namespace common {

QByteArray SqlQuote(const QByteArray& text, bool emptyAsApostrophes) {
    if (text.isEmpty()) return emptyAsApostrophes ? QByteArray("''") : QByteArray("NULL");
    return core::quoted(std::string_view(text.constData(), size_t(text.size())));
}

QByteArray SqlFloat(double value) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.15g", value);
    QByteArray s(buf, n);
    s.replace(',', '.');
    return s;
}

QByteArray SqlValue(const core::FieldValue* field) {
    using core::FieldKind;
    if (!field || field->isNull()) return "NULL";
    switch (field->kind()) {
        case FieldKind::Text:
            // Character columns are always written as their text, even when
            // the text happens to look like a date.
            return SqlQuote(field->bytes(), true);
        case FieldKind::Integer:
            // The full 64-bit value; a 32-bit reading would wrap large ones.
            return QByteArray::number(field->asInt64());
        case FieldKind::Floating:
            return '\'' + SqlFloat(field->asDouble()) + '\'';
        case FieldKind::Date:
            return SqlQuote(core::formatDate(field->asDate()), false);
        case FieldKind::Time:
            return SqlQuote(core::formatTime(field->asTime()), false);
        case FieldKind::DateTime:
            return SqlQuote(core::formatDateTime(field->asDateTime()), false);
        case FieldKind::Other:
            break;
    }
    if (auto dt = field->tryDateTime()) return SqlQuote(core::formatDateTime(*dt), true);
    return SqlQuote(field->bytes(), true);
}

bool AppendLine(const QString& path, const QByteArray& line) {
    QFile f(path);
    const QIODevice::OpenMode mode = f.exists() ? QIODevice::ReadWrite : QIODevice::WriteOnly;
    if (!f.open(mode)) return false;
    if (!f.seek(f.size())) return false;
    const QByteArray data = line + "\r\n";
    const bool ok = f.write(data) == data.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

}  // namespace common
