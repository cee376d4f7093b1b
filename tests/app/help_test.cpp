// The help window as the user reaches it: from its menu item, read with the
// keyboard, closed and asked for again; F1 keeps opening the about window;
// and the guide's menu paths and keys are those of the main window.
#include "about/form_about.h"
#include "app/form_main.h"
#include "core/codepage.h"
#include "dialogs/form_help.h"
#include "journal/record_store.h"
#include "tests/support/scripted_prompter.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>

using dialogs::TFormHelp;
using testing_support::ScriptedPrompter;

namespace {

QString plain(const QString& text) { return text.simplified(); }

// A key as the user presses it: to the window, which hands it to its
// focus widget or to a shortcut.
void press(QWidget* window, Qt::Key key) { QTest::keyClick(window->windowHandle(), key); }

QString caption(const QAction* a) { return QString(a->text()).remove(QLatin1Char('&')); }

class Help : public ::testing::Test {
  protected:
    Help() : window(dir.filePath("velkor.INI"), {.prompter = &prompter}) {
        window.show();
        window.activateWindow();
    }
    QList<TFormHelp*> helpWindows() const { return window.findChildren<TFormHelp*>(); }
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    app::TFormMain window;
};

TEST_F(Help, MenuItemShowsTheGuideBesideTheWindowAndBringsTheSameWindowBack) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(helpWindows().isEmpty());
    ASSERT_TRUE(window.ActionHelp->isEnabled());  // before any login
    window.ActionHelp->trigger();
    ASSERT_EQ(helpWindows().size(), 1);
    TFormHelp* help = helpWindows().front();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Использование программы"));
    // Not modal: the main window stays usable while the guide is open.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(help->ButClose->text(), QString::fromUtf8("Закрыть"));

    // The shipped guide, as the reader sees it: its title as a heading and
    // the program's own messages where it quotes them.
    const QTextBlock first = help->Browser->document()->firstBlock();
    EXPECT_EQ(first.blockFormat().headingLevel(), 1);
    EXPECT_EQ(first.text(),
              QString::fromUtf8("Журнал учета документов ЕПК: как работать с программой"));
    const QString shown = plain(help->Browser->toPlainText());
    const QString uncarried = core::uncarriedMessage(U'ѣ').section(QLatin1Char('\n'), 0, 0);
    const QString apostrophe =
        QString::fromUtf8("апостроф ʼ сохраняется как ") + core::asStored(QString::fromUtf8("ʼ"));
    core::ClientDataSet::ApplyResult conflict;
    conflict.errors = 1;
    conflict.refusals.push_back({core::ClientDataSet::Refusal::Update, 14, 0, {}, "15"});
    const QString refused = journal::refusalText(window.context().dataSets.journal(), conflict);
    for (const QString& phrase :
         {QString::fromUtf8("Не могу подключиться к серверу"), refused,
          QString::fromUtf8("Сохраняются только поля, которые вы изменили"), uncarried, apostrophe,
          QString::fromUtf8("Настройки хранятся в файле velkor.INI рядом с программой")})
        EXPECT_TRUE(shown.contains(plain(phrase))) << phrase.toStdString();

    // The keys scroll the text at once, without a click into it first.
    QScrollBar* bar = help->Browser->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the guide should be longer than the window";
    ASSERT_EQ(bar->value(), 0);
    press(help, Qt::Key_PageDown);
    EXPECT_GT(bar->value(), 0);
    press(help, Qt::Key_End);
    QTextCursor end(help->Browser->document());
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(help->Browser->viewport()->rect().contains(help->Browser->cursorRect(end)))
        << "End shows the guide's last line";
    press(help, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    press(help, Qt::Key_Down);
    press(help, Qt::Key_PageDown);
    const int readTo = bar->value();
    // Enter is no way to close it by accident.
    press(help, Qt::Key_Return);
    EXPECT_TRUE(help->isVisible());

    press(help, Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    window.ActionHelp->trigger();
    ASSERT_EQ(helpWindows().size(), 1);
    EXPECT_EQ(helpWindows().front(), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(bar->value(), readTo);

    // Asked for while open behind the main window, it comes to the front.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.ActionHelp->trigger();
    EXPECT_TRUE(QTest::qWaitForWindowActive(help));
    EXPECT_EQ(helpWindows().size(), 1);

    QTest::mouseClick(help->ButClose, Qt::LeftButton);
    EXPECT_FALSE(help->isVisible());
}

// F1 is the about window's, from the main window and from an open guide.
TEST_F(Help, F1OpensTheAboutWindowAndNotTheGuide) {
    auto* aboutForm = window.findChild<about::TFormAbout*>();
    ASSERT_NE(aboutForm, nullptr);
    window.ActionHelp->trigger();
    ASSERT_EQ(helpWindows().size(), 1);
    TFormHelp* help = helpWindows().front();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    for (bool fromGuide : {false, true}) {
        SCOPED_TRACE(fromGuide ? "F1 in the guide" : "F1 in the main window");
        QWidget* target = &window;
        if (fromGuide) {
            window.ActionHelp->trigger();
            ASSERT_TRUE(QTest::qWaitForWindowActive(help));
            target = help;
        }
        QWidget* modal = nullptr;
        QTimer::singleShot(0, [&] {
            modal = QApplication::activeModalWidget();
            if (modal) modal->close();
        });
        press(target, Qt::Key_F1);
        EXPECT_EQ(modal, aboutForm);
        EXPECT_EQ(helpWindows().size(), 1);
    }
}

// Every «menu → item» the guide names is an item of that menu, with the key
// the guide gives for it, and every menu item is in the guide.
TEST_F(Help, GuideNamesTheMenuItemsAndKeysOfTheMainWindow) {
    QHash<QString, QAction*> items;  // "menu → item"
    for (QAction* top : window.menuBar()->actions()) {
        if (!top->menu()) continue;
        for (QAction* a : top->menu()->actions())
            if (!a->isSeparator())
                items.insert(caption(top) + QString::fromUtf8(" → ") + caption(a), a);
    }
    ASSERT_EQ(items.size(), window.actions().size());

    const QString guide = plain(TFormHelp::guideText());
    ASSERT_FALSE(guide.isEmpty());
    // A path, and a key in brackets right after it: «Меню → Пункт» (F7 ...).
    static const QRegularExpression path(QString::fromUtf8("«([^«»]+ → [^«»]+)»( \\((F\\d+))?"));
    QSet<QString> named;
    for (auto it = path.globalMatch(guide); it.hasNext();) {
        const auto m = it.next();
        const QString item = m.captured(1);
        SCOPED_TRACE(item.toStdString());
        named.insert(item);
        ASSERT_TRUE(items.contains(item)) << "no such menu item";
        if (m.hasCaptured(3)) {
            EXPECT_EQ(items.value(item)->shortcut().toString(), m.captured(3));
        }
    }
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        EXPECT_TRUE(named.contains(it.key())) << "not in the guide: " << it.key().toStdString();
        // A key the action has is given where the guide names the item.
        if (!it.value()->shortcut().isEmpty()) {
            EXPECT_TRUE(guide.contains(QString::fromUtf8("«") + it.key() +
                                       QString::fromUtf8("» (") +
                                       it.value()->shortcut().toString()))
                << "key missing in the guide: " << it.key().toStdString();
        }
    }
}

}  // namespace
