#include "journal/form_sprav.h"

#include "core/schema.h"
#include "dialogs/general_error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScopedValueRollback>
#include <QStyle>
#include <QVBoxLayout>

namespace journal {

namespace {
namespace schema = core::schema;
struct TabInfo {
    const char* caption;
    const char* line;
    const QString* table;
};
const std::array<TabInfo, TFormSprav::kTabs> kTabInfo = {{
    {"Источник документов", "Откуда пришли документы (колонка №2)", &schema::kSourceList},
    {"Организация", "Название организации (колонка №4)", &schema::kOrgList},
    {"Местоположение", "Местоположение организации (колонка №4)", &schema::kPlaceList},
    {"Название документа", "Название документа (колонка №5)", &schema::kDocTypeList},
    {"Эксперты", "Ф.И.О. эксперта (колонка №7)", &schema::kExpertList},
    {"Примечания", "Примечания (списки) - колонка №8", &schema::kNotesList},
}};

struct ButtonInfo {
    const char* hint;
    QStyle::StandardPixmap icon;
};
const std::array<ButtonInfo, 10> kButtons = {{
    {"Первая запись", QStyle::SP_MediaSkipBackward},
    {"Предыдущая запись", QStyle::SP_MediaSeekBackward},
    {"Следующая запись", QStyle::SP_MediaSeekForward},
    {"Последняя запись", QStyle::SP_MediaSkipForward},
    {"Добавить запись", QStyle::SP_FileDialogNewFolder},
    {"Удалить запись", QStyle::SP_TrashIcon},
    {"Редактировать", QStyle::SP_FileDialogDetailedView},
    {"Сохранить изменения", QStyle::SP_DialogApplyButton},
    {"Отменить результаты редактирования текущей записи", QStyle::SP_DialogCancelButton},
    {"Обновить", QStyle::SP_BrowserReload},
}};

}  // namespace

TFormSprav::TFormSprav(core::DataSets& dataSets, RecordStore& store, core::Prompter& prompter,
                       QWidget* parent)
    : QDialog(parent), dataSets_(dataSets), store_(store), prompter_(prompter) {
    setObjectName(QStringLiteral("TFormSprav"));
    setWindowTitle(QStringLiteral("Справочники"));
    setModal(true);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    for (int t = 0; t < kTabs; ++t)
        buildTab(t, *kTabInfo[std::size_t(t)].table,
                 QString::fromUtf8(kTabInfo[std::size_t(t)].caption),
                 QString::fromUtf8(kTabInfo[std::size_t(t)].line));
    // Leaving a tab leaves its grid; a row there that cannot be stored keeps
    // the user on that tab.
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int now) {
        const int left = lastTab_;
        if (left >= 0 && left != now && !acting(left, [&] { return settle(left); })) {
            PageControl->setCurrentIndex(left);
            return;
        }
        lastTab_ = now;
    });

    ButClose = new QPushButton(QStringLiteral("Закрыть"), this);
    ButClose->setObjectName(QStringLiteral("ButClose"));
    ButClose->setAutoDefault(false);
    connect(ButClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ButClose);
    bottom->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(bottom);
    resize(1000, 600);
}

TFormSprav::~TFormSprav() = default;

void TFormSprav::buildTab(int t, const QString& table, const QString& caption,
                          const QString& line) {
    Tab& tab = tabs_[std::size_t(t)];
    tab.list = &dataSets_.referenceList(table);
    auto* page = new QWidget(PageControl);
    page->setObjectName(QStringLiteral("TabSheet_") + table);
    auto* label = new QLabel(line, page);
    label->setAlignment(Qt::AlignCenter);

    auto* navigator = new QHBoxLayout;
    navigator->setSpacing(0);
    for (int b = 0; b < 10; ++b) {
        auto* button = new QToolButton(page);
        button->setIcon(style()->standardIcon(kButtons[std::size_t(b)].icon));
        button->setToolTip(QString::fromUtf8(kButtons[std::size_t(b)].hint));
        button->setObjectName(QStringLiteral("NavButton%1").arg(b));
        button->setFixedSize(32, 26);
        // The grid keeps the keyboard: what is typed after "Добавить запись"
        // goes into the new row.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, t, b] { press(t, Button(b)); });
        tab.buttons[std::size_t(b)] = button;
        navigator->addWidget(button);
    }
    navigator->addStretch(1);

    tab.grid = new grid::DataGrid(page);
    tab.grid->setObjectName(QStringLiteral("DBGridEh_") + table);
    tab.model = std::make_unique<PendingRowsModel>(*tab.list);
    tab.model->setEditable(true);
    connect(tab.model.get(), &core::DataSetModel::failed, this,
            [this](const QString& message) { dialogs::showGeneralError(prompter_, message); });
    tab.grid->setModel(tab.model.get());
    if (t == kExpertTab) {
        tab.grid->setColumns({{0, QStringLiteral("Пользователь"), 150},
                              {1, QStringLiteral("Фамилия"), 200},
                              {2, QStringLiteral("Имя"), 200},
                              {3, QStringLiteral("Отчество"), 200},
                              {4, QStringLiteral("Разрешения|Правка"), 50},
                              {5, QStringLiteral("Разрешения|Админ."), 50}},
                             1);
    } else {
        tab.grid->setColumns({{0, QString(), 450}});
        for (grid::GridView* v : {tab.grid->frozenView(), tab.grid->scrollingView()})
            v->horizontalHeader()->hide();
    }
    tab.grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);

    core::ClientDataSet& ds = *tab.list;
    grid::DataGrid* g = tab.grid;
    // The grid's current row is the list's current row. A move in the grid
    // is the user's move of the list (the cell being typed into has gone
    // into its row by then); a row that cannot be stored keeps the grid on it.
    connect(g, &grid::DataGrid::currentRowChanged, this, [this, t](int row) {
        if (acting_ || row < 0 || row == list(t).current()) return;
        acting(t, [&] { return moveTo(t, row); });
    });
    connect(&ds, &core::ClientDataSet::currentChanged, g, [this, t] {
        if (!acting_) followList(t);
    });
    connect(g, &grid::DataGrid::keyPressed, this, [this, t](QKeyEvent* e) {
        if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
            e->accept();
            gridDelete(t);
        } else if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
            e->accept();
            press(t, Insert);
        } else if (e->key() == Qt::Key_Escape && list(t).editing()) {
            // Escape drops the edits of the row first; only then does it
            // close the window.
            e->accept();
            press(t, Cancel);
        }
    });

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(label);
    layout->addLayout(navigator);
    layout->addWidget(tab.grid, 1);
    PageControl->addTab(page, caption);
}

