#pragma once
// The client datasets of the main window: the journal and the six reference
// lists, each named "ClientDataSet_" + its table, filled by "select * from "
// + its table and carrying its group tag (200 the journal, 100 the lists).
// Their fields are declared beforehand from the schema, the journal's
// calculated display columns among them, so that they exist before login.

#include "core/client_dataset.h"
#include "core/journal_selection.h"
#include "core/prompter.h"

#include <QString>
#include <memory>
#include <vector>

namespace core {

class DataSets {
  public:
    explicit DataSets(Connection& connection);
    DataSets(const DataSets&) = delete;
    DataSets& operator=(const DataSets&) = delete;
    ~DataSets();

    ClientDataSet& journal() const { return *journal_; }
    // By name, without regard to case; nullptr when there is none.
    ClientDataSet* findDataSet(QStringView name) const;
    // The reference list of a table; throws DataSetError for another name.
    ClientDataSet& referenceList(const QString& table) const;
    // Every dataset in the order of creation.
    std::vector<ClientDataSet*> all() const;

    // Opens and re-reads every dataset carrying the tag, in the order of
    // creation; the first failure beeps, is logged and ends the walk.
    bool OpenDataSets(int tag, Prompter& prompter);

  private:
    std::vector<std::unique_ptr<ClientDataSet>> dataSets_;
    ClientDataSet* journal_ = nullptr;
};

// Runs the selection's journal query into the journal and, once it has
// read every row, shows the selection line. A refusal propagates; the
// journal stays closed and the line as it was.
void RunJournalQuery(ClientDataSet& journal, JournalSelection& selection);

}  // namespace core
