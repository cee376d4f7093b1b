// Start-up: the executable's folder becomes the current folder, the look is
// applied, every window is made once (the main window first) and the event
// loop runs until the main window closes.

#include "app/app_style.h"
#include "app/form_main.h"
#include "core/settings.h"
#include "dialogs/form_config.h"
#include "dialogs/form_input_string.h"
#include "dialogs/form_password.h"
#include "dialogs/form_progress.h"
#include "dialogs/general_error.h"
#include "dialogs/qt_prompter.h"
#include "journal/form_data_select.h"
#include "journal/form_edit_record.h"
#include "journal/form_sprav.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

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
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    app::applyVisualStyle(application);
    QCoreApplication::setApplicationName(QStringLiteral("velkor"));
    dialogs::QtPrompter startupPrompter;
    application.prompter = &startupPrompter;
    try {
        app::TFormMain main(core::settingsPathFor(QCoreApplication::applicationFilePath()));
        application.prompter = &main.prompter();
        // The other windows, each once, in their order; they stay hidden
        // until they are shown.
        auto* config = new dialogs::TFormConfig(&main);
        auto* dataSelect = new journal::TFormDataSelect(main.prompter(), &main);
        if (auto* qt = dynamic_cast<dialogs::QtPrompter*>(&main.prompter())) qt->inputForm();
        auto* password = new dialogs::TFormPassword(&main);
        auto* progress = new dialogs::TFormProgress(&main);
        progress->hide();
        core::AppContext& context = main.context();
        auto* editRecord =
            new journal::TFormEditRecord(context.dataSets, context.session.connection(),
                                         context.settings, main.prompter(), &main);
        auto* sprav = new journal::TFormSprav(context.dataSets, main.prompter(), &main);
        main.setForms({config, dataSelect, password, editRecord, sprav});
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
