#include "reports/sheet_source.h"

#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"

namespace reports {

namespace {
bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}
}  // namespace

bool SheetSource::hasFooter() const {
    for (const SheetColumn& c : columns())
        if (c.footer != grid::FooterKind::None) return true;
    return false;
}

QVariant SheetSource::footerSum(int column) const {
    bool any = false;
    double sum = 0;
    for (int r = 0; r < rowCount(); ++r) {
        const QVariant v = cell(r, column);
        if (v.typeId() == QMetaType::Double) {
            sum += v.toDouble();
            any = true;
        }
    }
    return any ? QVariant(sum) : QVariant();
}

GridSheet::GridSheet(const grid::DataGrid& grid, QString title, QString description)
    : grid_(grid), title_(std::move(title)), description_(std::move(description)) {
    const QList<int> order = grid.columnOrder();
    const QList<int> widths = grid.columnWidths();
    for (int i = 0; i < order.size(); ++i) {
        const grid::GridColumn& gc = grid.columns().at(order[i]);
        const grid::TitleLevels t = grid::splitTitle(gc.title);
        SheetColumn c;
        c.upper = t.upper;
        c.lower = t.lower;
        c.widthPixels = widths.value(i, gc.width);
        c.alignment = gc.alignment;
        c.footer = gc.footer;
        c.footerText = gc.footerText;
        columns_ << c;
        sources_ << order[i];
    }
}

int GridSheet::rowCount() const { return grid_.rowsModel()->rowCount(); }

QVariant GridSheet::cell(int row, int column) const {
    const grid::GridColumn& gc = grid_.columns().at(sources_[column]);
    const QModelIndex shown = grid_.rowsModel()->index(row, gc.source);
    const QModelIndex source = grid_.mapToSource(shown);
    const QVariant edit = source.data(Qt::EditRole);
    if (isNumberType(edit)) return edit.toDouble();
    const QString text = source.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return {};
    // A column that is summed holds numbers, even where the model gives
    // them as text (decimal sums).
    if (gc.footer == grid::FooterKind::Sum) {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (ok) return v;
    }
    return text;
}

}  // namespace reports
