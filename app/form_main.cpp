#include "app/form_main.h"

#include "about/about_controller.h"
#include "admin/admin_controller.h"
#include "app/action_icons.h"
#include "app/focus_return.h"
#include "app/session_controller.h"
#include "backup/backup_controller.h"
#include "dialogs/form_help.h"
#include "dialogs/general_error.h"
#include "dialogs/qt_prompter.h"
#include "grid/data_grid.h"
#include "journal/journal_controller.h"
#include "journal/journal_view.h"
#include "journal/reference_lists_controller.h"
#include "reports/reports_controller.h"
#include "reports/spreadsheet_export.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

namespace {

QWidget* gap(int width, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(width);
    return w;
}

}  // namespace

TFormMain::TFormMain(const QString& settingsPath, const StandIns& standIns)
    : context_(settingsPath), prompter_(standIns.prompter) {
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QStringLiteral("Терналь ( 2.01 )"));
    if (!prompter_) {
        auto own = std::make_unique<dialogs::QtPrompter>(this);
        own->inputForm();  // made once, here, like every other window
        prompter_ = own.get();
        ownPrompter_ = std::move(own);
    }

    using G = core::ActionGroup;
    ActionLogin = makeAction("ActionLogin", "Главное", "Подключение к базе данных",
                             "Регистрация пользователя проверка имени и пароля", {}, G::Always);
    ActionExit = makeAction("ActionExit", "Главное", "Вы&xод", "Завершить работу с программой", {},
                            G::Always);
    ActionHelp = makeAction("ActionHelp", "Справка", "Использование программы",
                            "Справка об использовании этой программы", {}, G::Always);
    ActionAbout = makeAction("ActionAbout", "Справка", "О программе",
                             "Информация о вресии и авторе программы", Qt::Key_F1, G::Always);
    ActionBaseExport = makeAction("ActionBaseExport", "Сервис", "Экспорт базы данных в файл",
                                  "Сохранить базу данных в файле", {}, G::Admin);
    ActionBaseImport = makeAction("ActionBaseImport", "Сервис", "Импорт базы данных",
                                  "Загрузить баз данных из файла", {}, G::Admin);
    ActionAdmin = makeAction("ActionAdmin", "Сервис", "Администрирование",
                             "Управление правами пользователей", {}, G::Admin);
    ActionPrintLog =
        makeAction("ActionPrintLog", "Печать", "Журнал учета документов",
                   "Предварительный просмотр и печать журнала учета документов", {}, G::Connected);
    ActionPrintReport = makeAction("ActionPrintReport", "Печать", "Отчет о заполнении журнала",
                                   "Печать отчета о заполнении журнала", {}, G::Connected);
    ActionAddRecord =
        makeAction("ActionAddRecord", "Редактирование", "Добавить запись",
                   "Добавить новую запись в журнал учета документов", Qt::Key_F5, G::Connected);
    ActionDeleteRecord =
        makeAction("ActionDeleteRecord", "Редактирование", "Удалить запись",
                   "Удалить текущую запись из журнала документов", Qt::Key_F8, G::Connected);
    ActionEditRecord = makeAction("ActionEditRecord", "Редактирование", "Редактировать",
                                  "Внести изменения в текущую запись", Qt::Key_F4, G::Connected);
    ActionSelectData =
        makeAction("ActionSelectData", "Редактирование", "Выбор данных",
                   "Установить параметры поиска и редактирования", Qt::Key_F7, G::Connected);
    ActionSprav = makeAction("ActionSprav", "Сервис", "Справочники",
                             "Просмотр и редактирование справочников", {}, G::Connected);
    ActionConfig = makeAction("ActionConfig", "Сервис", "Настройки",
                              "Настройка параметров подключения к серверу", {}, G::Always);
    ActionExportLogXlsx =
        makeAction("ActionExportLogXlsx", "Печать", "Экспорт в Excel...",
                   "Сохранить журнал учета документов в книге Excel", {}, G::Connected);
    ActionExportLogCsv =
        makeAction("ActionExportLogCsv", "Печать", "Экспорт в CSV...",
                   "Сохранить журнал учета документов в файле CSV", {}, G::Connected);

    auto* central = new QWidget(this);
    central->setFont(journal::JournalView::journalFont());
    QPalette navy = central->palette();
    navy.setColor(QPalette::WindowText, QColor(Qt::darkBlue));
    navy.setColor(QPalette::Text, QColor(Qt::darkBlue));
    central->setPalette(navy);
    auto* layout = new QVBoxLayout(central);
    // A blank strip of 8 pixels to the right of the grid.
    layout->setContentsMargins(0, 0, 8, 0);
    DBGridEhMainLog = new grid::DataGrid(central);
    Label_select_info = new QLabel(central);
    layout->addWidget(DBGridEhMainLog, 1);
    layout->addWidget(Label_select_info);
    setCentralWidget(central);

    // One controller per feature, each handed what it needs; each makes its
    // windows over this one and keeps them for the run.
    core::Session& session = context_.session;
    about_ = new about::AboutController(this);
    admin_ = new admin::AdminController(session, *prompter_, this);
    session_ = new SessionController(context_, *prompter_, this, standIns.login);
    journal_ = new journal::JournalController(
        context_.dataSets, session.connection(), context_.selection, context_.settings,
        *DBGridEhMainLog, *Label_select_info, *prompter_, this);
    reports_ =
        new reports::ReportsController(*DBGridEhMainLog, journal_->dataSelect(),
                                       session.connection(), *prompter_, this, standIns.printouts);
    spreadsheets_ =
        new reports::SpreadsheetController(*DBGridEhMainLog, context_.selection, *prompter_, this);
    sprav_ = new journal::ReferenceListsController(context_.dataSets, journal_->store(), *prompter_,
                                                   this);
    backup_ = new backup::BackupController(session, *prompter_, this);

    // Each action to its controller's handler.
    bind(ActionHelp, [this] { dialogs::TFormHelp::showFor(this); });
    bind(ActionLogin, [this] { session_->ActionLoginExecute(); });
    bind(ActionExit, [this] { ActionExitExecute(); });
    bind(ActionConfig, [this] { session_->ActionConfigExecute(); });
    bind(ActionSelectData, [this] { journal_->view().ActionSelectDataExecute(); });
    bind(ActionExportLogXlsx,
         [this] { spreadsheets_->ActionExportLogExecute(reports::SheetFormat::Xlsx); });
    bind(ActionExportLogCsv,
         [this] { spreadsheets_->ActionExportLogExecute(reports::SheetFormat::Csv); });
    bind(ActionAddRecord,
         [this] { dialogs::guarded(*prompter_, [this] { journal_->ActionAddRecordExecute(); }); });
    bind(ActionEditRecord,
         [this] { dialogs::guarded(*prompter_, [this] { journal_->ActionEditRecordExecute(); }); });
    bind(ActionDeleteRecord, [this] {
        dialogs::guarded(*prompter_, [this] { journal_->ActionDeleteRecordExecute(); });
    });
    bind(ActionSprav, [this] { sprav_->ActionSpravExecute(); });
    bind(ActionPrintLog, [this] { reports_->ActionPrintLogExecute(); });
    bind(ActionPrintReport, [this] { reports_->ActionPrintReportExecute(); });
    bind(ActionAbout, [this] { about_->ActionAboutExecute(); });
    bind(ActionBaseExport, [this] { backup_->ActionBaseExportExecute(); });
    bind(ActionBaseImport, [this] { backup_->ActionBaseImportExecute(); });
    bind(ActionAdmin, [this] { admin_->ActionAdminExecute(); });

    createMenu();
    createToolBar();

    context_.settings.load();
    journal_->view().applyStoredWidths();

    // Every dialog is modal over this window; when one closes, the keys of
    // the actions must work again at once.
    new FocusReturn(this);

    // The enabling rule depends on the session alone: it is applied again
    // whenever the session says its state changed (opened, closed, lost).
    connect(&context_.session, &core::Session::stateChanged, this, &TFormMain::OnActionUpdate);
    OnActionUpdate();
}

