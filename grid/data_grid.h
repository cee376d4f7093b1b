#pragma once
// DataGrid: the grid the journal, the reference lists and the fill report
// show their rows in. It shows the columns of any item model that the caller
// lists, with two-level titles over a filter row, the first columns frozen
// while the rest scroll sideways, rows several text lines high with a marker
// at the current row, title buttons that sort the loaded rows, a find dialog
// (Ctrl+F) and an optional footer row of column sums.
//
// Columns are addressed by their index in the configured list ("grid
// column"); positions count the columns in their present order, which the
// user may change by moving titles within the frozen or the scrolling part.

#include "grid/find_dialog.h"
#include "grid/grid_column.h"
#include "grid/grid_view.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QList>
#include <QPointer>

class QLineEdit;
class QScrollBar;

namespace grid {

class GridFilterModel;
class GridFooter;

class DataGrid : public QFrame, private GridView::Halves {
    Q_OBJECT
  public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // The model whose rows the grid shows; the caller keeps ownership.
    void setModel(QAbstractItemModel* source);
    QAbstractItemModel* sourceModel() const;
    // The sorted and filtered rows the views show.
    GridFilterModel* rowsModel() const { return proxy_; }

    // The first frozenCount columns stay in place when the grid scrolls sideways.
    void setColumns(const QList<GridColumn>& columns, int frozenCount = 0);
    const QList<GridColumn>& columns() const { return columns_; }
    int frozenCount() const { return frozen_; }

    // Every row is this many text lines of the grid font high.
    void setRowLines(int lines);
    int rowLines() const { return rowLines_; }
    // Font and text colour of cells and titles.
    void setGridFont(const QFont& font, const QColor& textColor = QColor());

    void setEditTriggers(QAbstractItemView::EditTriggers triggers);
    void setSelectionBehavior(QAbstractItemView::SelectionBehavior behavior);

    // Grid columns in their present order, and their widths by position.
    QList<int> columnOrder() const;
    QList<int> columnWidths() const;
    // Applies widths by position; entries beyond the columns are ignored.
    void setColumnWidths(const QList<int>& widths);
    // Moves the column at one position to another within its part (frozen or
    // scrolling), as a drag of its title does.
    void moveColumn(int fromPosition, int toPosition);

    // Client-side order; -1: the source model's order.
    void sortByColumn(int column, Qt::SortOrder order);
    void clearSort();
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // The filter entry of a column, nullptr for columns without a filter cell.
    QLineEdit* filterEdit(int column) const;
    void setFilterText(int column, const QString& text);
    void clearFilters();

    int rowCount() const;
    // The current cell, as an index of the source model.
    QModelIndex currentIndex() const;
    int currentSourceRow() const;
    // Makes the source row current (keeping the current column); false when
    // that row is not shown.
    bool setCurrentSourceRow(int row);
    QModelIndex mapToSource(const QModelIndex& shownIndex) const;

    // The cell editor open in either half: commitOpenEditor puts what was
    // typed into the model, discardOpenEditor drops it; both close the editor.
    // False when none was open.
    bool commitOpenEditor();
    bool discardOpenEditor();

    // Looks for the text from the cell after the current one on, row by row,
    // wrapping around; makes the found cell current. False when nothing matches.
    bool findNext(const FindOptions& options);
    FindDialog* showFindDialog();

    // Footer cell text of a column (its sum, its fixed text or empty).
    QString footerText(int column) const;

    // The two halves, for callers that need the views themselves.
    GridView* frozenView() const { return left_; }
    GridView* scrollingView() const { return right_; }
    GridHeader* header(int column) const;
    QScrollBar* horizontalScrollBar() const { return hbar_; }

  Q_SIGNALS:
    // After a title click has sorted (title buttons) or dropped the
    // client-side order (other titles).
    void titleClicked(int column);
    // Before the grid handles a key; a receiver that accepts the event consumes it.
    void keyPressed(QKeyEvent* event);
    void currentRowChanged(int sourceRow);
    void doubleClicked(const QModelIndex& sourceIndex);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    GridView* viewOf(int column) const;
    int columnOfSection(int logical) const;
    QList<int> presentSections() const;
    void applyLayout();
    void readOrder(GridView* view);
    void updateMetrics();
    void updateHeaderHeights();
    void updateFrozenWidth();
    void syncScrollBar();
    void onTitleClicked(int logical);
    // The footer row (data_grid_footer.cpp).
    void recalcFooter();
    // The cursor across both halves (data_grid_navigation.cpp).
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void focusCurrentHalf();
    // What the halves ask of the grid: moves, edits and the focus across
    // the frozen columns.
    QModelIndex crossMove(GridView::Step step, Qt::KeyboardModifiers modifiers) override;
    void editAcross(const QModelIndex& index) override;
    void focusEntered(GridView& view) override;

    GridFilterModel* proxy_;
    GridView* left_;
    GridView* right_;
    GridFooter* leftFooter_;
    GridFooter* rightFooter_;
    QScrollBar* hbar_;
    QPointer<FindDialog> find_;
    QList<GridColumn> columns_;
    int frozen_ = 0;
    int rowLines_ = 1;
    QList<int> order_;   // grid columns in present order (frozen ones first)
    QList<int> widths_;  // by grid column
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool applying_ = false;
};

}  // namespace grid
