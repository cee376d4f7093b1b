// DataGrid's find: looking for a text in the cells the grid shows, and the
// dialog (Ctrl+F) that asks for it.
#include "grid/data_grid.h"

#include "grid/grid_filter_model.h"
#include "grid/grid_view.h"

#include <QToolTip>

namespace grid {

bool DataGrid::findNext(const FindOptions& options) {
    if (options.text.isEmpty()) return false;
    QList<int> sections = presentSections();
    if (options.column >= 0) {
        if (options.column >= columns_.size() ||
            !sections.contains(columns_[options.column].source))
            return false;
        sections = {columns_[options.column].source};
    }
    const qint64 rows = proxy_->rowCount(), n = sections.size();
    if (rows == 0 || n == 0) return false;
    const QModelIndex current = left_->currentIndex();
    // Cells are numbered row by row; the search starts after the current one.
    const qint64 start =
        current.isValid() ? current.row() * n + sections.indexOf(current.column()) : -1;
    const auto sensitivity = options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qint64 k = 1; k <= rows * n; ++k) {
        const qint64 cell = (start + k) % (rows * n);
        const QModelIndex index = proxy_->index(int(cell / n), sections[int(cell % n)]);
        if (!index.data().toString().contains(options.text, sensitivity)) continue;
        left_->selectionModel()->setCurrentIndex(index, left_->selectingCommand());
        left_->scrollTo(index);
        right_->scrollTo(index);
        // The match may lie in the part of a long text that the cell cuts
        // off. A tip still up from the last match is replaced, not hidden
        // first: Qt keeps a tip with the same text at the same place as it is,
        // and a hidden one would then fade out after all.
        if (!viewOf(columnOfSection(index.column()))->showWholeText(index)) QToolTip::hideText();
        return true;
    }
    return false;
}

FindDialog* DataGrid::showFindDialog() {
    if (!find_) {
        find_ = new FindDialog(this);
        connect(find_, &FindDialog::findNext, this,
                [this](const FindOptions& options) { find_->setNotFound(!findNext(options)); });
    }
    QStringList titles;
    for (int c = 0; c < columns_.size(); ++c) {
        const TitleLevels t = splitTitle(columns_[c].title);
        QString title = t.twoLevels() ? t.upper + QStringLiteral(" (") + t.lower + u')' : t.lower;
        titles.append(title.trimmed().isEmpty() ? QString::number(c + 1) : title);
    }
    find_->setColumnTitles(titles);
    find_->show();
    find_->raise();
    find_->activateWindow();
    return find_;
}

}  // namespace grid
