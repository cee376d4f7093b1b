#include "journal/display_columns.h"
#include "core/codepage.h"
#include "core/data_sets.h"
#include "core/schema.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <string>

using core::FieldKind;
using core::FieldValue;

namespace {

// nullptr stands for NULL; the texts are UTF-8 and kept alive by the case.
struct Value {
    const char* text;
    FieldValue as(FieldKind kind, std::string& store) const {
        if (!text) return FieldValue(kind, true, {});
        store = core::toCp1251(QString::fromUtf8(text)).toStdString();
        return FieldValue(kind, false, store);
    }
};
constexpr Value N{nullptr};

QString show(const QByteArray& composed) { return core::fromCp1251(composed); }

struct Col3Case {
    Value date, num;
    const char* expected;
};
TEST(DisplayColumns, Colum3) {
    const Col3Case cases[] = {
        {{"2012-03-05"}, {"12"}, "05.03.2012\n\r12"},
        {N, {"12"}, "12"},
        {{"2012-03-05"}, {""}, "05.03.2012\n\r"},  // not trimmed
        {{"2012-03-05"}, N, "05.03.2012"},
        {N, N, ""},
    };
    for (const auto& c : cases) {
        std::string a, b;
        EXPECT_EQ(show(journal::composeColum3(c.date.as(FieldKind::Date, a),
                                              c.num.as(FieldKind::Text, b))),
                  QString::fromUtf8(c.expected));
    }
}

struct Col4Case {
    Value name, place;
    const char* expected;
};
TEST(DisplayColumns, Colum4) {
    const Col4Case cases[] = {
        {{"Архів"}, {"Київ"}, "Архів\n\rКиїв"},
        {N, {"Kyiv"}, "Kyiv"},
        {{""}, {"Kyiv"}, "Kyiv"},
        {{"Архів"}, N, "Архів"},
        {{" Архів "}, {""}, " Архів \n\r"},
    };
    for (const auto& c : cases) {
        std::string a, b;
        EXPECT_EQ(show(journal::composeColum4(c.name.as(FieldKind::Text, a),
                                              c.place.as(FieldKind::Text, b))),
                  QString::fromUtf8(c.expected));
    }
}

struct Col5Case {
    Value caption, number, date, start, stop;
    const char* expected;
};
TEST(DisplayColumns, Colum5) {
    const Col5Case cases[] = {
        {{"Накази"}, N, N, {"2001"}, {"2005"}, "Накази за 2001-2005 рр."},
        {{""}, {""}, {"2003-02-01"}, N, N, "від 01.02.2003"},
        {{"Накази"}, {"15"}, {"2003-02-01"}, {"2001"}, N, "Накази 15 від 01.02.2003 на 2001 рік"},
        {{"Акти"}, N, N, N, {"2005"}, "Акти"},  // a last year alone is ignored
        {{"Акти"}, N, N, {"2005"}, {"2001"}, "Акти за 2005-2001 рр."},
        {{"Акти"}, N, N, {"2005"}, {"2005"}, "Акти за 2005-2005 рр."},
        {N, {" 7 "}, N, N, N, "7"},
        {N, N, N, N, N, ""},
    };
    for (const auto& c : cases) {
        std::string a, b, d, e, f;
        EXPECT_EQ(show(journal::composeColum5(
                      c.caption.as(FieldKind::Text, a), c.number.as(FieldKind::Text, b),
                      c.date.as(FieldKind::Date, d), c.start.as(FieldKind::Integer, e),
                      c.stop.as(FieldKind::Integer, f))),
                  QString::fromUtf8(c.expected));
    }
}

struct Col6Case {
    Value counts[5];
    const char* expected;
};
TEST(DisplayColumns, Colum6) {
    const Col6Case cases[] = {
        {{{"3"}, N, N, {"0"}, N}, "3 шт.\n\r0 од.зб."},
        {{N, N, N, N, N}, ""},
        {{{"1"}, {"2"}, {"3"}, {"4"}, {"-5"}},
         "1 шт.\n\r2 аркушів\n\r3 поз\n\r4 од.зб.\n\r-5 статей"},
    };
    for (const auto& c : cases) {
        std::string s[5];
        const FieldValue v[5] = {
            c.counts[0].as(FieldKind::Integer, s[0]), c.counts[1].as(FieldKind::Integer, s[1]),
            c.counts[2].as(FieldKind::Integer, s[2]), c.counts[3].as(FieldKind::Integer, s[3]),
            c.counts[4].as(FieldKind::Integer, s[4])};
        EXPECT_EQ(show(journal::composeColum6(v)), QString::fromUtf8(c.expected));
    }
}

}  // namespace

namespace {

namespace doc = core::schema::doc;

// The journal has its display columns before any login, declared with the
// stored ones and following them, at the positions the grid's columns use.
TEST(DisplayColumns, AreTheJournalsColumnsAfterTheStoredOnes) {
    core::Connection none;
    const core::DataSets dataSets(none);
    const core::ClientDataSet& journal = dataSets.journal();
    struct Case {
        int position;
        const char16_t* name;
        int width;
    };
    const Case cases[] = {{doc::Colum3, u"Colum3", 400},
                          {doc::Colum4, u"Colum4", 400},
                          {doc::Colum5, u"Colum5", 400},
                          {doc::Colum6, u"Colum6", 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(journal.fieldIndex(QStringView(c.name)), c.position);
        ASSERT_LT(c.position, journal.fieldCount());
        EXPECT_TRUE(journal.field(c.position).calculated);
        EXPECT_EQ(journal.field(c.position).width, c.width);
    }
    EXPECT_EQ(journal.fieldCount(), doc::Colum6 + 1);
    EXPECT_EQ(journal.fieldIndex(u"post_moment"), doc::post_moment);
    EXPECT_FALSE(journal.field(doc::post_moment).calculated);
}

}  // namespace
