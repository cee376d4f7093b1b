#include "dialogs/form_password.h"

#include "dialogs/dialog_parts.h"

#include "dialogs/form_input_string.h"
#include "dialogs/password_mask.h"

#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace dialogs {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TFormPassword::TFormPassword(QWidget* parent)
    // A tool-window frame with a title but no title-bar buttons: the dialog
    // is left only through its two buttons (or Enter and Esc).
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      LabelBaseName(namedLabel("База данных:", "LabelBaseName", this)),
      EditBaseName(new QLineEdit(this)),
      LabelLogin(namedLabel("Имя пользователя:", "LabelLogin", this)),
      ComboBoxLogin(new QComboBox(this)),
      LabelPassword(namedLabel("Пароль:", "LabelPassword", this)),
      EditPassword(new QLineEdit(this)),
      ButOk(new QPushButton(u("Продолжить"), this)),
      ButCancel(new QPushButton(u("Отменить"), this)) {
    setObjectName("TFormPassword");
    EditBaseName->setObjectName("EditBaseName");
    ComboBoxLogin->setObjectName("ComboBoxLogin");
    EditPassword->setObjectName("EditPassword");
    ButOk->setObjectName("ButOk");
    ButCancel->setObjectName("ButCancel");
    setWindowTitle(u("Подключение к базе данных"));

    ComboBoxLogin->setEditable(true);
    // A typed name joins the history only after a successful login, which
    // is the login's business, not the combo box's on Enter.
    ComboBoxLogin->setInsertPolicy(QComboBox::NoInsert);
    // Server account names are case-sensitive: with the default
    // case-blind completer, Enter on "SMITH" would pick the listed "smith"
    // and log in under another account than the one typed.
    ComboBoxLogin->completer()->setCaseSensitivity(Qt::CaseSensitive);

    maskWithDollars(*EditPassword);

    LabelBaseName->setBuddy(EditBaseName);
    LabelLogin->setBuddy(ComboBoxLogin);
    LabelPassword->setBuddy(EditPassword);

    connect(ButOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(LabelBaseName, EditBaseName);
    fields->addRow(LabelLogin, ComboBoxLogin);
    fields->addRow(LabelPassword, EditPassword);
    QHBoxLayout* buttons = okCancelBar(ButOk, ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    EditBaseName->setMinimumWidth(200);
    setTabOrder(EditBaseName, ComboBoxLogin);
    setTabOrder(ComboBoxLogin, EditPassword);
    setTabOrder(EditPassword, ButOk);
    setTabOrder(ButOk, ButCancel);
}

std::optional<core::LoginAnswer> TFormPassword::ask(const core::LoginPreset& p) {
    preset(p);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return answer();
}

void TFormPassword::preset(const core::LoginPreset& p) {
    EditBaseName->setText(p.base_name);
    EditPassword->clear();
    ComboBoxLogin->clear();
    ComboBoxLogin->addItems(p.login_log);
    // After the list, which makes its first name current.
    ComboBoxLogin->setEditText(p.default_login);
}

core::LoginAnswer TFormPassword::answer() const {
    return {EditBaseName->text(), ComboBoxLogin->currentText(), EditPassword->text()};
}

void TFormPassword::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormPassword::FormShow() {
    // Centred over the main window; without one, over the screen.
    centreOverOwner(*this);
    EditPassword->setFocus(Qt::OtherFocusReason);
}

}  // namespace dialogs
