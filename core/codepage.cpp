#include "core/codepage.h"

#include <QStringDecoder>

namespace core {

namespace {
// Characters outside Windows-1251 that read the same as one inside it. They
// arrive from keyboard layouts (the Ukrainian apostrophe is U+02BC on some)
// and from texts pasted out of word processors.
struct LookAlike {
    char16_t from;
    char16_t to;
};
constexpr LookAlike kLookAlikes[] = {
    {0x02BC, 0x2019},  // ʼ modifier letter apostrophe -> ’
    {0x2032, 0x2019},  // ′ prime -> ’
    {0x02B9, 0x0027},  // ʹ modifier letter prime -> '
    {0x02BB, 0x2018},  // ʻ turned comma -> ‘
    {0x201B, 0x2018},  // ‛ reversed single quotation mark -> ‘
    {0x2033, 0x0022},  // ″ double prime -> "
    {0x02EE, 0x0022},  // ˮ modifier letter double apostrophe -> "
    {0x201F, 0x201C},  // ‟ reversed double quotation mark -> “
    {0x2010, 0x002D},  // ‐ hyphen -> -
    {0x2011, 0x002D},  // ‑ non-breaking hyphen -> -
    {0x2212, 0x002D},  // − minus sign -> -
    {0x2012, 0x2013},  // ‒ figure dash -> –
    {0x2015, 0x2014},  // ― horizontal bar -> —
    {0x2007, 0x0020},  // figure space -> space
    {0x2009, 0x0020},  // thin space -> space
    {0x200A, 0x0020},  // hair space -> space
    {0x2002, 0x0020},  // en space -> space
    {0x2003, 0x0020},  // em space -> space
    {0x202F, 0x00A0},  // narrow no-break space -> no-break space
};

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
        for (const LookAlike& l : kLookAlikes)
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
