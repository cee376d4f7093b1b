#include "tests/support/qt_printers.h"
#include "core/codepage.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(toCp1251(QString::fromUtf8("a€漢b")), QByteArray("a\x88?b"));
}
