// Two clients adding records at the same moment lose none of them.

#include "core/data_sets.h"
#include "core/schema.h"
#include "journal/record_store.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

struct Outcome {
    QStringList boxes;
    QString failure;
};

void addRows(const QString& database, const QString& tag, int count, std::atomic<int>& ready,
             Outcome& out) {
    try {
        core::Connection conn;
        conn.setParams(testing_support::serverParams(database));
        conn.open();
        ScriptedPrompter prompter;
        core::DataSets dataSets(conn);
        dataSets.journal().open();
        journal::RecordStore store(dataSets, conn, prompter);
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
        for (int i = 0; i < count; ++i) {
            dataSets.journal().append();
            dataSets.journal().setValue(core::schema::doc::doc_number,
                                        QVariant(tag + QString::number(i)));
            store.storeAndReport(dataSets.journal());
        }
        for (const auto& box : prompter.shown()) out.boxes << box.text;
    } catch (const std::exception& e) {
        out.failure = QString::fromUtf8(e.what());
    }
}

TEST(ConcurrentAdd, TwoClientsAddingAtOnceLoseNoRecord) {
    TempDatabase db;
    constexpr int kEach = 200;
    std::atomic<int> ready{0};
    Outcome a, b;
    std::thread first(addRows, db.name(), QStringLiteral("a"), kEach, std::ref(ready), std::ref(a));
    std::thread second(addRows, db.name(), QStringLiteral("b"), kEach, std::ref(ready),
                       std::ref(b));
    first.join();
    second.join();
    EXPECT_EQ(a.failure, QString());
    EXPECT_EQ(b.failure, QString());
    EXPECT_EQ(a.boxes, QStringList());
    EXPECT_EQ(b.boxes, QStringList());
    auto r = db.connection().query(
        QStringLiteral("select count(*), count(distinct doc_number), max(Rec_IDN) from doc_list"));
    ASSERT_TRUE(r->next());
    EXPECT_EQ(r->field(0).asInt64(), 2 * kEach);
    EXPECT_EQ(r->field(1).asInt64(), 2 * kEach);
    EXPECT_EQ(r->field(2).asInt64(), 2 * kEach);
}

}  // namespace
