#include "tests/journal/editing_fixture.h"

#include "core/schema.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/support/typing.h"

using testing_support::EditingTest;
using testing_support::ScriptedPrompter;
using testing_support::u;
namespace doc = core::schema::doc;

namespace {

using enum journal::EditorControl;

TEST_F(EditingTest, AddNumbersFromOneAndDeletingTheHighestFreesItsNumber) {
    nextEditor([this](auto&) { setText(DocNum, "a"); });
    editing.ActionAddRecordExecute();
    nextEditor([this](auto&) { setText(DocNum, "b"); });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(
        serverValue("select group_concat(Rec_IDN, doc_number order by Rec_IDN) from doc_list"),
        "1a,2b");

    // Declining the question leaves the record; Yes deletes it on the server.
    prompter.yesNo = {false, true};
    editing.ActionDeleteRecordExecute();
    EXPECT_EQ(serverCount("doc_list"), 2);
    editing.ActionDeleteRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 2u);
    for (const auto& box : prompter.shown()) {
        EXPECT_EQ(box.kind, ScriptedPrompter::Kind::DestructiveQuestion);
        EXPECT_EQ(box.caption, u("Удалить запись"));
        EXPECT_EQ(box.text, u("Удалить текущую запись из журнала?"));
    }
    EXPECT_EQ(serverValue("select group_concat(Rec_IDN) from doc_list"), "1");

    nextEditor([this](auto&) { setText(DocNum, "c"); });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(
        serverValue("select group_concat(Rec_IDN, doc_number order by Rec_IDN) from doc_list"),
        "1a,2c");
    EXPECT_EQ(journal().pendingCount(), 0);
    EXPECT_EQ(prompter.shown().size(), 2u);
}

