#include "journal/data_selection.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

using journal::composeSelection;
using journal::readUserDate;
using journal::SelectionBounds;

namespace {

constexpr int kSource = 0, kPrDate = 1, kDocDate = 7, kStartYear = 8, kStopYear = 9, kExpert = 10;

struct SelectCase {
    const char* name;
    std::vector<std::tuple<int, const char*, const char*>> cells;  // row, min, max
    bool ok;
    const char* where;
    const char* info;
};

class Compose : public ::testing::TestWithParam<SelectCase> {};

TEST_P(Compose, WhereTextAndDescription) {
    std::array<SelectionBounds, journal::kSelectionParameterCount> bounds;
    for (const auto& [row, min, max] : GetParam().cells)
        bounds[std::size_t(row)] = {QString::fromUtf8(min), QString::fromUtf8(max)};
    const journal::Selection s =
        composeSelection(bounds, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(s.ok, GetParam().ok);
    if (s.ok) {
        EXPECT_EQ(s.where, QString::fromUtf8(GetParam().where));
        EXPECT_EQ(s.info, QString::fromUtf8(GetParam().info));
    } else {
        EXPECT_EQ(s.error, QString::fromUtf8(GetParam().info));
        EXPECT_EQ(s.where, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compose,
    ::testing::Values(
        SelectCase{"empty", {}, true, "", "Все данные"},
        SelectCase{"blanks_only", {{kSource, "  ", "\t"}}, true, "", "Все данные"},
        SelectCase{"min_alone_is_equality",
                   {{kStartYear, "1990", ""}},
                   true,
                   " where doc_start_year = \"1990\" ",
                   "Прешій рік равен 1990"},
        SelectCase{"range_and_max",
                   {{kPrDate, "01.03.2011", "31.03.2011"}, {kStopYear, "", "2000"}},
                   true,
                   " where pr_date >= \"2011-03-01\" and pr_date <= \"2011-03-31\" AND "
                   "doc_stop_year <= \"2000\" ",
                   "Дата засідання от \"2011-03-01\" до \"2011-03-31\" и Останній рік меньше "
                   "или равен 2000"},
        SelectCase{"date_min_alone",
                   {{kPrDate, " 5.3.2011 ", ""}},
                   true,
                   " where pr_date = \"2011-03-05\" ",
                   "Дата засідання равен 2011-03-05"},
        SelectCase{"date_with_time",
                   {{kPrDate, "05.03.2011 10:30", ""}},
                   true,
                   " where pr_date = \"2011-03-05\" ",
                   "Дата засідання равен 2011-03-05"},
        SelectCase{"equal_bounds_give_a_range",
                   {{kStartYear, "2000", "2000"}},
                   true,
                   " where doc_start_year >= \"2000\" and doc_start_year <= \"2000\" ",
                   "Прешій рік от \"2000\" до \"2000\""},
        SelectCase{"escaped_in_where_and_range_description",
                   {{kExpert, "O\"Brien", "C:\\x"}},
                   true,
                   " where expert_fio >= \"O\\\"Brien\" and expert_fio <= \"C:\\\\x\" ",
                   "П.І.Б. експерта от \"O\\\"Brien\" до \"C:\\\\x\""},
        SelectCase{"bare_value_in_single_bound_description",
                   {{kSource, "", "it's"}},
                   true,
                   " where doc_source <= \"it\\'s\" ",
                   "Звідки прийшли меньше или равен it's"},
        SelectCase{"unreadable_date_cancels_everything",
                   {{kSource, "Архів", ""}, {kDocDate, "", "31.02.2011"}},
                   false,
                   "",
                   "Параметр Дата документа указан неверно."},
        SelectCase{"locale_short_form_is_read",
                   {{kPrDate, "3/5/11", ""}},
                   true,
                   " where pr_date = \"2011-03-05\" ",
                   "Дата засідання равен 2011-03-05"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserDate, FormsAndRefusals) {
    const QLocale uk(QLocale::Ukrainian, QLocale::Ukraine);
    EXPECT_EQ(readUserDate("1.5.2012", uk), QDate(2012, 5, 1));
    EXPECT_EQ(readUserDate("01.05.2012 23:59:59", uk), QDate(2012, 5, 1));
    EXPECT_FALSE(readUserDate("01.05.2012 later", uk));
    EXPECT_FALSE(readUserDate("2012", uk));
    EXPECT_FALSE(readUserDate("32.01.2012", uk));
}

}  // namespace
