#pragma once
// What happens when a row of the journal or of a reference list is stored
// or deleted: a journal row is stamped with its number, the posting account
// and the server time just before it is stored, and every change of the
// seven lists goes to the server right after it is made. A change the
// server does not take is shown at once and its row stays marked until a
// later send succeeds or the list is read again.

#include "core/client_dataset.h"
#include "core/connection.h"
#include "core/data_sets.h"
#include "core/prompter.h"

#include <QString>

namespace journal {

// Gives a row without a number the largest number plus one, and every row
// the server's name of the account and its clock. Server errors propagate:
// the row then stays in editing.
void Before_doc_list_post(core::ClientDataSet& journal, core::Connection& connection);

// The error box text for the changes the server did not take.
QString refusalText(const core::ClientDataSet& dataSet,
                    const core::ClientDataSet::ApplyResult& result);

class RecordPosting {
  public:
    // Attaches stamping to the journal and immediate apply to every dataset.
    RecordPosting(core::DataSets& dataSets, core::Connection& connection, core::Prompter& prompter);
    RecordPosting(const RecordPosting&) = delete;
    RecordPosting& operator=(const RecordPosting&) = delete;

    // Sends the dataset's pending changes. A new journal row whose number
    // another client took meanwhile is numbered again and sent again.
    void OnSpravUpdate(core::ClientDataSet& dataSet);

    // How often a new journal row is numbered again before the refusal is shown.
    static constexpr int kRenumberings = 10;

  private:
    void renumber(core::ClientDataSet& journal, int row);

    core::DataSets& dataSets_;
    core::Connection& connection_;
    core::Prompter& prompter_;
    bool sending_ = false;
};

}  // namespace journal
