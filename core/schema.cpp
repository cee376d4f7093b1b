#include "core/schema.h"

#include <map>

namespace core::schema {

const std::vector<Column>& columnsOf(const QString& table) {
    using K = FieldKind;
    static const std::map<QString, std::vector<Column>> tables = {
        {kJournalTable,
         {{"Rec_IDN", K::Integer, 0, true},        {"doc_source", K::Text, 100, false},
          {"pr_date", K::Date, 0, false},          {"pr_num", K::Text, 10, false},
          {"parent_name", K::Text, 200, false},    {"parent_place", K::Text, 200, false},
          {"doc_caption", K::Text, 100, false},    {"doc_number", K::Text, 50, false},
          {"doc_date", K::Date, 0, false},         {"doc_start_year", K::Integer, 0, false},
          {"doc_stop_year", K::Integer, 0, false}, {"shtuk_count", K::Integer, 0, false},
          {"paper_count", K::Integer, 0, false},   {"place_count", K::Integer, 0, false},
          {"one_count", K::Integer, 0, false},     {"order_count", K::Integer, 0, false},
          {"expert_fio", K::Text, 100, false},     {"adv_info", K::Text, 200, false},
          {"post_user", K::Text, 50, false},       {"post_moment", K::DateTime, 0, false},
          {"Colum3", K::Text, 400, false, true},   {"Colum4", K::Text, 400, false, true},
          {"Colum5", K::Text, 400, false, true},   {"Colum6", K::Text, 150, false, true}}},
        {kSourceList, {{"source_name", K::Text, 100, true}}},
        {kOrgList, {{"org_name", K::Text, 200, true}, {"org_place", K::Text, 200, false}}},
        {kPlaceList, {{"place_name", K::Text, 200, true}}},
        {kDocTypeList, {{"type_name", K::Text, 200, true}}},
        {kExpertList,
         {{"user_login", K::Text, 20, true},
          {"FAM", K::Text, 50, false},
          {"NAME", K::Text, 50, false},
          {"FNAME", K::Text, 50, false},
          {"edit_flag", K::Integer, 0, false},
          {"admin_flag", K::Integer, 0, false}}},
        {kNotesList, {{"comment_list", K::Text, 200, true}}},
    };
    static const std::vector<Column> none;
    const auto it = tables.find(table);
    return it == tables.end() ? none : it->second;
}

const Column& journalColumn(int position) {
    return columnsOf(kJournalTable).at(std::size_t(position));
}

}  // namespace core::schema
