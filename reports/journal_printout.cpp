#include "reports/journal_printout.h"

#include "dialogs/print_fonts.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"

namespace reports {

GridPrinter journalPrintout(const grid::DataGrid& grid) {
    GridPrinter gp;
    gp.setModel(grid.rowsModel());
    // Columns as the user arranged them; a column dragged to nothing is
    // not on screen and is not printed either.
    const QList<int> order = grid.columnOrder();
    const QList<int> widths = grid.columnWidths();
    QList<grid::GridColumn> columns;
    for (int p = 0; p < order.size(); ++p) {
        grid::GridColumn c = grid.columns().at(order[p]);
        if (p < widths.size()) c.width = widths[p];
        if (c.width <= 0) continue;
        c.footer = grid::FooterKind::None;
        columns << c;
    }
    gp.setColumns(columns);
    gp.setCellFont(grid.font());
    gp.setTitleFont(grid.font());
    gp.setPageTextFont(dialogs::designFont(QStringLiteral("MS Sans Serif"), 8));

    const QFont title = dialogs::designFont(QStringLiteral("Times New Roman"), 16);
    gp.setTextBefore({
        {QString(), title, Qt::AlignHCenter},
        {QStringLiteral("Журнал обліку документів, схвалених (погоджених) ЕПК"), title,
         Qt::AlignHCenter},
        {QString(), title, Qt::AlignHCenter},
    });
    gp.setOrientation(QPageLayout::Landscape);
    gp.setMarginsMm(10);
    gp.setFitToWidth(true);
    return gp;
}

}  // namespace reports
