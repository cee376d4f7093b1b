#pragma once
// The grid the grid tests share: a small model of journal-like rows and a
// shown grid over it with frozen columns, titles, a filter row and a footer.
#include "grid/data_grid.h"
#include "tests/support/typing.h"

#include "grid/grid_filter_model.h"
#include "grid/grid_header.h"
#include "grid/grid_view.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QToolTip>
#include <functional>

using grid::DataGrid;
using grid::FindOptions;
using grid::FooterKind;
using grid::GridColumn;
using grid::GridHeader;
using grid::GridView;

namespace {

using testing_support::typeText;

// Source columns: a stored id, name, date and place, a composed display
// text and a count that may be empty.
enum { kId, kName, kDate, kShown, kCount, kPlace, kSourceColumns };

struct SourceRow {
    int id;
    QString name, date;
    QVariant count;
    QString place;
};

const QList<SourceRow> kRows = {
    {1, "Альфа", "01.02.2011", 5, "Київ"},      {2, "бета", "03.04.2012", QVariant(), "Львів"},
    {3, "Гамма", "05.06.2011", 7, "Київ"},      {4, "дельта", "07.08.2013", 1, "Одеса"},
    {10, "Альфа-2", "09.10.2011", 2, "Харків"},
};

void fill(QStandardItemModel& model) {
    model.setColumnCount(kSourceColumns);
    for (const SourceRow& r : kRows) {
        QList<QStandardItem*> items(kSourceColumns);
        for (auto*& item : items) item = new QStandardItem;
        items[kId]->setData(r.id, Qt::EditRole);
        items[kName]->setText(r.name);
        items[kDate]->setText(r.date);
        items[kShown]->setText(r.name + "\n" + r.place);
        items[kCount]->setData(r.count, Qt::EditRole);
        items[kPlace]->setText(r.place);
        model.appendRow(items);
    }
}

// Grid columns: two frozen, then the display text (filtering on the place
// it shows), the count with a footer sum, and the date in two columns under
// one upper title.
QList<GridColumn> gridColumns() {
    QList<GridColumn> columns = {
        {kId, "Ид.|1", 40, Qt::AlignCenter, true, kId},
        {kName, "Имя|2", 90, Qt::AlignLeft, true, kName},
        {kShown, "Имя и место|3", 120, Qt::AlignLeft, false, kPlace},
        {kCount, "Штук", 60, Qt::AlignRight, true, -1},
        {kDate, "Дата|день", 70, Qt::AlignCenter, false, kDate},
        {kPlace, "Дата|место", 70, Qt::AlignCenter, false, -1},
    };
    columns[0].footer = FooterKind::Text;
    columns[0].footerText = "Разом:";
    columns[3].footer = FooterKind::Sum;
    return columns;
}

// Rows that a query fills: running it again closes and reopens the dataset,
// which resets the model with the same columns.
class QueriedModel : public QStandardItemModel {
  public:
    void requery() {
        beginResetModel();
        endResetModel();
    }
};

struct GridFixture {
    QueriedModel model;
    DataGrid grid;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit GridFixture(int frozen = 2) {
        fill(model);
        grid.setColumns(gridColumns(), frozen);
        grid.setRowLines(2);
        grid.setModel(&model);
        tester = std::make_unique<QAbstractItemModelTester>(
            grid.rowsModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid.resize(400, 220);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    // Ids of the rows shown, top to bottom.
    QList<int> shownIds() const {
        QList<int> ids;
        const QAbstractItemModel* rows = grid.rowsModel();
        for (int r = 0; r < rows->rowCount(); ++r) ids.append(rows->index(r, kId).data().toInt());
        return ids;
    }

    void clickTitle(int column, bool inFilterRow = false) {
        GridHeader* header = grid.header(column);
        const int logical = grid.columns()[column].source;
        const int y = inFilterRow ? header->titleHeight() + header->filterHeight() / 2
                                  : header->titleHeight() / 2;
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            {header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2, y});
    }

    // Source columns each half shows, left to right.
    static QList<int> shownSections(const GridView* view) {
        QList<int> sections;
        const QHeaderView* header = view->horizontalHeader();
        for (int v = 0; v < header->count(); ++v)
            if (!header->isSectionHidden(header->logicalIndex(v)))
                sections.append(header->logicalIndex(v));
        return sections;
    }
};

}  // namespace
