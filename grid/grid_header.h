#pragma once
// The headers of a DataGrid half: GridHeader paints two-level titles (an
// upper cell spanning adjacent columns with the same upper text) over a row
// of filter entries; RowIndicator marks the current row at the left.

#include "grid/grid_column.h"

#include <QHash>
#include <QHeaderView>
#include <QList>

class QLineEdit;

namespace grid {

class GridHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit GridHeader(QWidget* parent = nullptr);

    void setTitle(int logical, const QString& title);
    TitleLevels title(int logical) const { return titles_.value(logical); }

    // Puts a filter entry under the section; the header owns it.
    QLineEdit* addFilterCell(int logical);
    QLineEdit* filterCell(int logical) const { return filterCells_.value(logical); }
    // Drops all titles and filter entries.
    void clearColumns();

    // Heights in pixels of the upper and lower title levels and the filter row.
    void setLevelHeights(int upper, int lower, int filter);
    int upperHeight() const { return upper_; }
    int titleHeight() const { return upper_ + lower_; }
    int filterHeight() const { return filter_; }

    struct Needed {
        int upper = 0;   // tallest upper text over its span
        int lower = 0;   // tallest lower text of a two-level title
        int single = 0;  // tallest one-level title
    };
    // What the titles need at the present widths, at most maxLines text lines each.
    Needed neededHeights(int maxLines) const;

    // Logical section -1: no marker.
    void setSortMarker(int logical, Qt::SortOrder order);

    // Upper-level cells left to right: the visible sections each covers.
    struct Span {
        QString text;
        QList<int> sections;
    };
    QList<Span> upperSpans() const;

    QSize sizeHint() const override;
    void placeFilterCells();

  Q_SIGNALS:
    void filterEdited(int logical, const QString& text);
    // Enter or Down in a filter entry: the rows should take the focus.
    void filterRowLeft();
    // A filter entry got the focus; its section should be scrolled into view.
    void filterCellFocused(int logical);
    // Ctrl+F in a filter entry.
    void findRequested();

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void paintCell(QPainter* painter, const QRect& cell, const QString& text, int logical,
                   bool marker) const;
    int textHeight(const QString& text, int width, int maxLines) const;
    QRect spanRect(int logical) const;

    QHash<int, TitleLevels> titles_;
    QHash<int, QLineEdit*> filterCells_;
    int upper_ = 0;
    int lower_ = 0;
    int filter_ = 0;
    int sortSection_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// Vertical header that shows only a marker at the current row.
class RowIndicator : public QHeaderView {
    Q_OBJECT
  public:
    explicit RowIndicator(QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

}  // namespace grid
