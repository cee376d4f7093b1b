#include "tests/support/qt_printers.h"
#include "core/connection.h"

#include <gtest/gtest.h>

using core::Connection;
using core::SetConnectionParam;

struct ParamCase {
    const char* name;
    QStringList before;
    const char* param;
    const char* value;
    QStringList after;
};

class SetConnectionParamTest : public ::testing::TestWithParam<ParamCase> {};

TEST_P(SetConnectionParamTest, ReplacesFirstContainingLineOrAppends) {
    const ParamCase& c = GetParam();
    Connection conn;
    conn.setParams(c.before);
    SetConnectionParam(conn, c.param, c.value);
    EXPECT_EQ(conn.params(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetConnectionParamTest,
    ::testing::Values(
        ParamCase{"replace",
                  {"DriverName=MySQL", "HostName=a", "Database=x"},
                  "HostName",
                  "b:3307",
                  {"DriverName=MySQL", "HostName=b:3307", "Database=x"}},
        ParamCase{
            "append", {"DriverName=MySQL"}, "Password", "p", {"DriverName=MySQL", "Password=p"}},
        // The search is a substring search: the first line naming it anywhere wins.
        ParamCase{"substring",
                  {"X_User_Name_Y=1", "User_Name=a"},
                  "User_Name",
                  "b",
                  {"User_Name=b", "User_Name=a"}},
        // ...and it is case-sensitive.
        ParamCase{"case", {"hostname=a"}, "HostName", "b", {"hostname=a", "HostName=b"}},
        ParamCase{"empty value", {"Password=old"}, "Password", "", {"Password="}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(Connection, ParamReadsTheValueOfItsLine) {
    Connection conn;
    SetConnectionParam(conn, "Database", "velkor201011");
    EXPECT_EQ(conn.param("Database"), "velkor201011");
    EXPECT_EQ(conn.param("DriverName"), "MySQL");
}
