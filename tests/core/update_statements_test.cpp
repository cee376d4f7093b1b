#include "core/update_statements.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <optional>

using core::deleteStatement;
using core::FieldDef;
using core::FieldKind;
using core::insertStatement;
using core::PackedRow;
using core::updateStatement;

namespace {

// A journal-like table: a key, a text, a date, bytes, a floating value and
// a calculated text that is never written.
std::vector<FieldDef> fields() {
    auto stored = [](const char* name, FieldKind kind) {
        FieldDef f;
        f.name = QString::fromLatin1(name);
        f.column = name;
        f.kind = kind;
        return f;
    };
    FieldDef shown;
    shown.name = QStringLiteral("shown");
    shown.kind = FieldKind::Text;
    shown.calculated = true;
    return {stored("id", FieldKind::Integer),      stored("name", FieldKind::Text),
            stored("born", FieldKind::Date),       stored("data", FieldKind::Binary),
            stored("weight", FieldKind::Floating), shown};
}

using Value = std::optional<QByteArray>;
const Value kNull;

PackedRow row(const std::vector<Value>& values) {
    return PackedRow::packWith(int(values.size()), [&](int i) -> std::optional<std::string_view> {
        const Value& v = values[std::size_t(i)];
        if (!v) return std::nullopt;
        return std::string_view(v->constData(), std::size_t(v->size()));
    });
}

const QByteArray kKit = "\xCA\xE8\xF2";  // "Кит" in Windows-1251
// Bytes with a NUL, a high byte and a quote, and then what looks like a date.
const QByteArray kBytes = QByteArray("\0\xFF'", 3) + "2012-05-01";
const QByteArray kBytesLiteral = QByteArray("\"\0\xFF\\'", 5) + "2012-05-01\"";

}  // namespace

TEST(UpdateStatements, InsertWritesEveryStoredFieldAsItsLiteral) {
    const PackedRow r = row({"7", "O'Neil \"" + kKit + "\" \\\r\n", kNull, kBytes, "0.1", "calc"});
    EXPECT_EQ(insertStatement("journal", fields(), r),
              "insert into `journal` (`id`, `name`, `born`, `data`, `weight`) values (7, "
              "\"O\\'Neil \\\"" +
                  kKit + "\\\" \\\\\\r\\n\", NULL, " + kBytesLiteral + ", '0.1')");
    // An empty text is a text, not NULL.
    EXPECT_EQ(insertStatement("journal", fields(), row({"8", "", kNull, "", kNull, kNull})),
              "insert into `journal` (`id`, `name`, `born`, `data`, `weight`) values (8, '', "
              "NULL, '', NULL)");
}

TEST(UpdateStatements, UpdateSetsTheChangedFieldsWhereEveryOldValueHolds) {
    const PackedRow original = row({"7", "", kNull, kNull, "2.5", "old"});
    const QByteArray where =
        " where `id` = 7 and `name` = '' and `born` IS NULL and `data` IS NULL and "
        "`weight` = '2.5' limit 1";
    const struct {
        const char* what;
        std::vector<Value> now;
        QByteArray expected;  // empty: nothing to send
    } cases[] = {
        {"a text",
         {"7", kKit, kNull, kNull, "2.5", "old"},
         "update `journal` set `name` = \"" + kKit + "\"" + where},
        {"NULL to a date, a number to NULL",
         {"7", "", "2011-02-01", kNull, kNull, "old"},
         "update `journal` set `born` = \"2011-02-01\", `weight` = NULL" + where},
        {"an empty text to NULL",
         {"7", kNull, kNull, kNull, "2.5", "old"},
         "update `journal` set `name` = NULL" + where},
        {"bytes",
         {"7", "", kNull, kBytes, "2.5", "old"},
         "update `journal` set `data` = " + kBytesLiteral + where},
        {"the key itself",
         {"70", "", kNull, kNull, "2.5", "old"},
         "update `journal` set `id` = 70" + where},
        {"only the calculated field", {"7", "", kNull, kNull, "2.5", "new"}, {}},
        {"nothing", {"7", "", kNull, kNull, "2.5", "old"}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(updateStatement("journal", fields(), row(c.now), original), c.expected) << c.what;
}

TEST(UpdateStatements, DeleteNamesEveryOldStoredValue) {
    // What the server holds goes back as it came: an unsigned key in full,
    // a zero date as its text, quotes escaped.
    const PackedRow original =
        row({"18446744073709551615", "a\"b", "0000-00-00", kBytes, kNull, "calc"});
    EXPECT_EQ(deleteStatement("journal", fields(), original),
              "delete from `journal` where `id` = 18446744073709551615 and `name` = \"a\\\"b\" "
              "and `born` = \"0000-00-00\" and `data` = " +
                  kBytesLiteral + " and `weight` IS NULL limit 1");
}

TEST(UpdateStatements, NamesStandInBackquotesWithBackquotesDoubled) {
    FieldDef key;
    key.name = QStringLiteral("order");
    key.column = "order";
    key.kind = FieldKind::Integer;
    FieldDef odd = key;
    odd.name = QStringLiteral("odd");
    odd.column = "a`b c";
    const std::vector<FieldDef> fs = {key, odd};
    EXPECT_EQ(insertStatement("my`table", fs, row({"1", "2"})),
              "insert into `my``table` (`order`, `a``b c`) values (1, 2)");
    EXPECT_EQ(deleteStatement("my`table", fs, row({"1", kNull})),
              "delete from `my``table` where `order` = 1 and `a``b c` IS NULL limit 1");
}
