#include "core/data_sets.h"

#include "core/logging.h"
#include "core/schema.h"

namespace core {

namespace {
std::unique_ptr<ClientDataSet> makeDataSet(const QString& table, int tag, Connection& c) {
    auto ds = std::make_unique<ClientDataSet>(schema::kDataSetPrefix + table, c);
    ds->setTag(tag);
    ds->setCommandText("select * from " + table);
    ds->setUpdateTable(table.toLatin1());
    for (const schema::Column& col : schema::columnsOf(table)) {
        if (col.calculated) {
            ds->addCalculatedField(QString::fromLatin1(col.name), col.width);
            continue;
        }
        FieldDef f;
        f.name = QString::fromLatin1(col.name);
        f.kind = col.kind;
        f.width = col.width;
        f.required = col.required;
        ds->declareField(f);
    }
    return ds;
}
}  // namespace

DataSets::DataSets(Connection& connection) {
    dataSets_.push_back(makeDataSet(schema::kJournalTable, schema::kJournalTag, connection));
    journal_ = dataSets_.back().get();
    for (const QString& table : schema::kReferenceTables)
        dataSets_.push_back(makeDataSet(table, schema::kReferenceTag, connection));
}

DataSets::~DataSets() = default;

ClientDataSet* DataSets::findDataSet(QStringView name) const {
    for (const auto& ds : dataSets_)
        if (ds->name().compare(name, Qt::CaseInsensitive) == 0) return ds.get();
    return nullptr;
}

ClientDataSet& DataSets::referenceList(const QString& table) const {
    ClientDataSet* ds = findDataSet(QString(schema::kDataSetPrefix + table));
    if (!ds) throw DataSetError("Нет справочника " + table);
    return *ds;
}

std::vector<ClientDataSet*> DataSets::all() const {
    std::vector<ClientDataSet*> out;
    for (const auto& ds : dataSets_) out.push_back(ds.get());
    return out;
}

bool DataSets::OpenDataSets(int tag, Prompter& prompter) {
    for (const auto& ds : dataSets_) {
        if (ds->tag() != tag) continue;
        try {
            ds->open();
        } catch (const DbError& e) {
            qCWarning(lcDb) << "reference list" << ds->name() << "not opened:" << e.number()
                            << e.detail();
            prompter.beep();
            return false;
        } catch (const std::exception& e) {
            // A table that lacks a column the list needs, for one.
            qCWarning(lcDb) << "reference list" << ds->name() << "not opened:" << e.what();
            prompter.beep();
            return false;
        }
    }
    return true;
}

void RunJournalQuery(ClientDataSet& journal, JournalSelection& selection) {
    journal.close();
    journal.setCommandText(selection.journalQuery());
    journal.open();
    selection.markQueried();
}

}  // namespace core
