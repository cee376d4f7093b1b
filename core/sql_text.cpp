#include "core/sql_text.h"

namespace core {

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

QByteArray quoted(std::string_view text) {
    QByteArray out;
    appendQuoted(out, text);
    return out;
}

}  // namespace core
