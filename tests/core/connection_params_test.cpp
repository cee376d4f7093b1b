#include "core/connection.h"
#include "tests/support/qt_printers.h"

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

TEST_P(SetConnectionParamTest, ReplacesTheLineOfThatNameOrAppends) {
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
        // Only a line of that very name is replaced, never one that holds the
        // name in its own name or in its value.
        ParamCase{"exact name",
                  {"X_User_Name_Y=1", "User_Name=a"},
                  "User_Name",
                  "b",
                  {"X_User_Name_Y=1", "User_Name=b"}},
        ParamCase{"name inside a value",
                  {"HostName=h", "User_Name=xPasswordx"},
                  "Password",
                  "secret",
                  {"HostName=h", "User_Name=xPasswordx", "Password=secret"}},
        ParamCase{"line without a value",
                  {"Password", "Database=x"},
                  "Password",
                  "p",
                  {"Password=p", "Database=x"}},
        // ...and it is case-sensitive.
        ParamCase{"case", {"hostname=a"}, "HostName", "b", {"hostname=a", "HostName=b"}},
        ParamCase{"empty value", {"Password=old"}, "Password", "", {"Password="}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(Connection, HostAndPort) {
    struct Case {
        const char* value;
        const char* host;
        unsigned port;
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1", 0},
        {"db.example:3307", "db.example", 3307},
        {"db.example:", "db.example:", 0},          // no digits: no port
        {"db.example:33o7", "db.example:33o7", 0},  // not a number
        {"db.example:+5", "db.example:+5", 0},
        {"db.example:70000", "db.example:70000", 0},  // beyond the port range
        {":3306", ":3306", 0},                        // no host before it
        {"::1", "::1", 0},                            // IPv6 without a port
        {"", "", 0},
    };
    for (const Case& c : cases) {
        const core::HostPort hp = core::splitHostPort(c.value);
        EXPECT_EQ(hp.host, c.host) << c.value;
        EXPECT_EQ(hp.port, c.port) << c.value;
    }
}

TEST(Connection, UnreachableServerFailsWithARussianText) {
    Connection conn;
    conn.setTimeouts({2, 2, 2});
    SetConnectionParam(conn, "HostName", "127.0.0.1:1");  // nothing listens there
    try {
        conn.open();
        FAIL() << "connected to a closed port";
    } catch (const core::DbError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Сервер 127.0.0.1 не отвечает."));
        EXPECT_NE(e.detail(), e.message());
    }
    EXPECT_FALSE(conn.isOpen());
}

TEST(Connection, ParamReadsTheValueOfItsLine) {
    Connection conn;
    SetConnectionParam(conn, "Database", "velkor201011");
    EXPECT_EQ(conn.param("Database"), "velkor201011");
    EXPECT_EQ(conn.param("DriverName"), "MySQL");
}
