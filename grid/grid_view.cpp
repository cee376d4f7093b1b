#include "grid/grid_view.h"

#include "grid/grid_cell_delegate.h"

#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <optional>

namespace grid {

GridView::GridView(Halves& halves, QWidget* parent) : QTableView(parent), halves_(halves) {
    auto* header = new GridHeader(this);
    setHorizontalHeader(header);
    setVerticalHeader(new RowIndicator(this));
    // A title press must not select the column: titles sort.
    disconnect(header, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(header, &QHeaderView::sectionEntered, this, nullptr);
    setItemDelegate(new GridCellDelegate(alignments_, this));
    setCornerButtonEnabled(false);
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(ScrollPerPixel);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    // The filter entries live on the header, which scrolls by offset only.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, header,
            &GridHeader::placeFilterCells);
}

GridHeader* GridView::gridHeader() const { return static_cast<GridHeader*>(horizontalHeader()); }

RowIndicator* GridView::rowIndicator() const {
    return static_cast<RowIndicator*>(verticalHeader());
}

void GridView::setColumnAlignment(int logical, Qt::Alignment alignment) {
    if (!(alignment & Qt::AlignVertical_Mask)) alignment |= Qt::AlignVCenter;
    alignments_.insert(logical, alignment);
    viewport()->update();
}

bool GridView::showWholeText(const QModelIndex& index) {
    if (!index.isValid() || horizontalHeader()->isSectionHidden(index.column())) return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    const QPoint below = viewport()->mapToGlobal(option.rect.bottomLeft());
    return static_cast<GridCellDelegate*>(itemDelegate())
        ->showWholeText(this, option, index, below);
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || !horizontalHeader()->isSectionHidden(index.column()))
        return QTableView::scrollTo(index, hint);
    const QHeaderView* header = horizontalHeader();
    int shown = -1;
    for (int v = 0; v < header->count() && shown < 0; ++v)
        if (!header->isSectionHidden(header->logicalIndex(v))) shown = header->logicalIndex(v);
    if (shown < 0) return;  // no columns here: the other half scrolls both
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index.siblingAtColumn(shown), hint);
    horizontalScrollBar()->setValue(across);
}

QWidget* GridView::openEditor() const {
    if (state() != EditingState) return nullptr;
    const QModelIndex current = currentIndex();
    return current.isValid() ? indexWidget(current) : nullptr;
}

bool GridView::commitOpenEditor() {
    const QPointer<QWidget> editor = openEditor();
    if (!editor) return false;
    commitData(editor);
    // Committing may have closed it already (a message box taking the focus).
    if (editor) closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

bool GridView::discardOpenEditor() {
    QWidget* editor = openEditor();
    if (!editor) return false;
    // Closing takes the editor off the view and the delegate's focus watch
    // before its focus goes, so the focus loss commits nothing.
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void GridView::keyPressEvent(QKeyEvent* event) {
    event->ignore();
    Q_EMIT keyPressed(event);
    if (event->isAccepted()) return;
    QTableView::keyPressEvent(event);
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    std::optional<Step> step;
    switch (action) {
        case MoveLeft:
            step = Step::Left;
            break;
        case MoveRight:
            step = Step::Right;
            break;
        case MoveNext:
            step = Step::Next;
            break;
        case MovePrevious:
            step = Step::Previous;
            break;
        case MoveHome:
            step = Step::Home;
            break;
        case MoveEnd:
            step = Step::End;
            break;
        default:
            break;
    }
    if (step) {
        const QModelIndex across = halves_.crossMove(*step, modifiers);
        if (across.isValid()) return across;
    }
    return QTableView::moveCursor(action, modifiers);
}

// The grid has one current row, and it is the highlighted one: the row
// marker, the focus and the highlight always name the same row. Qt's single
// selection would leave the highlight behind when Ctrl moves the cursor
// (Ctrl+End, Ctrl+Home) and take it away on a Ctrl+click.
QItemSelectionModel::SelectionFlags GridView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    if (selectionMode() != SingleSelection || !index.isValid())
        return QTableView::selectionCommand(index, event);
    return selectingCommand();
}

QItemSelectionModel::SelectionFlags GridView::selectingCommand() const {
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == SelectRows) flags |= QItemSelectionModel::Rows;
    if (selectionBehavior() == SelectColumns) flags |= QItemSelectionModel::Columns;
    return flags;
}

// The highlight is the current row's. A key that moves the cursor into the
// other half has Qt select whatever lies at the new cell's place in this
// half, where that cell is hidden: the top row, as it turns out. And a click
// selects the row under the mouse after it made the clicked row current,
// when that row may have moved: the move can drop a row above it.
void GridView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QModelIndex current = currentIndex();
    if (current.isValid() && (selectionMode() == SingleSelection ||
                              horizontalHeader()->isSectionHidden(current.column())))
        return selectionModel()->select(current, command);
    QTableView::setSelection(rect, command);
}

// Tab and Backtab in an editor go on editing in the next cell. Qt opens that
// cell's editor in this half even when the cell lies in the other one, where
// nobody sees it, and even when the move to it was refused and the cursor
// stayed where it was.
void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (hint != QAbstractItemDelegate::EditNextItem &&
        hint != QAbstractItemDelegate::EditPreviousItem)
        return QTableView::closeEditor(editor, hint);
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex next = moveCursor(
        hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious, Qt::NoModifier);
    if (!next.isValid()) return;
    const QPersistentModelIndex target(next);
    selectionModel()->setCurrentIndex(target, selectingCommand());
    if (!target.isValid() || currentIndex() != target || editTriggers() & CurrentChanged ||
        !(target.flags() & Qt::ItemIsEditable))
        return;
    if (!horizontalHeader()->isSectionHidden(target.column()))
        edit(target);
    else
        halves_.editAcross(target);
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    Q_EMIT geometriesUpdated();
}

void GridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    halves_.focusEntered(*this);
}

}  // namespace grid
