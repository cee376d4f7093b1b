#include "journal/form_sprav.h"

#include "grid/grid_filter_model.h"
#include "tests/journal/editing_fixture.h"
#include "tests/support/typing.h"

#include <QTabBar>
#include <QTest>
#include <algorithm>

using journal::TFormSprav;
using testing_support::EditingTest;
using testing_support::ScriptedPrompter;
using testing_support::typeText;
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

  public:
    // What the user does, for the tables of cases as well.
    grid::GridView* viewOf(int tab, int column) const {
        const grid::DataGrid* g = form.grid(tab);
        return column < g->frozenCount() ? g->frozenView() : g->scrollingView();
    }
    QModelIndex shown(int tab, int row, int column) const {
        return form.grid(tab)->rowsModel()->index(row, column);
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    void click(int tab, TFormSprav::Button b) { click(form.button(tab, b)); }
    // Picks a cell with the mouse.
    void clickCell(int tab, int row, int column) {
        grid::GridView* v = viewOf(tab, column);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {},
                          v->visualRect(shown(tab, row, column)).center());
    }
    void clickTab(int tab) {
        QTabBar* bar = form.pages()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    QWidget* openEditor(int tab, int column) const {
        grid::GridView* v = viewOf(tab, column);
        return v->indexWidget(v->currentIndex());
    }

    // Edits a cell as a user does: picks it with the mouse, opens its editor
    // with F2 (the old text is selected and typed over) or with the first
    // typed key, and types the rest. The editor stays open.
    enum class Open { F2, FirstKey };
    void typeIntoCell(int tab, int row, int column, const QString& text, Open how = Open::F2) {
        clickCell(tab, row, column);
        grid::GridView* v = viewOf(tab, column);
        ASSERT_EQ(v->currentIndex(), shown(tab, row, column));
        QString rest = text;
        if (how == Open::F2) {
            QTest::keyClick(v, Qt::Key_F2);
        } else {
            typeText(v, text.left(1));
            rest = text.mid(1);
        }
        QWidget* editor = openEditor(tab, column);
        ASSERT_NE(editor, nullptr);
        typeText(editor, rest);
    }
    // The texts of the first column as the grid shows them, sorted; empty
    // cells (a new row) left out.
    QString shownTexts(int tab) const {
        QStringList texts;
        const QAbstractItemModel* m = form.grid(tab)->rowsModel();
        for (int r = 0; r < m->rowCount(); ++r)
            if (QString t = m->index(r, 0).data().toString(); !t.isEmpty()) texts << t;
        std::sort(texts.begin(), texts.end());
        return texts.join(',');
    }
    QString serverSources() {
        return serverValue(
            "select group_concat(source_name order by source_name) from sprav_source_list");
    }

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
    clickTab(kSource);
    click(kSource, TFormSprav::Insert);
    typeIntoCell(kSource, 0, 0, u("Міністерство"), Open::FirstKey);
    // Moving to another row stores the new one.
    click(kSource, TFormSprav::Last);
    EXPECT_EQ(serverSources(), u("Архів,Міністерство,Суд"));

    // The editor offers it the next time it opens.
    QStringList offered;
    nextEditor(
        [&](journal::TFormEditRecord& e) {
            const QComboBox* sources = e.list(journal::EditorControl::Source);
            for (int i = 0; i < sources->count(); ++i) offered << sources->itemText(i);
        },
        false);
    editing.ActionAddRecordExecute();
    EXPECT_TRUE(offered.contains(u("Міністерство")));

    // Renaming an organisation changes the list, never the journal.
    clickTab(kOrg);
    typeIntoCell(kOrg, 0, 0, u("Ліцей"));
    click(kOrg, TFormSprav::Post);
    EXPECT_EQ(serverValue("select concat(org_name, '|', org_place) from sprav_org_list"),
              u("Ліцей|Київ"));
    EXPECT_EQ(serverValue("select parent_name from doc_list"), u("Школа"));

    // The expert tab's first column is the login; it stays in place while
    // the others scroll, and Tab carries the typing across into them.
    clickTab(kExperts);
    typeIntoCell(kExperts, 0, 0, u("petrenko"));
    QTest::keyClick(openEditor(kExperts, 0), Qt::Key_Tab);
    QWidget* surname = openEditor(kExperts, 1);
    ASSERT_NE(surname, nullptr);
    typeText(surname, u("Петренко-Ковальчук"));
    click(kExperts, TFormSprav::Post);
    EXPECT_EQ(serverValue("select concat_ws('|', user_login, FAM, NAME, FNAME, edit_flag, "
                          "admin_flag) from sprav_expert_list"),
              u("petrenko|Петренко-Ковальчук|Іван||1|0"));
    EXPECT_TRUE(prompter.shown().empty());
}

// Whatever the navigator does, it does after what is being typed into the
// open cell: the text goes into the row first (or, for cancel, is dropped),
// and no editor is left open to commit it later.
struct AfterTyping {
    const char* name;
    std::function<void(FormSpravTest&)> act;
    const char* onNewRow;       // the server's list once a typed new row is acted on
    const char* onExistingRow;  // ... once a typed rename of "Суд" is acted on
    friend void PrintTo(const AfterTyping& a, std::ostream* os) { *os << a.name; }
};

