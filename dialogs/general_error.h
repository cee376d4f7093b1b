#pragma once
// The general error display: an error that no handler of an action or event
// caught is shown with the application's title and a stop icon, the action
// ends, and the program goes on.

#include "core/prompter.h"

#include <QString>
#include <exception>

namespace dialogs {

// The text of the error being handled (inside a catch block).
QString currentErrorText();

void showGeneralError(core::Prompter& prompter, const QString& text);

// Runs the action; an error escaping it goes to the general display.
// Returns false when it did.
template <class F>
bool guarded(core::Prompter& prompter, F&& action) {
    try {
        action();
        return true;
    } catch (...) {
        showGeneralError(prompter, currentErrorText());
        return false;
    }
}

}  // namespace dialogs