void TFormSprav::press(int t, Button b) {
    core::ClientDataSet& ds = list(t);
    acting(t, [&] {
        // The buttons take no focus, so the cell being typed into is still
        // open: what it holds belongs to the row before the button acts.
        if (b == Cancel)
            grid(t)->discardOpenEditor();
        else
            grid(t)->commitOpenEditor();
        if (!ds.isActive()) return false;
        switch (b) {
            case First:
                return moveTo(t, 0);
            case Prior:
                return moveTo(t, ds.current() - 1);
            case Next:
                return moveTo(t, ds.current() + 1);
            case Last:
                return moveTo(t, ds.rowCount() - 1);
            case Insert:
                return settle(t) && dialogs::guarded(prompter_, [&] { ds.insert(); });
            case Delete:
                return removeRow(t);
            case Edit:
                return ds.current() < 0 || dialogs::guarded(prompter_, [&] { ds.edit(); });
            case Post:
                return storeRow(t);
            case Cancel:
                ds.cancel();
                return true;
            case Refresh:
                // What is being typed is stored first, not lost to the re-read.
                return settle(t) && dialogs::guarded(prompter_, [&] { ds.refresh(); });
        }
        return false;
    });
    (t == kExpertTab ? grid(t)->frozenView() : grid(t)->scrollingView())->setFocus();
}

void TFormSprav::gridDelete(int t) {
    core::ClientDataSet& ds = list(t);
    if (!ds.isActive() || ds.current() < 0) return;
    if (!prompter_.destructiveQuestion(QStringLiteral("Удалить запись"),
                                       QStringLiteral("Удалить запись?")))
        return;
    acting(t, [&] { return removeRow(t); });
}

bool TFormSprav::acting(int t, const std::function<bool()>& change) {
    bool done = false;
    {
        const QScopedValueRollback<bool> guard(acting_, true);
        done = change();
    }
    followList(t);
    return done;
}

void TFormSprav::followList(int t) {
    const int row = list(t).current();
    if (row >= 0 && row != grid(t)->currentSourceRow()) grid(t)->setCurrentSourceRow(row);
}

bool TFormSprav::untouchedNewRow(int t) const {
    const core::ClientDataSet& ds = list(t);
    if (ds.state() != core::ClientDataSet::State::Insert) return false;
    for (int f = 0; f < ds.fieldCount(); ++f)
        if (!ds.field(f).calculated && !ds.value(f).isNull()) return false;
    return true;
}

bool TFormSprav::settle(int t) {
    core::ClientDataSet& ds = list(t);
    grid(t)->commitOpenEditor();
    if (untouchedNewRow(t)) {
        ds.cancel();
        return true;
    }
    return storeRow(t);
}

bool TFormSprav::moveTo(int t, int row) {
    core::ClientDataSet& ds = list(t);
    const int from = ds.current();
    if (row < 0 || row >= ds.rowCount() || row == from) return true;
    grid(t)->commitOpenEditor();
    const bool dropping = untouchedNewRow(t);
    if (!settle(t)) return false;
    // The rows after a dropped one have moved up.
    if (dropping && row > from) --row;
    return dialogs::guarded(prompter_, [&] { ds.setCurrent(row); });
}

bool TFormSprav::storeRow(int t) {
    core::ClientDataSet& ds = list(t);
    if (!ds.editing()) return true;
    const StoreResult result = store_.store(ds);
    store_.report(result);
    return result.stored();
}

bool TFormSprav::removeRow(int t) {
    core::ClientDataSet& ds = list(t);
    if (ds.current() < 0) return true;
    return store_.removeAndReport(ds);
}

void TFormSprav::done(int result) {
    // Whatever was typed is stored before the window closes; a row that
    // cannot be stored keeps the window open.
    const int t = PageControl->currentIndex();
    if (!acting(t, [&] { return settle(t); })) return;
    QDialog::done(result);
}

void TFormSprav::showEvent(QShowEvent* event) {
    if (!shownBefore_) {
        shownBefore_ = true;
        PageControl->setCurrentIndex(kExpertTab);
    }
    QDialog::showEvent(event);
}

}  // namespace journal
