#pragma once
// The main window: the menu, the tool bar and the actions over the journal
// grid and the selection line, and the rule that enables the actions. It
// owns what the features share (core::AppContext) and one controller per
// feature; each action is bound to its controller's handler. An action
// whose feature has no controller yet stays disabled.

#include "core/app_context.h"
#include "core/login.h"

#include <QAction>
#include <QMainWindow>
#include <memory>

class QLabel;

namespace grid {
class DataGrid;
}  // namespace grid
namespace dialogs {
class TFormConfig;
}  // namespace dialogs
namespace admin {
class TFormAdmin;
}  // namespace admin
namespace backup {
class BackupController;
}  // namespace backup
namespace journal {
class JournalController;
class JournalView;
class TFormDataSelect;
class TFormEditRecord;
class TFormSprav;
}  // namespace journal
namespace reports {
class ReportsController;
class TFormReportSelect;
}  // namespace reports
namespace about {
class TFormAbout;
}  // namespace about

namespace reports {
class SpreadsheetController;
}  // namespace reports

namespace app {

class SessionController;

// The windows made at start-up that the controllers open.
struct Forms {
    dialogs::TFormConfig* config = nullptr;
    journal::TFormDataSelect* dataSelect = nullptr;
    core::LoginDialog* password = nullptr;  // the login dialog
    admin::TFormAdmin* admin = nullptr;
    journal::TFormEditRecord* editRecord = nullptr;
    journal::TFormSprav* sprav = nullptr;
    about::TFormAbout* about = nullptr;
    reports::TFormReportSelect* reportSelect = nullptr;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    // The settings file path and, for tests, the prompter to ask through
    // (by default real message boxes over this window).
    explicit TFormMain(const QString& settingsPath, core::Prompter* prompter = nullptr);
    ~TFormMain() override;

    void setForms(const Forms& forms);
    core::AppContext& context() { return context_; }
    core::Prompter& prompter() { return *prompter_; }
    grid::DataGrid& grid() { return *DBGridEhMainLog; }
    QLabel& selectionLine() { return *Label_select_info; }
    journal::JournalView& journalView();
    journal::JournalController& journal() { return *journal_; }
    reports::ReportsController& reports() { return *reports_; }

    // The actions, in the order of the action list.
    QAction* ActionLogin = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionHelp = nullptr;
    QAction* ActionAbout = nullptr;
    QAction* ActionBaseExport = nullptr;
    QAction* ActionBaseImport = nullptr;
    QAction* ActionAdmin = nullptr;
    QAction* ActionPrintLog = nullptr;
    QAction* ActionPrintReport = nullptr;
    QAction* ActionAddRecord = nullptr;
    QAction* ActionDeleteRecord = nullptr;
    QAction* ActionEditRecord = nullptr;
    QAction* ActionSelectData = nullptr;
    QAction* ActionSprav = nullptr;
    QAction* ActionConfig = nullptr;
    // The journal as a spreadsheet, beside the print actions.
    QAction* ActionExportLogXlsx = nullptr;
    QAction* ActionExportLogCsv = nullptr;
    const QList<QAction*>& actions() const { return actions_; }
    core::ActionGroup group(const QAction* action) const;
    // Whether the action's feature is there to run it.
    bool isBuilt(const QAction* action) const;

    // The enabling rule, applied to every action.
    void OnActionUpdate();
    void ActionExitExecute();
    void ActionAdminExecute();
    void ActionAboutExecute();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct ActionInfo {
        core::ActionGroup group;
        bool built;
    };
    bool FormCloseQuery();
    void FormClose();
    QAction* makeAction(const char* name, const char* category, const char* caption,
                        const char* hint, const QKeySequence& key, core::ActionGroup group);
    void bind(QAction* action, std::function<void()> handler);
    void createMenu();
    void createToolBar();

    core::AppContext context_;
    std::unique_ptr<core::Prompter> ownPrompter_;
    core::Prompter* prompter_;
    QList<QAction*> actions_;
    QHash<const QAction*, ActionInfo> info_;
    grid::DataGrid* DBGridEhMainLog;
    QLabel* Label_select_info;
    journal::JournalController* journal_;
    SessionController* session_;
    admin::TFormAdmin* admin_ = nullptr;
    reports::SpreadsheetController* spreadsheets_;
    journal::TFormSprav* sprav_ = nullptr;
    reports::ReportsController* reports_;
    about::TFormAbout* about_ = nullptr;
    backup::BackupController* backup_;
};

}  // namespace app
