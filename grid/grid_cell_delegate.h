#pragma once
// How a DataGrid half draws and explains its cells: each cell aligned as its
// grid column says, and a cell whose text does not fit (a word wider than
// the column, more lines than the row holds) shows its whole text as its
// tool tip, since the grid's cells never open for reading.

#include <QHash>
#include <QStyledItemDelegate>

namespace grid {

class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // Alignments by source column; the view keeps the table and may change it.
    GridCellDelegate(const QHash<int, Qt::Alignment>& alignments, QObject* parent);

    // Whether the cell's text, drawn in the option's rectangle, is cut off.
    bool textClipped(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Shows the whole text of a cut-off cell as a tool tip at the global
    // point; false, showing nothing, when the text fits.
    bool showWholeText(QAbstractItemView* view, const QStyleOptionViewItem& option,
                       const QModelIndex& index, const QPoint& globalPos) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // An editor left as it was opened leaves its cell alone.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    const QHash<int, Qt::Alignment>& alignments_;
};

}  // namespace grid
