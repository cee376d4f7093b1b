#pragma once
// The administration feature: the administration window and the account
// window it asks, made once over the main window and kept for the whole
// run, both working on the session's connection.

#include "core/prompter.h"
#include "core/session.h"

#include <QObject>

class QWidget;

namespace admin {

class TFormAdmin;
class TFormNewUser;

class AdminController : public QObject {
    Q_OBJECT
  public:
    AdminController(core::Session& session, core::Prompter& prompter, QWidget* window);

    // Shows the administration window modally.
    void ActionAdminExecute();

  private:
    TFormNewUser* newUser_;
    TFormAdmin* form_;
};

}  // namespace admin
