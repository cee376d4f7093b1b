#include "about/about_controller.h"

#include "about/credit_panel.h"
#include "about/form_about.h"

#include <QWidget>

namespace about {

AboutController::AboutController(QWidget* window)
    : QObject(window),
      splash_(makeSplashPanel(window)),
      credits_(makeCreditsPanel(window)),
      form_(new TFormAbout(*splash_, *credits_, window)) {}

void AboutController::ActionAboutExecute() { form_->exec(); }

}  // namespace about
