#include "app/form_main.h"
#include "admin/form_admin.h"
#include "core/schema.h"
#include "dialogs/qt_prompter.h"
#include "grid/data_grid.h"
#include "grid/grid_filter_model.h"
#include "grid/grid_header.h"
#include "journal/form_data_select.h"
#include "journal/form_edit_record.h"
#include "journal/journal_view.h"
#include "reports/form_report_select.h"
#include "reports/print_preview.h"
#include "reports/reports_controller.h"
#include "tests/reports/pdf_reading.h"
#include "tests/support/dialog_user.h"
#include "tests/support/scripted_login.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"
#include "tests/support/typing.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using core::LoginAnswer;
using testing_support::ScriptedLogin;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;
using Kind = ScriptedPrompter::Kind;

namespace {

QStringList enabledActions(const app::TFormMain& w) {
    QStringList out;
    for (QAction* a : w.actions())
        if (a->isEnabled()) out << a->objectName();
    return out;
}

// The actions of the group that is always enabled.
const QStringList kGroup100 = {"ActionLogin", "ActionExit", "ActionHelp", "ActionAbout",
                               "ActionConfig"};
// After a login as root every action is enabled.
const QStringList kConnected = {"ActionLogin",         "ActionExit",         "ActionHelp",
                                "ActionAbout",         "ActionBaseExport",   "ActionBaseImport",
                                "ActionAdmin",         "ActionPrintLog",     "ActionPrintReport",
                                "ActionAddRecord",     "ActionDeleteRecord", "ActionEditRecord",
                                "ActionSelectData",    "ActionSprav",        "ActionConfig",
                                "ActionExportLogXlsx", "ActionExportLogCsv"};

// The printouts the print preview would show, saved as PDF files and read.
struct PdfPrintouts : reports::PrintoutViewer {
    explicit PdfPrintouts(const QTemporaryDir& dir) : dir(dir) {}
    void show(const reports::GridPrinter& gp, QPrinter& printer) override {
        orientations << printer.pageLayout().orientation();
        const QString path = dir.filePath(QStringLiteral("p%1.pdf").arg(texts.size()));
        ASSERT_TRUE(reports::savePdf(gp, printer, path));
        pages << testing_support::pdfPageSize(path);
        texts << testing_support::pdfText(path);
    }
    const QTemporaryDir& dir;
    QList<QSizeF> pages;
    QStringList texts;
    QList<QPageLayout::Orientation> orientations;
};

// A main window over a journal database of four records on two meeting dates.
class MainWindow : public ::testing::Test {
  protected:
    MainWindow()
        : db(true, "velkor"),
          window(dir.filePath("velkor.INI"),
                 {.prompter = &prompter, .login = &login, .printouts = &printouts}) {
        db.exec(
            QString::fromUtf8("insert into doc_list (Rec_IDN, pr_date, pr_num, parent_name, "
                              "parent_place, doc_caption,"
                              " shtuk_count, one_count) values"
                              " (1, '2011-03-15', '1', 'Б-архів', 'Київ', 'Накази', 3, 0),"
                              " (2, '2012-05-01', '10', 'В-школа', NULL, 'Акти', NULL, NULL),"
                              " (3, '2012-05-01', '2', 'А-суд', 'Ірпінь', 'Листи', 1, 1),"
                              " (4, '2012-05-01', '3', NULL, 'Обухів', NULL, NULL, NULL)"));
        window.context().settings.values().HostName = testing_support::serverHost();
    }
    // A window of the main window's, as the user finds it on the screen.
    template <class Window>
    Window& windowOf() {
        Window* w = window.findChild<Window*>();
        EXPECT_NE(w, nullptr);
        return *w;
    }
    void logIn(const QString& password = testing_support::serverPassword()) {
        login.answer = LoginAnswer{db.name().mid(6), "root", password};
        window.ActionLogin->trigger();
    }
    // Column 1 (Rec_IDN) of the rows as the grid shows them.
    QStringList shownIds() {
        QStringList ids;
        auto* rows = window.grid().rowsModel();
        for (int r = 0; r < rows->rowCount(); ++r)
            ids << window.grid().mapToSource(rows->index(r, 0)).data().toString();
        return ids;
    }
    TempDatabase db;
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ScriptedLogin login;
    PdfPrintouts printouts{dir};
    app::TFormMain window;
};

TEST_F(MainWindow, EnablingRuleBeforeAndAfterLoginAndAfterAFailedRelogin) {
    EXPECT_EQ(enabledActions(window), kGroup100);
    EXPECT_EQ(window.selectionLine().text(), QString::fromUtf8("Условия выбора данных: "));
    logIn();
    ASSERT_TRUE(prompter.shown().empty());
    EXPECT_EQ(enabledActions(window), kConnected);
    EXPECT_EQ(window.grid().rowCount(), 3);
    logIn("wrong");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QString::fromUtf8("Не могу подключиться к серверу"));
    EXPECT_EQ(enabledActions(window), kGroup100);
    // The rows already shown stay visible.
    EXPECT_EQ(window.grid().rowCount(), 3);
}

