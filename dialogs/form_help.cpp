#include "dialogs/form_help.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace dialogs {

TFormHelp::TFormHelp(QWidget* parent)
    // A window of its own, not a dialog frame: it may be minimised, put
    // beside the main window or maximised like any reading window.
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      Browser(new QTextBrowser(this)),
      ButClose(new QPushButton(QStringLiteral("Закрыть"), this)) {
    setObjectName(QStringLiteral("TFormHelp"));
    setWindowTitle(QStringLiteral("Использование программы"));
    setModal(false);
    Browser->setObjectName(QStringLiteral("Browser"));
    ButClose->setObjectName(QStringLiteral("ButClose"));

    // A reading text: a size larger than the dialogs' labels.
    QFont text = Browser->font();
    if (text.pointSizeF() > 0) text.setPointSizeF(text.pointSizeF() * 1.2);
    Browser->setFont(text);
    Browser->setMarkdown(guideText());
    Browser->document()->setDocumentMargin(12);
    // Enter in the text must not close the window under the reader.
    ButClose->setAutoDefault(false);
    connect(ButClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(ButClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Browser, 1);
    layout->addLayout(bar);

    // About seventy characters a line, most of the screen's height.
    const QFontMetrics metrics(Browser->font());
    QSize size(metrics.averageCharWidth() * 80 + 80, 700);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = QSize(std::min(size.width(), free.width() * 9 / 10), free.height() * 4 / 5);
        resize(size);
        move(free.center() - rect().center());
    } else {
        resize(size);
    }
    // The keys scroll the text from the first moment.
    Browser->setFocus();
}

void TFormHelp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The text view lays a long text out bit by bit while it is idle; laid
    // out whole at once, the scroll range is the guide's own from the first
    // key, and End shows its last line.
    Browser->document()->size();
}

QString TFormHelp::guideText() {
    QFile file(QStringLiteral(":/help/guide.md"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

TFormHelp* TFormHelp::showFor(QWidget* owner) {
    auto* help =
        owner ? owner->findChild<TFormHelp*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) help = new TFormHelp(owner);
    if (help->isMinimized())
        help->showNormal();
    else
        help->show();
    help->raise();
    help->activateWindow();
    return help;
}

}  // namespace dialogs