TEST_F(EditingTest, EditKeepsTheNumberRestampsAndStoresEmptiedTextsAsNull) {
    db.exec(
        "insert into doc_list (Rec_IDN, pr_num, doc_number, post_user, post_moment)"
        " values (7, '3', 'x', 'someone', '2001-01-01 00:00:00')");
    reread();
    ASSERT_EQ(journal().rowCount(), 1);
    nextEditor([this](auto&) {
        setText(PrNum, "");
        setText(DocNum, "y");
    });
    editing.ActionEditRecordExecute();
    EXPECT_EQ(serverValue("select concat_ws('|', Rec_IDN, doc_number, pr_num is null,"
                          " post_user = user(), post_moment > '2001-01-01') from doc_list"),
              "7|y|1|1|1");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(EditingTest, CancelSendsNothingAndRestoresTheRow) {
    db.exec("insert into doc_list (Rec_IDN, doc_number, shtuk_count) values (1, 'x', 5)");
    reread();
    nextEditor([this](auto&) { setText(DocNum, "new"); }, false);
    editing.ActionAddRecordExecute();
    EXPECT_EQ(journal().rowCount(), 1);

    nextEditor(
        [this](auto&) {
            setText(DocNum, "changed");
            setText(Shtuk, "9");
        },
        false);
    editing.ActionEditRecordExecute();
    EXPECT_EQ(journal().value(doc::doc_number).asText(), "x");
    EXPECT_EQ(journal().value(doc::shtuk_count).asInt64(), 5);
    EXPECT_EQ(journal().pendingCount(), 0);
    EXPECT_EQ(serverValue("select concat_ws('|', count(*), max(doc_number)) from doc_list"), "1|x");
}

TEST_F(EditingTest, EditAndDeleteWithoutACurrentRowDoNothing) {
    editing.ActionEditRecordExecute();
    editing.ActionDeleteRecordExecute();
    EXPECT_EQ(user.showings(), 0);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(EditingTest, NumbersAreBroughtToTheirBoundsAndTextsCutAtTheirWidths) {
    nextEditor([this](auto&) {
        setText(StartYear, "1850");
        setText(StopYear, "3000");
        setText(Shtuk, "-4");
        setText(PrNum, "12345678901");  // the field takes ten characters
        setText(Caption, QString(120, QLatin1Char('d')));
        setText(PrDate, "15.03.2011");
    });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(serverValue("select concat_ws('|', doc_start_year, doc_stop_year, shtuk_count,"
                          " pr_num, length(doc_caption), pr_date, paper_count is null,"
                          " doc_date is null) from doc_list"),
              "1900|2900|0|1234567890|100|2011-03-15|1|1");
}

TEST_F(EditingTest, ANonDateKeepsTheEditorOpen) {
    user.next([this] {
        setText(DocDate, "31.02.2011");
        editor.okButton()->click();
        EXPECT_TRUE(editor.isVisible());
        setText(DocDate, "");
        editor.okButton()->click();
    });
    editing.ActionAddRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Ошибка"));
    EXPECT_EQ(prompter.shown()[0].text,
              u("\"31.02.2011\" - неверная дата.\nВведите дату в виде ДД.ММ.ГГГГ или оставьте "
                "поле пустым."));
    EXPECT_EQ(serverValue("select count(*) from doc_list where doc_date is null"), "1");
}

TEST_F(EditingTest, ProtocolDateAndNumberCarryOverIntoEmptyFieldsOnly) {
    db.exec("insert into doc_list (Rec_IDN, pr_date, pr_num) values (1, '2010-01-02', '5')");
    reread();
    nextEditor([this](auto&) {
        setText(PrDate, "15.03.2011");
        setText(PrNum, "12");
    });
    editing.ActionAddRecordExecute();

    QString date, number;
    auto peek = [&](journal::TFormEditRecord& e) {
        date = e.edit(PrDate)->text();
        number = e.edit(PrNum)->text();
    };
    nextEditor(peek, false);
    editing.ActionAddRecordExecute();
    EXPECT_EQ(date, "15.03.2011");
    EXPECT_EQ(number, "12");

    ASSERT_TRUE(journal().value(doc::Rec_IDN).asInt64() == 2);
    journal().setCurrent(0);
    nextEditor(peek, false);
    editing.ActionEditRecordExecute();
    EXPECT_EQ(date, "02.01.2010");
    EXPECT_EQ(number, "5");

    // A record saved without a protocol turns the carry-over off.
    nextEditor([this](auto&) {
        setText(PrDate, "");
        setText(PrNum, "");
    });
    editing.ActionAddRecordExecute();
    nextEditor(peek, false);
    editing.ActionAddRecordExecute();
    EXPECT_EQ(date, "..");
    EXPECT_EQ(number, "");
}

TEST_F(EditingTest, AutoFillAddsNewTextsOnce) {
    db.exec(u("insert into sprav_adv_info values ('Опис 1')"));
    db.exec(u("insert into sprav_source_list values ('Архів')"));
    reread();
    struct Case {
        const char* name;
        bool on;
        const char* note;
        bool choose;  // picks the note from the list instead of typing it
        int notesAfter;
    };
    const Case cases[] = {
        {"off adds nothing", false, "Акт 5", false, 1},
        {"a new text is added", true, "Акт 5", false, 2},
        {"the same text again adds nothing", true, "Акт 5", false, 2},
        {"other letter case adds nothing", true, "АКТ 5", false, 2},
        {"a choice from the list adds nothing", true, "Опис 1", true, 2},
        {"an empty text adds nothing", true, "", false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.values().auto_update_sprav = c.on;
        nextEditor([&](journal::TFormEditRecord& e) {
            if (c.choose)
                e.list(Notes)->setCurrentIndex(e.list(Notes)->findText(u(c.note)));
            else
                setText(Notes, u(c.note));
            setText(Source, "");
        });
        editing.ActionAddRecordExecute();
        EXPECT_EQ(serverCount("sprav_adv_info"), c.notesAfter);
        EXPECT_EQ(dataSets.referenceList("sprav_adv_info").rowCount(), c.notesAfter);
        EXPECT_EQ(serverCount("sprav_source_list"), 1);
    }
    EXPECT_EQ(serverValue("select group_concat(comment_list order by comment_list) from "
                          "sprav_adv_info"),
              u("Акт 5,Опис 1"));
    EXPECT_EQ(serverValue("select count(*) from doc_list where adv_info is null and doc_source "
                          "is null"),
              "1");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(EditingTest, ExpertNamesComeFromTheExpertListAndNeverGrowIt) {
    db.exec(
        u("insert into sprav_expert_list values ('ivan', 'Петренко', 'Іван', 'Олегович', 1, "
          "0), ('x', 'Бойко', '', '', 0, 0)"));
    reread();
    QStringList offered;
    nextEditor([&](journal::TFormEditRecord& e) {
        for (int i = 0; i < e.list(Expert)->count(); ++i) offered << e.list(Expert)->itemText(i);
        setText(Expert, u("Новий Е.К."));
    });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(offered, QStringList({u("Бойко .."), u("Петренко І.О.")}));
    EXPECT_EQ(serverValue("select expert_fio from doc_list"), u("Новий Е.К."));
    EXPECT_EQ(serverCount("sprav_expert_list"), 2);
}

TEST_F(EditingTest, TheEditorListsShowWhatTheServerHoldsSorted) {
    db.exec(u("insert into sprav_org_list (org_name) values ('Школа'), ('Архів')"));
    QStringList offered;
    nextEditor(
        [&](journal::TFormEditRecord& e) {
            for (int i = 0; i < e.list(Org)->count(); ++i) offered << e.list(Org)->itemText(i);
        },
        false);
    editing.ActionAddRecordExecute();
    EXPECT_EQ(offered, QStringList({u("Архів"), u("Школа")}));
}

TEST_F(EditingTest, AChangeAnotherUserMadeFirstIsShownAndStaysMarked) {
    db.exec("insert into doc_list (Rec_IDN, doc_number) values (1, 'x'), (2, 'y')");
    reread();
    db.exec("update doc_list set doc_number = 'other' where Rec_IDN = 1");
    journal().setCurrent(0);
    nextEditor([this](auto&) { setText(DocNum, "mine"); });
    editing.ActionEditRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Ошибка"));
    EXPECT_EQ(prompter.shown()[0].text,
              u("Не сохранено на сервере: изменение записи № 1.\nДругой пользователь изменил или "
                "удалил эту запись. Перечитайте журнал (Выбор данных)."));
    EXPECT_TRUE(journal().rowPending(0));
    EXPECT_TRUE(view.model().index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(view.model().index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(serverValue("select doc_number from doc_list where Rec_IDN = 1"), "other");

    // A later change of another row still goes through, and the refusal
    // already shown is not shown again: the stuck change is not re-sent.
    journal().setCurrent(1);
    nextEditor([this](auto&) { setText(DocNum, "z"); });
    editing.ActionEditRecordExecute();
    EXPECT_EQ(serverValue("select doc_number from doc_list where Rec_IDN = 2"), "z");
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_FALSE(journal().rowPending(1));
    EXPECT_TRUE(journal().rowPending(0));

    // Storing the stuck row again tries it again, and says so once more.
    journal().setCurrent(0);
    nextEditor([this](auto&) { setText(DocNum, "mine2"); });
    editing.ActionEditRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, prompter.shown()[0].text);

    // Deleting a row another user deleted is reported likewise, once.
    db.exec("delete from doc_list where Rec_IDN = 2");
    journal().setCurrent(1);
    prompter.yesNo = {true};
    editing.ActionDeleteRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.shown()[3].text,
              u("Не сохранено на сервере: удаление записи № 2.\nДругой пользователь изменил или "
                "удалил эту запись. Перечитайте журнал (Выбор данных)."));

    reread();
    EXPECT_EQ(journal().pendingCount(), 0);
    EXPECT_FALSE(journal().rowPending(0));
}

TEST_F(EditingTest, ARefusalShowsTheServerReason) {
    db.exec("alter table doc_list add constraint only_small check (shtuk_count < 100)");
    nextEditor([this](auto&) { setText(Shtuk, "500"); });
    editing.ActionAddRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(
        u("Не сохранено на сервере: новая запись № 1.\nОтвет сервера: ")))
        << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(journal().rowPending(0));
    EXPECT_EQ(serverCount("doc_list"), 0);
}

TEST_F(EditingTest, ANumberTakenMeanwhileIsReplacedAndTheRecordKept) {
    // Another client stores record 1 between our stamping and our insert.
    journal().addBeforePost([this](core::ClientDataSet&) {
        static bool once = false;
        if (!once) {
            once = true;
            db.exec("insert into doc_list (Rec_IDN, doc_number) values (1, 'theirs')");
        }
    });
    nextEditor([this](auto&) { setText(DocNum, "mine"); });
    editing.ActionAddRecordExecute();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(
        serverValue("select group_concat(Rec_IDN, doc_number order by Rec_IDN) from doc_list"),
        "1theirs,2mine");
    EXPECT_EQ(journal().value(doc::Rec_IDN).asInt64(), 2);
    EXPECT_EQ(journal().pendingCount(), 0);
}

}  // namespace

namespace {

TEST_F(EditingTest, EnterMovesOnLikeTabAndPressesTheFocusedButton) {
    QStringList path;
    user.next([&] {
        editor.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
        EXPECT_EQ(QApplication::focusWidget(), editor.list(Source));
        testing_support::typeText(QApplication::focusWidget(), u("Архів"));
        // Seventeen fields, then "Сохранить".
        for (int i = 0; i < 17; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            path << QApplication::focusWidget()->objectName();
        }
        EXPECT_TRUE(editor.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(editor.isVisible());
    });
    editing.ActionAddRecordExecute();
    ASSERT_EQ(path.size(), 17);
    EXPECT_EQ(path[0], "DBDateEdit_pr_date");
    EXPECT_EQ(path[8], "DBNumberEdit_doc_stop_year");
    EXPECT_EQ(path[15], "DBComboBox_adv_info");
    EXPECT_EQ(path[16], "ButOk");
    EXPECT_EQ(serverValue("select doc_source from doc_list"), u("Архів"));
}

}  // namespace

namespace {

TEST_F(EditingTest, AStampingFailureOffersTheEditorAgainWithWhatWasTyped) {
    int failures = 1;
    journal().addBeforePost([&](core::ClientDataSet&) {
        if (failures-- > 0) throw core::DbError(1205, u("Lock wait timeout exceeded"));
    });
    int showings = 0;
    QString shownAgain;
    user.always([&] {
        if (showings++ == 0)
            setText(DocNum, "typed");
        else
            shownAgain = editor.edit(DocNum)->text();
        editor.okButton()->click();
    });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(showings, 2);
    EXPECT_EQ(shownAgain, "typed");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Журнал учета документов"));
    EXPECT_EQ(prompter.shown()[0].text, u("Lock wait timeout exceeded"));
    EXPECT_EQ(serverValue("select concat(Rec_IDN, doc_number) from doc_list"), "1typed");
}

}  // namespace

namespace {

TEST_F(EditingTest, ALongListItemIsCutInTheRecordAndNotAddedAgain) {
    const QString longName = QString(150, QChar(u'д'));
    db.exec("insert into sprav_doctype_list values ('" + longName + "')");
    reread();
    nextEditor([&](journal::TFormEditRecord& e) {
        e.list(Caption)->setCurrentIndex(e.list(Caption)->findText(longName));
    });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(serverValue("select char_length(doc_caption) from doc_list"), "100");
    EXPECT_EQ(serverCount("sprav_doctype_list"), 1);

    // The record's cut text is that item: saving the record again adds
    // no near-duplicate.
    settings.values().auto_update_sprav = true;
    nextEditor([this](auto&) { setText(DocNum, "again"); });
    editing.ActionEditRecordExecute();
    EXPECT_EQ(serverCount("sprav_doctype_list"), 1);
    EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace

namespace {

// The server's own reading of every stored journal column but the ones named,
// NULL and empty text told apart.
QString columnsExceptSql(const QStringList& skip) {
    QStringList cols;
    for (const auto& c : core::schema::columnsOf(core::schema::kJournalTable))
        if (!c.calculated && !skip.contains(QString::fromLatin1(c.name)))
            cols << QStringLiteral("quote(%1)").arg(QString::fromLatin1(c.name));
    return "select concat_ws('|', " + cols.join(", ") + ") from doc_list";
}

// A user's way through the editor on the screen: Enter from field to
// field, typing into the ones given, and Enter on "Сохранить".
void enterThrough(journal::TFormEditRecord& editor,
                  const QMap<journal::EditorControl, QString>& typed) {
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    for (int i = 0; i < journal::kEditorControlCount; ++i) {
        const auto c = journal::EditorControl(i);
        QWidget* w = QApplication::focusWidget();
        if (typed.contains(c)) {
            auto* line = qobject_cast<QLineEdit*>(w);
            if (!line) line = editor.list(c)->lineEdit();
            line->selectAll();
            QTest::keyClick(line, Qt::Key_Delete);
            testing_support::typeText(line, typed[c]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // on "Сохранить"
    EXPECT_EQ(editor.result(), QDialog::Accepted);
}

TEST_F(EditingTest, AnEditWritesOnlyTheFieldsTheUserChanged) {
    // Values the editor cannot show as they are, or that it would bring to
    // its bounds: an empty text beside NULL, a zero and a partial date, out
    // of range numbers.
    db.exec("set session sql_mode = ''");
    db.exec(
        "insert into doc_list (Rec_IDN, doc_source, pr_date, pr_num, parent_name, parent_place,"
        " doc_caption, doc_number, doc_date, doc_start_year, doc_stop_year, shtuk_count,"
        " paper_count, expert_fio, adv_info)"
        " values (3, '', '0000-00-00', NULL, '', NULL, 'Акт', 'old', '2012-00-00', 1850, 3100,"
        " 1500000000, -7, '', 'x  ')");
    reread();
    const QStringList changing = {"doc_number", "post_user", "post_moment"};
    const QString before = serverValue(columnsExceptSql(changing));
    const QString colum3 = journal().value(doc::Colum3).asText();
    const QString colum6 = journal().value(doc::Colum6).asText();

    user.next([this] { enterThrough(editor, {{DocNum, "new"}}); });
    editing.ActionEditRecordExecute();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(serverValue("select doc_number from doc_list"), "new");
    EXPECT_EQ(serverValue(columnsExceptSql(changing)), before);
    EXPECT_EQ(serverValue("select post_user = user() from doc_list"), "1");
    EXPECT_EQ(journal().value(doc::Colum3).asText(), colum3);
    EXPECT_EQ(journal().value(doc::Colum6).asText(), colum6);

    // A number the user does type is still brought to its bound.
    user.next([this] { enterThrough(editor, {{StartYear, "1850"}}); });
    editing.ActionEditRecordExecute();
    EXPECT_EQ(serverValue("select concat_ws('|', doc_start_year, doc_stop_year) from doc_list"),
              "1900|3100");
}

TEST_F(EditingTest, AFailedPreparationShowsItsErrorAndTouchesNothing) {
    db.exec("insert into doc_list (Rec_IDN, doc_number) values (1, 'last')");
    reread();
    // The editor has shown this record: its controls hold its texts.
    nextEditor(nullptr);
    editing.ActionEditRecordExecute();
    ASSERT_TRUE(prompter.shown().empty());

    struct Case {
        const char* name;
        std::function<void()> breakIt;
    };
    const Case cases[] = {
        {"a missing reference table", [this] { db.exec("rename table sprav_place_list to gone"); }},
        {"a lost connection",
         [this] {
             auto r = conn.query(QByteArray("select connection_id()"));
             ASSERT_TRUE(r->next());
             db.exec("kill " + r->field(0).asText());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.breakIt();
        const std::size_t boxes = prompter.shown().size();
        const int showings = user.showings();
        editing.ActionAddRecordExecute();
        editing.ActionEditRecordExecute();
        EXPECT_EQ(user.showings(), showings);
        ASSERT_EQ(prompter.shown().size(), boxes + 2);
        EXPECT_EQ(prompter.shown()[boxes].caption, u("Журнал учета документов"));
        EXPECT_EQ(journal().rowCount(), 1);
        EXPECT_EQ(journal().state(), core::ClientDataSet::State::Browse);
        EXPECT_EQ(journal().pendingCount(), 0);
        EXPECT_EQ(grid.rowCount(), 1);
        EXPECT_EQ(serverValue("select concat(count(*), max(doc_number)) from doc_list"), "1last");
    }
}

TEST_F(EditingTest, LookAlikesAreStoredAsTheCodePageHasThemAndOfferedOnce) {
    settings.values().auto_update_sprav = true;
    // U+02BC, as some Ukrainian keyboard layouts type the apostrophe.
    const QString typed = u("Вʼязка справ");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        user.next([&] { enterThrough(editor, {{Notes, typed}}); });
        editing.ActionAddRecordExecute();
        EXPECT_TRUE(prompter.shown().empty());
        EXPECT_EQ(serverCount("sprav_adv_info"), 1);
        EXPECT_EQ(dataSets.referenceList("sprav_adv_info").pendingCount(), 0);
    }
    EXPECT_EQ(serverValue("select group_concat(distinct hex(adv_info)) from doc_list"),
              "C292FFE7EAE020F1EFF0E0E2");  // "В’язка справ" in Windows-1251
    EXPECT_EQ(serverValue("select hex(comment_list) from sprav_adv_info"),
              "C292FFE7EAE020F1EFF0E0E2");
}

TEST_F(EditingTest, ACharacterTheDatabaseCannotHoldIsRefusedAndNothingIsSent) {
    settings.values().auto_update_sprav = true;
    int showings = 0;
    user.always([&] {
        if (showings++ == 0) {
            // Refused: the editor stays open with what was typed.
            setText(Caption, u("Опис 漢"));
            setText(Notes, u("нове"));
            editor.okButton()->click();
            EXPECT_TRUE(editor.isVisible());
            EXPECT_EQ(editor.list(Caption)->currentText(), u("Опис 漢"));
            editor.cancelButton()->click();  // the user gives up
            return;
        }
        editor.okButton()->click();
    });
    editing.ActionAddRecordExecute();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u("Ошибка"));
    EXPECT_EQ(prompter.shown()[0].text,
              u("Назва документа:\nСимвол «漢» (U+6F22) нельзя сохранить: его нет в кодировке "
                "базы данных (Windows-1251).\nЗамените его или удалите."));
    EXPECT_EQ(serverCount("doc_list"), 0);
    EXPECT_EQ(serverCount("sprav_adv_info"), 0);
    EXPECT_EQ(serverCount("sprav_doctype_list"), 0);
    EXPECT_EQ(journal().rowCount(), 0);
}

TEST_F(EditingTest, ALongTypedListTextGoesIntoTheListAsTheRecordHoldsIt) {
    settings.values().auto_update_sprav = true;
    const QString longName = QString(150, QChar(u'н'));
    nextEditor([&](auto&) { setText(Caption, longName); });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(serverValue("select char_length(doc_caption) from doc_list"), "100");
    EXPECT_EQ(serverValue("select char_length(type_name) from sprav_doctype_list"), "100");

    // Saving the record again, or typing the long text again, adds nothing.
    nextEditor([this](auto&) { setText(DocNum, "2"); });
    editing.ActionEditRecordExecute();
    nextEditor([&](auto&) { setText(Caption, longName); });
    editing.ActionAddRecordExecute();
    EXPECT_EQ(serverCount("sprav_doctype_list"), 1);
    EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace
