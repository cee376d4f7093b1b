#pragma once
// The main window: the menu, the tool bar and the actions over the journal
// grid and the selection line, and the rule that enables the actions. It
// owns what the features share (core::AppContext) and one controller per
// feature, each handed what it needs and making its own windows over this
// one; each action is bound to its controller's handler here.

#include "core/app_context.h"
#include "core/login.h"

#include <QAction>
#include <QMainWindow>
#include <functional>
#include <memory>

class QLabel;

namespace grid {
class DataGrid;
}  // namespace grid
namespace about {
class AboutController;
}  // namespace about
namespace admin {
class AdminController;
}  // namespace admin
namespace backup {
class BackupController;
}  // namespace backup
namespace journal {
class JournalController;
class JournalView;
class ReferenceListsController;
}  // namespace journal
namespace reports {
class PrintoutViewer;
class ReportsController;
class SpreadsheetController;
}  // namespace reports

namespace app {

class SessionController;

// What a test or a benchmark puts in place of the person at the screen;
// each one left empty is the program's own: message boxes over the main
// window, the login dialog, the print preview.
struct StandIns {
    core::Prompter* prompter = nullptr;
    core::LoginDialog* login = nullptr;
    reports::PrintoutViewer* printouts = nullptr;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFormMain(const QString& settingsPath, const StandIns& standIns = {});
    ~TFormMain() override;

    core::AppContext& context() { return context_; }
    core::Prompter& prompter() { return *prompter_; }
    grid::DataGrid& grid() { return *DBGridEhMainLog; }
    QLabel& selectionLine() { return *Label_select_info; }
    journal::JournalView& journalView();
    journal::JournalController& journal() { return *journal_; }

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

    // The enabling rule, applied to every action.
    void OnActionUpdate();
    void ActionExitExecute();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool FormCloseQuery();
    void FormClose();
    QAction* makeAction(const char* name, const char* category, const char* caption,
                        const char* hint, const QKeySequence& key, core::ActionGroup group);
    // Runs `handler` when the action is triggered, then the enabling rule.
    void bind(QAction* action, std::function<void()> handler);
    void createMenu();
    void createToolBar();

    core::AppContext context_;
    std::unique_ptr<core::Prompter> ownPrompter_;
    core::Prompter* prompter_;
    QList<QAction*> actions_;
    QHash<const QAction*, core::ActionGroup> groups_;
    grid::DataGrid* DBGridEhMainLog;
    QLabel* Label_select_info;
    // One controller per feature.
    about::AboutController* about_;
    admin::AdminController* admin_;
    SessionController* session_;
    journal::JournalController* journal_;
    reports::ReportsController* reports_;
    reports::SpreadsheetController* spreadsheets_;
    journal::ReferenceListsController* sprav_;
    backup::BackupController* backup_;
};

}  // namespace app
