#pragma once
// The administration window: the journal databases of the server on one
// tab, its accounts on the other, and "Закрыть окно". The work is done by
// DatabaseCatalogue and ServerAccounts on the session's connection; the
// window shows their lists and sends them the clicks.

#include "admin/database_catalogue.h"
#include "admin/server_accounts.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QTabWidget;

namespace admin {

class TFormAdmin : public QDialog {
    Q_OBJECT
  public:
    // `accountDialog` asks for an account's name and passwords;
    // `templatePath` empty: "Template/base.sql" beside the executable.
    TFormAdmin(core::Session& session, core::Prompter& prompter, AccountDialog& accountDialog,
               QWidget* parent = nullptr, const QString& templatePath = QString());
    ~TFormAdmin() override;

    QTabWidget* const PageControl;
    QListWidget* const ListBox_DB_list;
    QPushButton* const But_add_DB;
    QPushButton* const But_del_DB;
    QPushButton* const But_update_DB_list;
    QListWidget* const ListBox_users;
    QPushButton* const ButAddUser;
    QPushButton* const But_delete_user;
    QPushButton* const But_new_password;
    QPushButton* const But_refresh_user_list;
    QPushButton* const BitBtn1;  // "Закрыть окно"

    DatabaseCatalogue& catalogue() { return catalogue_; }

    // Both lists afresh, the databases first; runs once the window is up.
    void FormShow();
    void BitBtn1Click();
    void But_update_DB_listClick();
    void But_add_DBClick();
    void But_del_DBClick();
    void But_refresh_user_listClick();
    void ButAddUserClick();
    void But_delete_userClick();
    void But_new_passwordClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Runs one piece of work; an error escaping it goes to the general
    // error display. The lists show what is known afterwards either way.
    template <class F>
    void run(F&& work);
    void showLists();
    std::optional<Account> selectedAccount() const;

    core::Prompter& prompter_;
    DatabaseCatalogue catalogue_;
    ServerAccounts accounts_;
    core::Session& session_;
};

}  // namespace admin
