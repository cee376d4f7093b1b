#pragma once
// The login action and the rule that enables every action by its group.

#include "core/app_context.h"
#include "core/login_types.h"
#include "core/prompter.h"

namespace core {

// The login: the dialog, the connection, the settings, the reference lists,
// the latest meeting date as the selection and the journal query. Server
// errors of the journal queries at its end propagate to the caller's
// general error display.
void ActionLoginExecute(AppContext& context, LoginDialog& dialog, Prompter& prompter);

// The groups the actions are enabled by.
enum class ActionGroup {
    Connected,  // needs an open connection
    Always,     // login, exit, help, about, settings
    Admin,      // needs an open connection and the administration flag
};

bool actionEnabled(ActionGroup group, const Session& session);

}  // namespace core
