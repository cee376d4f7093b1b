// Start-up: the executable's folder becomes the current folder, the look is
// applied, every window is made once (the main window first) and the event
// loop runs until the main window closes.

#include "about/credit_panel.h"
#include "about/form_about.h"
#include "admin/form_admin.h"
#include "admin/form_new_user.h"
#include "app/app_style.h"
#include "app/form_main.h"
#include "core/settings.h"
#include "dialogs/form_config.h"
#include "dialogs/form_input_string.h"
#include "dialogs/form_password.h"
#include "dialogs/form_progress.h"
#include "dialogs/general_error.h"
#include "dialogs/print_fonts.h"
#include "dialogs/qt_prompter.h"
#include "journal/form_data_select.h"
#include "journal/form_edit_record.h"
#include "journal/form_sprav.h"
#include "journal/journal_controller.h"
#include "reports/fill_report.h"
#include "reports/form_report_select.h"

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
        // The other windows, each once, in their order; they stay hidden
        // until they are shown.
        auto* about = new about::TFormAbout(&main);
        auto* adminForm = new admin::TFormAdmin(main.context().session, main.prompter(), &main);
        auto* config = new dialogs::TFormConfig(&main);
        auto* dataSelect = new journal::TFormDataSelect(main.prompter(), &main);
        auto* credits = about::makeCreditsPanel(&main);
        if (auto* qt = dynamic_cast<dialogs::QtPrompter*>(&main.prompter())) qt->inputForm();
        auto* password = new dialogs::TFormPassword(&main);
        auto* logReport = new reports::TFormLogReport(main.context().session.connection(), &main);
        auto* newUser = new admin::TFormNewUser(&main);
        adminForm->setNewUserForm(newUser);
        auto* progress = new dialogs::TFormProgress(&main);
        progress->hide();
        core::AppContext& context = main.context();
        auto* editRecord = new journal::TFormEditRecord(main.prompter(), &main);
        auto* reportSelect = new reports::TFormReportSelect(*logReport, main.prompter(), &main);
        auto* splash = about::makeSplashPanel(&main);
        auto* sprav = new journal::TFormSprav(context.dataSets, main.journal().store(),
                                              main.prompter(), &main);
        about->setPanels(splash, credits);
        app::Forms forms;
        forms.config = config;
        forms.dataSelect = dataSelect;
        forms.password = password;
        forms.admin = adminForm;
        forms.editRecord = editRecord;
        forms.sprav = sprav;
        forms.about = about;
        forms.reportSelect = reportSelect;
        main.setForms(forms);
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
