#include "dialogs/form_progress.h"

#include "dialogs/form_input_string.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

namespace dialogs {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }

QProgressBar* bar(QWidget* parent, const char* name) {
    auto* b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    return b;
}
}  // namespace

TFormProgress::TFormProgress(QWidget* parent)
    // A dialog border with a title but no title-bar buttons.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      LabelOpName(new QLabel(u("Подождите завершения операции:"), this)),
      SmallProgress(bar(this, "SmallProgress")),
      TotalProgress(bar(this, "TotalProgress")),
      BitBtn1(new QPushButton(u("Прервать"), this)) {
    setObjectName("TFormProgress");
    LabelOpName->setObjectName("LabelOpName");
    BitBtn1->setObjectName("BitBtn1");
    setWindowTitle(u("Название операции"));

    QFont f(u("MS Sans Serif"));
    f.setPixelSize(16);
    f.setBold(true);
    setFont(f);
    QPalette p = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, QColor(0, 0, 0x80));  // navy
    setPalette(p);

    // Fixed places, as the sizes of the bars are fixed: the label on top,
    // the thin bar right under it, the total bar under that, the button
    // centred below.
    setFixedSize(436, 93);
    LabelOpName->setTextFormat(Qt::PlainText);
    LabelOpName->setGeometry(13, 4, 410, 20);
    SmallProgress->setGeometry(13, 26, 410, 10);
    TotalProgress->setGeometry(13, 38, 410, 20);
    BitBtn1->setGeometry((436 - 110) / 2, 62, 110, 27);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormProgress::BitBtn1Click);
}

void TFormProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the program's show counts: the system's show after a restore must
    // not clear what the user did.
    if (!event->spontaneous()) FormShow();
}

void TFormProgress::closeEvent(QCloseEvent* event) {
    // The window manager's close (Alt+F4) is refused; the caller hides it.
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TFormProgress::FormShow() {
    Aborted = false;
    centreOnScreen(*this);
}

void TFormProgress::BitBtn1Click() { Aborted = true; }

}  // namespace dialogs