class ActingRightAfterTyping : public FormSpravTest,
                               public ::testing::WithParamInterface<std::tuple<AfterTyping, bool>> {
};

TEST_P(ActingRightAfterTyping, CommitsOrDropsTheOpenCellFirst) {
    const auto& [action, newRow] = GetParam();
    form.show();
    clickTab(kSource);
    clickCell(kSource, 1, 0);
    if (newRow) {
        click(kSource, TFormSprav::Insert);
        typeIntoCell(kSource, 1, 0, u("Міністерство"), Open::FirstKey);
    } else {
        typeIntoCell(kSource, 1, 0, u("Суд апеляційний"));
    }
    const QString expected = u(newRow ? action.onNewRow : action.onExistingRow);

    action.act(*this);
    EXPECT_EQ(serverSources(), expected);
    EXPECT_EQ(shownTexts(kSource), expected);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(openEditor(kSource, 0), nullptr);
    // Nothing typed is left behind to arrive later, when the user moves on.
    if (form.isVisible() && form.pages()->currentIndex() == kSource) {
        clickCell(kSource, 0, 0);
        EXPECT_EQ(serverSources(), expected);
        EXPECT_TRUE(prompter.shown().empty());
    }
    EXPECT_EQ(form.list(kSource).state(), core::ClientDataSet::State::Browse);
}

const char* const kStored = "Архів,Міністерство,Суд";
const char* const kRenamed = "Архів,Суд апеляційний";
const char* const kAsBefore = "Архів,Суд";

INSTANTIATE_TEST_SUITE_P(
    Navigator, ActingRightAfterTyping,
    ::testing::Combine(
        ::testing::Values(
            AfterTyping{"Post", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Post); },
                        kStored, kRenamed},
            AfterTyping{"Prior", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Prior); },
                        kStored, kRenamed},
            AfterTyping{"Insert", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Insert); },
                        kStored, kRenamed},
            AfterTyping{"Refresh", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Refresh); },
                        kStored, kRenamed},
            AfterTyping{"Delete", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Delete); },
                        kAsBefore, "Архів"},
            AfterTyping{"Cancel", [](FormSpravTest& t) { t.click(kSource, TFormSprav::Cancel); },
                        kAsBefore, kAsBefore},
            AfterTyping{"CloseButton", [](FormSpravTest& t) { t.click(t.form.closeButton()); },
                        kStored, kRenamed},
            AfterTyping{"TitleBarClose", [](FormSpravTest& t) { t.form.close(); }, kStored,
                        kRenamed},
            AfterTyping{"OtherTab", [](FormSpravTest& t) { t.clickTab(kOrg); }, kStored, kRenamed}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) ? "_NewRow" : "_ExistingRow");
    });

// A new row the user leaves without typing anything goes away without a
// word; the grid lands on the row the user moved to, though the rows after
// the dropped one have moved up.
struct LeavingUntouched {
    const char* name;
    std::function<void(FormSpravTest&)> move;
    const char* landsOn;
    friend void PrintTo(const LeavingUntouched& l, std::ostream* os) { *os << l.name; }
};

class LeavingAnUntouchedNewRow : public FormSpravTest,
                                 public ::testing::WithParamInterface<LeavingUntouched> {
  protected:
    // A row after the one clicked, to take its place when the new row goes.
    void SetUp() override {
        db.exec(u("insert into sprav_source_list values ('Церква')"));
        FormSpravTest::SetUp();
    }
};

TEST_P(LeavingAnUntouchedNewRow, DropsItSilently) {
    form.show();
    clickTab(kSource);
    clickCell(kSource, 1, 0);
    click(kSource, TFormSprav::Insert);
    ASSERT_EQ(form.list(kSource).rowCount(), 4);
    ASSERT_EQ(form.list(kSource).current(), 1);

    GetParam().move(*this);
    const core::ClientDataSet& ds = form.list(kSource);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(ds.rowCount(), 3);
    EXPECT_EQ(ds.state(), core::ClientDataSet::State::Browse);
    EXPECT_EQ(ds.value(0).asText(), u(GetParam().landsOn));
    // The marker, the highlight and the list name the same row.
    EXPECT_EQ(form.grid(kSource)->currentSourceRow(), ds.current());
    const QModelIndexList selected =
        form.grid(kSource)->scrollingView()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(form.grid(kSource)->mapToSource(selected[0]).row(), ds.current());
    EXPECT_EQ(serverSources(), u("Архів,Суд,Церква"));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, LeavingAnUntouchedNewRow,
    ::testing::Values(
        LeavingUntouched{
            "DownKey",
            [](FormSpravTest& t) { QTest::keyClick(t.viewOf(kSource, 0), Qt::Key_Down); }, "Суд"},
        LeavingUntouched{
            "UpKey", [](FormSpravTest& t) { QTest::keyClick(t.viewOf(kSource, 0), Qt::Key_Up); },
            "Архів"},
        LeavingUntouched{"ClickBelow", [](FormSpravTest& t) { t.clickCell(kSource, 2, 0); }, "Суд"},
        LeavingUntouched{"ClickAbove", [](FormSpravTest& t) { t.clickCell(kSource, 0, 0); },
                         "Архів"},
        // Typing and taking it back leaves nothing to store.
        LeavingUntouched{"TypedAndErased",
                         [](FormSpravTest& t) {
                             grid::GridView* v = t.viewOf(kSource, 0);
                             typeText(v, "x");
                             QWidget* editor = v->indexWidget(v->currentIndex());
                             QTest::keyClick(editor, Qt::Key_Backspace);
                             QTest::keyClick(editor, Qt::Key_Down);
                         },
                         "Суд"}),
    [](const auto& info) { return std::string(info.param.name); });

