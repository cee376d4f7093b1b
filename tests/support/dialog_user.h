#pragma once
// A person at a modal dialog the program opens with exec(): at each showing,
// once the dialog is up and its event loop runs, the next of the given acts
// fills its controls and presses its buttons. A dialog an act leaves open
// (or one shown when no act is left) is closed with "cancel", so that a
// failing test goes on instead of waiting in the dialog.

#include <QDialog>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

namespace testing_support {

class DialogUser : public QObject {
  public:
    using Act = std::function<void()>;

    explicit DialogUser(QDialog& dialog) : dialog_(&dialog) { dialog.installEventFilter(this); }

    // What to do at the next showing not yet given an act.
    void next(Act act) { acts_.push_back(std::move(act)); }
    // What to do at every showing from now on, after the acts queued.
    void always(Act act) { always_ = std::move(act); }
    // How often the dialog was shown.
    int showings() const { return showings_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == dialog_ && event->type() == QEvent::Show && !event->spontaneous()) {
            ++showings_;
            Act act;
            if (!acts_.empty()) {
                act = std::move(acts_.front());
                acts_.pop_front();
            } else {
                act = always_;
            }
            // Queued: exec() has entered its loop by the time it runs.
            QTimer::singleShot(0, this, [this, act] {
                if (act) act();
                if (dialog_ && dialog_->isVisible()) dialog_->reject();
            });
        }
        return false;
    }

  private:
    QPointer<QDialog> dialog_;
    std::deque<Act> acts_;
    Act always_;
    int showings_ = 0;
};

}  // namespace testing_support
