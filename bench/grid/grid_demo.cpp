// Manual look at the data grid: a journal-shaped grid of generated rows.
// Usage: grid_demo [rows]
#include "bench/grid/journal_like_model.h"
#include "common/data_grid.h"

#include <QApplication>
#include <QScrollBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    JournalLikeModel model(argc > 1 ? QString(argv[1]).toInt() : 100000);
    common::DataGrid grid;
    grid.setColumns(journalLikeColumns(), 4);
    grid.setRowLines(5);
    QFont font("Courier New");
    font.setBold(true);
    font.setPixelSize(16);
    grid.setGridFont(font, QColor(Qt::darkBlue));
    grid.setModel(&model);
    grid.resize(1400, 900);
    grid.show();
    if (argc > 2) grid.horizontalScrollBar()->setValue(QString(argv[2]).toInt());
    if (argc > 3) grid.setFilterText(1, QString::fromUtf8(argv[3]));
    grid.setCurrentSourceRow(2);
    return app.exec();
}
