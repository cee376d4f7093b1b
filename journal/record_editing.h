#pragma once
// Adding, editing and deleting journal records: the main window's three
// record actions and the grid's Insert and Delete keys.

#include "core/client_dataset.h"
#include "core/prompter.h"

#include <QObject>
#include <functional>

namespace journal {

class JournalView;
class TFormEditRecord;

class RecordEditing : public QObject {
    Q_OBJECT
  public:
    RecordEditing(core::ClientDataSet& journal, JournalView& view, core::Prompter& prompter,
                  QObject* parent = nullptr);

    void setEditor(TFormEditRecord* editor) { editor_ = editor; }
    // Shows the editor modally; true when it closed with "Сохранить".
    // Tests drive the editor here instead of a modal loop.
    std::function<bool()> showEditor;

    void ActionAddRecordExecute();
    void ActionEditRecordExecute();
    void ActionDeleteRecordExecute();

  private:
    // Shows the editor until the row is stored or the user cancels; a row
    // the server refused to stamp is offered again with what was typed.
    void editUntilStored();

    core::ClientDataSet& journal_;
    JournalView& view_;
    core::Prompter& prompter_;
    TFormEditRecord* editor_ = nullptr;
};

}  // namespace journal
