#include "core/codepage.h"

#include "core/cp1251.h"

namespace core {

namespace {
// Windows-1251 is a single-byte code page; a table lookup is both exact and
// far faster than going through ICU for every field of every row. The
// characters are those of core/cp1251.h, which velkor-arc uses without Qt.
struct Tables {
    char16_t toUnicode[256];
    // 0 marks a character the code page lacks (NUL itself is handled apart).
    unsigned char fromUnicode[65536] = {};
    Tables() {
        for (int i = 0; i < 256; ++i) {
            const char16_t c = cp1251::toUnicode((unsigned char)i);
            toUnicode[i] = c;
            if (c != 0) fromUnicode[c] = (unsigned char)i;
        }
        for (const cp1251::LookAlike& l : cp1251::lookAlikes())
            if (!fromUnicode[l.from]) fromUnicode[l.from] = fromUnicode[l.to];
    }
};
const Tables& tables() {
    static const Tables t;
    return t;
}

bool carried(const Tables& t, char16_t c) { return c < 0x80 || t.fromUnicode[c] != 0; }
}  // namespace

QByteArray toCp1251(const QString& text) {
    const Tables& t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* p = out.data();
    const QChar* s = text.constData();
    const QChar* const end = s + text.size();
    for (; s != end; ++s) {
        const char16_t c = s->unicode();
        if (c < 0x80) {
            *p++ = char(c);
        } else if (const unsigned char b = t.fromUnicode[c]) {
            *p++ = char(b);
        } else {
            // One "?" for a character, also when it takes two UTF-16 units.
            if (s->isHighSurrogate() && s + 1 != end && s[1].isLowSurrogate()) ++s;
            *p++ = '?';
        }
    }
    out.truncate(p - out.constData());
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

std::optional<char32_t> firstUncarried(const QString& text) {
    const Tables& t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (carried(t, c.unicode())) continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            return QChar::surrogateToUcs4(c, text.at(i + 1));
        return char32_t(c.unicode());
    }
    return std::nullopt;
}

QString asStored(const QString& text) { return fromCp1251(toCp1251(text)); }

QString uncarriedMessage(char32_t character) {
    const QString shown = QString::fromUcs4(&character, 1);
    const QString code =
        QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("Символ «") + shown + QStringLiteral("» (") + code +
           QStringLiteral(
               ") нельзя сохранить: его нет в кодировке базы данных "
               "(Windows-1251).\nЗамените его или удалите.");
}

}  // namespace core
