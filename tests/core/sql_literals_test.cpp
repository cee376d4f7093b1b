#include "core/sql_literals.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>

using core::AppendLine;
using core::FieldKind;
using core::FieldValue;
using core::SqlFloat;
using core::SqlQuote;
using core::SqlValue;

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

TEST(SqlName, BareWhereTheServerReadsItBareElseInBackquotes) {
    const struct {
        QByteArray name, expected;
    } cases[] = {
        {"doc_list", "doc_list"}, {"Rec_IDN", "Rec_IDN"},
        {"NAME", "NAME"},  // a keyword, but not a reserved one
        {"a$b", "a$b"},           {"1a", "1a"},
        {"order", "`order`"},     {"Select", "`Select`"},
        {"rank", "`rank`"},  // reserved by MySQL 8
        {"my col", "`my col`"},   {"b`q", "`b``q`"},
        {"a-b", "`a-b`"},         {"2024", "`2024`"},
        {"1e5", "`1e5`"},         {"0x1F", "`0x1F`"},
        {"0b1", "`0b1`"},         {"\xCA\xE8\xBF\xE2", "`\xCA\xE8\xBF\xE2`"},
    };
    for (const auto& c : cases) EXPECT_EQ(core::SqlName(c.name), c.expected) << c.name.constData();
    EXPECT_EQ(core::SqlHex("a;b"), "0x613B62");
    EXPECT_EQ(core::SqlHex("\xC3\xBC", "utf8mb4"), "_utf8mb4 0xC3BC");
    EXPECT_EQ(core::SqlHex("", "cp1251"), "_cp1251 ''");
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
        // Bytes of a BLOB or VARBINARY are never read as a date.
        {FieldKind::Binary, false, "2012-05-01", "\"2012-05-01\""},
        {FieldKind::Binary, false, "2012-05-01 10:11:12garbage", "\"2012-05-01 10:11:12garbage\""},
        {FieldKind::Binary, false, "", "''"},
        {FieldKind::Binary, true, "", "NULL"},
    };
    for (const auto& c : cases) {
        const FieldValue v(c.kind, c.null, c.raw);
        EXPECT_EQ(SqlValue(&v), c.expected) << c.raw;
    }
    EXPECT_EQ(SqlValue(nullptr), "NULL");
}

// Whatever the server holds leaves the program unchanged, in every locale.
class SqlValueExact : public ::testing::Test {
  protected:
    // A numeric locale with a decimal comma, as on a Ukrainian desktop.
    void SetUp() override {
        saved_ = std::setlocale(LC_NUMERIC, nullptr);
        ASSERT_NE(std::setlocale(LC_NUMERIC, "uk_UA.UTF-8"), nullptr)
            << "the uk_UA.UTF-8 locale is missing (scripts/setup.sh makes it)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }

  private:
    std::string saved_;
};

TEST_F(SqlValueExact, ValuesTheServerHoldsComeBackUnchanged) {
    const ValueCase cases[] = {
        // Floating values with a decimal point, under a decimal comma.
        {FieldKind::Floating, false, "1.5", "'1.5'"},
        {FieldKind::Floating, false, "12.5", "'12.5'"},
        {FieldKind::Floating, false, "-0.75", "'-0.75'"},
        {FieldKind::Floating, false, "1e300", "'1e+300'"},
        // Small magnitudes: plain down to 0.00001, the exponent form below.
        {FieldKind::Floating, false, "0.000025", "'0.000025'"},
        {FieldKind::Floating, false, "0.00001", "'0.00001'"},
        {FieldKind::Floating, false, "0.0000025", "'2.5e-06'"},
        // Fifteen digits would lose this double; it keeps as many as it needs.
        {FieldKind::Floating, false, "0.30000000000000004", "'0.30000000000000004'"},
        // Integers in full, unsigned 64-bit ones too.
        {FieldKind::Integer, false, "18446744073709551615", "18446744073709551615"},
        {FieldKind::Integer, false, "-9223372036854775808", "-9223372036854775808"},
        // Dates and times Qt cannot hold go back as the server wrote them.
        {FieldKind::Date, false, "0000-00-00", "\"0000-00-00\""},
        {FieldKind::Date, false, "2012-00-00", "\"2012-00-00\""},
        {FieldKind::DateTime, false, "0000-00-00 00:00:00", "\"0000-00-00 00:00:00\""},
        {FieldKind::DateTime, false, "2011-03-15 10:20:30.250000",
         "\"2011-03-15 10:20:30.250000\""},
        {FieldKind::Time, false, "838:59:59", "\"838:59:59\""},
        {FieldKind::Time, false, "-01:02:03", "\"-01:02:03\""},
        {FieldKind::Time, false, "23:59:59", "\"23:59:59\""},
        // NULL and the empty text stay apart.
        {FieldKind::Text, true, "", "NULL"},
        {FieldKind::Text, false, "", "''"},
    };
    for (const auto& c : cases) {
        const FieldValue v(c.kind, c.null, c.raw);
        EXPECT_EQ(SqlValue(v), c.expected) << c.raw;
    }
    EXPECT_EQ(FieldValue(FieldKind::Floating, false, "1.5").asDouble(), 1.5);
}

TEST_F(SqlValueExact, SqlFloatKeepsItsPointAndItsForm) {
    const std::pair<double, const char*> cases[] = {
        {12.5, "12.5"},
        {3.0, "3"},
        {0.1, "0.1"},
        {-1234567.25, "-1234567.25"},
        {1.0 / 3.0, "0.333333333333333"},
        {0.000025, "0.000025"},
        {0.00001, "0.00001"},
        {0.0000099, "9.9e-06"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1e+15"},
        {0.0, "0"},
        {-0.0, "0"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(SqlFloat(value), expected) << expected;
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
