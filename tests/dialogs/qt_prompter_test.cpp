#include "dialogs/qt_prompter.h"
#include "dialogs/form_input_string.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using dialogs::BoxKind;
using dialogs::QtPrompter;
using B = QMessageBox;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Once the next modal window is up, hands it to `act`.
template <class Window>
void whenModal(std::function<void(Window&)> act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr) << "no modal window of the expected kind";
        act(*w);
    });
}

void answerBox(B::StandardButton button) {
    whenModal<B>([button](B& box) { box.button(button)->click(); });
}

}  // namespace

TEST(QtPrompterTest, EachKindOfBoxHasItsIconButtonsAndDefault) {
    struct Case {
        BoxKind kind;
        B::Icon icon;
        B::StandardButtons buttons;
        B::StandardButton defaultButton;
        QStringList texts;  // the buttons' captions in the order of the buttons above
    };
    const Case cases[] = {
        {BoxKind::Error, B::Critical, B::Ok, B::Ok, {"OK"}},
        {BoxKind::Report, B::Information, B::Ok, B::Ok, {"OK"}},
        {BoxKind::Question, B::Question, B::Yes | B::No, B::Yes, {u("Да"), u("Нет")}},
        {BoxKind::DestructiveQuestion, B::Question, B::Yes | B::No, B::No, {u("Да"), u("Нет")}},
        {BoxKind::FailedStatement,
         B::Question,
         B::Abort | B::Retry | B::Ignore,
         B::Abort,
         {u("Прервать"), u("Повтор"), u("Пропустить")}},
    };
    QWidget window;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        const auto box = dialogs::makeMessageBox(c.kind, u("Ошибка"), u("Текст <b>1</b>"), &window);
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(box->standardButtons(), c.buttons);
        EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton));
        EXPECT_EQ(box->windowTitle(), u("Ошибка"));
        EXPECT_EQ(box->text(), u("Текст <b>1</b>"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        QStringList texts;
        for (QAbstractButton* b : box->buttons()) texts << b->text();
        texts.sort();
        QStringList expected = c.texts;
        expected.sort();
        EXPECT_EQ(texts, expected);
    }
}

TEST(QtPrompterTest, LineBreaksOfEitherOrderShowAsOneBreak) {
    const auto box = dialogs::makeMessageBox(BoxKind::Report, "c", "a\r\nb\n\rc\nd\re", nullptr);
    EXPECT_EQ(box->text(), "a\nb\nc\nd\ne");
}

TEST(QtPrompterTest, AnswersOfTheShownBoxes) {
    QWidget window;
    QtPrompter p(&window);
    struct Case {
        B::StandardButton clicked;
        bool yes;
    };
    for (const Case c : {Case{B::Yes, true}, Case{B::No, false}}) {
        answerBox(c.clicked);
        EXPECT_EQ(p.question("q", "?"), c.yes);
        answerBox(c.clicked);
        EXPECT_EQ(p.destructiveQuestion("q", "?"), c.yes);
    }
    using A = core::Prompter::Answer;
    for (const auto& [button, answer] :
         {std::pair{B::Abort, A::Abort}, std::pair{B::Retry, A::Retry},
          std::pair{B::Ignore, A::Ignore}}) {
        answerBox(button);
        EXPECT_EQ(p.abortRetryIgnore(u("Ошибка"), "stmt"), answer);
    }
    // Escape on a yes/no question never means Yes.
    whenModal<B>([](B& box) { box.reject(); });
    EXPECT_FALSE(p.destructiveQuestion("q", "?"));

    QString seen;
    whenModal<B>([&seen](B& box) {
        seen = box.windowTitle() + "|" + box.text();
        box.button(B::Ok)->click();
    });
    core::ErrorBox(p, u("Нет связи"));
    EXPECT_EQ(seen, u("Ошибка|Нет связи"));
}

TEST(QtPrompterTest, InputStringUsesTheOneInputWindow) {
    QtPrompter p;
    whenModal<dialogs::TFormInputString>([](dialogs::TFormInputString& f) {
        EXPECT_EQ(f.windowTitle(), "Caption");
        f.EditValue->setText("201105");
        f.BitBtn1->click();
    });
    EXPECT_EQ(p.inputString("Caption", "Prompt", "2011"), "201105");
    whenModal<dialogs::TFormInputString>([](dialogs::TFormInputString& f) { f.BitBtn2->click(); });
    EXPECT_EQ(p.inputString("Caption", "Prompt", "2011"), std::nullopt);
    EXPECT_EQ(&p.inputForm(), &p.inputForm());
}

TEST(QtPrompterTest, FileFiltersInQtForm) {
    struct Case {
        const char* given;
        const char* qt;
    };
    for (const Case c : {Case{"Архивы базы данных|*.ARC", "Архивы базы данных (*.ARC *.arc)"},
                         Case{"SQL|*.sql;*.TXT|Все|*.*", "SQL (*.sql *.TXT *.txt);;Все (*.*)"},
                         Case{"Images (*.png)", "Images (*.png)"}})
        EXPECT_EQ(dialogs::qtFileFilter(u(c.given)), u(c.qt));
}

// The dialogs give the chosen path, add the default suffix on saving, give
// nullopt when cancelled and leave the current directory as it was.
TEST(QtPrompterTest, FileDialogsKeepTheCurrentDirectory) {
    QTemporaryDir start, elsewhere;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(start.path()));
    QtPrompter p;

    whenModal<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), u("Экспорт базы данных"));
        EXPECT_EQ(d.defaultSuffix(), "ARC");
        QDir::setCurrent(elsewhere.path());  // as a native dialog may do
        d.selectFile(start.filePath("backup"));
        static_cast<QDialog&>(d).accept();  // the dialog's own accept, as its button does
    });
    EXPECT_EQ(p.saveFileName(u("Экспорт базы данных"), u("Архивы базы данных|*.ARC"), "ARC"),
              start.filePath("backup.ARC"));
    EXPECT_EQ(QDir::currentPath(), QDir(start.path()).canonicalPath());

    whenModal<QFileDialog>([&](QFileDialog& d) {
        QDir::setCurrent(elsewhere.path());
        d.reject();
    });
    EXPECT_EQ(p.openFileName(u("Импорт базы данных"), u("Архивы базы данных|*.ARC")), std::nullopt);
    EXPECT_EQ(QDir::currentPath(), QDir(start.path()).canonicalPath());
    QDir::setCurrent(before);
}
