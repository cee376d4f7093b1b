#include "core/main_state.h"

#include "core/logging.h"
#include "core/schema.h"

namespace core {

namespace {
void declareColumns(ClientDataSet& ds, const QString& table) {
    for (const schema::Column& c : schema::columnsOf(table)) {
        FieldDef f;
        f.name = QString::fromLatin1(c.name);
        f.kind = c.kind;
        f.width = c.width;
        f.required = c.required;
        ds.declareField(f);
    }
}
}  // namespace

MainState::MainState(const QString& settingsPath) : settingsPath_(settingsPath) {
    auto journal = std::make_unique<ClientDataSet>(schema::kDataSetPrefix + schema::kJournalTable,
                                                   session.connection);
    journal->setTag(schema::kJournalTag);
    journal->setCommandText("select * from " + schema::kJournalTable);
    journal->setUpdateTable(schema::kJournalTable.toLatin1());
    declareColumns(*journal, schema::kJournalTable);
    journal_ = journal.get();
    dataSets_.push_back(std::move(journal));
    for (const QString& table : schema::kReferenceTables) {
        auto ds =
            std::make_unique<ClientDataSet>(schema::kDataSetPrefix + table, session.connection);
        ds->setTag(schema::kReferenceTag);
        ds->setCommandText("select * from " + table);
        ds->setUpdateTable(table.toLatin1());
        declareColumns(*ds, table);
        dataSets_.push_back(std::move(ds));
    }
}

void MainState::loadSettings() { LoadSettings(settingsPath_, settings, columnWidths); }

void MainState::saveSettings() {
    if (syncColumnWidths) syncColumnWidths(columnWidths);
    SaveSettings(settingsPath_, settings, columnWidths);
}

ClientDataSet* MainState::findDataSet(QStringView name) const {
    for (const auto& ds : dataSets_)
        if (ds->name().compare(name, Qt::CaseInsensitive) == 0) return ds.get();
    return nullptr;
}

ClientDataSet& MainState::referenceList(const QString& table) const {
    ClientDataSet* ds = findDataSet(QString(schema::kDataSetPrefix + table));
    if (!ds) throw DataSetError("Нет справочника " + table);
    return *ds;
}

std::vector<ClientDataSet*> MainState::dataSets() const {
    std::vector<ClientDataSet*> out;
    for (const auto& ds : dataSets_) out.push_back(ds.get());
    return out;
}

bool MainState::OpenDataSets(int tag, Prompter& prompter) {
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

void MainState::RunJournalQuery() {
    journal_->close();
    journal_->setCommandText("select * from doc_list " + selection.select_where +
                             selection.select_order);
    journal_->open();
    selectionLine = kSelectionLinePrefix + selection.select_info;
    if (journalQueried) journalQueried();
}

void ActionLoginExecute(MainState& state, LoginDialog& dialog, Prompter& prompter) {
    const std::optional<LoginAnswer> answer = dialog.ask(
        {state.settings.base_name, state.settings.login_log, state.settings.default_login});
    if (!answer) return;

    Session& s = state.session;
    s.base_suffix = answer->suffix;
    s.login_name = answer->login;
    s.password = answer->password;
    state.settings.base_name = s.base_suffix;

    const bool rootWithoutSuffix =
        s.base_suffix.isEmpty() &&
        s.login_name.compare(QStringLiteral("root"), Qt::CaseInsensitive) == 0;
    s.database_name =
        rootWithoutSuffix ? QStringLiteral("mysql") : schema::kDatabasePrefix + s.base_suffix;

    SetConnectionParam(s.connection, QStringLiteral("HostName"), state.settings.HostName);
    SetConnectionParam(s.connection, QStringLiteral("User_Name"), s.login_name);
    SetConnectionParam(s.connection, QStringLiteral("Password"), s.password);
    SetConnectionParam(s.connection, QStringLiteral("Database"), s.database_name);
    try {
        s.connection.open();
    } catch (const DbError&) {  // the cause is logged by the connection
        ErrorBox(prompter, QStringLiteral("Не могу подключиться к серверу"));
        return;
    }

    state.settings.default_login = s.login_name;
    addToLoginLog(state.settings, s.login_name);
    state.saveSettings();
    s.admin_enabled = true;
    if (rootWithoutSuffix) return;

    if (!state.OpenDataSets(schema::kReferenceTag, prompter)) {
        ErrorBox(prompter, QStringLiteral("Не удалось подключить справочники."));
        return;
    }

    {
        auto r = s.connection.query(QByteArray("select max(pr_date) as rez from doc_list"));
        if (r->next()) {
            const FieldValue rez = r->field(u"rez");
            const QDate d = rez.asDate();
            if (!rez.isNull() && d.isValid()) {
                state.selection.select_where =
                    " where pr_date='" + d.toString(QStringLiteral("yyyy-MM-dd")) + "'";
                state.selection.select_info =
                    " дата протокола: " + d.toString(QStringLiteral("dd.MM.yyyy"));
            }
        }
    }
    state.RunJournalQuery();
}

bool actionEnabled(int tag, const MainState& state) {
    if (tag == 100) return true;
    if (!state.session.connected()) return false;
    if (tag == 200) return state.session.admin_enabled;
    return true;
}

}  // namespace core
