#pragma once
// What the main window owns and every feature shares: the settings values,
// the session on the server, the selection state of the journal and the
// client datasets (the journal and the six reference lists).

#include "core/client_dataset.h"
#include "core/connection.h"
#include "core/prompter.h"
#include "core/settings.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace core {

struct Session {
    Connection connection;
    QString login_name;
    QString password;
    QString base_suffix;
    QString database_name = QStringLiteral("velkor");
    bool admin_enabled = false;
    bool connected() const { return connection.isOpen(); }
};

struct SelectionState {
    QString select_where;
    QString select_info = QStringLiteral("ВСЕ ДАННЫЕ");
    QString select_order = QStringLiteral(" ORDER BY Rec_IDN");
};

inline const QString kSelectionLinePrefix = QStringLiteral("Условия выбора данных: ");

class MainState {
  public:
    explicit MainState(const QString& settingsPath);
    MainState(const MainState&) = delete;
    MainState& operator=(const MainState&) = delete;

    const QString& settingsPath() const { return settingsPath_; }
    void loadSettings();
    // Writes the settings; the column widths come from syncColumnWidths
    // when the window layer has set it.
    void saveSettings();
    std::function<void(std::vector<int>&)> syncColumnWidths;

    Settings settings;
    std::vector<int> columnWidths = designColumnWidths();
    Session session;
    SelectionState selection;
    QString selectionLine = kSelectionLinePrefix;

    ClientDataSet& journal() { return *journal_; }
    ClientDataSet* findDataSet(QStringView name) const;
    ClientDataSet& referenceList(const QString& table) const;
    // Every dataset in the order of creation.
    std::vector<ClientDataSet*> dataSets() const;

    // Opens and re-reads every dataset carrying the tag; the first failure
    // beeps and ends the walk.
    bool OpenDataSets(int tag, Prompter& prompter);
    // Runs "select * from doc_list " + where + order into the journal and
    // sets the selection line. A refusal propagates; the journal stays closed.
    void RunJournalQuery();
    // Called after every successful journal query (the window shows the line).
    std::function<void()> journalQueried;

  private:
    QString settingsPath_;
    std::vector<std::unique_ptr<ClientDataSet>> dataSets_;
    ClientDataSet* journal_ = nullptr;
};

// The login dialog as the login sees it: preset from the settings, answered
// with the three texts, or nullopt when cancelled.
struct LoginPreset {
    QString base_name;
    QStringList login_log;
    QString default_login;
};
struct LoginAnswer {
    QString suffix;
    QString login;
    QString password;
};
class LoginDialog {
  public:
    virtual ~LoginDialog() = default;
    virtual std::optional<LoginAnswer> ask(const LoginPreset& preset) = 0;
};

// The login action. Server errors of the journal queries at its end
// propagate to the caller's general error display.
void ActionLoginExecute(MainState& state, LoginDialog& dialog, Prompter& prompter);

// The enabling rule of an action by its group tag.
bool actionEnabled(int tag, const MainState& state);

}  // namespace core