// Tabbing through cells without typing changes nothing: an empty number
// does not become 0, nor an empty text an empty string.
TEST_F(FormSpravTest, CellsPassedThroughWithoutTypingStayAsTheyWere) {
    db.exec(u("insert into sprav_expert_list values ('olena', 'Коваль', NULL, NULL, NULL, NULL)"));
    form.show();
    click(kExperts, TFormSprav::Refresh);
    ASSERT_EQ(form.list(kExperts).rowCount(), 2);
    const auto editorNow = [this] {
        const int column = form.grid(kExperts)->currentIndex().column();
        return openEditor(kExperts, column);
    };
    clickCell(kExperts, 0, 1);
    QTest::keyClick(viewOf(kExperts, 1), Qt::Key_F2);
    for (int cell = 0; cell < 10; ++cell) {
        ASSERT_NE(editorNow(), nullptr) << cell;
        QTest::keyClick(editorNow(), Qt::Key_Tab);
    }
    ASSERT_EQ(form.grid(kExperts)->currentIndex(), form.grid(kExperts)->sourceModel()->index(1, 5));
    QTest::keyClick(editorNow(), Qt::Key_Escape);
    click(kExperts, TFormSprav::First);
    EXPECT_EQ(serverValue("select group_concat(concat_ws('|', user_login, ifnull(FAM, 'NULL'), "
                          "ifnull(NAME, 'NULL'), ifnull(FNAME, 'NULL'), ifnull(edit_flag, 'NULL'), "
                          "ifnull(admin_flag, 'NULL')) order by user_login separator ';') from "
                          "sprav_expert_list"),
              u("ivan|Петренко|Іван||1|0;olena|Коваль|NULL|NULL|NULL|NULL"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(FormSpravTest, NavigatorDeletesWithoutAQuestionCtrlDeleteAsksFirst) {
    form.show();
    clickTab(kSource);
    ASSERT_EQ(form.list(kSource).rowCount(), 2);
    click(kSource, TFormSprav::First);
    click(kSource, TFormSprav::Delete);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(serverSources(), u("Суд"));

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
    click(kExperts, TFormSprav::Insert);
    typeIntoCell(kExperts, 0, 1, u("Коваль"));  // a surname, but no login
    click(kExperts, TFormSprav::Post);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Журнал учета документов"));
    EXPECT_EQ(prompter.shown()[0].text, u("Поле 'user_login' должно иметь значение"));
    EXPECT_EQ(form.list(kExperts).state(), core::ClientDataSet::State::Insert);
    EXPECT_EQ(form.list(kExperts).value(1).asText(), u("Коваль"));
    EXPECT_EQ(serverCount("sprav_expert_list"), 1);

    // Moving to another row, another tab or closing the window keeps the
    // user on it, with the same message.
    click(kExperts, TFormSprav::Next);
    clickTab(kSource);
    EXPECT_EQ(form.pages()->currentIndex(), kExperts);
    click(form.closeButton());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(form.list(kExperts).current(), 0);
    EXPECT_EQ(form.grid(kExperts)->currentSourceRow(), 0);
    EXPECT_EQ(form.list(kExperts).value(1).asText(), u("Коваль"));

    // Cancelling drops the row; then the window closes.
    click(kExperts, TFormSprav::Cancel);
    EXPECT_EQ(form.list(kExperts).rowCount(), 1);
    click(form.closeButton());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(serverValue("select concat_ws('|', user_login, FAM) from sprav_expert_list"),
              u("ivan|Петренко"));
}

TEST_F(FormSpravTest, AnUntouchedNewRowIsDroppedAndRefreshReadsTheServer) {
    form.show();
    clickTab(kSource);
    click(kSource, TFormSprav::Insert);
    clickTab(kOrg);
    EXPECT_EQ(form.list(kSource).rowCount(), 2);
    EXPECT_EQ(form.list(kSource).state(), core::ClientDataSet::State::Browse);

    db.exec(u("insert into sprav_org_list values ('Завод', NULL)"));
    click(kOrg, TFormSprav::Refresh);
    EXPECT_EQ(shownTexts(kOrg), u("Завод,Школа"));
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
