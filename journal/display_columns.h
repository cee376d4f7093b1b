#pragma once
// Columns 3 to 6 of the journal grid are not stored: each is composed per
// row from several stored fields, in the wording of the paper journal.
// Line breaks are LF followed by CR. The schema declares them with the
// stored columns; here they are composed.

#include "core/client_dataset.h"
#include "core/field_value.h"

#include <QByteArray>

namespace journal {

// The composed texts, in Windows-1251, before any cut to width.
QByteArray composeColum3(const core::FieldValue& pr_date, const core::FieldValue& pr_num);
QByteArray composeColum4(const core::FieldValue& parent_name, const core::FieldValue& parent_place);
QByteArray composeColum5(const core::FieldValue& doc_caption, const core::FieldValue& doc_number,
                         const core::FieldValue& doc_date, const core::FieldValue& doc_start_year,
                         const core::FieldValue& doc_stop_year);
QByteArray composeColum6(const core::FieldValue counts[5]);

// The calculation handler, attached to every dataset of the main window:
// it composes the four columns where a dataset has them and does nothing
// elsewhere. Field positions are looked up once per opening.
class ClientDataSet_doc_listCalcFields {
  public:
    void operator()(core::ClientDataSet& ds, core::CalcRow& row);

  private:
    const core::ClientDataSet* dataset_ = nullptr;
    int generation_ = -1;
    bool present_ = false;
    int in_[14] = {};
    int out_[4] = {};
};

}  // namespace journal
