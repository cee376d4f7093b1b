#include "app/focus_return.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace app {

namespace {

bool isModalWindow(const QWidget* w) {
    return w->isWindow() && w->windowModality() != Qt::NonModal;
}

}  // namespace

FocusReturn::FocusReturn(QObject* parent) : QObject(parent) {
    if (auto* w = qobject_cast<QWidget*>(parent)) home_ = w->window();
    QCoreApplication::instance()->installEventFilter(this);
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::WindowActivate && type != QEvent::Hide) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    switch (type) {
        case QEvent::WindowActivate:
            if (w->isWindow() && !isModalWindow(w) && w->windowType() != Qt::Popup &&
                w->windowType() != Qt::ToolTip)
                lastWorked_ = w;
            break;
        case QEvent::Hide:
            // A modal window the program closes; a spontaneous hide is the
            // window manager's doing (minimising), not a close.
            if (!event->spontaneous() && isModalWindow(w) && !pending_) {
                pending_ = true;
                // Once the closing window is unmapped and gone, and whatever
                // it was closed for has run on to the next event loop.
                QMetaObject::invokeMethod(this, &FocusReturn::giveBack, Qt::QueuedConnection);
            }
            break;
        default:
            break;
    }
    return false;
}

QWidget* FocusReturn::windowBeneath() const {
    // A modal window still open keeps the keyboard: the dialog the closed
    // box was shown over, or a dialog that was being opened meanwhile.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->isVisible() ? modal : nullptr;
    for (QWidget* w : {lastWorked_.data(), home_.data()})
        if (w && w->isVisible() && !w->isMinimized()) return w;
    return nullptr;
}

void FocusReturn::giveBack() {
    pending_ = false;
    QWidget* window = windowBeneath();
    if (!window) return;
    Q_EMIT givingBack(window);
    window->activateWindow();
}

}  // namespace app