TFormMain::~TFormMain() = default;

journal::JournalView& TFormMain::journalView() { return journal_->view(); }

QAction* TFormMain::makeAction(const char* name, const char* category, const char* caption,
                               const char* hint, const QKeySequence& key, core::ActionGroup group) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    const QString objectName = QString::fromLatin1(name);
    a->setObjectName(objectName);
    a->setToolTip(QString::fromUtf8(hint));
    a->setStatusTip(QString::fromUtf8(hint));
    a->setProperty("category", QString::fromUtf8(category));
    a->setIcon(actionIcon(objectName));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    actions_.append(a);
    groups_.insert(a, group);
    addAction(a);
    return a;
}

void TFormMain::bind(QAction* action, std::function<void()> handler) {
    connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] {
        handler();
        OnActionUpdate();
    });
}

core::ActionGroup TFormMain::group(const QAction* action) const {
    return groups_.value(action, core::ActionGroup::Connected);
}

void TFormMain::createMenu() {
    auto add = [this](const char* title, std::initializer_list<QAction*> items) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(title));
        for (QAction* item : items) {
            if (item)
                m->addAction(item);
            else
                m->addSeparator();
        }
    };
    add("Главное", {ActionLogin, nullptr, ActionExit});
    add("Редактирование",
        {ActionAddRecord, ActionDeleteRecord, ActionEditRecord, nullptr, ActionSelectData});
    add("Печать",
        {ActionPrintLog, ActionPrintReport, nullptr, ActionExportLogXlsx, ActionExportLogCsv});
    add("Сервис", {ActionSprav, nullptr, ActionBaseExport, ActionBaseImport, nullptr, ActionConfig,
                   nullptr, ActionAdmin});
    add("Справка", {ActionHelp, ActionAbout});
}

void TFormMain::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto button = [&](QAction* a) {
        bar->addAction(a);
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a))) b->setFixedSize(39, 38);
    };
    button(ActionLogin);
    bar->addWidget(gap(8, bar));
    button(ActionSelectData);
    bar->addWidget(gap(8, bar));
    button(ActionAddRecord);
    button(ActionDeleteRecord);
    button(ActionEditRecord);
    bar->addWidget(gap(8, bar));
    button(ActionPrintLog);
    button(ActionPrintReport);
    bar->addWidget(gap(8, bar));
    button(ActionSprav);
    button(ActionAdmin);
    bar->addWidget(gap(8, bar));
    button(ActionAbout);
    bar->addWidget(gap(58, bar));
    button(ActionExit);
}

void TFormMain::OnActionUpdate() {
    for (QAction* a : actions_) a->setEnabled(core::actionEnabled(group(a), context_.session));
}

void TFormMain::ActionExitExecute() { close(); }

bool TFormMain::FormCloseQuery() {
    return prompter_->question(QStringLiteral("Выход"),
                               QStringLiteral("Завершить работу с программой?"));
}

void TFormMain::FormClose() { context_.settings.save(); }

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

}  // namespace app
