// DataGrid's footer row: a cell per column under each half, holding the
// column's fixed text or its sum over the rows shown, recomputed whenever
// the rows or their values change.
#include "grid/data_grid.h"

#include "grid/grid_filter_model.h"
#include "grid/grid_footer.h"

#include <cmath>

namespace grid {

namespace {

QString sumText(double sum) {
    if (std::floor(sum) == sum && std::fabs(sum) < 1e15) return QString::number(qint64(sum));
    return QString::number(sum, 'g', 15);
}

}  // namespace

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
        if (col.footer == FooterKind::Sum && col.source < proxy_->columnCount()) {
            // A column without any value has an empty sum, not 0.
            double sum = 0;
            bool seen = false;
            for (int r = 0; r < proxy_->rowCount(); ++r) {
                const QModelIndex index = proxy_->index(r, col.source);
                QVariant value = index.data(Qt::EditRole);
                if (!value.isValid()) value = index.data(Qt::DisplayRole);
                if (value.isNull() || value.toString().isEmpty()) continue;
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (!ok) continue;
                sum += number;
                seen = true;
            }
            if (seen) text = sumText(sum);
        }
        (c < frozen_ ? leftFooter_ : rightFooter_)->setCell(col.source, text, col.alignment);
    }
}

QString DataGrid::footerText(int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    const GridFooter* footer = column < frozen_ ? leftFooter_ : rightFooter_;
    return footer->cell(columns_[column].source);
}

}  // namespace grid