TEST_F(MainWindow, LoginListsTheLatestMeetingWithComposedColumns) {
    logIn();
    EXPECT_EQ(window.selectionLine().text(),
              QString::fromUtf8("Условия выбора данных:  дата протокола: 01.05.2012"));
    EXPECT_EQ(shownIds(), QStringList({"2", "3", "4"}));
    const auto& model = window.journalView().model();
    namespace doc = core::schema::doc;
    EXPECT_EQ(model.index(1, doc::Colum3).data().toString(), "01.05.2012\n2");
    EXPECT_EQ(model.index(1, doc::Colum4).data().toString(), QString::fromUtf8("А-суд\nІрпінь"));
    EXPECT_EQ(model.index(1, doc::Colum6).data().toString(), QString::fromUtf8("1 шт.\n1 од.зб."));
    EXPECT_EQ(model.index(2, doc::Colum4).data().toString(), QString::fromUtf8("Обухів"));
}

TEST_F(MainWindow, TitleClicksOrderTheQueryAndKeepTheOrder) {
    logIn();
    auto& view = window.journalView();
    view.DBGridEhMainLogTitleClick(3);  // column 4
    EXPECT_EQ(window.context().selection.select_order(),
              " ORDER BY parent_name, parent_place, Rec_IDN");
    EXPECT_EQ(shownIds(), QStringList({"4", "3", "2"}));
    view.DBGridEhMainLogTitleClick(5);  // column 6 re-runs without a new order
    EXPECT_EQ(window.context().selection.select_order(),
              " ORDER BY parent_name, parent_place, Rec_IDN");
    view.DBGridEhMainLogTitleClick(2);                    // column 3: protocol numbers are texts
    EXPECT_EQ(shownIds(), QStringList({"2", "3", "4"}));  // "10" < "2" < "3"
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainWindow, RefusedQueryShowsTheGeneralErrorAndEmptiesTheGrid) {
    logIn();
    const QString line = window.selectionLine().text();
    window.context().selection.setSelection(" where nonsense_column = 1",
                                            window.context().selection.select_info());
    window.journalView().DBGridEhMainLogTitleClick(0);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, Kind::Error);
    EXPECT_EQ(prompter.shown()[0].caption, QString::fromUtf8("Журнал учета документов"));
    EXPECT_TRUE(prompter.shown()[0].text.contains("nonsense_column"));
    EXPECT_EQ(window.grid().rowCount(), 0);
    EXPECT_EQ(window.selectionLine().text(), line);
}

TEST_F(MainWindow, InsertAndDeleteKeysReachTheEditingHandlersOnlyWhileTheJournalIsOpen) {
    QSignalSpy adds(&window.journalView(), &journal::JournalView::addRequested);
    QSignalSpy deletes(&window.journalView(), &journal::JournalView::deleteRequested);
    // Insert reaches the program's own handler, which opens the editor; the
    // user closes it with "Отменить".
    auto& editor = windowOf<journal::TFormEditRecord>();
    testing_support::DialogUser user(editor);
    user.always([&] { editor.cancelButton()->click(); });
    EXPECT_FALSE(window.journalView().DBGridEhMainLogKeyDown(Qt::Key_Insert));
    logIn();
    EXPECT_TRUE(window.journalView().DBGridEhMainLogKeyDown(Qt::Key_Insert));
    EXPECT_EQ(user.showings(), 1);
    // Delete reaches the program's own handler, which asks first.
    prompter.yesNo = {false};
    EXPECT_TRUE(window.journalView().DBGridEhMainLogKeyDown(Qt::Key_Delete));
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_EQ(prompter.shown().back().text,
              QString::fromUtf8("Удалить текущую запись из журнала?"));
    EXPECT_FALSE(window.journalView().DBGridEhMainLogKeyDown(Qt::Key_F2));
    EXPECT_EQ(adds.count(), 1);
    EXPECT_EQ(deletes.count(), 1);
}

