#pragma once
// The journal database's shape: its tables, the columns of each (the
// journal's calculated display columns declared after its stored ones), the
// database prefix and the group tags of the client datasets. The program
// takes table names from here, apart from the fixed query texts that spell
// them out.

#include "core/field_value.h"

#include <QString>
#include <array>
#include <vector>

namespace core::schema {

inline const QString kDatabasePrefix = QStringLiteral("velkor");
inline const QString kJournalTable = QStringLiteral("doc_list");
inline const QString kDataSetPrefix = QStringLiteral("ClientDataSet_");

// The reference lists, each by what it holds.
inline const QString kSourceList = QStringLiteral("sprav_source_list");    // where from
inline const QString kPlaceList = QStringLiteral("sprav_place_list");      // places
inline const QString kOrgList = QStringLiteral("sprav_org_list");          // organisations
inline const QString kExpertList = QStringLiteral("sprav_expert_list");    // experts
inline const QString kDocTypeList = QStringLiteral("sprav_doctype_list");  // document names
inline const QString kNotesList = QStringLiteral("sprav_adv_info");        // notes (lists)
// In the order their datasets are created, which is the order they are
// opened at login.
inline const std::array<QString, 6> kReferenceTables = {kSourceList, kPlaceList,   kOrgList,
                                                        kExpertList, kDocTypeList, kNotesList};

struct Column {
    const char* name;
    FieldKind kind;
    int width;  // characters, for texts
    bool required;
    // Not stored: composed per row on the client, after the stored columns.
    bool calculated = false;
};

// The columns of a table in their order, calculated ones last; empty for
// an unknown table.
const std::vector<Column>& columnsOf(const QString& table);
// A column of the journal by its position (one of doc::).
const Column& journalColumn(int position);

// Positions of the journal's columns: the stored ones of doc_list as
// "select *" gives them, then the calculated ones.
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
    // The display columns of the journal grid.
    Colum3,
    Colum4,
    Colum5,
    Colum6
};
}  // namespace doc

constexpr int kReferenceTag = 100;
constexpr int kJournalTag = 200;

}  // namespace core::schema
