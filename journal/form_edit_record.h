#pragma once
// TFormEditRecord: the record editor. It edits the journal's current row
// in place: FormShow fills its lists from the server and the fields from
// the row, "Сохранить" writes the fields back, remembers the protocol and
// grows the reference lists; whoever opened it stores or cancels the row.

#include "core/connection.h"
#include "core/data_sets.h"
#include "core/prompter.h"
#include "core/settings_store.h"
#include "journal/record_rules.h"

#include <QDialog>
#include <QPushButton>
#include <vector>

class QComboBox;
class QLineEdit;

namespace journal {

class TFormEditRecord : public QDialog {
    Q_OBJECT
  public:
    TFormEditRecord(core::DataSets& dataSets, core::Connection& connection,
                    core::SettingsStore& settings, core::Prompter& prompter,
                    QWidget* parent = nullptr);

    // Prepares the editor for the journal's current row.
    void FormShow();
    // Writes the fields into the row, remembers the protocol and grows the
    // reference lists; false (the editor stays open) for a date that is no
    // date.
    bool ButOkClick();

    // The control of a field, in tab order (0 to 16).
    QWidget* control(int i) const { return controls_[std::size_t(i)]; }
    QComboBox* list(int i) const;  // of a list-backed or the expert field
    QLineEdit* edit(int i) const;  // of a text, date or number field
    QPushButton* okButton() const { return ButOk; }
    QPushButton* cancelButton() const { return ButCancel; }
    EditorMemory& memory() { return memory_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillLists();
    void loadRow();
    void OnEditKeyDown(QWidget* control);
    QVariant valueOf(int i) const;

    core::DataSets& dataSets_;
    core::Connection& connection_;
    core::SettingsStore& settings_;
    core::Prompter& prompter_;
    EditorMemory memory_;
    std::vector<QWidget*> controls_;
    QPushButton* ButOk;
    QPushButton* ButCancel;
};

}  // namespace journal
