#pragma once
// Trimming as the journal does it everywhere: every leading and trailing
// character of code 32 or less goes (blanks, tabs, line breaks and the other
// control characters), in wide texts and in Windows-1251 bytes alike.

#include <QByteArray>
#include <QString>

namespace core {

inline QString trimControls(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b).unicode() <= 32) ++b;
    while (e > b && s.at(e - 1).unicode() <= 32) --e;
    return s.mid(b, e - b);
}

inline QByteArray trimControls(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.mid(b, e - b);
}

}  // namespace core
