#include "core/update_statements.h"

#include "core/sql_literals.h"

namespace core {

namespace {

bool written(const FieldDef& f) { return !f.calculated && !f.column.isEmpty(); }

QByteArray literal(const std::vector<FieldDef>& fields, const PackedRow& row, int i) {
    return SqlValue(FieldValue(fields[std::size_t(i)].kind, row.isNull(i), row.get(i)));
}

QByteArray whereAll(const std::vector<FieldDef>& fields, const PackedRow& original) {
    QByteArray w;
    for (int i = 0; i < int(fields.size()); ++i) {
        const FieldDef& f = fields[std::size_t(i)];
        if (!written(f)) continue;
        if (!w.isEmpty()) w += " and ";
        w += SqlQuotedName(f.column);
        if (original.isNull(i))
            w += " IS NULL";
        else
            w += " = " + literal(fields, original, i);
    }
    return w;
}

}  // namespace

QByteArray insertStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& row) {
    QByteArray cols, vals;
    for (int i = 0; i < int(fields.size()); ++i) {
        const FieldDef& f = fields[std::size_t(i)];
        if (!written(f)) continue;
        if (!cols.isEmpty()) {
            cols += ", ";
            vals += ", ";
        }
        cols += SqlQuotedName(f.column);
        vals += literal(fields, row, i);
    }
    return "insert into " + SqlQuotedName(table) + " (" + cols + ") values (" + vals + ")";
}

QByteArray updateStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& row, const PackedRow& original) {
    QByteArray set;
    for (int i = 0; i < int(fields.size()); ++i) {
        const FieldDef& f = fields[std::size_t(i)];
        if (!written(f) || row.sameValue(i, original)) continue;
        if (!set.isEmpty()) set += ", ";
        set += SqlQuotedName(f.column) + " = " + literal(fields, row, i);
    }
    if (set.isEmpty()) return {};
    return "update " + SqlQuotedName(table) + " set " + set + " where " +
           whereAll(fields, original) + " limit 1";
}

QByteArray deleteStatement(const QByteArray& table, const std::vector<FieldDef>& fields,
                           const PackedRow& original) {
    return "delete from " + SqlQuotedName(table) + " where " + whereAll(fields, original) +
           " limit 1";
}

}  // namespace core
