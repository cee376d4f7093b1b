#pragma once
// The about feature: the two credit panels and the about window over them,
// made once when the main window is built and kept for the whole run.

#include <QObject>

class QWidget;

namespace about {

class CreditPanel;
class TFormAbout;

class AboutController : public QObject {
    Q_OBJECT
  public:
    // `window` is the main window: the parent of the panels and the window.
    explicit AboutController(QWidget* window);

    // Shows the about window modally.
    void ActionAboutExecute();

  private:
    CreditPanel* splash_;
    CreditPanel* credits_;
    TFormAbout* form_;
};

}  // namespace about
