#include "app/session_controller.h"

#include "core/login.h"
#include "dialogs/form_config.h"
#include "dialogs/form_password.h"
#include "dialogs/general_error.h"

namespace app {

SessionController::SessionController(core::AppContext& context, core::Prompter& prompter,
                                     QWidget* window, core::LoginDialog* login)
    : QObject(window),
      context_(context),
      prompter_(prompter),
      config_(new dialogs::TFormConfig(window)),
      login_(login ? *login : *new dialogs::TFormPassword(window)) {}

void SessionController::ActionLoginExecute() {
    dialogs::guarded(prompter_, [this] { core::ActionLoginExecute(context_, login_, prompter_); });
}

void SessionController::ActionConfigExecute() {
    if (config_->edit(context_.settings.values())) context_.settings.save();
}

}  // namespace app
