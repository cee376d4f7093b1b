// DataGrid's cursor across its two halves: the one current cell both share,
// moves that cross from one half into the other, the focus following the
// half that shows the current column, and the cell editor in whichever half
// has it open.
#include "grid/data_grid.h"

#include "grid/grid_filter_model.h"
#include "grid/grid_view.h"

namespace grid {

QModelIndex DataGrid::currentIndex() const { return mapToSource(left_->currentIndex()); }

int DataGrid::currentSourceRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

bool DataGrid::setCurrentSourceRow(int row) {
    const QAbstractItemModel* source = sourceModel();
    const QList<int> sections = presentSections();
    if (!source || sections.isEmpty()) return false;
    int column = left_->currentIndex().column();
    if (!sections.contains(column)) column = sections.first();
    const QModelIndex shown = proxy_->mapFromSource(source->index(row, column));
    if (!shown.isValid()) return false;
    left_->selectionModel()->setCurrentIndex(shown, left_->selectingCommand());
    left_->scrollTo(shown);
    right_->scrollTo(shown);
    return true;
}

bool DataGrid::commitOpenEditor() {
    // The halves share the current cell; the editor lies in the half that
    // shows its column.
    const bool frozen = left_->commitOpenEditor();
    return right_->commitOpenEditor() || frozen;
}

bool DataGrid::discardOpenEditor() {
    const bool frozen = left_->discardOpenEditor();
    return right_->discardOpenEditor() || frozen;
}

void DataGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Qt also makes a cell current without selecting anything: a half that
    // gets the focus while no cell is current (after a new query whose first
    // row the filter hides) takes its first cell. The highlight goes with it.
    QItemSelectionModel* selection = left_->selectionModel();
    if (current.isValid() && !selection->isSelected(current))
        selection->select(current, left_->selectingCommand());
    if (left_->hasFocus() || right_->hasFocus()) focusCurrentHalf();
    if (current.row() != previous.row() || !current.isValid())
        Q_EMIT currentRowChanged(current.isValid() ? mapToSource(current).row() : -1);
}

void DataGrid::focusCurrentHalf() {
    const int c = columnOfSection(left_->currentIndex().column());
    GridView* target = c >= 0 ? viewOf(c) : (frozen_ < columns_.size() ? right_ : left_);
    if (!target->hasFocus()) target->setFocus();
}

void DataGrid::editAcross(const QModelIndex& index) {
    const int c = columnOfSection(index.column());
    if (c >= 0) viewOf(c)->edit(index);
}

void DataGrid::focusEntered(GridView& view) {
    const int c = columnOfSection(view.currentIndex().column());
    if (c >= 0 && viewOf(c) != &view) viewOf(c)->setFocus();
}

QModelIndex DataGrid::crossMove(GridView::Step step, Qt::KeyboardModifiers modifiers) {
    using Step = GridView::Step;
    const QModelIndex current = left_->currentIndex();
    const QList<int> sections = presentSections();
    const int position = sections.indexOf(current.column());
    if (!current.isValid() || position < 0) return {};
    const int last = int(sections.size()) - 1;
    int row = current.row(), p = position;
    switch (step) {
        case Step::Left:
            p = qMax(0, p - 1);
            break;
        case Step::Right:
            p = qMin(last, p + 1);
            break;
        case Step::Next:
            if (p < last)
                ++p;
            else if (row + 1 < proxy_->rowCount())
                ++row, p = 0;
            break;
        case Step::Previous:
            if (p > 0)
                --p;
            else if (row > 0)
                --row, p = last;
            break;
        case Step::Home:
            p = 0;
            if (modifiers & Qt::ControlModifier) row = 0;
            break;
        case Step::End:
            p = last;
            if (modifiers & Qt::ControlModifier) row = proxy_->rowCount() - 1;
            break;
    }
    return proxy_->index(row, sections[p]);
}

}  // namespace grid
