#include "backup/backup_controller.h"
#include "backup/database_export.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

// The progress window of the export: shown modal with its texts while the
// run goes on, its "Прервать" seen at the next point where events are
// processed, gone before the report.
TEST(FormProgress, AbortButtonStopsTheExportInTheWindow) {
    TempDatabase db(false);
    db.exec("create table t (n int)");
    db.exec("insert into t select seq from seq_1_to_10");
    QTemporaryDir dir;
    QWidget owner;
    backup::FormProgress progress(&owner);
    ScriptedPrompter prompter;
    prompter.fileNames = {dir.filePath("x.ARC")};
    bool seen = false;
    QTimer::singleShot(0, [&] {
        dialogs::TFormProgress* w = progress.window();
        ASSERT_TRUE(w && w->isVisible());
        seen = true;
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Экспорт базы данных в файл"));
        EXPECT_EQ(w->LabelOpName->text(), QString::fromUtf8("Экспорт базы данных"));
        EXPECT_TRUE(w->isModal());
        w->BitBtn1->click();
    });
    backup::ActionBaseExportExecute(db.connection(), db.name(), prompter, progress);
    EXPECT_TRUE(seen);
    EXPECT_EQ(progress.window(), nullptr);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, QString::fromUtf8("Экспорт был прерван пользователем."));
    // Seen before the first table: the archive holds the database block only.
    const QByteArray script = testing_support::archivedScript(dir.filePath("x.ARC"));
    EXPECT_TRUE(script.contains("# DATABASE"));
    EXPECT_FALSE(script.contains("# TABLE"));
}
