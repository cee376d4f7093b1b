#pragma once
// What a spreadsheet export writes: a title above, the columns with their
// one- or two-level titles and widths, the rows in the order shown, a footer
// row and a description beneath. GridSheet reads all of it from a data grid
// as the user sees it (present column order and widths, client-side order
// and filter, footer), so that a sheet holds exactly what would be printed.

#include "core/column_sum.h"
#include "grid/grid_column.h"

#include <QString>
#include <QVariant>
#include <QVector>

namespace grid {
class DataGrid;
}

namespace reports {

struct SheetColumn {
    QString upper;  // empty for a one-level title
    QString lower;
    int widthPixels = 100;
    Qt::Alignment alignment = Qt::AlignLeft;
    grid::FooterKind footer = grid::FooterKind::None;
    QString footerText;  // for FooterKind::Text
};

class SheetSource {
  public:
    virtual ~SheetSource() = default;
    virtual QString title() const = 0;
    virtual QString description() const = 0;
    virtual const QVector<SheetColumn>& columns() const = 0;
    virtual int rowCount() const = 0;
    // A cell: an invalid QVariant for an empty one (NULL or empty text), a
    // double for a number, otherwise its text with "\n" between its lines.
    virtual QVariant cell(int row, int column) const = 0;
    bool hasFooter() const;
    // The sum under a summed column, over the rows the sheet holds, by the
    // rule the grid's and the printout's footers follow (core/column_sum.h):
    // the value a formula's cell caches, and the total of formats without
    // formulas.
    virtual core::ColumnSum footerSum(int column) const = 0;
};

class GridPrinter;

// A printout's table as a sheet: its columns, its model's rows in order and
// its footer, so that the sheet holds exactly what the pages would.
class PrinterSheet : public SheetSource {
  public:
    PrinterSheet(const GridPrinter& printout, QString title, QString description);

    QString title() const override { return title_; }
    QString description() const override { return description_; }
    const QVector<SheetColumn>& columns() const override { return columns_; }
    int rowCount() const override;
    QVariant cell(int row, int column) const override;
    core::ColumnSum footerSum(int column) const override;

  private:
    const GridPrinter& printout_;
    QString title_;
    QString description_;
    QVector<SheetColumn> columns_;
};

class GridSheet : public SheetSource {
  public:
    GridSheet(const grid::DataGrid& grid, QString title, QString description);

    QString title() const override { return title_; }
    QString description() const override { return description_; }
    const QVector<SheetColumn>& columns() const override { return columns_; }
    int rowCount() const override;
    QVariant cell(int row, int column) const override;
    core::ColumnSum footerSum(int column) const override;

  private:
    const grid::DataGrid& grid_;
    QString title_;
    QString description_;
    QVector<SheetColumn> columns_;
    QVector<int> sources_;  // grid column of each sheet column
};

}  // namespace reports
