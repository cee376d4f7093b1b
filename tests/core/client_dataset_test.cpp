#include "core/client_dataset.h"
#include "core/dataset_model.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <clocale>

using core::ClientDataSet;
using core::Connection;
using core::DataSetError;
using core::DbError;
using testing_support::TempDatabase;

namespace {

// A small table with a key, a short text, a nullable text, a number and a date.
class DataSetTest : public ::testing::Test {
  protected:
    DataSetTest() : db(false) {
        db.exec(
            "create table t (id int not null primary key, name char(8) not null,"
            " note char(20) null, n int null, d date null) engine=MyISAM default charset=cp1251");
        db.exec(
            QString::fromUtf8("insert into t values (1, 'one', NULL, 10, '2012-05-01'),"
                              " (2, 'two', 'Київ', NULL, NULL), (3, 'three', '', 0, NULL)"));
        testing_support::openServer(conn, db.name());
        ds.setCommandText(QByteArray("select * from t order by id"));
        ds.open();
    }
    // The table as the server holds it, one line per row.
    QStringList serverRows() {
        QStringList out;
        auto r = db.connection().query(
            QByteArray("select id, name, ifnull(note,'<null>'), ifnull(n,'<null>'),"
                       " ifnull(d,'<null>') from t order by id"));
        while (r->next()) {
            QStringList cells;
            for (int i = 0; i < 5; ++i) cells << r->field(i).asText();
            out << cells.join('|');
        }
        return out;
    }
    TempDatabase db;
    Connection conn;
    ClientDataSet ds{"ClientDataSet_t", conn};
};

TEST_F(DataSetTest, FillReadsFieldsKindsWidthsAndNulls) {
    ASSERT_EQ(ds.rowCount(), 3);
    ASSERT_EQ(ds.fieldCount(), 5);
    EXPECT_EQ(ds.updateTable(), "t");
    EXPECT_EQ(ds.field(1).width, 8);
    EXPECT_TRUE(ds.field(0).required);
    EXPECT_FALSE(ds.field(2).required);
    EXPECT_EQ(ds.current(), 0);
    EXPECT_TRUE(ds.value(0, 2).isNull());
    EXPECT_EQ(ds.value(1, 2).asText(), QString::fromUtf8("Київ"));
    EXPECT_FALSE(ds.value(2, 2).isNull());
    EXPECT_EQ(ds.value(2, 2).asText(), "");
    EXPECT_EQ(ds.value(0, 4).asDate(), QDate(2012, 5, 1));
    EXPECT_EQ(ds.value(2, 3).asInt64(), 0);
}

TEST_F(DataSetTest, InsertUpdateDeleteReachTheServer) {
    ds.append();
    ds.setValue(u"id", 4);
    ds.setValue(u"name", QString::fromUtf8("чотири"));
    ds.setValue(u"d", QDate(2020, 2, 29));
    ds.post();
    ds.setCurrent(1);
    ds.edit();
    ds.setValue(u"n", 7);
    ds.setValue(u"note", QVariant());
    ds.post();
    ds.setCurrent(0);
    ds.remove();
    EXPECT_EQ(ds.pendingCount(), 3);
    const auto r = ds.applyUpdates(0);
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(ds.pendingCount(), 0);
    EXPECT_EQ(serverRows(), QStringList({QString::fromUtf8("2|two|<null>|7|<null>"),
                                         QString::fromUtf8("3|three||0|<null>"),
                                         QString::fromUtf8("4|чотири|<null>|<null>|2020-02-29")}));
}

TEST_F(DataSetTest, UpdateAndDeleteFindRowsHoldingNullAndEmptyOldValues) {
    // Row 3 has an empty note and a NULL date; row 2 a NULL number.
    ds.setCurrent(2);
    ds.edit();
    ds.setValue(u"name", "drei");
    ds.post();
    ds.setCurrent(1);
    ds.remove();
    EXPECT_TRUE(ds.applyUpdates(0).ok());
    EXPECT_EQ(serverRows(), QStringList({"1|one|<null>|10|2012-05-01", "3|drei||0|<null>"}));
}

TEST_F(DataSetTest, RowChangedByAnotherConnectionIsAConflictAndStaysPending) {
    db.exec("update t set n = 99 where id = 1");
    ds.edit();
    ds.setValue(u"name", "uno");
    ds.post();
    ds.setCurrent(1);
    ds.edit();
    ds.setValue(u"name", "dos");
    ds.post();
    const auto r = ds.applyUpdates(0);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.errorNumber, 0u);
    EXPECT_EQ(r.message, QString::fromUtf8("Запись изменена или удалена другим пользователем."));
    // Sending stopped at the refusal: both changes wait, the server is untouched.
    EXPECT_EQ(ds.pendingCount(), 2);
    EXPECT_EQ(serverRows().value(0), "1|one|<null>|99|2012-05-01");
    EXPECT_EQ(serverRows().value(1), QString::fromUtf8("2|two|Київ|<null>|<null>"));
    // With no limit on errors the later change goes through.
    const auto r2 = ds.applyUpdates(-1);
    EXPECT_EQ(r2.errors, 1);
    EXPECT_EQ(ds.pendingCount(), 1);
    EXPECT_EQ(serverRows().value(1), QString::fromUtf8("2|dos|Київ|<null>|<null>"));
}

