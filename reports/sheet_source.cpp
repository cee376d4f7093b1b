#include "reports/sheet_source.h"

#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "reports/grid_printer.h"

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
// A cell as the sheet holds it: numbers as numbers, empty as nothing. A
// column that is summed holds a number exactly where its sum counts one
// (numbers the model gives as text, such as decimal sums, too), so that the
// workbook's SUM adds what the grid's and the printout's footers add.
QVariant cellOf(const QModelIndex& source, const grid::GridColumn& column) {
    const QVariant edit = source.data(Qt::EditRole);
    if (column.footer == grid::FooterKind::Sum) {
        if (const auto s = core::summandOf(core::sumInput(source))) return s->number;
    } else if (isNumberType(edit)) {
        return edit.toDouble();
    }
    const QString text = source.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return {};
    return text;
}

SheetColumn sheetColumn(const grid::GridColumn& gc, int width) {
    const grid::TitleLevels t = grid::splitTitle(gc.title);
    SheetColumn c;
    c.upper = t.upper;
    c.lower = t.lower;
    c.widthPixels = width;
    c.alignment = gc.alignment;
    c.footer = gc.footer;
    c.footerText = gc.footerText;
    return c;
}

}  // namespace

bool SheetSource::hasFooter() const {
    for (const SheetColumn& c : columns())
        if (c.footer != grid::FooterKind::None) return true;
    return false;
}

GridSheet::GridSheet(const grid::DataGrid& grid, QString title, QString description)
    : grid_(grid), title_(std::move(title)), description_(std::move(description)) {
    const QList<int> order = grid.columnOrder();
    const QList<int> widths = grid.columnWidths();
    for (int i = 0; i < order.size(); ++i) {
        const grid::GridColumn& gc = grid.columns().at(order[i]);
        columns_ << sheetColumn(gc, widths.value(i, gc.width));
        sources_ << order[i];
    }
}

int GridSheet::rowCount() const { return grid_.rowsModel()->rowCount(); }

core::ColumnSum GridSheet::footerSum(int column) const {
    return core::sumOfColumn(*grid_.rowsModel(), grid_.columns().at(sources_[column]).source);
}

QVariant GridSheet::cell(int row, int column) const {
    const grid::GridColumn& gc = grid_.columns().at(sources_[column]);
    const QModelIndex shown = grid_.rowsModel()->index(row, gc.source);
    return cellOf(grid_.mapToSource(shown), gc);
}

PrinterSheet::PrinterSheet(const GridPrinter& printout, QString title, QString description)
    : printout_(printout), title_(std::move(title)), description_(std::move(description)) {
    for (const grid::GridColumn& gc : printout.columns()) columns_ << sheetColumn(gc, gc.width);
}

int PrinterSheet::rowCount() const { return printout_.model() ? printout_.model()->rowCount() : 0; }

core::ColumnSum PrinterSheet::footerSum(int column) const {
    if (!printout_.model()) return {};
    return core::sumOfColumn(*printout_.model(), printout_.columns().at(column).source);
}

QVariant PrinterSheet::cell(int row, int column) const {
    const grid::GridColumn& gc = printout_.columns().at(column);
    return cellOf(printout_.model()->index(row, gc.source), gc);
}

}  // namespace reports
