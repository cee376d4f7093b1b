#include "core/codepage.h"
#include "core/cp1251.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <string>

using core::fromCp1251;
using core::toCp1251;

TEST(CodePage, CyrillicAndUkrainianLettersMapToTheirBytes) {
    // А=C0, я=FF, Ё=A8, ё=B8, І=B2, і=B3, Ї=AF, ї=BF, Є=AA, є=BA, Ґ=A5, ґ=B4, №=B9
    const QString text = QString::fromUtf8("АяЁёІіЇїЄєҐґ№");
    const QByteArray expected("\xC0\xFF\xA8\xB8\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4\xB9");
    EXPECT_EQ(toCp1251(text), expected);
    EXPECT_EQ(fromCp1251(expected), text);
}

TEST(CodePage, EveryByteRoundTrips) {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = char(i);
    EXPECT_EQ(toCp1251(fromCp1251(all)), all);
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    // One "?" for a character, also for one beyond the basic plane.
    EXPECT_EQ(toCp1251(QString::fromUtf8("a€漢b😀c")), QByteArray("a\x88?b?c"));
}

TEST(CodePage, LookAlikesAreWrittenAsTheCodePagesOwnCharacters) {
    struct Case {
        const char* typed;
        const char* stored;  // as it reads back
    };
    const Case cases[] = {
        {"пʼять", "п’ять"},  // U+02BC, the Ukrainian apostrophe of some layouts
        {"м′ята", "м’ята"},  // U+2032 prime
        {"Вʹ", "В'"},        // U+02B9
        {"ʻ‛x", "‘‘x"},      // U+02BB, U+201B
        {"″ˮ‟", "\"\"“"},    // U+2033, U+02EE, U+201F
        {"1‐2‑3−4", "1-2-3-4"},
        {"1‒2―3", "1–2—3"},
        {"a\u2007b\u2009c\u200Ad", "a b c d"},  // figure, thin, hair spaces
        {"12\u202F000", "12\u00A0000"},         // narrow no-break space
        // What the code page has stays as it is.
        {"’‘“”„–—…«»№ ґҐ", "’‘“”„–—…«»№ ґҐ"},
    };
    for (const Case& c : cases) {
        const QString typed = QString::fromUtf8(c.typed);
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(core::firstUncarried(typed), std::nullopt);
        EXPECT_EQ(fromCp1251(toCp1251(typed)), QString::fromUtf8(c.stored));
        EXPECT_EQ(core::asStored(typed), QString::fromUtf8(c.stored));
        EXPECT_FALSE(toCp1251(typed).contains('?'));
    }
}

TEST(CodePage, ACharacterWithoutEquivalentIsNamed) {
    EXPECT_EQ(core::firstUncarried(QString::fromUtf8("п’ять 漢 x")), char32_t(0x6F22));
    EXPECT_EQ(core::firstUncarried(QString::fromUtf8("ok😀")), char32_t(0x1F600));
    EXPECT_EQ(core::uncarriedMessage(0x1F600),
              QString::fromUtf8("Символ «😀» (U+1F600) нельзя сохранить: его нет в кодировке "
                                "базы данных (Windows-1251).\nЗамените его или удалите."));
    EXPECT_TRUE(core::uncarriedMessage(0x3A9).startsWith(QString::fromUtf8("Символ «Ω» (U+03A9)")));
}

// The table that velkor-arc uses without Qt is the code page as ICU knows it,
// but for 0x98, which the code page leaves undefined.
TEST(CodePage, TheTableIsTheCodePageOfQt) {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = char(i);
    QStringDecoder decoder("windows-1251");
    const QString decoded = decoder.decode(all);
    ASSERT_EQ(decoded.size(), 256);
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const char16_t expected = i == 0x98 ? char16_t(0x98) : decoded.at(i).unicode();
        EXPECT_EQ(core::cp1251::toUnicode((unsigned char)i), expected);
    }
}

// Member names reach an archive through the UTF-8 conversions from the
// command line and through the QString ones from the program: every
// character, look-alikes and characters the code page lacks included, must
// come out as the same byte, and every byte as the same text.
TEST(CodePage, TheUtf8ConversionsAgreeWithTheQStringOnes) {
    for (char32_t c = 1; c <= 0x10FFFF; c = c < 0xFFFF ? c + 1 : c + 0x1001) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const QString text = QString::fromUcs4(&c, 1);
        const QByteArray utf8 = text.toUtf8();
        const std::string bytes = core::cp1251::fromUtf8(utf8.toStdString());
        if (bytes != toCp1251(text).toStdString()) {
            ADD_FAILURE() << "U+" << std::hex << unsigned(c);
            break;
        }
    }
    for (int i = 0; i < 256; ++i) {
        const std::string byte(1, char(i));
        EXPECT_EQ(core::cp1251::toUtf8(byte), fromCp1251(QByteArray(1, char(i))).toStdString())
            << i;
    }
    EXPECT_EQ(core::cp1251::fromUtf8("\xD0\x97\xD0\xB2\xD1\x96\xD1\x82.sql"),
              "\xC7\xE2\xB3\xF2.sql");  // Звіт.sql
}

TEST(CodePage, BytesThatAreNotUtf8BecomeQuestionMarks) {
    const struct {
        const char* name;
        std::string text;
        std::string bytes;
    } cases[] = {
        {"a lone continuation byte", "a\x80z", "a?z"},
        {"a sequence cut short", "a\xD0", "a?"},
        {"a lead byte before ASCII", "\xD0z", "?z"},
        {"an overlong slash", "\xC0\xAF", "??"},
        {"an encoded surrogate", "\xED\xA0\x80", "???"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"a character of four bytes", "\xF0\x9F\x98\x80!", "?!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(core::cp1251::fromUtf8(c.text), c.bytes);
    }
}
