#include "tests/grid/grid_fixture.h"

#include <memory>

namespace {
TEST(DataGrid, TitleButtonsSortLoadedRowsAlternatingWithMarker) {
    GridFixture f;
    QSignalSpy clicked(&f.grid, &DataGrid::titleClicked);
    f.clickTitle(1);
    EXPECT_EQ(f.shownIds(), (QList<int>{1, 10, 2, 3, 4}));  // Альфа, Альфа-2, бета, Гамма, дельта
    EXPECT_EQ(f.grid.sortColumn(), 1);
    EXPECT_EQ(f.grid.sortOrder(), Qt::AscendingOrder);
    f.clickTitle(1);
    EXPECT_EQ(f.shownIds(), (QList<int>{4, 3, 2, 10, 1}));
    EXPECT_EQ(f.grid.sortOrder(), Qt::DescendingOrder);
    f.clickTitle(1);
    EXPECT_EQ(f.grid.sortOrder(), Qt::AscendingOrder);

    // Another button starts ascending; an empty count sorts first.
    f.clickTitle(3);
    EXPECT_EQ(f.shownIds(), (QList<int>{2, 4, 10, 1, 3}));
    EXPECT_EQ(f.grid.sortColumn(), 3);

    // A title without a button drops the client order for the caller's own.
    f.clickTitle(2);
    EXPECT_EQ(f.shownIds(), (QList<int>{1, 2, 3, 4, 10}));
    EXPECT_EQ(f.grid.sortColumn(), -1);

    // Presses in the filter row neither sort nor count as title clicks.
    f.clickTitle(3, true);
    EXPECT_EQ(f.grid.sortColumn(), -1);

    QList<int> columns;
    for (const auto& args : clicked) columns.append(args.at(0).toInt());
    EXPECT_EQ(columns, (QList<int>{1, 1, 1, 3, 2}));
}

TEST(DataGrid, SortMarkerIsPaintedOnlyOnTheSortedTitle) {
    GridFixture f;
    f.grid.sortByColumn(1, Qt::AscendingOrder);
    GridHeader* header = f.grid.header(1);
    const auto titleImage = [&](int column) {
        const int logical = f.grid.columns()[column].source;
        QRect r(header->sectionViewportPosition(logical), header->upperHeight(),
                header->sectionSize(logical), header->titleHeight() - header->upperHeight());
        return header->viewport()->grab(r).toImage();
    };
    const QImage ascending = titleImage(1);
    f.grid.sortByColumn(1, Qt::DescendingOrder);
    const QImage descending = titleImage(1);
    f.grid.clearSort();
    const QImage none = titleImage(1);
    EXPECT_NE(ascending, descending);
    EXPECT_NE(ascending, none);
    EXPECT_NE(descending, none);
}

TEST(DataGrid, FilterRowNarrowsOnEachColumnsFilterSourceCombined) {
    GridFixture f;
    ASSERT_NE(f.grid.filterEdit(2), nullptr);
    EXPECT_EQ(f.grid.filterEdit(3), nullptr);  // no filter cell
    EXPECT_EQ(f.grid.filterEdit(5), nullptr);

    // Column 3 shows name and place but filters on the stored place alone.
    typeText(f.grid.filterEdit(2), "КИЇ");
    EXPECT_EQ(f.shownIds(), (QList<int>{1, 3}));
    typeText(f.grid.filterEdit(4), "2011");
    EXPECT_EQ(f.shownIds(), (QList<int>{1, 3}));
    f.grid.setFilterText(1, "гам");
    EXPECT_EQ(f.shownIds(), (QList<int>{3}));
    f.grid.setFilterText(2, "Альфа");  // a name, which the place never holds
    EXPECT_EQ(f.shownIds(), (QList<int>{}));

    // Escape empties the entry; the other filters stay.
    QTest::keyClick(f.grid.filterEdit(2), Qt::Key_Escape);
    EXPECT_EQ(f.grid.filterEdit(2)->text(), "");
    EXPECT_EQ(f.shownIds(), (QList<int>{3}));

    // Filters and client order survive a reload of the rows.
    f.grid.setFilterText(1, "");
    f.grid.sortByColumn(0, Qt::DescendingOrder);
    f.model.removeRows(0, f.model.rowCount());
    fill(f.model);
    EXPECT_EQ(f.shownIds(), (QList<int>{10, 3, 1}));

    f.grid.clearFilters();
    EXPECT_EQ(f.grid.rowCount(), 5);
}

TEST(DataGrid, FrozenColumnsStayWhileTheRestScrollsInStep) {
    GridFixture f;
    GridView* left = f.grid.frozenView();
    GridView* right = f.grid.scrollingView();
    EXPECT_EQ(GridFixture::shownSections(left), (QList<int>{kId, kName}));
    EXPECT_EQ(GridFixture::shownSections(right), (QList<int>{kShown, kCount, kDate, kPlace}));
    EXPECT_EQ(left->selectionModel(), right->selectionModel());
    EXPECT_EQ(left->horizontalHeader()->height(), right->horizontalHeader()->height());

    QSignalSpy rowChanged(&f.grid, &DataGrid::currentRowChanged);
    ASSERT_TRUE(f.grid.setCurrentSourceRow(4));
    EXPECT_EQ(f.grid.currentSourceRow(), 4);
    EXPECT_EQ(rowChanged.size(), 1);
    EXPECT_EQ(rowChanged.at(0).at(0).toInt(), 4);
    // The rows were scrolled to show row 4; both halves show it at the same height.
    EXPECT_GT(right->verticalScrollBar()->value(), 0);
    EXPECT_EQ(left->verticalScrollBar()->value(), right->verticalScrollBar()->value());
    EXPECT_EQ(left->rowViewportPosition(4), right->rowViewportPosition(4));
    right->verticalScrollBar()->setValue(0);
    EXPECT_EQ(left->verticalScrollBar()->value(), 0);

    // Sideways only the scrolling half moves.
    ASSERT_TRUE(f.grid.horizontalScrollBar()->isVisible());
    const int frozenX = left->columnViewportPosition(kName);
    const int scrolledX = right->columnViewportPosition(kCount);
    f.grid.horizontalScrollBar()->setValue(50);
    EXPECT_EQ(right->horizontalScrollBar()->value(), 50);
    EXPECT_EQ(left->columnViewportPosition(kName), frozenX);
    EXPECT_EQ(right->columnViewportPosition(kCount), scrolledX - 50);

    // A row not shown cannot be made current.
    f.grid.setFilterText(1, "бета");
    EXPECT_FALSE(f.grid.setCurrentSourceRow(0));
}

TEST(DataGrid, CursorKeysCrossBetweenFrozenAndScrollingColumns) {
    GridFixture f;
    f.grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
    GridView* left = f.grid.frozenView();
    GridView* right = f.grid.scrollingView();
    f.grid.setCurrentSourceRow(1);
    left->setCurrentIndex(f.grid.rowsModel()->index(1, kName));
    left->setFocus();

    QTest::keyClick(left, Qt::Key_Right);
    EXPECT_EQ(f.grid.currentIndex().column(), kShown);
    EXPECT_TRUE(right->hasFocus());
    QTest::keyClick(right, Qt::Key_Left);
    EXPECT_EQ(f.grid.currentIndex().column(), kName);
    EXPECT_TRUE(left->hasFocus());
    QTest::keyClick(left, Qt::Key_End);
    EXPECT_EQ(f.grid.currentIndex().column(), kPlace);
    QTest::keyClick(right, Qt::Key_Home);
    EXPECT_EQ(f.grid.currentIndex().column(), kId);
    // Tab at the end of a row goes on in the next row.
    QTest::keyClick(left, Qt::Key_End);
    QTest::keyClick(right, Qt::Key_Tab);
    EXPECT_EQ(f.grid.currentIndex().row(), 2);
    EXPECT_EQ(f.grid.currentIndex().column(), kId);
    QTest::keyClick(left, Qt::Key_Down);
    EXPECT_EQ(f.grid.currentSourceRow(), 3);
}

// What is typed into a cell editor of either half goes into the model when
// the grid's user commits it, and nowhere when it is discarded, not even
// when the focus leaves afterwards.
TEST(DataGrid, OpenEditorOfEitherHalfIsCommittedOrDiscarded) {
    GridFixture f;
    f.grid.setEditTriggers(QAbstractItemView::EditKeyPressed);
    f.grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
    QLineEdit elsewhere;
    elsewhere.show();
    for (const int column : {kName, kPlace}) {
        SCOPED_TRACE(column);
        GridView* view = column == kName ? f.grid.frozenView() : f.grid.scrollingView();
        const QModelIndex cell = f.grid.rowsModel()->index(1, column);
        const QString before = cell.data().toString();
        for (const bool commit : {false, true}) {
            view->setCurrentIndex(cell);
            view->setFocus();
            QTest::keyClick(view, Qt::Key_F2);
            QWidget* editor = view->indexWidget(cell);
            ASSERT_NE(editor, nullptr);
            typeText(editor, "Нове");
            EXPECT_EQ(commit ? f.grid.commitOpenEditor() : f.grid.discardOpenEditor(), true);
            EXPECT_EQ(view->indexWidget(cell), nullptr);
            elsewhere.activateWindow();
            elsewhere.setFocus();
            QApplication::processEvents();
            EXPECT_EQ(cell.data().toString(), commit ? "Нове" : before);
            f.grid.activateWindow();
        }
        EXPECT_FALSE(f.grid.commitOpenEditor());
        EXPECT_FALSE(f.grid.discardOpenEditor());
    }
}

// Tab in a cell editor goes on editing in the next cell, in whichever half
// shows it; when the move is refused (the row cannot be left), the cursor
// stays and no editor opens on the row it did not reach.
TEST(DataGrid, TabInACellEditorGoesOnEditingInTheNextCell) {
    GridFixture f;
    f.grid.setEditTriggers(QAbstractItemView::EditKeyPressed);
    f.grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
    GridView* left = f.grid.frozenView();
    GridView* right = f.grid.scrollingView();
    const auto at = [&f](int row, int column) { return f.grid.rowsModel()->index(row, column); };
    left->setCurrentIndex(at(1, kName));
    left->setFocus();
    QTest::keyClick(left, Qt::Key_F2);
    ASSERT_NE(left->indexWidget(at(1, kName)), nullptr);
    typeText(left->indexWidget(at(1, kName)), "Бета");
    QTest::keyClick(left->indexWidget(at(1, kName)), Qt::Key_Tab);
    EXPECT_EQ(at(1, kName).data().toString(), "Бета");
    EXPECT_EQ(f.grid.currentIndex(), f.model.index(1, kShown));
    EXPECT_EQ(left->indexWidget(at(1, kShown)), nullptr);
    ASSERT_NE(right->indexWidget(at(1, kShown)), nullptr);
    QTest::keyClick(right->indexWidget(at(1, kShown)), Qt::Key_Backtab);
    EXPECT_EQ(f.grid.currentIndex(), f.model.index(1, kName));
    ASSERT_NE(left->indexWidget(at(1, kName)), nullptr);
    QTest::keyClick(left->indexWidget(at(1, kName)), Qt::Key_Escape);

    QObject::connect(&f.grid, &DataGrid::currentRowChanged, &f.grid, [&f](int row) {
        if (row != 1) f.grid.setCurrentSourceRow(1);
    });
    right->setCurrentIndex(at(1, kPlace));
    right->setFocus();
    QTest::keyClick(right, Qt::Key_F2);
    ASSERT_NE(right->indexWidget(at(1, kPlace)), nullptr);
    QTest::keyClick(right->indexWidget(at(1, kPlace)), Qt::Key_Tab);
    EXPECT_EQ(f.grid.currentSourceRow(), 1);
    EXPECT_EQ(left->indexWidget(at(2, kId)), nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
}

TEST(DataGrid, WidthsAreReadAndSetByPresentPosition) {
    GridFixture f;
    EXPECT_EQ(f.grid.columnWidths(), (QList<int>{40, 90, 120, 60, 70, 70}));

    f.grid.moveColumn(2, 5);  // the display column to the end
    EXPECT_EQ(f.grid.columnOrder(), (QList<int>{0, 1, 3, 4, 5, 2}));
    EXPECT_EQ(f.grid.columnWidths(), (QList<int>{40, 90, 60, 70, 70, 120}));
    EXPECT_EQ(GridFixture::shownSections(f.grid.scrollingView()),
              (QList<int>{kCount, kDate, kPlace, kShown}));

    // A drag of a frozen title, as the header reports it.
    QHeaderView* frozen = f.grid.frozenView()->horizontalHeader();
    frozen->moveSection(frozen->visualIndex(kName), frozen->visualIndex(kId));
    EXPECT_EQ(f.grid.columnOrder(), (QList<int>{1, 0, 3, 4, 5, 2}));

    // Columns do not cross between the frozen and the scrolling part.
    f.grid.moveColumn(0, 4);
    EXPECT_EQ(f.grid.columnOrder(), (QList<int>{1, 0, 3, 4, 5, 2}));

    f.grid.setColumnWidths({11, 12, 13, 14});
    EXPECT_EQ(f.grid.columnWidths(), (QList<int>{11, 12, 13, 14, 70, 120}));
    EXPECT_EQ(frozen->sectionSize(kName), 11);
    EXPECT_EQ(frozen->sectionSize(kId), 12);
    EXPECT_EQ(f.grid.scrollingView()->horizontalHeader()->sectionSize(kCount), 13);

    // A resize by the user is read back at its position.
    frozen->resizeSection(kId, 33);
    EXPECT_EQ(f.grid.columnWidths().at(1), 33);
    EXPECT_EQ(f.grid.frozenView()->width(),
              f.grid.frozenView()->verticalHeader()->width() + 11 + 33);
}

TEST(DataGrid, LayoutSurvivesAModelThatLosesAndRegainsItsColumns) {
    GridFixture f;
    f.grid.moveColumn(3, 2);
    f.grid.setColumnWidths({40, 90, 61, 121});
    f.model.clear();
    EXPECT_EQ(f.grid.rowCount(), 0);
    fill(f.model);
    EXPECT_EQ(GridFixture::shownSections(f.grid.frozenView()), (QList<int>{kId, kName}));
    EXPECT_EQ(GridFixture::shownSections(f.grid.scrollingView()),
              (QList<int>{kCount, kShown, kDate, kPlace}));
    EXPECT_EQ(f.grid.scrollingView()->horizontalHeader()->sectionSize(kShown), 121);
    ASSERT_NE(f.grid.filterEdit(2), nullptr);
    EXPECT_TRUE(f.grid.filterEdit(2)->isVisible());
}

// A filter typed and confirmed, then the query run again (a title click, a
// selection, a new login close and reopen the rows): every column keeps its
// title, its filter entry and its width.
TEST(DataGrid, ColumnsKeepTheirWidthsWhenFilteredRowsAreQueriedAgain) {
    GridFixture f;
    const QList<int> widths = f.grid.columnWidths();
    QLineEdit* filter = f.grid.filterEdit(4);  // a scrolling column
    typeText(filter, "2011");                  // the first row stays
    QTest::keyClick(filter, Qt::Key_Return);
    ASSERT_EQ(f.shownIds(), (QList<int>{1, 3, 10}));
    f.model.requery();  // closed
    f.model.requery();  // and opened again

    EXPECT_EQ(f.grid.columnWidths(), widths);
    EXPECT_EQ(GridFixture::shownSections(f.grid.frozenView()), (QList<int>{kId, kName}));
    EXPECT_EQ(GridFixture::shownSections(f.grid.scrollingView()),
              (QList<int>{kShown, kCount, kDate, kPlace}));
    for (int c = 0; c < f.grid.columns().size(); ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(f.grid.header(c)->sectionSize(f.grid.columns()[c].source), widths[c]);
        if (QLineEdit* edit = f.grid.filterEdit(c)) {
            EXPECT_TRUE(edit->isVisible());
            EXPECT_EQ(edit->width(), widths[c]);
        }
    }
    EXPECT_EQ(f.shownIds(), (QList<int>{1, 3, 10}));

    // A section shrunk to nothing is never taken as the column's width,
    // which would be stored and come back at the next start.
    f.grid.header(1)->resizeSection(kName, 0);
    EXPECT_EQ(f.grid.columnWidths(), widths);
}

// Whatever key moves the cursor, and into whichever half, the row marker,
// the focus and the highlighted row name one row.
TEST(DataGrid, MarkerFocusAndHighlightStayOnOneRow) {
    GridFixture f;
    f.grid.resize(400, 600);  // every row in view: a page moves to the first or last row
    f.grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
    f.grid.setCurrentSourceRow(1);
    f.grid.frozenView()->setFocus();
    struct Step {
        const char* name;
        std::function<void(QWidget* focused)> press;
        int row, column;
    };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        return [k, m](QWidget* focused) { QTest::keyClick(focused, k, m); };
    };
    const Step steps[] = {
        {"Ctrl+End", key(Qt::Key_End, Qt::ControlModifier), 4, kPlace},
        {"Up", key(Qt::Key_Up), 3, kPlace},
        {"Ctrl+Home", key(Qt::Key_Home, Qt::ControlModifier), 0, kId},
        {"PgDn", key(Qt::Key_PageDown), 4, kId},
        {"Right", key(Qt::Key_Right), 4, kName},
        {"Right into the scrolling half", key(Qt::Key_Right), 4, kShown},
        {"Ctrl+PgUp", key(Qt::Key_PageUp, Qt::ControlModifier), 0, kShown},
        {"Ctrl+Down", key(Qt::Key_Down, Qt::ControlModifier), 1, kShown},
        {"Left into the frozen half", key(Qt::Key_Left), 1, kName},
        {"PgDn", key(Qt::Key_PageDown), 4, kName},
        {"focus into a half after a new query left no row current",
         [&f](QWidget*) {
             f.model.requery();
             f.grid.scrollingView()->setFocus(Qt::TabFocusReason);
         },
         0, kShown},
        {"Ctrl+click on the current row",
         [&f](QWidget*) {
             GridView* view = f.grid.frozenView();
             const QRect cell = view->visualRect(f.grid.rowsModel()->index(4, kName));
             QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                               cell.center());
         },
         4, kName},
        {"click on a row whose move drops a row above it",
         [&f](QWidget*) {
             auto once = std::make_shared<QMetaObject::Connection>();
             *once = QObject::connect(&f.grid, &DataGrid::currentRowChanged, [&f, once] {
                 QObject::disconnect(*once);
                 f.model.removeRow(0);
             });
             GridView* view = f.grid.frozenView();
             const QRect cell = view->visualRect(f.grid.rowsModel()->index(2, kName));
             QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
         },
         1, kName},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.press(QApplication::focusWidget());
        const QModelIndex current = f.grid.frozenView()->currentIndex();
        EXPECT_EQ(f.grid.currentSourceRow(), s.row);
        EXPECT_EQ(f.grid.currentIndex().column(), s.column);
        const QModelIndexList selected = f.grid.frozenView()->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected[0].row(), current.row());
        GridView* half =
            s.column == kId || s.column == kName ? f.grid.frozenView() : f.grid.scrollingView();
        EXPECT_EQ(QApplication::focusWidget(), half);
    }
}

