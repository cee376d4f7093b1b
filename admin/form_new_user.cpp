#include "admin/form_new_user.h"

#include "dialogs/dialog_parts.h"
#include "dialogs/form_input_string.h"
#include "dialogs/password_mask.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>

namespace admin {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

TFormNewUser::TFormNewUser(QWidget* parent)
    // A tool-window frame without title-bar buttons: the window is left
    // through its two buttons (or Enter and Esc).
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      LabelLogin(dialogs::namedLabel("Имя пользователя:", "LabelLogin", this)),
      Edit_login(new QLineEdit(this)),
      LabelPassword1(dialogs::namedLabel("Пароль:", "LabelPassword1", this)),
      EditPassword1(new QLineEdit(this)),
      LabelPassword2(dialogs::namedLabel("Пароль (повторно):", "LabelPassword2", this)),
      EditPassword2(new QLineEdit(this)),
      ButOk(new QPushButton(u("Продолжить"), this)),
      ButCancel(new QPushButton(u("Отменить"), this)) {
    setObjectName("TFormNewUser");
    Edit_login->setObjectName("Edit_login");
    EditPassword1->setObjectName("EditPassword1");
    EditPassword2->setObjectName("EditPassword2");
    ButOk->setObjectName("ButOk");
    ButCancel->setObjectName("ButCancel");
    setWindowTitle(u("Добавить новго пользователя"));
    setModal(true);

    dialogs::maskWithDollars(*EditPassword1);
    dialogs::maskWithDollars(*EditPassword2);
    LabelLogin->setBuddy(Edit_login);
    LabelPassword1->setBuddy(EditPassword1);
    LabelPassword2->setBuddy(EditPassword2);

    connect(ButOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(LabelLogin, Edit_login);
    fields->addRow(LabelPassword1, EditPassword1);
    fields->addRow(LabelPassword2, EditPassword2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(dialogs::okCancelBar(ButOk, ButCancel));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Edit_login->setMinimumWidth(200);
    setTabOrder(Edit_login, EditPassword1);
    setTabOrder(EditPassword1, EditPassword2);
    setTabOrder(EditPassword2, ButOk);
    setTabOrder(ButOk, ButCancel);
}

std::optional<AccountAnswer> TFormNewUser::askAccount(const QString& name, bool nameEditable) {
    preset(name, nameEditable);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return answer();
}

void TFormNewUser::preset(const QString& name, bool nameEditable) {
    Edit_login->setText(name);
    Edit_login->setEnabled(nameEditable);
    EditPassword1->clear();
    EditPassword2->clear();
}

AccountAnswer TFormNewUser::answer() const {
    return {Edit_login->text(), EditPassword1->text(), EditPassword2->text()};
}

void TFormNewUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormNewUser::FormShow() {
    // A password never waits in the window for the next showing.
    EditPassword1->clear();
    EditPassword2->clear();
    dialogs::centreOverOwner(*this);
    // A new account needs its name first; a new password, only the password.
    if (Edit_login->isEnabled() && Edit_login->text().isEmpty())
        Edit_login->setFocus(Qt::OtherFocusReason);
    else
        EditPassword1->setFocus(Qt::OtherFocusReason);
}

}  // namespace admin
