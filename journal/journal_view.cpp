#include "journal/journal_view.h"

#include "core/data_sets.h"
#include "core/schema.h"
#include "dialogs/general_error.h"
#include "grid/grid_filter_model.h"
#include "journal/display_columns.h"
#include "journal/pending_rows_model.h"

#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

namespace journal {

namespace doc = core::schema::doc;

JournalView::JournalView(core::ClientDataSet& journal, core::JournalSelection& selection,
                         core::SettingsStore& settings, grid::DataGrid& grid, QLabel& selectionLine,
                         core::SelectionDialog& dataSelect, core::Prompter& prompter,
                         QObject* parent)
    : QObject(parent),
      journal_(journal),
      selection_(selection),
      settings_(settings),
      grid_(grid),
      line_(selectionLine),
      dataSelect_(dataSelect),
      prompter_(prompter) {
    journal_.setCalcFields(ClientDataSet_doc_listCalcFields());

    model_ = std::make_unique<PendingRowsModel>(journal_);
    connect(model_.get(), &core::DataSetModel::failed, this,
            [this](const QString& message) { dialogs::showGeneralError(prompter_, message); });
    grid_.setObjectName(QStringLiteral("DBGridEhMainLog"));
    grid_.setModel(model_.get());
    grid_.setColumns(journalColumns(), 4);
    grid_.setRowLines(5);
    grid_.setGridFont(journalFont(), QColor(Qt::darkBlue));
    grid_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_.setSelectionBehavior(QAbstractItemView::SelectRows);

    line_.setObjectName(QStringLiteral("Label_select_info"));
    line_.setAlignment(Qt::AlignCenter);
    line_.setWordWrap(true);
    // However long the selection in words, the line keeps to a few lines
    // and leaves the grid its rows; the whole text is its tool tip.
    line_.setMaximumHeight(QFontMetrics(line_.font()).lineSpacing() * kSelectionLines +
                           2 * line_.margin() + 4);
    showSelectionLine(selection_.line());
    connect(&selection_, &core::JournalSelection::queried, this, &JournalView::showSelectionLine);

    // The widths as the grid has them now are the defaults the settings
    // file is read over; the grid's present widths are what is saved.
    const QList<int> present = grid_.columnWidths();
    settings_.setColumnWidths(std::vector<int>(present.begin(), present.end()));
    // A width of 0 is never stored: it would hide its column at every start
    // to come. Such a column keeps the width last read or stored.
    connect(&settings_, &core::SettingsStore::aboutToSave, this, [this] {
        std::vector<int> widths = settings_.columnWidths();
        const QList<int> present = grid_.columnWidths();
        for (std::size_t p = 0; p < std::min(widths.size(), std::size_t(present.size())); ++p)
            if (present[qsizetype(p)] > 0) widths[p] = present[qsizetype(p)];
        settings_.setColumnWidths(widths);
    });

    connect(&grid_, &grid::DataGrid::titleClicked, this, &JournalView::DBGridEhMainLogTitleClick);
    connect(&grid_, &grid::DataGrid::keyPressed, this, [this](QKeyEvent* e) {
        if (DBGridEhMainLogKeyDown(e->key())) e->accept();
    });
    // The grid's current row is the dataset's current row.
    connect(&grid_, &grid::DataGrid::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != journal_.current())
            dialogs::guarded(prompter_, [&] { journal_.setCurrent(row); });
    });
    connect(&journal_, &core::ClientDataSet::currentChanged, this, [this](int row) {
        if (row >= 0 && row != grid_.currentSourceRow()) grid_.setCurrentSourceRow(row);
    });
    // The record the editing actions work on is always one the user sees:
    // when a filter or a new query hides the current row, the first row
    // shown becomes current. Queued, so the views have settled first.
    auto keepShown = [this] {
        QMetaObject::invokeMethod(this, &JournalView::keepCurrentShown, Qt::QueuedConnection);
    };
    QAbstractItemModel* rows = grid_.rowsModel();
    connect(rows, &QAbstractItemModel::modelReset, this, keepShown);
    connect(rows, &QAbstractItemModel::layoutChanged, this, keepShown);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, keepShown);
    connect(rows, &QAbstractItemModel::rowsInserted, this, keepShown);
}

void JournalView::showSelectionLine(const QString& text) {
    QString shown = text;
    if (shown.size() > kSelectionChars) {
        shown.truncate(kSelectionChars);
        shown += QChar(0x2026);
    }
    line_.setText(shown);
    line_.setToolTip(shown == text ? QString() : text);
}