// A cell too narrow for a word, or with more lines than the row holds,
// shows its whole text as its tool tip when pointed at; a cell that fits
// has none. (A tip being hidden fades out for a while, so the cells that
// fit are asked directly.)
TEST(DataGrid, ClippedCellShowsItsWholeTextAsToolTip) {
    GridFixture f;
    f.grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
    struct Case {
        const char* name;
        int column;
        QString text;
        bool tip;
    };
    const Case cases[] = {
        {"fits", kShown, "Альфа\nКиїв", false},
        {"a word wider than the column", kName, "Сільськогосподарське", true},
        {"more lines than the row", kShown, "Альфа\nКиїв\nвул. Садова, 113", true},
        {"a long path", kShown, "C:\\archive\\2015\\opys_15\\spravy.doc", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.model.item(0, c.column)->setText(c.text);
        GridView* view = c.column == kName ? f.grid.frozenView() : f.grid.scrollingView();
        const QModelIndex index = f.grid.rowsModel()->index(0, c.column);
        const QPoint inside = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, inside, view->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(view->viewport(), &help);
        if (c.tip) {
            EXPECT_TRUE(QToolTip::isVisible());
            EXPECT_EQ(QToolTip::text(), c.text);
        }
        EXPECT_EQ(view->showWholeText(index), c.tip);
    }

    // A match found in the part of a text that its cell cuts off is shown
    // whole beside the cell.
    f.model.item(3, kShown)->setText("дельта\nОдеса, вул. Дерибасівська, 1");
    ASSERT_TRUE(f.grid.findNext({"Дерибасівська"}));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "дельта\nОдеса, вул. Дерибасівська, 1");
}

