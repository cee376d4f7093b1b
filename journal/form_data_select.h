#pragma once
// The data selection dialog: a minimum and a maximum for each of twelve
// journal fields, typed into a grid, turned into a WHERE text and a
// description when "Продолжить" is pressed. One dialog serves every caller
// for the whole run, so what was typed for one shows again for the other.

#include "core/prompter.h"
#include "core/selection_dialog.h"

#include <QDialog>
#include <QString>

class QPushButton;
class QTableWidget;

namespace journal {

class TFormDataSelect : public QDialog, public core::SelectionDialog {
    Q_OBJECT
  public:
    // Columns of the grid.
    enum Column { ColLabel = 0, ColMin = 1, ColMax = 2 };

    // An unreadable date is reported through `prompter`.
    explicit TFormDataSelect(core::Prompter& prompter, QWidget* parent = nullptr);

    QTableWidget* const StringGridParams;
    QPushButton* const ButOk;      // "Продолжить": composes, then accepts
    QPushButton* const ButCancel;  // "Отменить": rejects

    // Shows the dialog modally; true when it closed with OK, after which
    // whereText() and description() hold the selection.
    bool run();
    // run(), and on OK the selection it composed.
    std::optional<core::ChosenSelection> choose() override;

    // "" or " where ... ", and the same in words ("Все данные" for none).
    const QString& whereText() const { return where_; }
    const QString& description() const { return description_; }

    // However the dialog closes, a value still being typed stays in its
    // cell, as everything typed does, rather than an editor left open.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void ButOkClick();
    // The text of a cell being edited counts as typed.
    void commitOpenEditor();

    core::Prompter& prompter_;
    QString where_;
    QString description_;
};

}  // namespace journal