bool JournalView::currentShown() const {
    const int row = journal_.current();
    if (row < 0) return false;
    return grid_.rowsModel()->mapFromSource(model_->index(row, 0)).isValid();
}

void JournalView::keepCurrentShown() {
    // A row in the editor stays current until it is stored or dropped.
    if (!journal_.isActive() || currentShown() ||
        journal_.state() != core::ClientDataSet::State::Browse)
        return;
    QAbstractItemModel* rows = grid_.rowsModel();
    if (rows->rowCount() == 0) return;
    const int first = grid_.mapToSource(rows->index(0, 0)).row();
    dialogs::guarded(prompter_, [&] { journal_.setCurrent(first); });
    grid_.setCurrentSourceRow(first);
}

void JournalView::applyStoredWidths() {
    const std::vector<int>& widths = settings_.columnWidths();
    QList<int> shown(widths.begin(), widths.end());
    // No column wider than the screen: the grid must stay usable whatever
    // the file says.
    if (const QScreen* screen = grid_.screen()) {
        const int most = std::max(100, screen->availableGeometry().width());
        for (int& w : shown) w = std::min(w, most);
    }
    grid_.setColumnWidths(shown);
}

QList<grid::GridColumn> JournalView::journalColumns() {
    using grid::GridColumn;
    const Qt::Alignment centre = Qt::AlignHCenter, left = Qt::AlignLeft;
    return {
        GridColumn(doc::Rec_IDN, QStringLiteral("Ид. №|1"), 44, centre, true, doc::Rec_IDN),
        GridColumn(doc::doc_source, QStringLiteral("Звідки надійшли документи|2"), 200, left, true,
                   doc::doc_source),
        GridColumn(doc::Colum3, QStringLiteral("Дата та № протоколу засідання ЕПК|3"), 180, centre,
                   false, doc::pr_date),
        GridColumn(doc::Colum4,
                   QStringLiteral("Назва організації (фондоутворювач), його місцезнаходження|4"),
                   190, left, false, doc::parent_name),
        GridColumn(doc::Colum5, QStringLiteral("Назва документа (№, рік (роки))|5"), 160, centre,
                   false, doc::doc_caption),
        GridColumn(doc::Colum6,
                   QStringLiteral("Кількість од.зб./од.обл. (статей, позицій), друк. аркушів|6"),
                   150, centre, false, -1),
        GridColumn(doc::expert_fio, QStringLiteral("П.І.Б. експерта|7"), 165, centre, true,
                   doc::expert_fio),
        GridColumn(doc::adv_info, QStringLiteral("Примітка (списки)|8"), 114, centre, true,
                   doc::adv_info),
    };
}

QFont JournalView::journalFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(16);
    f.setBold(true);
    return f;
}

void JournalView::RunJournalQuery() { core::RunJournalQuery(journal_, selection_); }

void JournalView::DBGridEhMainLogTitleClick(int column) {
    const int field =
        column >= 0 && column < grid_.columns().size() ? grid_.columns().at(column).source : -1;
    switch (field) {
        case doc::Colum3:
            selection_.setOrder(QStringLiteral(" ORDER BY pr_date, pr_num, Rec_IDN"));
            break;
        case doc::Colum4:
            selection_.setOrder(QStringLiteral(" ORDER BY parent_name, parent_place, Rec_IDN"));
            break;
        case doc::Colum5:
            selection_.setOrder(QStringLiteral(
                " ORDER BY doc_caption, doc_number, doc_date, doc_start_year, Rec_IDN"));
            break;
        default:
            break;
    }
    dialogs::guarded(prompter_, [this] { RunJournalQuery(); });
}

bool JournalView::DBGridEhMainLogKeyDown(int key) {
    if (!journal_.isActive()) return false;
    if (key == Qt::Key_Insert) {
        Q_EMIT addRequested();
        return true;
    }
    if (key == Qt::Key_Delete) {
        Q_EMIT deleteRequested();
        return true;
    }
    return false;
}

void JournalView::ActionSelectDataExecute() {
    dialogs::guarded(prompter_, [this] {
        const std::optional<core::ChosenSelection> chosen = dataSelect_.choose();
        if (!chosen) return;
        selection_.setSelection(chosen->where, chosen->description);
        RunJournalQuery();
    });
}

}  // namespace journal
