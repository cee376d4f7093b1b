#include "journal/form_sprav.h"

#include "tests/journal/editing_fixture.h"

#include <QTest>

using journal::TFormSprav;
using testing_support::EditingTest;
using testing_support::ScriptedPrompter;
using testing_support::u;

namespace {

constexpr int kSource = 0, kOrg = 1, kExperts = TFormSprav::kExpertTab;

class FormSpravTest : public EditingTest {
  protected:
    void SetUp() override {
        db.exec(u("insert into sprav_source_list values ('Архів'), ('Суд')"));
        db.exec(u("insert into sprav_org_list values ('Школа', 'Київ')"));
        db.exec(u("insert into sprav_expert_list values ('ivan', 'Петренко', 'Іван', '', 1, 0)"));
        db.exec(u("insert into doc_list (Rec_IDN, parent_name) values (1, 'Школа')"));
        EditingTest::SetUp();
    }
    // Types into a cell as the grid's editor hands it over.
    void setCell(int tab, int row, int column, const QString& text) {
        auto& model = *form.grid(tab)->sourceModel();
        ASSERT_TRUE(model.setData(model.index(row, column), text));
    }
    QString serverList(const QString& sql) { return serverValue(sql); }

    TFormSprav form{dataSets, store, prompter};
};

TEST_F(FormSpravTest, OpensOnTheExpertsFirstAndOnTheLastTabAfterwards) {
    form.show();
    EXPECT_EQ(form.pages()->currentIndex(), kExperts);
    EXPECT_EQ(form.pages()->tabText(kExperts), u("Эксперты"));
    form.pages()->setCurrentIndex(kOrg);
    form.closeButton()->click();
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.pages()->currentIndex(), kOrg);
}

TEST_F(FormSpravTest, NewAndRenamedEntriesReachTheServerAtOnce) {
    form.show();
    form.pages()->setCurrentIndex(kSource);
    form.press(kSource, TFormSprav::Insert);
    setCell(kSource, 0, 0, u("Міністерство"));
    // Moving to another row stores the new one.
    form.press(kSource, TFormSprav::Last);
    EXPECT_EQ(serverList("select group_concat(source_name order by source_name) from "
                         "sprav_source_list"),
              u("Архів,Міністерство,Суд"));

    // The editor offers it the next time it opens.
    QStringList offered;
    nextEditor(
        [&](journal::TFormEditRecord& e) {
            for (int i = 0; i < e.list(0)->count(); ++i) offered << e.list(0)->itemText(i);
        },
        false);
    editing.ActionAddRecordExecute();
    EXPECT_TRUE(offered.contains(u("Міністерство")));

    // Renaming an organisation changes the list, never the journal.
    form.pages()->setCurrentIndex(kOrg);
    setCell(kOrg, 0, 0, u("Ліцей"));
    form.press(kOrg, TFormSprav::Post);
    EXPECT_EQ(serverList("select concat(org_name, '|', org_place) from sprav_org_list"),
              u("Ліцей|Київ"));
    EXPECT_EQ(serverList("select parent_name from doc_list"), u("Школа"));

    // The expert tab's first column is the login.
    setCell(kExperts, 0, 0, u("petrenko"));
    form.press(kExperts, TFormSprav::Post);
    EXPECT_EQ(serverList("select user_login from sprav_expert_list"), u("petrenko"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FormSpravTest, NavigatorDeletesWithoutAQuestionCtrlDeleteAsksFirst) {
    form.show();
    form.pages()->setCurrentIndex(kSource);
    ASSERT_EQ(form.list(kSource).rowCount(), 2);
    form.press(kSource, TFormSprav::First);
    form.press(kSource, TFormSprav::Delete);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(serverCount("sprav_source_list"), 1);

    QWidget* view = form.grid(kSource)->scrollingView();
    prompter.yesNo = {false, true};
    QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(serverCount("sprav_source_list"), 1);
    QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(serverCount("sprav_source_list"), 0);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].kind, ScriptedPrompter::Kind::DestructiveQuestion);
    EXPECT_EQ(prompter.shown()[1].caption, u("Удалить запись"));
    EXPECT_EQ(prompter.shown()[1].text, u("Удалить запись?"));
}

TEST_F(FormSpravTest, AnEmptyFirstColumnIsRefusedAndTheRowStaysInEditing) {
    form.show();
    form.pages()->setCurrentIndex(kOrg);
    form.press(kOrg, TFormSprav::Insert);
    setCell(kOrg, 0, 1, u("Київ"));  // a place, but no name
    form.press(kOrg, TFormSprav::Post);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Журнал учета документов"));
    EXPECT_EQ(prompter.shown()[0].text, u("Поле 'org_name' должно иметь значение"));
    EXPECT_EQ(form.list(kOrg).state(), core::ClientDataSet::State::Insert);
    EXPECT_EQ(serverCount("sprav_org_list"), 1);

    // Nor can the window be closed over it; cancelling drops the row.
    form.closeButton()->click();
    EXPECT_TRUE(form.isVisible());
    form.press(kOrg, TFormSprav::Cancel);
    EXPECT_EQ(form.list(kOrg).rowCount(), 1);
    form.closeButton()->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FormSpravTest, AnUntouchedNewRowIsDroppedAndRefreshReadsTheServer) {
    form.show();
    form.pages()->setCurrentIndex(kSource);
    form.press(kSource, TFormSprav::Insert);
    form.pages()->setCurrentIndex(kOrg);
    EXPECT_EQ(form.list(kSource).rowCount(), 2);
    EXPECT_EQ(form.list(kSource).state(), core::ClientDataSet::State::Browse);

    db.exec(u("insert into sprav_org_list values ('Завод', NULL)"));
    form.press(kOrg, TFormSprav::Refresh);
    EXPECT_EQ(form.list(kOrg).rowCount(), 2);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FormSpravTest, InsertAndEscapeKeysOfTheGrid) {
    form.show();
    form.pages()->setCurrentIndex(kSource);
    QWidget* view = form.grid(kSource)->scrollingView();
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(form.list(kSource).state(), core::ClientDataSet::State::Insert);
    EXPECT_EQ(form.list(kSource).rowCount(), 3);
    // The first Escape drops the new row, the next closes the window.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(form.list(kSource).rowCount(), 2);
    EXPECT_TRUE(form.isVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(serverCount("sprav_source_list"), 2);
}

}  // namespace
