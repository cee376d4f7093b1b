#pragma once
// Quoting texts into SQL statements in the server's dialect: double quotes,
// with apostrophe, backslash, double quote, CR and LF escaped by a backslash.

#include <QByteArray>
#include <string_view>

namespace core {

// Appends the quoted text, quotes included, to out.
void appendQuoted(QByteArray& out, std::string_view text);
QByteArray quoted(std::string_view text);

}  // namespace core
