#include "core/column_sum.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QDate>
#include <QStringList>
#include <limits>

using core::ColumnSum;

namespace {

QString sumOf(const QList<QVariant>& values) {
    ColumnSum sum;
    for (const QVariant& v : values) sum.add(v);
    EXPECT_EQ(sum.isEmpty(), sum.text().isEmpty());
    return sum.text();
}

QString sumOfTexts(const QStringList& texts) {
    QList<QVariant> values;
    for (const QString& t : texts) values << t;
    return sumOf(values);
}

}  // namespace

TEST(ColumnSum, AddsNumbersAndLeavesAllEmptyEmpty) {
    const struct {
        QStringList texts;
        QString sum;
    } cases[] = {
        {{"1", "2", "39"}, "42"},
        {{"", "5", ""}, "5"},
        {{"", ""}, ""},
        {{}, ""},
        {{"-3", "3"}, "0"},
        {{"1.5", "2"}, "3.5"},
        {{"9000000000000000001", "1"}, "9000000000000000002"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sumOfTexts(c.texts), c.sum) << c.texts.join(",").toStdString();
}

// What a spreadsheet's SUM would leave out is left out here as well, and a
// column of nothing but such texts has no sum.
TEST(ColumnSum, TextsThatAreNoNumbersAreLeftOut) {
    const struct {
        QStringList texts;
        QString sum;
    } cases[] = {
        {{"5", QString::fromUtf8("н/д"), "01.02.2011"}, "5"},
        {{QString::fromUtf8("н/д"), "", "-"}, ""},
        {{" 7 ", "\t2"}, "9"},
        {{"1,5", "2"}, "2"},  // no decimal comma, whatever the desktop's locale
        {{"1 000", "1"}, "1"},
        {{"inf", "nan", "1e400"}, ""},
        {{"0.1", "0.2"}, "0.3"},
        {{"1e3", "0.5"}, "1000.5"},
        {{"9223372036854775807", "1"}, "9.22337203685478e+18"},  // past 64 bits
        {{"-9223372036854775808", "-1", "2"}, "-9.22337203685478e+18"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sumOfTexts(c.texts), c.sum) << c.texts.join(",").toStdString();
}

TEST(ColumnSum, TakesNumbersOfEveryKindAndNothingElse) {
    const struct {
        const char* what;
        QList<QVariant> values;
        QString sum;
    } cases[] = {
        {"integers", {QVariant(qlonglong(5)), QVariant(-2), QVariant(10u)}, "13"},
        {"with a double", {QVariant(qlonglong(5)), QVariant(2.25)}, "7.25"},
        {"whole doubles", {QVariant(2.0), QVariant(3.0)}, "5"},
        {"unsigned beyond 63 bits",
         {QVariant::fromValue(std::numeric_limits<quint64>::max())},
         "1.84467440737096e+19"},
        {"no numbers",
         {QVariant(), QVariant(QDate(2011, 2, 1)), QVariant(true),
          QVariant(std::numeric_limits<double>::quiet_NaN()), QVariant(QByteArray("5"))},
         ""},
        {"zero is a sum", {QVariant(0), QVariant()}, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(sumOf(c.values), c.sum) << c.what;
}
