#pragma once
// A journal on the private server with everything record editing needs:
// the seven datasets on one connection, the journal controller with its
// grid, its store path and its editor, and a user at that editor.

#include "core/data_sets.h"
#include "core/journal_selection.h"
#include "core/schema.h"
#include "core/settings_store.h"
#include "grid/data_grid.h"
#include "journal/form_edit_record.h"
#include "journal/journal_controller.h"
#include "journal/journal_view.h"
#include "tests/support/dialog_user.h"
#include "tests/support/qt_printers.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>

namespace testing_support {

inline QString u(const char* s) { return QString::fromUtf8(s); }

class EditingTest : public ::testing::Test {
  protected:
    explicit EditingTest(Server server = Server::Project) : db(true, "vt_", server) {}
    void SetUp() override {
        openServer(conn, db.name(), db.server());
        ASSERT_TRUE(dataSets.OpenDataSets(core::schema::kReferenceTag, prompter));
        view.RunJournalQuery();
    }
    core::ClientDataSet& journal() { return dataSets.journal(); }
    void reread() {
        view.RunJournalQuery();
        for (core::ClientDataSet* ds : dataSets.all())
            if (ds->tag() == core::schema::kReferenceTag) ds->refresh();
    }
    // At the next showing of the editor (prepared by FormShow) the test
    // fills the fields and presses "Сохранить" (or "Отменить").
    void nextEditor(std::function<void(journal::TFormEditRecord&)> fill, bool save = true) {
        user.next([this, fill, save] {
            if (fill) fill(editor);
            (save ? editor.okButton() : editor.cancelButton())->click();
        });
    }
    QString serverValue(const QString& sql) {
        auto r = db.connection().query(sql);
        if (!r->next()) return QStringLiteral("<no row>");
        return r->field(0).isNull() ? QStringLiteral("<NULL>") : r->field(0).asText();
    }
    int serverCount(const QString& table) {
        return serverValue("select count(*) from " + table).toInt();
    }
    void setText(journal::EditorControl control, const QString& text) {
        if (auto* box = editor.list(control))
            box->setEditText(text);
        else
            editor.edit(control)->setText(text);
    }

    TempDatabase db;
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    core::Connection conn;
    core::SettingsStore settings{dir.filePath("velkor.INI")};
    core::JournalSelection selection;
    core::DataSets dataSets{conn};
    grid::DataGrid grid;
    QLabel line;
    QWidget window;  // the main window the controller's dialogs belong to
    journal::JournalController editing{dataSets, conn, selection, settings,
                                       grid,     line, prompter,  &window};
    journal::JournalView& view = editing.view();
    journal::RecordStore& store = editing.store();
    journal::TFormEditRecord& editor = editing.editor();
    DialogUser user{editor};
};

}  // namespace testing_support
