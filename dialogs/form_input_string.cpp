#include "dialogs/form_input_string.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace dialogs {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

void centreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void centreOverOwner(QWidget& dialog) {
    QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible()) {
        centreOnScreen(dialog);
        return;
    }
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    dialog.move(frame.topLeft());
}

TFormInputString::TFormInputString(QWidget* parent)
    // A dialog border with a title but no title-bar buttons.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      LabelQuery(new QLabel(u("Строка запроса..."), this)),
      EditValue(new QLineEdit(this)),
      BitBtn1(new QPushButton(u("Продолжить"), this)),
      BitBtn2(new QPushButton(u("Отменить"), this)) {
    setObjectName("TFormInputString");
    LabelQuery->setObjectName("LabelQuery");
    EditValue->setObjectName("EditValue");
    BitBtn1->setObjectName("BitBtn1");
    BitBtn2->setObjectName("BitBtn2");
    setWindowTitle(u("Заголовок"));

    QFont f(u("MS Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    QPalette p = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, QColor(0, 0, 0x80));  // navy
    setPalette(p);

    LabelQuery->setTextFormat(Qt::PlainText);
    BitBtn1->setMinimumWidth(110);
    BitBtn2->setMinimumWidth(110);
    BitBtn1->setDefault(true);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addWidget(LabelQuery);
    layout->addWidget(EditValue);
    layout->addLayout(buttons);
    setFixedSize(368, 107);
}

std::optional<QString> TFormInputString::ask(const QString& caption, const QString& prompt,
                                             const QString& initial) {
    setWindowTitle(caption);
    LabelQuery->setText(prompt);
    EditValue->setText(initial);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return EditValue->text();
}

void TFormInputString::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormInputString::FormShow() {
    centreOnScreen(*this);
    EditValue->setFocus(Qt::OtherFocusReason);
    // Typing replaces the offered text, as in any focused edit field.
    EditValue->selectAll();
}

}  // namespace dialogs
