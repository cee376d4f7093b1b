#pragma once
// Writes a sheet as an .xlsx workbook (through libxlsxwriter) or as CSV
// (UTF-8 with a byte-order mark, CR LF, RFC 4180 quoting). Both write into
// a new file beside the target and put it in place only when it is whole.

#include "reports/sheet_source.h"

#include <QString>
#include <functional>

namespace reports {

// Called now and then with the rows written so far; false stops the export.
using SheetProgress = std::function<bool(int done, int total)>;

struct SheetResult {
    enum Status { Written, Aborted, Failed } status = Written;
    QString error;  // for Failed: why, in words for the user
};

// The workbook: the title over all columns, the two title rows (an upper
// title merged across the columns that share it, a one-level title over
// both rows), the rows with their lines wrapped, numbers as numbers, the
// footer with SUM formulas over the rows above (an empty cell where there is
// nothing to add), and the description below.
SheetResult writeXlsx(const SheetSource& sheet, const QString& path,
                      const SheetProgress& progress = {});

// The same in CSV: the title, the upper and lower titles, the rows, the
// footer (sums as values), an empty line and the description.
SheetResult writeCsv(const SheetSource& sheet, const QString& path,
                     const SheetProgress& progress = {});

// The spreadsheet column name of a zero-based index: 0 A, 25 Z, 26 AA.
QString columnName(int column);

}  // namespace reports
