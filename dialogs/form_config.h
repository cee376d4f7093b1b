#pragma once
// The connection settings dialog: server address, default login name and
// the reference-list auto-fill switch. It only edits the values; the
// caller writes the settings file after a confirmation.

#include "core/settings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dialogs {

class TFormConfig : public QDialog {
    Q_OBJECT
  public:
    explicit TFormConfig(QWidget* parent = nullptr);

    QLabel* const LabelHost;
    QLineEdit* const Edit_MySQL_host;
    QLabel* const LabelLogin;
    QLineEdit* const Edit_MySQL_login;
    QCheckBox* const CheckBox_auto_update_sprav;
    QPushButton* const ButOk;      // "Установить": accepts
    QPushButton* const ButCancel;  // "Отменить": rejects

    // Presets the controls from `s`, shows the dialog modally and, when it
    // is confirmed, copies the three values back into `s` unchecked (an
    // empty address included) and returns true. Otherwise `s` is untouched.
    bool edit(core::Settings& s);

    void preset(const core::Settings& s);
    void apply(core::Settings& s) const;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace dialogs
