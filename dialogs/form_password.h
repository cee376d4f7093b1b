#pragma once
// The login dialog: database suffix, login name (typed or picked from the
// history) and password, answered with "Продолжить" or "Отменить". Made once
// and reused; every showing presets it afresh from the settings, so a
// password never survives from one attempt to the next.

#include "core/login_types.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dialogs {

class TFormPassword : public QDialog, public core::LoginDialog {
    Q_OBJECT
  public:
    // `parent` is the main window, over which the dialog is centred.
    explicit TFormPassword(QWidget* parent = nullptr);

    QLabel* const LabelBaseName;
    QLineEdit* const EditBaseName;  // the suffix only, without "velkor"
    QLabel* const LabelLogin;
    QComboBox* const ComboBoxLogin;  // editable; the list is the login history
    QLabel* const LabelPassword;
    QLineEdit* const EditPassword;  // every character shown as "$"
    QPushButton* const ButOk;       // "Продолжить": accepts
    QPushButton* const ButCancel;   // "Отменить": rejects

    // Presets the fields, shows the dialog modally and gives the three
    // texts as typed (untrimmed), or nullopt when the user cancelled.
    std::optional<core::LoginAnswer> ask(const core::LoginPreset& preset) override;

    // The steps ask() runs before every showing: suffix, empty password,
    // history list in its order, default login text.
    void preset(const core::LoginPreset& preset);
    core::LoginAnswer answer() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
};

}  // namespace dialogs
