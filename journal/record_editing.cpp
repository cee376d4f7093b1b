#include "journal/record_editing.h"

#include "dialogs/general_error.h"
#include "journal/form_edit_record.h"
#include "journal/journal_view.h"

namespace journal {

RecordEditing::RecordEditing(core::ClientDataSet& journal, JournalView& view,
                             core::Prompter& prompter, QObject* parent)
    : QObject(parent), journal_(journal), view_(view), prompter_(prompter) {
    showEditor = [this] { return editor_ && editor_->exec() == QDialog::Accepted; };
    view_.addRecord = [this] { ActionAddRecordExecute(); };
    view_.deleteRecord = [this] { ActionDeleteRecordExecute(); };
}

void RecordEditing::ActionAddRecordExecute() {
    if (!journal_.isActive()) return;
    journal_.append();
    editUntilStored();
}

void RecordEditing::ActionEditRecordExecute() {
    if (!journal_.isActive() || !view_.currentShown()) return;
    journal_.edit();
    editUntilStored();
}

void RecordEditing::editUntilStored() {
    using State = core::ClientDataSet::State;
    try {
        while (true) {
            if (!showEditor()) {
                journal_.cancel();
                return;
            }
            // Stored before: nothing left to do.
            if (journal_.state() != State::Edit && journal_.state() != State::Insert) return;
            try {
                journal_.post();
                return;
            } catch (const core::DataSetError&) {
                throw;
            } catch (const core::DbError& e) {
                // Stamping failed: the row is still being edited and keeps
                // what was typed; the user may try again or cancel.
                dialogs::showGeneralError(prompter_, e.message());
                if (e.connectionLost()) {
                    journal_.cancel();
                    return;
                }
            }
        }
    } catch (...) {
        if (journal_.state() == State::Edit || journal_.state() == State::Insert) journal_.cancel();
        throw;
    }
}

void RecordEditing::ActionDeleteRecordExecute() {
    if (!journal_.isActive() || !view_.currentShown()) return;
    if (!prompter_.destructiveQuestion(QStringLiteral("Удалить запись"),
                                       QStringLiteral("Удалить текущую запись из журнала?")))
        return;
    journal_.remove();
}

}  // namespace journal