TEST_F(DataSetTest, DeleteOfARowDeletedElsewhereIsAConflict) {
    db.exec("delete from t where id = 1");
    ds.remove();
    const auto r = ds.applyUpdates(0);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(ds.pendingCount(), 1);
}

TEST_F(DataSetTest, ServerRefusalCarriesItsMessage) {
    ds.append();
    ds.setValue(u"id", 1);  // duplicate key
    ds.setValue(u"name", "dup");
    ds.post();
    const auto r = ds.applyUpdates(0);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.errorNumber, 1062u);
    EXPECT_TRUE(r.message.contains("Duplicate")) << r.message.toStdString();
    EXPECT_EQ(ds.pendingCount(), 1);
}

TEST_F(DataSetTest, TextIsCutAtItsWidthOnAssignment) {
    ds.edit();
    ds.setValue(u"name", QString::fromUtf8("дуже довга назва"));
    EXPECT_EQ(ds.value(u"name").asText(), QString::fromUtf8("дуже дов"));
    ds.post();
    EXPECT_TRUE(ds.applyUpdates(0).ok());
    EXPECT_EQ(serverRows().value(0), QString::fromUtf8("1|дуже дов|<null>|10|2012-05-01"));
}

TEST_F(DataSetTest, RequiredFieldLeftEmptyRefusesThePostAndKeepsEditing) {
    ds.append();
    ds.setValue(u"id", 5);
    ds.setValue(u"name", "");  // an empty key is no key
    try {
        ds.post();
        FAIL() << "posted without a required value";
    } catch (const DataSetError& e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Поле 'name' должно иметь значение"));
    }
    EXPECT_EQ(ds.state(), ClientDataSet::State::Insert);
    EXPECT_EQ(ds.pendingCount(), 0);
    ds.cancel();
    EXPECT_EQ(ds.rowCount(), 3);
}

TEST_F(DataSetTest, CancelDropsANewRowAndRestoresAnEditedOne) {
    ds.append();
    ds.setValue(u"id", 9);
    ds.cancel();
    EXPECT_EQ(ds.rowCount(), 3);
    ds.setCurrent(0);
    ds.edit();
    ds.setValue(u"n", QVariant());
    ds.setValue(u"name", "x");
    ds.cancel();
    EXPECT_EQ(ds.value(u"name").asText(), "one");
    EXPECT_EQ(ds.value(u"n").asInt64(), 10);
    EXPECT_EQ(ds.pendingCount(), 0);
}

// The delete names the row as the server still holds it, not as edited.
TEST_F(DataSetTest, RowEditedThenDeletedBeforeSendingIsDeleted) {
    ds.setCurrent(1);
    ds.edit();
    ds.setValue(u"note", "changed");
    ds.setValue(u"n", 99);
    ds.post();
    ds.remove();
    EXPECT_EQ(ds.pendingCount(), 1);
    const auto r = ds.applyUpdates(0);
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(serverRows(), QStringList({"1|one|<null>|10|2012-05-01", "3|three||0|<null>"}));
}

