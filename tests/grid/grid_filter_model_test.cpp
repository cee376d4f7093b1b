#include "grid/grid_filter_model.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QStandardItemModel>

using grid::GridFilterModel;

namespace {

// id, name, place; a null name where the row gives none.
struct Row {
    QVariant id;
    QVariant name;
    QString place;
};

std::unique_ptr<QStandardItemModel> makeModel(const QList<Row>& rows) {
    auto model = std::make_unique<QStandardItemModel>(0, 3);
    for (const Row& r : rows) {
        QList<QStandardItem*> items;
        for (const QVariant& v : {r.id, r.name, QVariant(r.place)}) {
            auto* item = new QStandardItem;
            item->setData(v, Qt::EditRole);
            items.append(item);
        }
        model->appendRow(items);
    }
    return model;
}

const QList<Row> kRows = {
    {3, "Школа 5", "Київ"},   {10, "банк", "Львів"},     {2, "Їдальня", "Київ"},
    {1, QVariant(), "Одеса"}, {20, "ШКОЛА 6", "Харків"},
};

// The ids of the rows in the order the proxy shows them.
QList<int> ids(const QAbstractItemModel& model) {
    QList<int> out;
    for (int r = 0; r < model.rowCount(); ++r) out.append(model.index(r, 0).data().toInt());
    return out;
}

struct Fixture {
    std::unique_ptr<QStandardItemModel> source = makeModel(kRows);
    GridFilterModel proxy;
    QAbstractItemModelTester tester{&proxy, QAbstractItemModelTester::FailureReportingMode::Fatal};
    Fixture() { proxy.setSourceModel(source.get()); }
};

}  // namespace

TEST(GridFilterModel, FiltersNarrowByCaseInsensitiveSubstringsCombinedWithAnd) {
    struct Case {
        const char* what;
        QList<std::pair<int, QString>> filters;
        QList<int> expected;
    };
    const Case cases[] = {
        {"no filter", {}, {3, 10, 2, 1, 20}},
        {"letter case ignored", {{1, "школа"}}, {3, 20}},
        {"numbers are matched as shown text", {{0, "0"}}, {10, 20}},
        {"two columns combine", {{1, "школа"}, {2, "київ"}}, {3}},
        {"nothing matches", {{2, "Рівне"}}, {}},
        {"a null value matches no text", {{1, "а"}}, {3, 10, 2, 20}},
        {"an emptied filter is gone", {{1, "банк"}, {1, ""}}, {3, 10, 2, 1, 20}},
    };
    for (const Case& c : cases) {
        Fixture f;
        for (const auto& [column, text] : c.filters) f.proxy.setColumnFilter(column, text);
        EXPECT_EQ(ids(f.proxy), c.expected) << c.what;
    }
}

TEST(GridFilterModel, SortsNumbersByValueNullsFirstTextsIgnoringCase) {
    Fixture f;
    f.proxy.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(ids(f.proxy), (QList<int>{1, 2, 3, 10, 20}));
    f.proxy.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(ids(f.proxy), (QList<int>{20, 10, 3, 2, 1}));
    f.proxy.sort(1, Qt::AscendingOrder);
    // The null name first, then банк < Їдальня < Школа 5 < ШКОЛА 6: letter
    // case ignored and Ї in its alphabetical place, not before А as by code.
    EXPECT_EQ(ids(f.proxy), (QList<int>{1, 10, 2, 3, 20}));
    f.proxy.sort(-1);
    EXPECT_EQ(ids(f.proxy), (QList<int>{3, 10, 2, 1, 20}));
}

TEST(GridFilterModel, KeepsOrderAndFilterWhenSourceRowsChange) {
    Fixture f;
    f.proxy.sort(0, Qt::AscendingOrder);
    f.proxy.setColumnFilter(2, "в");  // Київ, Львів, Харків
    ASSERT_EQ(ids(f.proxy), (QList<int>{2, 3, 10, 20}));

    f.source->setData(f.source->index(2, 0), 15);  // Їдальня: 2 -> 15
    EXPECT_EQ(ids(f.proxy), (QList<int>{3, 10, 15, 20}));

    f.source->insertRow(
        0, {new QStandardItem, new QStandardItem("Архів"), new QStandardItem("Полтава")});
    f.source->setData(f.source->index(0, 0), 7);
    EXPECT_EQ(ids(f.proxy), (QList<int>{3, 7, 10, 15, 20}));

    f.source->removeRow(1);  // Школа 5
    EXPECT_EQ(ids(f.proxy), (QList<int>{7, 10, 15, 20}));

    f.source->setData(f.source->index(0, 2), "Суми");  // no longer passes the filter
    EXPECT_EQ(ids(f.proxy), (QList<int>{10, 15, 20}));
}

TEST(GridFilterModel, ForgetsKeysOfAReplacedSource) {
    Fixture f;
    f.proxy.sort(0, Qt::AscendingOrder);
    ASSERT_EQ(ids(f.proxy), (QList<int>{1, 2, 3, 10, 20}));
    auto other = makeModel({{5, "a", ""}, {4, "b", ""}});
    f.proxy.setSourceModel(other.get());
    EXPECT_EQ(ids(f.proxy), (QList<int>{4, 5}));
}
