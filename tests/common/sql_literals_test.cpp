#include "tests/support/qt_printers.h"
#include "common/sql_literals.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using common::AppendLine;
using common::SqlFloat;
using common::SqlQuote;
using common::SqlValue;
using core::FieldKind;
using core::FieldValue;

struct QuoteCase {
    QByteArray text;
    bool emptyAsApostrophes;
    QByteArray expected;
};

TEST(SqlQuote, Cases) {
    const QuoteCase cases[] = {
        {"", false, "NULL"},
        {"", true, "''"},
        {"O'Brien", false, "\"O\\'Brien\""},
        {"C:\\data", false, "\"C:\\\\data\""},
        {"one\r\ntwo", true, "\"one\\r\\ntwo\""},
        {"say \"hi\"", true, "\"say \\\"hi\\\"\""},
        {QByteArray("a\tb\0c", 5), true, QByteArray("\"a\tb\0c\"", 7)},
        {"\xCA\xE8\xBF\xE2", true, "\"\xCA\xE8\xBF\xE2\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlQuote(c.text, c.emptyAsApostrophes), c.expected) << c.text.toStdString();
}

struct ValueCase {
    FieldKind kind;
    bool null;
    const char* raw;
    QByteArray expected;
};

TEST(SqlValue, Cases) {
    const ValueCase cases[] = {
        {FieldKind::Text, true, "", "NULL"},
        {FieldKind::Integer, true, "", "NULL"},
        {FieldKind::Date, true, "", "NULL"},
        {FieldKind::Text, false, "", "''"},
        {FieldKind::Text, false, "it's", "\"it\\'s\""},
        // A character column that looks like a date stays its own text.
        {FieldKind::Text, false, "2012-05-01", "\"2012-05-01\""},
        {FieldKind::Integer, false, "-42", "-42"},
        // 64-bit values are written in full.
        {FieldKind::Integer, false, "9007199254740993", "9007199254740993"},
        {FieldKind::Floating, false, "12.5", "'12.5'"},
        {FieldKind::Date, false, "2012-05-01", "\"2012-05-01\""},
        {FieldKind::Time, false, "08:05:09", "\"08:05:09\""},
        {FieldKind::DateTime, false, "2011-03-15 10:20:30", "\"2011-03-15 10:20:30\""},
        {FieldKind::Other, false, "123", "\"123\""},
        {FieldKind::Other, false, "", "''"},
        {FieldKind::Other, false, "2011-03-15", "\"2011-03-15 00:00:00\""},
    };
    for (const auto& c : cases) {
        const FieldValue v(c.kind, c.null, c.raw);
        EXPECT_EQ(SqlValue(&v), c.expected) << c.raw;
    }
    EXPECT_EQ(SqlValue(nullptr), "NULL");
}

TEST(SqlFloat, ShortestFormWithPointWhateverTheLocale) {
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    EXPECT_EQ(SqlFloat(12.5), "12.5");
    EXPECT_EQ(SqlFloat(3.0), "3");
    EXPECT_EQ(SqlFloat(0.1), "0.1");
    EXPECT_EQ(SqlFloat(-1234567.25), "-1234567.25");
    EXPECT_EQ(SqlFloat(1.0 / 3.0), "0.333333333333333");
    QLocale::setDefault(QLocale::c());
}

TEST(AppendLine, CreatesThenAppendsWithCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.sql");
    EXPECT_TRUE(AppendLine(path, "first"));
    EXPECT_TRUE(AppendLine(path, "\xD0\xEE\xEA"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("first\r\n\xD0\xEE\xEA\r\n"));
}

TEST(AppendLine, UnwritablePathGivesFalse) {
    EXPECT_FALSE(AppendLine("/nonexistent-dir/x.sql", "line"));
}