// Errors stop at the model: a refused edit is reported, not thrown into the
// view's delegate code, and a calculation that throws on a new row leaves
// the views consistent.
TEST_F(DataSetTest, ModelReportsARefusalInsteadOfThrowing) {
    core::DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setEditable(true);
    QStringList reported;
    QObject::connect(&model, &core::DataSetModel::failed, [&](const QString& m) { reported << m; });
    EXPECT_TRUE(model.setData(model.index(0, 1), ""));    // a required text emptied
    EXPECT_FALSE(model.setData(model.index(1, 1), "x"));  // moving on posts it
    EXPECT_EQ(reported, QStringList({QString::fromUtf8("Поле 'name' должно иметь значение")}));
    ds.cancel();

    ClientDataSet calc("ClientDataSet_t", conn);
    calc.setCommandText(QByteArray("select * from t order by id"));
    calc.addCalculatedField("Label", 6);
    calc.open();
    core::DataSetModel calcModel(calc);
    QAbstractItemModelTester calcTester(&calcModel,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    calc.setCalcFields(
        [](ClientDataSet&, core::CalcRow&) { throw DataSetError("calculation refused"); });
    EXPECT_THROW(calc.append(), DataSetError);
    EXPECT_EQ(calcModel.rowCount(), 3);
    EXPECT_EQ(calc.rowCount(), 3);
}

TEST_F(DataSetTest, DeletingAnUnsentInsertSendsNothing) {
    ds.append();
    ds.setValue(u"id", 7);
    ds.setValue(u"name", "seven");
    ds.post();
    ds.remove();
    EXPECT_EQ(ds.pendingCount(), 0);
}

TEST_F(DataSetTest, HooksRunAroundPostAndDelete) {
    QStringList calls;
    ds.addBeforePost([&](ClientDataSet& d) {
        calls << "before";
        if (d.value(u"id").isNull()) d.setValue(u"id", 42);
    });
    ds.addAfterPost([&](ClientDataSet& d) {
        calls << "after";
        d.applyUpdates(0);
    });
    ds.addAfterDelete([&](ClientDataSet& d) {
        calls << "deleted";
        d.applyUpdates(0);
    });
    ds.append();
    ds.setValue(u"name", "auto");
    ds.post();  // the required id is set by the hook before the check
    ds.remove();
    EXPECT_EQ(calls, QStringList({"before", "after", "deleted"}));
    EXPECT_EQ(serverRows().size(), 3);
}

TEST_F(DataSetTest, CalculatedFieldsFollowEveryChange) {
    ClientDataSet calc("ClientDataSet_t", conn);
    calc.setCommandText(QByteArray("select * from t order by id"));
    calc.addCalculatedField("Label", 6);
    calc.setCalcFields([](ClientDataSet& d, core::CalcRow& row) {
        const int name = d.fieldIndex(u"name");
        const int n = d.fieldIndex(u"n");
        QByteArray s = row.value(name).bytes();
        if (!row.value(n).isNull()) s += ':' + row.value(n).bytes();
        row.setCalculated(d.fieldIndex(u"Label"), s);
    });
    calc.open();
    const int label = calc.fieldIndex(u"Label");
    ASSERT_EQ(label, 5);
    EXPECT_TRUE(calc.field(label).calculated);
    EXPECT_EQ(calc.value(0, label).asText(), "one:10");
    EXPECT_EQ(calc.value(1, label).asText(), "two");
    EXPECT_EQ(calc.value(2, label).asText(), "three:");  // cut at 6
    calc.edit();
    calc.setValue(u"n", 5);
    EXPECT_EQ(calc.value(0, label).asText(), "one:5");
    calc.post();
    EXPECT_TRUE(calc.applyUpdates(0).ok());
}

TEST_F(DataSetTest, CyrillicRoundTripThroughTheServer) {
    const QString text = QString::fromUtf8("ЄҐІЇ єґії «№»");
    ds.edit();
    ds.setValue(u"note", text);
    ds.post();
    ASSERT_TRUE(ds.applyUpdates(0).ok());
    ds.open();
    EXPECT_EQ(ds.value(0, 2).asText(), text);
}

TEST_F(DataSetTest, RefusedQueryLeavesTheDataSetClosed) {
    ds.setCommandText(QByteArray("select * from t where nonsense"));
    EXPECT_THROW(ds.open(), DbError);
    EXPECT_FALSE(ds.isActive());
    EXPECT_EQ(ds.rowCount(), 0);
}

TEST_F(DataSetTest, ModelFollowsTheDataSet) {
    core::DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, 4)).toString(), "01.05.2012");
    ds.append();
    EXPECT_EQ(model.rowCount(), 4);
    ds.cancel();
    ds.remove();
    EXPECT_EQ(model.rowCount(), 2);
    ds.open();
    EXPECT_EQ(model.rowCount(), 3);
    model.setEditable(true);
    EXPECT_TRUE(model.setData(model.index(1, 1), "zwei"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "zwei");
}

}  // namespace

