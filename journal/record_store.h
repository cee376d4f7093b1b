#pragma once
// The one way a row of the journal or of a reference list reaches the
// server. store() stamps a journal row with its number, the posting account
// and the server time, stores the row in the local copy and sends the
// list's pending changes at once; remove() deletes the current row and sends
// that. Each returns one result, and report() shows a failed one the one way
// the user sees it. A change the server does not take is shown once; its row
// stays marked as not saved and the change is held back until the user
// stores or deletes that row again or the list is read again.

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

struct StoreResult {
    enum class Outcome {
        Sent,       // stored locally and taken by the server (or nothing to do)
        NotStored,  // refused before it was stored: the row is still in editing
        Refused,    // stored locally, but the server did not take every change
    };
    Outcome outcome = Outcome::Sent;
    QString caption;  // of the box that tells the user, when not Sent
    QString text;
    bool connectionLost = false;
    bool ok() const { return outcome == Outcome::Sent; }
    bool stored() const { return outcome != Outcome::NotStored; }
};

class RecordStore {
  public:
    RecordStore(core::DataSets& dataSets, core::Connection& connection, core::Prompter& prompter);
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Stores the row being edited or inserted (a journal row is stamped
    // first) and sends the change; a list that is not editing only sends.
    StoreResult store(core::ClientDataSet& dataSet);
    // Deletes the current row and sends the delete.
    StoreResult remove(core::ClientDataSet& dataSet);
    // Sends the dataset's pending changes. A new journal row whose number
    // another client took meanwhile is numbered again and sent again.
    StoreResult OnSpravUpdate(core::ClientDataSet& dataSet);

    // Shows a result that is not Sent; true when it was Sent.
    bool report(const StoreResult& result);
    // store() or remove() and report() in one.
    bool storeAndReport(core::ClientDataSet& dataSet) { return report(store(dataSet)); }
    bool removeAndReport(core::ClientDataSet& dataSet) { return report(remove(dataSet)); }

    // How often a new journal row is numbered again before the refusal is shown.
    static constexpr int kRenumberings = 10;

  private:
    void renumber(core::ClientDataSet& journal, int row);
    bool isJournal(const core::ClientDataSet& dataSet) const;

    core::DataSets& dataSets_;
    core::Connection& connection_;
    core::Prompter& prompter_;
};

}  // namespace journal
