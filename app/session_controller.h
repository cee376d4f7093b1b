#pragma once
// Logging in and the connection settings: the login dialog and the
// connection settings dialog over the session and the settings.

#include "core/app_context.h"
#include "core/login_types.h"
#include "core/prompter.h"

#include <QObject>

namespace dialogs {
class TFormConfig;
}

namespace app {

class SessionController : public QObject {
    Q_OBJECT
  public:
    SessionController(core::AppContext& context, core::Prompter& prompter,
                      QObject* parent = nullptr);

    // The windows made at start-up.
    void setForms(core::LoginDialog* password, dialogs::TFormConfig* config);
    bool hasLoginDialog() const { return password_ != nullptr; }
    bool hasConfigDialog() const { return config_ != nullptr; }

    void ActionLoginExecute();
    void ActionConfigExecute();

  private:
    core::AppContext& context_;
    core::Prompter& prompter_;
    core::LoginDialog* password_ = nullptr;
    dialogs::TFormConfig* config_ = nullptr;
};

}  // namespace app