TEST_F(MainWindow, DataSelectionNarrowsTheJournalAndIsSharedBetweenCallers) {
    auto& dialog = windowOf<journal::TFormDataSelect>();
    logIn();
    // Answer the modal dialog once it is up: "Прешій рік"... here the protocol number.
    QTimer::singleShot(0, [&] {
        auto* grid = dialog.findChild<QTableWidget*>();
        ASSERT_NE(grid, nullptr);
        grid->item(2, 1)->setText("10");
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8("Продолжить")) b->click();
    });
    window.ActionSelectData->trigger();
    EXPECT_EQ(window.context().selection.select_where(), " where pr_num = \"10\" ");
    EXPECT_EQ(window.selectionLine().text(),
              QString::fromUtf8("Условия выбора данных: № протокола равен 10"));
    EXPECT_EQ(shownIds(), QStringList({"2"}));
    // A cancelled dialog changes nothing; the typed value is still there.
    QTimer::singleShot(0, [&] {
        auto* grid = dialog.findChild<QTableWidget*>();
        EXPECT_EQ(grid->item(2, 1)->text(), "10");
        dialog.reject();
    });
    window.ActionSelectData->trigger();
    EXPECT_EQ(window.context().selection.select_where(), " where pr_num = \"10\" ");
}

TEST_F(MainWindow, AHugeSelectionLeavesTheGridItsRows) {
    auto& dialog = windowOf<journal::TFormDataSelect>();
    window.resize(1200, 800);
    window.show();
    logIn();
    const QString huge(10000, QLatin1Char('7'));
    QTimer::singleShot(0, [&] {
        dialog.findChild<QTableWidget*>()->item(2, 1)->setText(huge);
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8("Продолжить")) b->click();
    });
    window.ActionSelectData->trigger();
    QApplication::processEvents();
    const QLabel& line = window.selectionLine();
    EXPECT_TRUE(line.text().endsWith(QChar(0x2026)));
    EXPECT_LE(line.text().size(), journal::JournalView::kSelectionChars + 1);
    EXPECT_TRUE(line.toolTip().contains(huge));
    EXPECT_LE(line.height(),
              QFontMetrics(line.font()).lineSpacing() * journal::JournalView::kSelectionLines + 8);
    EXPECT_GT(window.grid().height(), 400);
}

TEST_F(MainWindow, ClosingAsksAndWritesTheSettingsOnlyOnYes) {
    const QString ini = window.context().settings.path();
    prompter.yesNo = {false};
    QCloseEvent no;
    QCoreApplication::sendEvent(&window, &no);
    EXPECT_FALSE(no.isAccepted());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, Kind::Question);
    EXPECT_EQ(prompter.shown()[0].caption, QString::fromUtf8("Выход"));
    EXPECT_EQ(prompter.shown()[0].text, QString::fromUtf8("Завершить работу с программой?"));
    EXPECT_FALSE(QFile::exists(ini));

    window.grid().setColumnWidths({50, 210});
    prompter.yesNo = {true};
    QCloseEvent yes;
    QCoreApplication::sendEvent(&window, &yes);
    EXPECT_TRUE(yes.isAccepted());
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("Col0W=50\r\nCol1W=210\r\nCol2W=180"));
    EXPECT_TRUE(text.contains(
        QByteArray(QByteArray("HostName=") + testing_support::serverHost().toLatin1())));
}

