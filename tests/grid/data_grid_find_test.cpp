// The find, the keys the caller sees first, the footer and the row height.
#include "tests/grid/grid_fixture.h"

namespace {
TEST(DataGrid, FindMovesTheCurrentCellOverShownRows) {
    GridFixture f;
    struct Step {
        FindOptions options;
        bool found;
        int row, column;  // source row and column current afterwards
    };
    // Cells are searched in the present column order: id, name, shown, count, date, place.
    const Step steps[] = {
        {{"киї"}, true, 0, kShown},
        {{"киї"}, true, 0, kPlace},
        {{"киї"}, true, 2, kShown},
        {{"киї"}, true, 2, kPlace},
        {{"киї"}, true, 0, kShown},  // wrapped around
        // One column: the current row's own cell in that column comes first.
        {{"альфа", 1}, true, 0, kName},
        {{"альфа", 1}, true, 4, kName},
        {{"альфа", 1}, true, 0, kName},
        {{"альфа", 1, true}, false, 0, kName},  // the names are capitalised
        {{"Рівне"}, false, 0, kName},
        {{"2011", 4}, true, 0, kDate},
        {{"2011", 4}, true, 2, kDate},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.options.text.toStdString());
        EXPECT_EQ(f.grid.findNext(s.options), s.found);
        EXPECT_EQ(f.grid.currentIndex().row(), s.row);
        EXPECT_EQ(f.grid.currentIndex().column(), s.column);
        // The found cell is scrolled into view in its half.
        GridView* half =
            s.column == kId || s.column == kName ? f.grid.frozenView() : f.grid.scrollingView();
        const QRect cell = half->visualRect(f.grid.frozenView()->currentIndex());
        EXPECT_TRUE(half->viewport()->rect().contains(cell));
    }
    // Rows narrowed away are not searched.
    f.grid.setFilterText(1, "гам");
    EXPECT_FALSE(f.grid.findNext({"Альфа"}));
}

TEST(DataGrid, CtrlFOpensTheFindDialog) {
    GridFixture f;
    QTest::keyClick(f.grid.scrollingView(), Qt::Key_F, Qt::ControlModifier);
    auto* dialog = f.grid.findChild<grid::FindDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    auto* column = dialog->findChild<QComboBox*>("ComboBox_find_column");
    ASSERT_EQ(column->count(), 7);
    EXPECT_EQ(column->itemText(0), "Все колонки");
    EXPECT_EQ(column->itemText(3), "Имя и место (3)");
    EXPECT_EQ(column->itemText(4), "Штук");

    typeText(dialog->findChild<QLineEdit*>("Edit_find_text"), "Одеса");
    QTest::mouseClick(dialog->findChild<QPushButton*>("But_find_next"), Qt::LeftButton);
    EXPECT_EQ(f.grid.currentSourceRow(), 3);
    auto* status = dialog->findChild<QLabel*>("Label_find_status");
    EXPECT_EQ(status->text(), "");

    dialog->findChild<QLineEdit*>("Edit_find_text")->setText("Рівне");
    QTest::mouseClick(dialog->findChild<QPushButton*>("But_find_next"), Qt::LeftButton);
    EXPECT_EQ(status->text(), "Текст не найден");
    EXPECT_EQ(f.grid.currentSourceRow(), 3);

    // The filter entries answer Ctrl+F as well.
    dialog->hide();
    QTest::keyClick(f.grid.filterEdit(1), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(dialog->isVisible());
}

TEST(DataGrid, CallerSeesKeysFirstAndMayConsumeThem) {
    GridFixture f;
    f.grid.setCurrentSourceRow(0);
    QList<int> seen;
    QObject::connect(&f.grid, &DataGrid::keyPressed, [&](QKeyEvent* event) {
        seen.append(event->key());
        if (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Down) event->accept();
    });
    QTest::keyClick(f.grid.scrollingView(), Qt::Key_Insert);
    QTest::keyClick(f.grid.scrollingView(), Qt::Key_Down);
    EXPECT_EQ(f.grid.currentSourceRow(), 0);  // consumed
    QTest::keyClick(f.grid.frozenView(), Qt::Key_Delete);
    EXPECT_EQ(seen, (QList<int>{Qt::Key_Insert, Qt::Key_Down, Qt::Key_Delete}));
}

TEST(DataGrid, FooterSumsTheShownRows) {
    GridFixture f;
    EXPECT_EQ(f.grid.footerText(0), "Разом:");
    EXPECT_EQ(f.grid.footerText(3), "15");
    EXPECT_EQ(f.grid.footerText(1), "");
    f.grid.setFilterText(1, "альфа");
    EXPECT_EQ(f.grid.footerText(3), "7");
    // Only empty counts: the sum is empty, not 0.
    f.grid.setFilterText(1, "бета");
    EXPECT_EQ(f.grid.footerText(3), "");
    f.grid.clearFilters();
    f.model.setData(f.model.index(0, kCount), 2.5);
    EXPECT_EQ(f.grid.footerText(3), "12.5");
}

TEST(DataGrid, RowsAreAsManyTextLinesHighAsAsked) {
    GridFixture f;
    const int line = f.grid.fontMetrics().lineSpacing();
    f.grid.setRowLines(5);
    const int five = f.grid.scrollingView()->rowHeight(0);
    EXPECT_GE(five, 5 * line);
    EXPECT_LT(five, 6 * line);
    EXPECT_EQ(f.grid.frozenView()->rowHeight(0), five);
    QFont big = f.grid.font();
    big.setPixelSize(30);
    f.grid.setGridFont(big, Qt::darkBlue);
    EXPECT_GE(f.grid.scrollingView()->rowHeight(0), 5 * QFontMetrics(big).lineSpacing());
    EXPECT_EQ(f.grid.frozenView()->rowHeight(0), f.grid.scrollingView()->rowHeight(0));
}

}  // namespace
