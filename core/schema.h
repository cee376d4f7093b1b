#pragma once
// Names of the journal database: tables, the database prefix and the group
// tags of the client datasets.

#include "core/field_value.h"

#include <QString>
#include <array>
#include <vector>

namespace core::schema {

inline const QString kDatabasePrefix = QStringLiteral("velkor");
inline const QString kJournalTable = QStringLiteral("doc_list");
inline const QString kDataSetPrefix = QStringLiteral("ClientDataSet_");

// The reference lists in the order their datasets are created, which is the
// order they are opened at login.
inline const std::array<QString, 6> kReferenceTables = {
    QStringLiteral("sprav_source_list"),  QStringLiteral("sprav_place_list"),
    QStringLiteral("sprav_org_list"),     QStringLiteral("sprav_expert_list"),
    QStringLiteral("sprav_doctype_list"), QStringLiteral("sprav_adv_info")};

struct Column {
    const char* name;
    FieldKind kind;
    int width;  // characters, for texts
    bool required;
};

// The columns of a table in their order; empty for an unknown table.
const std::vector<Column>& columnsOf(const QString& table);

// Positions of the journal's columns in doc_list, as "select *" gives them.
namespace doc {
enum : int {
    Rec_IDN,
    doc_source,
    pr_date,
    pr_num,
    parent_name,
    parent_place,
    doc_caption,
    doc_number,
    doc_date,
    doc_start_year,
    doc_stop_year,
    shtuk_count,
    paper_count,
    place_count,
    one_count,
    order_count,
    expert_fio,
    adv_info,
    post_user,
    post_moment,
    // The display columns follow the stored ones.
    Colum3,
    Colum4,
    Colum5,
    Colum6
};
}  // namespace doc

constexpr int kReferenceTag = 100;
constexpr int kJournalTag = 200;

}  // namespace core::schema
