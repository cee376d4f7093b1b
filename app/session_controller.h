#pragma once
// Logging in and the connection settings: the login dialog and the
// connection settings dialog over the session and the settings, made once
// over the main window and kept for the whole run.

#include "core/app_context.h"
#include "core/login_types.h"
#include "core/prompter.h"

#include <QObject>

class QWidget;

namespace dialogs {
class TFormConfig;
}

namespace app {

class SessionController : public QObject {
    Q_OBJECT
  public:
    // `login` null: the program's login dialog over `window`.
    SessionController(core::AppContext& context, core::Prompter& prompter, QWidget* window,
                      core::LoginDialog* login = nullptr);

    void ActionLoginExecute();
    void ActionConfigExecute();

  private:
    core::AppContext& context_;
    core::Prompter& prompter_;
    dialogs::TFormConfig* config_;
    core::LoginDialog& login_;
};

}  // namespace app
