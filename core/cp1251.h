#pragma once
// Windows-1251 without Qt: the code page as a table of its 256 characters
// and the look-alikes written in place of characters it lacks. The QString
// conversions of core/codepage.h are built on this table, and velkor-arc,
// which loads no Qt, converts archive member names with it; so both read
// and write the same bytes.
//
// The command-line side takes and shows text in the system's encoding,
// UTF-8: fromUtf8 and toUtf8 convert between that and the code page.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace core::cp1251 {

// The character of a byte. 0x98, which the code page leaves undefined,
// stands for U+0098, so that every byte reads back as itself.
char16_t toUnicode(unsigned char byte);

// A character outside the code page that reads the same as one inside it.
struct LookAlike {
    char16_t from;
    char16_t to;
};
std::span<const LookAlike> lookAlikes();

// The byte of a character, or of its look-alike; nullopt when the code page
// has neither.
std::optional<unsigned char> fromUnicode(char32_t character);

// UTF-8 text as Windows-1251 bytes: one "?" for each character the code
// page cannot carry and for each byte that is not part of valid UTF-8.
std::string fromUtf8(std::string_view text);
// Windows-1251 bytes as UTF-8.
std::string toUtf8(std::string_view bytes);
// Appends one character to UTF-8 text.
void appendUtf8(std::string& text, char32_t character);

}  // namespace core::cp1251