TEST(DataGrid, UpperTitlesSpanAdjacentColumnsAlsoAfterAMove) {
    QStandardItemModel model;
    fill(model);
    DataGrid grid;
    grid.setColumns({{kId, "A|1", 50},
                     {kName, "A|2", 50},
                     {kDate, "B|3", 50},
                     {kCount, "Один", 50},
                     {kPlace, "A|5", 50}});
    grid.setModel(&model);
    GridHeader* header = grid.header(0);
    const auto spans = [&] {
        QList<std::pair<QString, QList<int>>> out;
        for (const GridHeader::Span& s : header->upperSpans()) out.append({s.text, s.sections});
        return out;
    };
    using Spans = QList<std::pair<QString, QList<int>>>;
    EXPECT_EQ(spans(), (Spans{{"A", {kId, kName}}, {"B", {kDate}}, {"A", {kPlace}}}));
    EXPECT_GT(header->upperHeight(), 0);
    EXPECT_GT(header->titleHeight(), header->upperHeight());

    grid.moveColumn(4, 2);
    EXPECT_EQ(spans(), (Spans{{"A", {kId, kName, kPlace}}, {"B", {kDate}}}));
    grid.moveColumn(0, 4);
    EXPECT_EQ(spans(), (Spans{{"A", {kName, kPlace}}, {"B", {kDate}}, {"A", {kId}}}));

    // One-level titles only: no upper level, no filter row.
    grid.setColumns({{kName, "Имя", 50}, {kPlace, "Место", 50}});
    EXPECT_EQ(header->upperHeight(), 0);
    EXPECT_GT(header->titleHeight(), 0);
    EXPECT_EQ(header->filterHeight(), 0);
    // Neither titles nor filters: a plain list without a header.
    grid.setColumns({{kName, QString(), 50}});
    EXPECT_TRUE(header->isHidden());
}

}  // namespace
