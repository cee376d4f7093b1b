#include "app/focus_return.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace app {

FocusReturn::FocusReturn(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::WindowUnblocked) return false;
    auto* window = qobject_cast<QWidget*>(watched);
    if (!window || !window->isWindow() || !window->isVisible() || window->isMinimized())
        return false;
    // Only the window now on top of the modal chain: a box closing over a
    // dialog hands the focus to the dialog, not to the main window behind it.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == window) window->activateWindow();
    return false;
}

}  // namespace app
