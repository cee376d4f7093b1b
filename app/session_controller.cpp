#include "app/session_controller.h"

#include "core/login.h"
#include "dialogs/form_config.h"
#include "dialogs/general_error.h"

namespace app {

SessionController::SessionController(core::AppContext& context, core::Prompter& prompter,
                                     QObject* parent)
    : QObject(parent), context_(context), prompter_(prompter) {}

void SessionController::setForms(core::LoginDialog* password, dialogs::TFormConfig* config) {
    password_ = password;
    config_ = config;
}

void SessionController::ActionLoginExecute() {
    if (!password_) return;
    dialogs::guarded(prompter_,
                     [this] { core::ActionLoginExecute(context_, *password_, prompter_); });
}

void SessionController::ActionConfigExecute() {
    if (config_ && config_->edit(context_.settings.values())) context_.settings.save();
}

}  // namespace app
