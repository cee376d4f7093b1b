#pragma once
// Gives the focus back to the window a modal dialog kept blocked, once that
// dialog closes. Some window managers (openbox among them) leave no window
// of the program active when a dialog closes, and the program's keys (F7,
// F1, F5 ...) then reach nobody until the user clicks a window.

#include <QObject>

namespace app {

class FocusReturn : public QObject {
    Q_OBJECT
  public:
    // Watches every window of the application while it lives.
    explicit FocusReturn(QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace app
