#pragma once
// Reads a workbook back through openpyxl, the reader the receiving side is
// likely to use.

#include <gtest/gtest.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace testing_support {

// The workbook's first sheet as JSON: merged ranges and every non-empty cell
// with its value and type ("n" number, "s" text, "f" formula).
inline QJsonObject readWorkbook(const QString& path) {
    const char* script = R"(
import json, sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is not None:
            cells[c.coordinate] = {"v": c.value if not isinstance(c.value, float) or c.value != int(c.value) else int(c.value), "t": c.data_type}
widths = {k: v.width for k, v in ws.column_dimensions.items()}
print(json.dumps({"merged": sorted(str(r) for r in ws.merged_cells.ranges), "cells": cells, "widths": widths}))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    EXPECT_TRUE(p.waitForFinished(-1));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

}  // namespace testing_support
