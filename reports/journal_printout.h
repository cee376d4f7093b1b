#pragma once
// The journal printout: the journal grid as it stands on screen (its rows
// in the order and filtering shown, its columns in their present order and
// widths, its font), landscape, 1 cm margins, scaled to the page width,
// under the journal's title.

#include "reports/grid_printer.h"

namespace grid {
class DataGrid;
}  // namespace grid

namespace reports {

GridPrinter journalPrintout(const grid::DataGrid& grid);

}  // namespace reports
