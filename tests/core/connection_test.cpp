#include "core/connection.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>

using core::Connection;
using core::DbError;
using core::FieldKind;
using testing_support::TempDatabase;

TEST(ConnectionServer, HostWithPortAndWrongPasswordFails) {
    Connection c;
    c.setParams(testing_support::serverParams());
    core::SetConnectionParam(c, "Password", "wrong");
    try {
        c.open();
        FAIL() << "a wrong password was accepted";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), 1045u);
        EXPECT_FALSE(c.isOpen());
    }
}

TEST(ConnectionServer, FieldKindsNullsAndReadings) {
    TempDatabase db(false);
    db.exec(
        "create table t (c char(10), v varchar(20), tx text, e enum('a','b'), i int, si smallint,"
        " bi bigint, ub bigint unsigned, f double, d date, tm time, dt datetime, ts timestamp null,"
        " dec1 decimal(32,0), bl blob)");
    db.exec(QString::fromUtf8(
        "insert into t values ('Київ', '', 'long', 'b', -42, 7, 9007199254740993,"
        " 18446744073709551615, 12.5, '2012-05-01', '08:05:09', '2011-03-15 10:20:30',"
        " '2011-03-15 10:20:30', 123, 'x')"));
    db.exec("insert into t () values ()");
    auto r = db.connection().query(QByteArray("select * from t"));
    const FieldKind expected[] = {FieldKind::Text,     FieldKind::Text,    FieldKind::Text,
                                  FieldKind::Text,     FieldKind::Integer, FieldKind::Integer,
                                  FieldKind::Integer,  FieldKind::Integer, FieldKind::Floating,
                                  FieldKind::Date,     FieldKind::Time,    FieldKind::DateTime,
                                  FieldKind::DateTime, FieldKind::Other,   FieldKind::Binary};
    ASSERT_EQ(r->fieldCount(), 15);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(r->fields()[i].kind, expected[i]) << i;
    EXPECT_EQ(r->fields()[0].width, 10);
    EXPECT_EQ(r->fields()[0].orgTable, "t");

    ASSERT_TRUE(r->next());
    EXPECT_EQ(r->field(0).asText(), QString::fromUtf8("Київ"));
    EXPECT_FALSE(r->field(1).isNull());
    EXPECT_EQ(r->field(1).asText(), "");
    EXPECT_EQ(r->field(u"i").asInt64(), -42);
    EXPECT_EQ(r->field(u"bi").asInt64(), 9007199254740993LL);
    EXPECT_DOUBLE_EQ(r->field(u"f").asDouble(), 12.5);
    EXPECT_EQ(r->field(u"d").asDate(), QDate(2012, 5, 1));
    EXPECT_EQ(r->field(u"tm").asTime(), QTime(8, 5, 9));
    EXPECT_EQ(r->field(u"dt").asDateTime(), QDateTime(QDate(2011, 3, 15), QTime(10, 20, 30)));
    EXPECT_TRUE(r->field(u"no such column").isNull());

    ASSERT_TRUE(r->next());
    for (int i = 0; i < 15; ++i) EXPECT_TRUE(r->field(i).isNull()) << i;
    EXPECT_FALSE(r->next());
}

TEST(ConnectionServer, RefusedStatementCarriesServerMessageAndNumber) {
    TempDatabase db(false);
    try {
        db.exec("select * from no_such_table");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), 1146u);
        EXPECT_TRUE(e.message().contains("no_such_table"));
    }
}

TEST(ConnectionServer, UpdateCountsFoundRowsEvenWhenNothingChanges) {
    TempDatabase db(false);
    db.exec("create table t (a int)");
    db.exec("insert into t values (1)");
    EXPECT_EQ(db.connection().execute(QString("update t set a = 1 where a = 1")), 1u);
    EXPECT_EQ(db.connection().execute(QString("update t set a = 2 where a = 5")), 0u);
}
