#include "core/cp1251.h"

#include <algorithm>
#include <array>

namespace core::cp1251 {

namespace {

// Bytes 0x80..0xFF; below them the code page is ASCII.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0: А..
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // ..Я
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0: а..
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // ..я
};

// They arrive from keyboard layouts (the Ukrainian apostrophe is U+02BC on
// some) and from texts pasted out of word processors.
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

// The byte of a character of the code page itself.
std::optional<unsigned char> ownByte(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    const auto at = std::find(kUpperHalf.begin(), kUpperHalf.end(), c);
    if (at == kUpperHalf.end()) return std::nullopt;
    return static_cast<unsigned char>(0x80 + (at - kUpperHalf.begin()));
}

bool continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The character that starts text[at], and its length in bytes; a length of
// 0 when no valid UTF-8 sequence starts there.
std::pair<char32_t, std::size_t> decode(std::string_view text, std::size_t at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80) return {b, 1};
    std::size_t length;
    char32_t c;
    char32_t least;  // the smallest character of this length: no overlong forms
    if ((b & 0xE0) == 0xC0) {
        length = 2, c = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, c = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, c = b & 0x07, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() - at < length) return {0, 0};
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (!continuation(next)) return {0, 0};
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, length};
}

}  // namespace

char16_t toUnicode(unsigned char byte) { return byte < 0x80 ? byte : kUpperHalf[byte - 0x80]; }

std::span<const LookAlike> lookAlikes() { return kLookAlikes; }

std::optional<unsigned char> fromUnicode(char32_t character) {
    if (const auto own = ownByte(character)) return own;
    for (const LookAlike& l : kLookAlikes)
        if (l.from == character) return ownByte(l.to);
    return std::nullopt;
}

std::string fromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [c, length] = decode(text, at);
        if (length == 0) {
            out += '?';
            ++at;
            continue;
        }
        out += static_cast<char>(fromUnicode(c).value_or('?'));
        at += length;
    }
    return out;
}

void appendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char b : bytes) appendUtf8(out, toUnicode(static_cast<unsigned char>(b)));
    return out;
}

}  // namespace core::cp1251