// A filter typed into the grid, then the query run again by a click on the
// title of column 4 and by a new login: the columns keep their widths, and
// closing stores those.
TEST_F(MainWindow, FilteredGridKeepsItsColumnsThroughNewQueries) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    logIn();
    grid::DataGrid& grid = window.grid();
    const QList<int> widths = grid.columnWidths();
    QLineEdit* filter = grid.filterEdit(3);
    testing_support::typeText(filter, QString::fromUtf8("школа"));
    QTest::keyClick(filter, Qt::Key_Return);
    ASSERT_EQ(shownIds(), QStringList({"2"}));

    grid::GridHeader* header = grid.header(3);
    const int logical = grid.columns()[3].source;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                       header->titleHeight() / 2});
    EXPECT_EQ(window.context().selection.select_order(),
              " ORDER BY parent_name, parent_place, Rec_IDN");
    logIn();
    EXPECT_EQ(grid.columnWidths(), widths);
    for (int c = 0; c < grid.columns().size(); ++c)
        EXPECT_EQ(grid.header(c)->sectionSize(grid.columns()[c].source), widths[c]) << c;
    EXPECT_EQ(shownIds(), QStringList({"2"}));

    prompter.yesNo = {true};
    QCloseEvent close;
    QCoreApplication::sendEvent(&window, &close);
    QFile f(window.context().settings.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        f.readAll().contains("Col0W=44\r\nCol1W=200\r\nCol2W=180\r\nCol3W=190\r\n"
                             "Col4W=160\r\nCol5W=150\r\nCol6W=165\r\nCol7W=114"));
}

// The editing actions work on the current record, so it is always one the
// grid shows: a filter that hides it moves it to the first row shown, and so
// does a new query whose first row the filter hides.
TEST_F(MainWindow, CurrentRecordStaysAmongTheShownRows) {
    logIn();
    core::ClientDataSet& journal = window.context().dataSets.journal();
    const auto currentId = [&] { return journal.value(journal.current(), 0).asText(); };
    ASSERT_EQ(currentId(), "2");
    window.grid().setFilterText(3, QString::fromUtf8("суд"));
    QCoreApplication::processEvents();
    EXPECT_EQ(shownIds(), QStringList({"3"}));
    EXPECT_EQ(currentId(), "3");
    EXPECT_TRUE(window.journalView().currentShown());
    EXPECT_EQ(window.grid().currentSourceRow(), journal.current());

    window.journalView().RunJournalQuery();  // its first row, id 2, is hidden
    QCoreApplication::processEvents();
    EXPECT_EQ(currentId(), "3");
    EXPECT_EQ(window.grid().currentSourceRow(), journal.current());

    window.grid().setFilterText(3, QString::fromUtf8("нічого такого"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.journalView().currentShown());
}

// A dialog that closes hands the focus back to the window it blocked: a
// box over the data selection to the selection, the selection to the main
// window, whose keys (F7 ...) then work at once.
TEST(MainWindowFocus, ClosingADialogGivesTheFocusBack) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    app::TFormMain window(dir.filePath("velkor.INI"), {.prompter = &prompter});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    journal::TFormDataSelect dialog(prompter, &window);
    dialog.setWindowModality(Qt::ApplicationModal);  // as while it runs
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const auto box =
        dialogs::makeMessageBox(dialogs::BoxKind::Error, QString::fromUtf8("Ошибка"), "?", &window);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));

    box->accept();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
    dialog.reject();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

// A lost connection found by any call disables what needs the server at
// once, before the window had a moment to itself and without an action.
TEST_F(MainWindow, LostConnectionDisablesTheActionsAtOnce) {
    logIn();
    ASSERT_EQ(enabledActions(window), kConnected);
    qint64 id = 0;
    {
        auto r = window.context().session.connection().query(QByteArray("select connection_id()"));
        ASSERT_TRUE(r->next());
        id = r->field(0).asInt64();
    }
    db.exec(QString("kill connection %1").arg(id));
    EXPECT_THROW(window.context().session.connection().execute(QByteArray("select 1")),
                 core::DbError);
    EXPECT_EQ(enabledActions(window), kGroup100);
    logIn();
    EXPECT_EQ(enabledActions(window), kConnected);
}

TEST(MainWindowSettings, StoredWidthsApplyByPosition) {
    QTemporaryDir dir;
    QFile f(dir.filePath("velkor.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Grid]\r\nCol1W=321\r\nCol7W=77\r\n");
    f.close();
    ScriptedPrompter prompter;
    app::TFormMain window(f.fileName(), {.prompter = &prompter});
    EXPECT_EQ(window.grid().columnWidths(), QList<int>({44, 321, 180, 190, 160, 150, 165, 77}));
}

// The administration window opens from its action once a login enabled
// it, with the server's lists already filled.
TEST_F(MainWindow, AdministrationOpensWithBothListsAfterLogin) {
    auto& form = windowOf<admin::TFormAdmin>();
    EXPECT_FALSE(window.ActionAdmin->isEnabled());
    logIn();
    ASSERT_TRUE(window.ActionAdmin->isEnabled());

    QStringList databases;
    QStringList accounts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!form.isVisible() || form.ListBox_users->count() == 0) return;
        for (int i = 0; i < form.ListBox_DB_list->count(); ++i)
            databases << form.ListBox_DB_list->item(i)->text();
        for (int i = 0; i < form.ListBox_users->count(); ++i)
            accounts << form.ListBox_users->item(i)->text();
        form.BitBtn1->click();
    });
    poll.start(10);
    window.ActionAdmin->trigger();
    EXPECT_TRUE(databases.contains(db.name().mid(6)));
    EXPECT_FALSE(accounts.filter(QRegularExpression("^root@")).isEmpty());
    EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace

