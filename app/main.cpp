// Start-up: the executable's folder becomes the current folder, the look is
// applied, the main window is made (its feature controllers make the other
// windows, each once) and shown, and the event loop runs until it closes.

#include "app/app_style.h"
#include "app/form_main.h"
#include "core/settings.h"
#include "dialogs/general_error.h"
#include "dialogs/print_fonts.h"
#include "dialogs/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <clocale>

namespace {

// Errors that escape an event handler end that handler, not the program.
class Application : public QApplication {
  public:
    using QApplication::QApplication;
    core::Prompter* prompter = nullptr;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            const QString text = dialogs::currentErrorText();
            if (prompter) dialogs::showGeneralError(*prompter, text);
            return false;
        }
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    Application application(argc, argv);
    // Qt took the whole locale from the environment. Numbers never pass
    // through it in our own code, but C libraries print and read them with
    // it (a decimal comma would corrupt a workbook), so they get the C form.
    std::setlocale(LC_NUMERIC, "C");
    // The interface is Russian whatever the desktop's language: the
    // toolkit's own dialogs and buttons (file dialogs, Yes/No) too.
    QTranslator qtRussian;
    if (qtRussian.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtRussian);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    app::applyVisualStyle(application);
    dialogs::installFontSubstitutes();
    QCoreApplication::setApplicationName(QStringLiteral("velkor"));
    dialogs::QtPrompter startupPrompter;
    application.prompter = &startupPrompter;
    try {
        app::TFormMain main(core::settingsPathFor(QCoreApplication::applicationFilePath()));
        application.prompter = &main.prompter();
        // Without a window manager "maximised" means nothing: take the
        // screen's free area first, then ask for the maximised state.
        if (QScreen* screen = main.screen()) main.setGeometry(screen->availableGeometry());
        main.showMaximized();
        return application.exec();
    } catch (...) {
        dialogs::showGeneralError(startupPrompter, dialogs::currentErrorText());
        return 1;
    }
}
