#include "app/form_main.h"

#include "app/action_icons.h"
#include "app/focus_return.h"
#include "common/data_grid.h"
#include "common/form_config.h"
#include "common/general_error.h"
#include "common/qt_prompter.h"
#include "journal/form_data_select.h"
#include "journal/journal_view.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace app {

namespace {

struct ActionDef {
    const char* name;
    const char* category;
    const char* caption;
    const char* hint;
    QKeySequence key;
    int tag;
};

const ActionDef kActions[] = {
    {"ActionLogin",
     "Главное",
     "Подключение к базе данных",
     "Регистрация пользователя проверка имени и пароля",
     {},
     100},
    {"ActionExit", "Главное", "Вы&xод", "Завершить работу с программой", {}, 100},
    {"ActionHelp",
     "Справка",
     "Использование программы",
     "Справка об использовании этой программы",
     {},
     100},
    {"ActionAbout", "Справка", "О программе", "Информация о вресии и авторе программы",
     QKeySequence(Qt::Key_F1), 100},
    {"ActionBaseExport",
     "Сервис",
     "Экспорт базы данных в файл",
     "Сохранить базу данных в файле",
     {},
     200},
    {"ActionBaseImport", "Сервис", "Импорт базы данных", "Загрузить баз данных из файла", {}, 200},
    {"ActionAdmin", "Сервис", "Администрирование", "Управление правами пользователей", {}, 200},
    {"ActionPrintLog",
     "Печать",
     "Журнал учета документов",
     "Предварительный просмотр и печать журнала учета документов",
     {},
     0},
    {"ActionPrintReport",
     "Печать",
     "Отчет о заполнении журнала",
     "Печать отчета о заполнении журнала",
     {},
     0},
    {"ActionAddRecord", "Редактирование", "Добавить запись",
     "Добавить новую запись в журнал учета документов", QKeySequence(Qt::Key_F5), 0},
    {"ActionDeleteRecord", "Редактирование", "Удалить запись",
     "Удалить текущую запись из журнала документов", QKeySequence(Qt::Key_F8), 0},
    {"ActionEditRecord", "Редактирование", "Редактировать", "Внести изменения в текущую запись",
     QKeySequence(Qt::Key_F4), 0},
    {"ActionSelectData", "Редактирование", "Выбор данных",
     "Установить параметры поиска и редактирования", QKeySequence(Qt::Key_F7), 0},
    {"ActionSprav", "Сервис", "Справочники", "Просмотр и редактирование справочников", {}, 0},
    {"ActionConfig", "Сервис", "Настройки", "Настройка параметров подключения к серверу", {}, 100},
};

QWidget* gap(int width, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(width);
    return w;
}

}  // namespace

TFormMain::TFormMain(const QString& settingsPath, core::Prompter* prompter)
    : state_(settingsPath), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QStringLiteral("Терналь ( 2.01 )"));
    if (!prompter_) {
        ownPrompter_ = std::make_unique<common::QtPrompter>(this);
        prompter_ = ownPrompter_.get();
    }

    auto* central = new QWidget(this);
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(16);
    font.setBold(true);
    central->setFont(font);
    QPalette navy = central->palette();
    navy.setColor(QPalette::WindowText, QColor(Qt::darkBlue));
    navy.setColor(QPalette::Text, QColor(Qt::darkBlue));
    central->setPalette(navy);
    auto* layout = new QVBoxLayout(central);
    // A blank strip of 8 pixels to the right of the grid.
    layout->setContentsMargins(0, 0, 8, 0);
    DBGridEhMainLog = new common::DataGrid(central);
    Label_select_info = new QLabel(central);
    layout->addWidget(DBGridEhMainLog, 1);
    layout->addWidget(Label_select_info);
    setCentralWidget(central);

    journalView_ =
        new journal::JournalView(state_, *DBGridEhMainLog, *Label_select_info, *prompter_, this);

    createActions();
    createMenu();
    createToolBar();

    // The widths stored in the settings apply by position to the columns
    // as designed; the present ones are saved the same way.
    state_.columnWidths.clear();
    for (int w : DBGridEhMainLog->columnWidths()) state_.columnWidths.push_back(w);
    state_.loadSettings();
    DBGridEhMainLog->setColumnWidths(
        QList<int>(state_.columnWidths.begin(), state_.columnWidths.end()));
    // A width of 0 is never stored: it would hide its column at every start
    // to come. Such a column keeps the width it had when it was read.
    state_.syncColumnWidths = [this](std::vector<int>& widths) {
        const QList<int> present = DBGridEhMainLog->columnWidths();
        for (std::size_t p = 0; p < std::min(widths.size(), std::size_t(present.size())); ++p)
            if (present[qsizetype(p)] > 0) widths[p] = present[qsizetype(p)];
    };

    // Every dialog is modal over this window; when one closes, the keys of
    // the actions must work again at once.
    new FocusReturn(this);

    // The toolkit's idle-time enabling: re-evaluated whenever the window
    // is idle for a moment and after every action.
    connect(&idle_, &QTimer::timeout, this, &TFormMain::OnActionUpdate);
    idle_.start(200);
    OnActionUpdate();
}

