// DataGrid's footer row: a cell per column under each half, holding the
// column's fixed text or its sum over the rows shown (core/column_sum.h),
// recomputed whenever the rows or their values change.
#include "grid/data_grid.h"

#include "core/column_sum.h"
#include "grid/grid_filter_model.h"
#include "grid/grid_footer.h"

namespace grid {

void DataGrid::recalcFooter() {
    bool any = false;
    for (const GridColumn& col : std::as_const(columns_))
        any = any || col.footer != FooterKind::None;
    leftFooter_->setVisible(any && frozen_ > 0);
    rightFooter_->setVisible(any);
    leftFooter_->clearCells();
    rightFooter_->clearCells();
    if (!any) return;
    for (int c = 0; c < columns_.size(); ++c) {
        const GridColumn& col = columns_[c];
        QString text;
        if (col.footer == FooterKind::Text) text = col.footerText;
        // The printout and the spreadsheets add the same way.
        if (col.footer == FooterKind::Sum) text = core::sumOfColumn(*proxy_, col.source).text();
        (c < frozen_ ? leftFooter_ : rightFooter_)->setCell(col.source, text, col.alignment);
    }
}

QString DataGrid::footerText(int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    const GridFooter* footer = column < frozen_ ? leftFooter_ : rightFooter_;
    return footer->cell(columns_[column].source);
}

}  // namespace grid
