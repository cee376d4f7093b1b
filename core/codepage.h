#pragma once
// The one place where text crosses between QString and Windows-1251 bytes:
// the server connection, the settings file, the export script and archive
// member names all speak Windows-1251. The characters are the table of
// core/cp1251.h, which the Qt-free command-line side shares.
//
// Characters the code page lacks but that have a look-alike in it (the
// Ukrainian apostrophe ʼ, the prime ′, typographic dashes and quotes that
// some keyboard layouts type) are written as that look-alike. A character
// with no such equivalent cannot be carried: what must be stored exactly
// (row values) asks firstUncarried() first and refuses the text; elsewhere
// it becomes "?".

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

namespace core {

QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);
QString fromCp1251(std::string_view bytes);

// The first character of the text that neither the code page nor its
// look-alikes carry; nullopt when the whole text can be written.
std::optional<char32_t> firstUncarried(const QString& text);
// The text as it reads back once written: look-alikes replaced.
QString asStored(const QString& text);
// "Символ «X» (U+XXXX) нельзя сохранить: ..." for a character that cannot
// be carried, naming it for the user.
QString uncarriedMessage(char32_t character);

}  // namespace core
