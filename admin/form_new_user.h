#pragma once
// The account window: a name and the password typed twice, answered with
// "Продолжить" or "Отменить". Made once; it keeps its name field and
// whether that field may be edited, and empties the passwords each time.

#include "admin/server_accounts.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace admin {

class TFormNewUser : public QDialog, public AccountDialog {
    Q_OBJECT
  public:
    // `parent` is the window over which it is centred.
    explicit TFormNewUser(QWidget* parent = nullptr);

    QLabel* const LabelLogin;
    QLineEdit* const Edit_login;
    QLabel* const LabelPassword1;
    QLineEdit* const EditPassword1;  // every character shown as "$"
    QLabel* const LabelPassword2;
    QLineEdit* const EditPassword2;
    QPushButton* const ButOk;      // "Продолжить": accepts
    QPushButton* const ButCancel;  // "Отменить": rejects

    // Presets the window, shows it modally and gives what was typed.
    std::optional<AccountAnswer> askAccount(const QString& name, bool nameEditable) override;

    // What askAccount does before showing the window, and what it reads
    // afterwards.
    void preset(const QString& name, bool nameEditable);
    AccountAnswer answer() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
};

}  // namespace admin