namespace {

TEST_F(DataSetTest, DeclaredFieldsExistWhileClosedAndAreTakenByName) {
    ClientDataSet declared("ClientDataSet_t", conn);
    declared.setCommandText(QByteArray("select n, name, id from t order by id"));
    declared.declareField({"id", {}, core::FieldKind::Integer, 0, true, false});
    declared.declareField({"name", {}, core::FieldKind::Text, 3, true, false});
    declared.addCalculatedField("Calc", 10);
    ASSERT_EQ(declared.fieldCount(), 3);
    EXPECT_FALSE(declared.isActive());
    declared.open();
    EXPECT_EQ(declared.fieldCount(), 3);
    EXPECT_EQ(declared.value(1, 0).asInt64(), 2);
    EXPECT_EQ(declared.value(1, 1).asText(), "two");
    declared.edit();
    declared.setValue(u"name", "eins");  // cut at the declared width
    declared.post();
    EXPECT_TRUE(declared.applyUpdates(0).ok());
    EXPECT_EQ(serverRows().value(0), "1|ein|<null>|10|2012-05-01");

    declared.setCommandText(QByteArray("select id from t"));
    EXPECT_THROW(declared.open(), DataSetError);
    EXPECT_FALSE(declared.isActive());
    EXPECT_EQ(declared.fieldCount(), 3);
}

}  // namespace

namespace {

// Values Qt cannot hold and numbers read under a decimal comma: an update of
// another column finds the row by them, and they come back as they were.
TEST(DataSetValues, WhatTheServerHoldsSurvivesAnUpdateUnderADecimalComma) {
    const std::string savedLocale = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "uk_UA.UTF-8"), nullptr);
    TempDatabase db(false);
    db.exec("set session sql_mode = ''");
    db.exec(
        "create table v (id int not null primary key, note char(10) null, f double null,"
        " d date null, dt datetime null, tm time null, ub bigint unsigned null)"
        " engine=MyISAM default charset=cp1251");
    db.exec(
        "insert into v values (1, 'a', 1.5, '0000-00-00', '0000-00-00 00:00:00', '838:59:59',"
        " 18446744073709551615), (2, 'b', 0.30000000000000004, '2012-00-00', NULL,"
        " '-01:02:03', 0), (3, 'c', 12.5, '2012-05-01', '2011-03-15 10:20:30', '08:05:09', 1)");
    const auto table = [&] {
        QStringList out;
        auto r =
            db.connection().query(QByteArray("select id, ifnull(note,'<null>'), f, d, "
                                             "ifnull(dt,'<null>'), tm, ub from v order by id"));
        while (r->next()) {
            QStringList cells;
            for (int i = 0; i < 7; ++i) cells << r->field(i).asText();
            out << cells.join('|');
        }
        return out;
    };
    const QStringList before = table();
    Connection conn;
    testing_support::openServer(conn, db.name());
    ClientDataSet ds("ClientDataSet_v", conn);
    ds.setCommandText(QByteArray("select * from v order by id"));
    ds.open();
    EXPECT_EQ(ds.value(0, 2).asDouble(), 1.5);
    for (int row = 0; row < 3; ++row) {
        ds.setCurrent(row);
        ds.edit();
        ds.setValue(u"note", "");  // an empty text, not NULL
        ds.post();
    }
    ds.setCurrent(2);
    ds.edit();
    ds.setValue(u"f", 2.25);
    ds.setValue(u"tm", QTime(7, 6, 5));
    ds.post();
    const auto r = ds.applyUpdates(0);
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    QStringList expected = before;
    for (QString& line : expected) line.replace(QRegularExpression("^(\\d)\\|[a-c]\\|"), "\\1||");
    expected[2].replace("|12.5|", "|2.25|").replace("|08:05:09|", "|07:06:05|");
    EXPECT_EQ(table(), expected);
    std::setlocale(LC_NUMERIC, savedLocale.c_str());
}

}  // namespace
