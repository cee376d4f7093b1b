// Manual look at the data grid: a journal-shaped grid of generated rows.
// Usage: grid_demo [rows [sideways-scroll [filter-of-column-2 [sort-column]]]]
//        grid_demo report    (one-level titles and a footer of sums)
#include "bench/grid/journal_like_model.h"
#include "grid/data_grid.h"
#include "journal/journal_view.h"

#include <QApplication>
#include <QScrollBar>
#include <QStandardItemModel>

namespace {

void showReport(grid::DataGrid& grid, QStandardItemModel& model) {
    const QStringList names = {"Накази", "Протоколи", "Листування", "Звіти"};
    model.setColumnCount(6);
    for (int r = 0; r < names.size(); ++r) {
        QList<QStandardItem*> row{new QStandardItem(names[r])};
        for (int c = 1; c < 6; ++c) row.append(new QStandardItem(QString::number((r + 1) * c * 7)));
        model.appendRow(row);
    }
    QList<grid::GridColumn> columns = {{0, "  ", 300},
                                       {1, "штук", 100, Qt::AlignRight},
                                       {2, "друк аркушів", 100, Qt::AlignRight},
                                       {3, "позицій", 100, Qt::AlignRight},
                                       {4, "од. зб.", 100, Qt::AlignRight},
                                       {5, "статей", 100, Qt::AlignRight}};
    columns[0].footer = grid::FooterKind::Text;
    columns[0].footerText = "Разом:";
    for (int c = 1; c < 6; ++c) columns[c].footer = grid::FooterKind::Sum;
    grid.setColumns(columns, 1);
    QFont font("Times New Roman");
    font.setBold(true);
    font.setPointSize(14);
    grid.setGridFont(font);
    grid.setModel(&model);
    grid.resize(850, 400);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    grid::DataGrid grid;
    QStandardItemModel reportModel;
    if (args.value(0) == "report") {
        showReport(grid, reportModel);
        grid.show();
        return app.exec();
    }
    JournalLikeModel model(args.isEmpty() ? 100000 : args[0].toInt());
    grid.setColumns(journalLikeColumns(), 4);
    grid.setRowLines(5);
    grid.setGridFont(journal::JournalView::journalFont(), QColor(Qt::darkBlue));
    grid.setModel(&model);
    grid.resize(1400, 900);
    grid.show();
    if (args.size() > 1) {
        grid.resize(900, 700);  // narrow enough to scroll sideways
        QApplication::processEvents();
        grid.horizontalScrollBar()->setValue(args[1].toInt());
    }
    if (args.size() > 2) grid.setFilterText(2, args[2]);
    if (args.size() > 3) grid.sortByColumn(args[3].toInt(), Qt::DescendingOrder);
    grid.setCurrentSourceRow(2);
    return app.exec();
}
