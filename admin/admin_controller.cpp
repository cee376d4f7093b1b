#include "admin/admin_controller.h"

#include "admin/form_admin.h"
#include "admin/form_new_user.h"

namespace admin {

AdminController::AdminController(core::Session& session, core::Prompter& prompter, QWidget* window)
    : QObject(window),
      newUser_(new TFormNewUser(window)),
      form_(new TFormAdmin(session, prompter, *newUser_, window)) {}

void AdminController::ActionAdminExecute() { form_->exec(); }

}  // namespace admin
