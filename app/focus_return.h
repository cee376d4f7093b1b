#pragma once
// Gives the keyboard back once a modal dialog closes: to the dialog that is
// still open beneath it, else to the window the user worked in before the
// dialogs opened (as a rule the main window). Some window managers (openbox
// among them) leave no window of the program active when a dialog closes,
// and the program's keys (F7, F1, F5 ...) then reach nobody until the user
// clicks a window.
//
// The window is chosen and asked for only after the closing dialog is off
// the screen. Asked for earlier, while the dialog is still mapped, openbox
// hands the request to that dialog (a modal child of the window asked for),
// and the keyboard is lost with it a moment later; and a dialog that opens
// a box before it is shown itself is not yet modal, so the main window would
// be chosen over it.

#include <QObject>
#include <QPointer>

class QWidget;

namespace app {

class FocusReturn : public QObject {
    Q_OBJECT
  public:
    // Watches every window of the application while it lives; the window
    // of `parent` gets the keyboard when no dialog is left.
    explicit FocusReturn(QObject* parent = nullptr);

  Q_SIGNALS:
    // Sent as the keyboard is given back to `window`, just before it is
    // activated.
    void givingBack(QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void giveBack();
    QWidget* windowBeneath() const;

    QPointer<QWidget> home_;
    // The last window without modality that had the keyboard.
    QPointer<QWidget> lastWorked_;
    bool pending_ = false;
};

}  // namespace app
