#pragma once
// The statements a client dataset sends for its pending changes, composed
// from its field definitions and a row's values alone, so that what reaches
// the server can be read, and tested, without one. Only stored fields with a
// server column are written (calculated fields never); names stand in
// backquotes and values are SqlValue literals. An update or delete names
// every old stored value in its WHERE (`col` IS NULL for a NULL) and
// touches one row at most: the caller takes "no row" for a conflict.

#include "core/field_def.h"
#include "core/packed_row.h"

#include <QByteArray>
#include <vector>

namespace core {

// insert into `table` (`a`, `b`) values (1, NULL)
QByteArray insertStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& row);

// update `table` set <changed fields> where <every old value> limit 1;
// empty when no stored field of row differs from original.
QByteArray updateStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& row, const PackedRow& original);

// delete from `table` where <every old value> limit 1
QByteArray deleteStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& original);

}  // namespace core
