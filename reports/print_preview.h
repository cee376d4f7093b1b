#pragma once
// The print preview window over a GridPrinter: the pages as they will be
// printed, with the window's own buttons to print and to set up the
// printer, and one more that saves the pages as a PDF file.

#include "core/prompter.h"
#include "reports/grid_printer.h"

class QPrinter;
class QWidget;

namespace reports {

// Shows the preview modally. The printer keeps what the user set up in it
// for the next preview; the page layout is the GridPrinter's.
void showPrintPreview(const GridPrinter& printout, QPrinter& printer, core::Prompter& prompter,
                      QWidget* parent);

// Writes the pages into a PDF file with the printer's page layout; false
// when the file cannot be written.
bool savePdf(const GridPrinter& printout, const QPrinter& layoutFrom, const QString& path,
             const PrintProgress& progress = {});

}  // namespace reports