namespace {

TEST_F(MainWindow, PrintingTheReportThenTheJournalPrintsTheJournalInLandscapeAsShown) {
    auto& reportSelect = windowOf<reports::TFormReportSelect>();
    const QStringList& texts = printouts.texts;
    const QList<QSizeF>& pages = printouts.pages;
    const QList<QPageLayout::Orientation>& orientations = printouts.orientations;
    logIn();
    window.journalView().DBGridEhMainLogTitleClick(3);  // by organisation: 4, 3, 2

    QTimer::singleShot(0, &reportSelect, [&] { reportSelect.ButOk->click(); });
    window.ActionPrintReport->trigger();
    window.ActionPrintLog->trigger();

    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(orientations, QList({QPageLayout::Portrait, QPageLayout::Landscape}));
    EXPECT_LT(pages[0].width(), pages[0].height());
    EXPECT_GT(pages[1].width(), pages[1].height());
    // The report covers every record; the journal only the rows shown, in
    // the order shown.
    EXPECT_TRUE(texts[0].contains(QString::fromUtf8("Накази")));
    const QString& journal = texts[1];
    EXPECT_TRUE(testing_support::appearInOrder(
        journal,
        {QString::fromUtf8("Журнал обліку документів, схвалених (погоджених) ЕПК"),
         QString::fromUtf8("Обухів"), QString::fromUtf8("А-суд"), QString::fromUtf8("В-школа")}))
        << journal.toStdString();
    EXPECT_FALSE(journal.contains(QString::fromUtf8("Б-архів")));
}

// The fill report chooses its own selection in the journal's data selection
// dialog: what was typed there for the journal shows again, and what the
// report chooses narrows the report and leaves the journal as it was.
TEST_F(MainWindow, TheReportChoosesItsSelectionInTheJournalsDataSelectionDialog) {
    auto& dataSelect = windowOf<journal::TFormDataSelect>();
    auto& reportSelect = windowOf<reports::TFormReportSelect>();
    testing_support::DialogUser selecting(dataSelect);
    testing_support::DialogUser reporting(reportSelect);
    // The minimum of the protocol number, as the dialog shows it.
    const auto protocol = [&] { return dataSelect.StringGridParams->item(2, 1); };
    logIn();
    selecting.next([&] {
        protocol()->setText("10");
        dataSelect.ButOk->click();
    });
    window.ActionSelectData->trigger();
    ASSERT_EQ(window.context().selection.select_where(), " where pr_num = \"10\" ");

    QString shownAgain, condition;
    selecting.next([&] {
        shownAgain = protocol()->text();
        protocol()->setText("2");
        dataSelect.ButOk->click();
    });
    reporting.next([&] {
        reportSelect.But_data_select->click();
        condition = reportSelect.Label_info->text();
        reportSelect.ButOk->click();
    });
    window.ActionPrintReport->trigger();

    EXPECT_EQ(selecting.showings(), 2);
    EXPECT_EQ(shownAgain, "10");
    EXPECT_EQ(condition, QString::fromUtf8("№ протокола равен 2"));
    EXPECT_EQ(reportSelect.whereText(), " where pr_num = \"2\" ");
    ASSERT_EQ(printouts.texts.size(), 1);
    EXPECT_TRUE(printouts.texts[0].contains(QString::fromUtf8("Листи")));
    EXPECT_FALSE(printouts.texts[0].contains(QString::fromUtf8("Накази")));
    EXPECT_EQ(window.context().selection.select_where(), " where pr_num = \"10\" ");
    EXPECT_EQ(shownIds(), QStringList({"2"}));
    EXPECT_TRUE(prompter.shown().empty());
}

}  // namespace
