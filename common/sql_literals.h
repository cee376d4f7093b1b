#pragma once
// SQL literals in the server's dialect and line-wise writing of script files.
// Texts are Windows-1251 bytes.

#include "core/field_value.h"

#include <QByteArray>
#include <QString>

namespace common {

// The text between double quotes with ' \ " CR LF escaped by backslashes.
// An empty text gives '' when emptyAsApostrophes, else NULL.
QByteArray SqlQuote(const QByteArray& text, bool emptyAsApostrophes);

// The literal of one field's value; nullptr or NULL gives NULL.
QByteArray SqlValue(const core::FieldValue* field);
inline QByteArray SqlValue(const core::FieldValue& field) { return SqlValue(&field); }

// The number in its shortest general form (up to 15 significant digits),
// always with a decimal point.
QByteArray SqlFloat(double value);

// Appends the line and CR LF to the file, creating it when missing.
bool AppendLine(const QString& path, const QByteArray& line);

}  // namespace common