TFormMain::~TFormMain() = default;

void TFormMain::createActions() {
    for (const ActionDef& def : kActions) {
        auto* a = new QAction(QString::fromUtf8(def.caption), this);
        const QString name = QString::fromLatin1(def.name);
        a->setObjectName(name);
        a->setToolTip(QString::fromUtf8(def.hint));
        a->setStatusTip(QString::fromUtf8(def.hint));
        a->setProperty("category", QString::fromUtf8(def.category));
        a->setProperty("tag", def.tag);
        a->setIcon(actionIcon(name));
        if (!def.key.isEmpty()) {
            a->setShortcut(def.key);
            a->setShortcutContext(Qt::ApplicationShortcut);
        }
        actions_.append(a);
        addAction(a);
    }
    auto on = [this](const char* name, void (TFormMain::*handler)()) {
        connect(action(QString::fromLatin1(name)), &QAction::triggered, this, [this, handler] {
            (this->*handler)();
            OnActionUpdate();
        });
    };
    on("ActionLogin", &TFormMain::ActionLoginExecute);
    on("ActionExit", &TFormMain::ActionExitExecute);
    on("ActionAbout", &TFormMain::ActionAboutExecute);
    on("ActionConfig", &TFormMain::ActionConfigExecute);
    on("ActionSelectData", &TFormMain::ActionSelectDataExecute);
}

QAction* TFormMain::action(const QString& name) const {
    for (QAction* a : actions_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void TFormMain::createMenu() {
    auto add = [this](const char* title, std::initializer_list<const char*> items) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(title));
        for (const char* item : items) {
            if (item[0] == '-')
                m->addSeparator();
            else
                m->addAction(action(QString::fromLatin1(item)));
        }
    };
    add("Главное", {"ActionLogin", "-", "ActionExit"});
    add("Редактирование",
        {"ActionAddRecord", "ActionDeleteRecord", "ActionEditRecord", "-", "ActionSelectData"});
    add("Печать", {"ActionPrintLog", "ActionPrintReport"});
    add("Сервис", {"ActionSprav", "-", "ActionBaseExport", "ActionBaseImport", "-", "ActionConfig",
                   "-", "ActionAdmin"});
    add("Справка", {"ActionHelp", "ActionAbout"});
}

void TFormMain::createToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto button = [&](const char* name) {
        QAction* a = action(QString::fromLatin1(name));
        bar->addAction(a);
        if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a))) b->setFixedSize(39, 38);
    };
    button("ActionLogin");
    bar->addWidget(gap(8, bar));
    button("ActionSelectData");
    bar->addWidget(gap(8, bar));
    button("ActionAddRecord");
    button("ActionDeleteRecord");
    button("ActionEditRecord");
    bar->addWidget(gap(8, bar));
    button("ActionPrintLog");
    button("ActionPrintReport");
    bar->addWidget(gap(8, bar));
    button("ActionSprav");
    button("ActionAdmin");
    bar->addWidget(gap(8, bar));
    button("ActionAbout");
    bar->addWidget(gap(58, bar));
    button("ActionExit");
}

void TFormMain::OnActionUpdate() {
    for (QAction* a : actions_)
        a->setEnabled(core::actionEnabled(a->property("tag").toInt(), state_));
}

void TFormMain::ActionLoginExecute() {
    if (!forms_.password) return;
    common::guarded(*prompter_,
                    [this] { core::ActionLoginExecute(state_, *forms_.password, *prompter_); });
}

void TFormMain::ActionExitExecute() { close(); }

void TFormMain::ActionAboutExecute() {
    // The about window joins the program later.
}

void TFormMain::ActionConfigExecute() {
    if (forms_.config && forms_.config->edit(state_.settings)) state_.saveSettings();
}

void TFormMain::ActionSelectDataExecute() {
    if (!forms_.dataSelect) return;
    common::guarded(*prompter_,
                    [this] { journalView_->ActionSelectDataExecute(*forms_.dataSelect); });
}

bool TFormMain::FormCloseQuery() {
    return prompter_->question(QStringLiteral("Выход"),
                               QStringLiteral("Завершить работу с программой?"));
}

void TFormMain::FormClose() { state_.saveSettings(); }

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

}  // namespace app
