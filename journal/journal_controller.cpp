#include "journal/journal_controller.h"

#include "core/schema.h"
#include "dialogs/general_error.h"
#include "journal/form_data_select.h"
#include "journal/form_edit_record.h"

namespace journal {

JournalController::JournalController(core::DataSets& dataSets, core::Connection& connection,
                                     core::JournalSelection& selection,
                                     core::SettingsStore& settings, grid::DataGrid& grid,
                                     QLabel& selectionLine, core::Prompter& prompter,
                                     QWidget* window)
    : QObject(window),
      dataSets_(dataSets),
      connection_(connection),
      settings_(settings),
      prompter_(prompter),
      dataSelect_(new TFormDataSelect(prompter, window)),
      editor_(new TFormEditRecord(prompter, window)),
      store_(dataSets, connection, prompter),
      view_(std::make_unique<JournalView>(dataSets.journal(), selection, settings, grid,
                                          selectionLine, *dataSelect_, prompter)) {
    connect(view_.get(), &JournalView::addRequested, this,
            [this] { dialogs::guarded(prompter_, [this] { ActionAddRecordExecute(); }); });
    connect(view_.get(), &JournalView::deleteRequested, this,
            [this] { dialogs::guarded(prompter_, [this] { ActionDeleteRecordExecute(); }); });
}

JournalController::~JournalController() = default;

core::SelectionDialog& JournalController::dataSelect() { return *dataSelect_; }

std::optional<EditorLists> JournalController::prepareEditor() {
    try {
        return readEditorLists(connection_, dataSets_);
    } catch (...) {
        // Nothing has been touched yet: no row added, none in editing.
        dialogs::showGeneralError(prompter_, dialogs::currentErrorText());
        return std::nullopt;
    }
}

void JournalController::ActionAddRecordExecute() {
    core::ClientDataSet& journal = dataSets_.journal();
    if (!journal.isActive()) return;
    std::optional<EditorLists> lists = prepareEditor();
    if (!lists) return;
    journal.append();
    editUntilStored(*lists);
}

void JournalController::ActionEditRecordExecute() {
    core::ClientDataSet& journal = dataSets_.journal();
    if (!journal.isActive() || !view_->currentShown()) return;
    std::optional<EditorLists> lists = prepareEditor();
    if (!lists) return;
    journal.edit();
    editUntilStored(*lists);
}

void JournalController::editUntilStored(EditorLists& lists) {
    core::ClientDataSet& journal = dataSets_.journal();
    try {
        while (true) {
            editor_->FormShow(lists, journal);
            if (editor_->exec() != QDialog::Accepted) {
                journal.cancel();
                return;
            }
            if (!journal.editing()) return;
            for (const FieldChange& change : editor_->changes())
                journal.setValue(change.field, change.value);
            if (settings_.values().auto_update_sprav) growLists(lists);
            const StoreResult result = store_.store(journal);
            store_.report(result);
            if (result.stored()) return;
            // Not stored (stamping failed): the row keeps what was typed and
            // the editor is offered again, unless the server is gone.
            if (result.connectionLost) {
                journal.cancel();
                return;
            }
        }
    } catch (...) {
        if (journal.editing()) journal.cancel();
        throw;
    }
}

void JournalController::growLists(EditorLists& lists) {
    for (const EditorField& f : kEditorFields) {
        if (f.kind != ControlKind::List) continue;
        const ListText& text = editor_->listText(f.control);
        QStringList& items = lists.of(f.control);
        const std::optional<QString> entry = autoFillEntry(
            text.text, text.chosen, core::schema::journalColumn(f.field).width, items);
        if (!entry) continue;
        core::ClientDataSet& list = dataSets_.referenceList(*f.list);
        if (!list.isActive()) continue;
        list.append();
        try {
            list.setValue(0, *entry);
        } catch (...) {
            list.cancel();
            throw;
        }
        const StoreResult result = store_.store(list);
        if (!result.stored()) list.cancel();
        store_.report(result);
        // Offered from now on, also when the editor is shown again.
        items << *entry;
    }
}

void JournalController::ActionDeleteRecordExecute() {
    core::ClientDataSet& journal = dataSets_.journal();
    if (!journal.isActive() || !view_->currentShown()) return;
    if (!prompter_.destructiveQuestion(QStringLiteral("Удалить запись"),
                                       QStringLiteral("Удалить текущую запись из журнала?")))
        return;
    store_.report(store_.remove(journal));
}

}  // namespace journal
