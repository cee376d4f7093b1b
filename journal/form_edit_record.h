#pragma once
// TFormEditRecord: the record editor. FormShow puts the lists it is given
// and the values of the journal's current row into its controls; "Сохранить"
// checks what was typed, remembers the protocol and hands back only the
// fields whose control the user changed. Whoever opened it writes those into
// the row, grows the reference lists and stores the row; the editor itself
// never talks to the server.

#include "core/client_dataset.h"
#include "core/prompter.h"
#include "journal/record_rules.h"

#include <QDialog>
#include <QPushButton>
#include <array>
#include <vector>

class QComboBox;
class QLineEdit;

namespace journal {

// A field the user changed, with its new value (an invalid QVariant for
// an emptied field).
struct FieldChange {
    int field;
    QVariant value;
};

// What a list-backed field holds when "Сохранить" is pressed.
struct ListText {
    QString text;
    bool chosen = false;  // picked from the list rather than typed
};

class TFormEditRecord : public QDialog {
    Q_OBJECT
  public:
    explicit TFormEditRecord(core::Prompter& prompter, QWidget* parent = nullptr);

    // Prepares the editor for the journal's current row: the lists, the
    // row's values, and the carried-over protocol date and number.
    void FormShow(const EditorLists& lists, const core::ClientDataSet& journal);
    // Checks the changed fields and remembers the protocol; false (the
    // editor stays open) for a date that is no date or a character the
    // database cannot hold, each with its message.
    bool ButOkClick();
    // After "Сохранить": the changed fields in tab order, and what each
    // list-backed field holds.
    const std::vector<FieldChange>& changes() const { return changes_; }
    const ListText& listText(EditorControl c) const { return listTexts_[std::size_t(c)]; }

    // The controls by name.
    QWidget* control(EditorControl c) const { return controls_[std::size_t(c)]; }
    QComboBox* list(EditorControl c) const;  // of a list-backed or the expert field
    QLineEdit* edit(EditorControl c) const;  // of a text, date or number field
    QPushButton* okButton() const { return ButOk; }
    QPushButton* cancelButton() const { return ButCancel; }
    EditorMemory& memory() { return memory_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillLists(const EditorLists& lists);
    void loadRow(const core::ClientDataSet& journal);
    void OnEditKeyDown(QWidget* control);
    QString textOf(EditorControl c) const;
    void setTextOf(EditorControl c, const QString& text);
    QVariant valueOf(const EditorField& f) const;
    bool refuse(EditorControl c, const QString& text);

    core::Prompter& prompter_;
    EditorMemory memory_;
    std::vector<QWidget*> controls_;
    // Each control's text as FormShow put it there from the row, and the
    // row's values: a control showing that text still is the row's value.
    std::vector<QString> loaded_;
    QDate rowDate_;  // the row's protocol date and number as loaded
    QString rowNumber_;
    std::vector<FieldChange> changes_;
    std::array<ListText, kEditorControlCount> listTexts_;
    QPushButton* ButOk;
    QPushButton* ButCancel;
};

}  // namespace journal
