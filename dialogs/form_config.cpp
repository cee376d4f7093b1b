#include "dialogs/form_config.h"

#include "dialogs/dialog_parts.h"

#include "dialogs/form_input_string.h"

#include <QCheckBox>
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

TFormConfig::TFormConfig(QWidget* parent)
    // A fixed dialog border: a close button, nothing to minimise or resize.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      LabelHost(namedLabel("Адрес сервера:", "LabelHost", this)),
      Edit_MySQL_host(new QLineEdit(this)),
      LabelLogin(namedLabel("Пользователь по умолчанию:", "LabelLogin", this)),
      Edit_MySQL_login(new QLineEdit(this)),
      CheckBox_auto_update_sprav(new QCheckBox(u("Автозаполнение справочников"), this)),
      ButOk(new QPushButton(u("Установить"), this)),
      ButCancel(new QPushButton(u("Отменить"), this)) {
    setObjectName("TFormConfig");
    Edit_MySQL_host->setObjectName("Edit_MySQL_host");
    Edit_MySQL_login->setObjectName("Edit_MySQL_login");
    CheckBox_auto_update_sprav->setObjectName("CheckBox_auto_update_sprav");
    ButOk->setObjectName("ButOk");
    ButCancel->setObjectName("ButCancel");
    setWindowTitle(u("Настройки подключения к серверу"));

    LabelHost->setBuddy(Edit_MySQL_host);
    LabelLogin->setBuddy(Edit_MySQL_login);
    connect(ButOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);

    QHBoxLayout* buttons = okCancelBar(ButOk, ButCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelHost);
    layout->addWidget(Edit_MySQL_host);
    layout->addSpacing(4);
    layout->addWidget(LabelLogin);
    layout->addWidget(Edit_MySQL_login);
    layout->addSpacing(4);
    layout->addWidget(CheckBox_auto_update_sprav);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Edit_MySQL_host->setMinimumWidth(280);
}

bool TFormConfig::edit(core::Settings& s) {
    preset(s);
    if (exec() != QDialog::Accepted) return false;
    apply(s);
    return true;
}

void TFormConfig::preset(const core::Settings& s) {
    Edit_MySQL_host->setText(s.HostName);
    Edit_MySQL_login->setText(s.default_login);
    CheckBox_auto_update_sprav->setChecked(s.auto_update_sprav);
}

void TFormConfig::apply(core::Settings& s) const {
    s.HostName = Edit_MySQL_host->text();
    s.default_login = Edit_MySQL_login->text();
    s.auto_update_sprav = CheckBox_auto_update_sprav->isChecked();
}

void TFormConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    centreOnScreen(*this);
    Edit_MySQL_host->setFocus(Qt::OtherFocusReason);
}

}  // namespace dialogs
