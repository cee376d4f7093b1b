#include "journal/record_rules.h"

#include "core/schema.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(RecordRules, ExpertShortNames) {
    struct Case {
        const char *fam, *name, *fname, *shortName;
    };
    const Case cases[] = {
        {"Петренко", "Іван", "Олегович", "Петренко І.О."},
        {"Петренко", "", "", "Петренко .."},
        {"Петренко", "Іван", "", "Петренко І.."},
        {"Петренко", "", "Олегович", "Петренко .О."},
        {"", "Іван", "Олегович", " І.О."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(journal::expertShortName(u(c.fam), u(c.name), u(c.fname)), u(c.shortName))
            << c.fam << "|" << c.name << "|" << c.fname;
}

TEST(RecordRules, NumbersAreBroughtToTheNearerBound) {
    struct Case {
        const char* text;
        std::optional<qint64> value;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"1850", 1900},
        {"2011", 2011},
        {"3000", 2900},
        {"-5", 1900},
        {"99999999999999999999", 2900},
        {"-99999999999999999999", 1900},
    };
    for (const Case& c : cases)
        EXPECT_EQ(journal::boundedNumber(QString::fromLatin1(c.text), 1900, 2900), c.value)
            << c.text;
}

TEST(RecordRules, DatesAreDayMonthYearOrEmpty) {
    EXPECT_TRUE(journal::parseDateInput(QStringLiteral("..")).empty);
    EXPECT_TRUE(journal::parseDateInput(QStringLiteral("__.__.____")).empty);
    EXPECT_EQ(journal::parseDateInput(QStringLiteral("15.03.2011")).date, QDate(2011, 3, 15));
    const auto bad = journal::parseDateInput(QStringLiteral("31.02.2011"));
    EXPECT_FALSE(bad.empty);
    EXPECT_FALSE(bad.date.isValid());
}

// The editor's fields are listed in the order of the controls' names, and
// every list-backed one grows a reference list of the schema.
TEST(RecordRules, EditorFieldsFollowTheirControlsNames) {
    for (int i = 0; i < journal::kEditorControlCount; ++i) {
        SCOPED_TRACE(i);
        const journal::EditorField& f = journal::kEditorFields[std::size_t(i)];
        EXPECT_EQ(f.control, journal::EditorControl(i));
        const bool listBacked = f.kind == journal::ControlKind::List;
        ASSERT_EQ(f.list != nullptr, listBacked);
        if (listBacked) {
            EXPECT_NE(std::find(core::schema::kReferenceTables.begin(),
                                core::schema::kReferenceTables.end(), *f.list),
                      core::schema::kReferenceTables.end());
        }
    }
}

}  // namespace
