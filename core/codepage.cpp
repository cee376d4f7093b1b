#include "core/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace core {

namespace {
// Windows-1251 is a single-byte code page; a table lookup is both exact and
// far faster than going through ICU for every field of every row.
struct Tables {
    char16_t toUnicode[256];
    // 0 marks a character the code page lacks (NUL itself is handled apart).
    unsigned char fromUnicode[65536] = {};
    Tables() {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i) all[i] = char(i);
        QStringDecoder dec("windows-1251");
        const QString u = dec.decode(all);
        for (int i = 0; i < 256; ++i) {
            char16_t c = i < u.size() ? u.at(i).unicode() : char16_t(i);
            // 0x98 is undefined in Windows-1251; keep bytes round-tripping.
            if (c == 0xFFFD) c = char16_t(i);
            toUnicode[i] = c;
            if (c != 0) fromUnicode[c] = (unsigned char)i;
        }
    }
};
const Tables& tables() {
    static const Tables t;
    return t;
}
}  // namespace

QByteArray toCp1251(const QString& text) {
    const Tables& t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* p = out.data();
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            *p++ = char(c);
        } else {
            const unsigned char b = t.fromUnicode[c];
            *p++ = b ? char(b) : '?';
        }
    }
    return out;
}

QString fromCp1251(std::string_view bytes) {
    const Tables& t = tables();
    QString out(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* p = out.data();
    for (unsigned char b : bytes) *p++ = QChar(t.toUnicode[b]);
    return out;
}

QString fromCp1251(const QByteArray& bytes) {
    return fromCp1251(std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace core
