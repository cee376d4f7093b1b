#pragma once
// SQL literals in the server's dialect and line-wise writing of script files:
// the one set of rules for every value the program sends, whether the client
// dataset writes a changed row back or the export writes a script. Texts are
// Windows-1251 bytes; no conversion here depends on the user's locale.

#include "core/field_value.h"

#include <QByteArray>
#include <QString>
#include <string_view>

namespace core {

// The text between double quotes with ' \ " CR LF escaped by backslashes.
// An empty text gives '' when emptyAsApostrophes, else NULL.
QByteArray SqlQuote(const QByteArray& text, bool emptyAsApostrophes);
// The same quoting for a non-empty text, appended to out.
void appendQuoted(QByteArray& out, std::string_view text);

// The literal of one field's value; nullptr or NULL gives NULL. Whatever the
// server sent comes back unchanged: integers in full (unsigned 64-bit ones
// too), floating values with a decimal point, and dates and times Qt cannot
// hold (zero or partial dates, TIME beyond a day) as the server's own text.
QByteArray SqlValue(const FieldValue* field);
inline QByteArray SqlValue(const FieldValue& field) { return SqlValue(&field); }

// A name (of a database, table, column or key) as the server reads it back:
// bare when it may stand bare, else in backquotes with any backquote inside
// doubled. It needs them when it is a reserved word, holds a character
// other than A-Z, a-z, 0-9, _ and $, or would be read as a number.
QByteArray SqlName(const QByteArray& name);
// The name in backquotes whatever it is.
QByteArray SqlQuotedName(const QByteArray& name);
// Bytes as a hex literal (0x...), with the character set they are in as
// its introducer when one is given: a text that the script's code page
// cannot carry, or one the script must not hold as it is.
QByteArray SqlHex(const QByteArray& bytes, const QByteArray& charset = QByteArray());

// The number in its shortest general form of up to 15 significant digits,
// always with a decimal point: plain from 0.00001 up to 15 integer digits,
// the exponent form beyond.
QByteArray SqlFloat(double value);

// Appends the line and CR LF to the file, creating it when missing.
bool AppendLine(const QString& path, const QByteArray& line);

}  // namespace core
