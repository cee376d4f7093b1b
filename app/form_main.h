#pragma once
// The main window: menu, tool bar and actions over the journal grid and the
// selection line. It owns the settings, the session and the selection state
// (core::MainState) and hands each action to the feature that runs it.

#include "core/main_state.h"

#include <QAction>
#include <QMainWindow>
#include <QTimer>
#include <memory>

class QLabel;

namespace common {
class DataGrid;
class TFormConfig;
}  // namespace common
namespace journal {
class JournalView;
class TFormDataSelect;
}  // namespace journal

namespace app {

// The windows made at start-up that the main window opens.
struct Forms {
    common::TFormConfig* config = nullptr;
    journal::TFormDataSelect* dataSelect = nullptr;
    core::LoginDialog* password = nullptr;  // the login dialog
};

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    // The settings file path and, for tests, the prompter to ask through
    // (by default real message boxes over this window).
    explicit TFormMain(const QString& settingsPath, core::Prompter* prompter = nullptr);
    ~TFormMain() override;

    void setForms(const Forms& forms) { forms_ = forms; }
    core::MainState& state() { return state_; }
    core::Prompter& prompter() { return *prompter_; }
    common::DataGrid& grid() { return *DBGridEhMainLog; }
    QLabel& selectionLine() { return *Label_select_info; }
    journal::JournalView& journalView() { return *journalView_; }
    QAction* action(const QString& name) const;
    QList<QAction*> actions() const { return actions_; }

    // The enabling rule, applied to every action.
    void OnActionUpdate();

    void ActionLoginExecute();
    void ActionExitExecute();
    void ActionAboutExecute();
    void ActionConfigExecute();
    void ActionSelectDataExecute();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool FormCloseQuery();
    void FormClose();
    void createActions();
    void createMenu();
    void createToolBar();

    core::MainState state_;
    std::unique_ptr<core::Prompter> ownPrompter_;
    core::Prompter* prompter_;
    Forms forms_;
    common::DataGrid* DBGridEhMainLog;
    QLabel* Label_select_info;
    journal::JournalView* journalView_;
    QList<QAction*> actions_;
    QTimer idle_;
};

}  // namespace app
