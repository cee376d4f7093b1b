#include "journal/journal_view.h"

#include "common/general_error.h"
#include "core/schema.h"
#include "journal/display_columns.h"
#include "journal/form_data_select.h"

#include <QKeyEvent>

namespace journal {

namespace doc = core::schema::doc;

JournalView::JournalView(core::MainState& state, common::DataGrid& grid, QLabel& selectionLine,
                         core::Prompter& prompter, QObject* parent)
    : QObject(parent), state_(state), grid_(grid), line_(selectionLine), prompter_(prompter) {
    addDisplayColumns(state_.journal());
    // One handler for all seven datasets; it composes only where the
    // display columns exist.
    ClientDataSet_doc_listCalcFields calc;
    for (core::ClientDataSet* ds : state_.dataSets()) ds->onCalcFields = calc;

    model_ = std::make_unique<core::DataSetModel>(state_.journal());
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
    line_.setText(state_.selectionLine);
    state_.journalQueried = [this] { line_.setText(state_.selectionLine); };

    connect(&grid_, &common::DataGrid::titleClicked, this, &JournalView::DBGridEhMainLogTitleClick);
    connect(&grid_, &common::DataGrid::keyPressed, this, [this](QKeyEvent* e) {
        if (DBGridEhMainLogKeyDown(e->key())) e->accept();
    });
    // The grid's current row is the dataset's current row.
    connect(&grid_, &common::DataGrid::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != state_.journal().current())
            common::guarded(prompter_, [&] { state_.journal().setCurrent(row); });
    });
    connect(&state_.journal(), &core::ClientDataSet::currentChanged, this, [this](int row) {
        if (row >= 0 && row != grid_.currentSourceRow()) grid_.setCurrentSourceRow(row);
    });
}

QList<common::GridColumn> JournalView::journalColumns() {
    using common::GridColumn;
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

void JournalView::RunJournalQuery() { state_.RunJournalQuery(); }

void JournalView::DBGridEhMainLogTitleClick(int column) {
    const int field =
        column >= 0 && column < grid_.columns().size() ? grid_.columns().at(column).source : -1;
    switch (field) {
        case doc::Colum3:
            state_.selection.select_order = QStringLiteral(" ORDER BY pr_date, pr_num, Rec_IDN");
            break;
        case doc::Colum4:
            state_.selection.select_order =
                QStringLiteral(" ORDER BY parent_name, parent_place, Rec_IDN");
            break;
        case doc::Colum5:
            state_.selection.select_order = QStringLiteral(
                " ORDER BY doc_caption, doc_number, doc_date, doc_start_year, Rec_IDN");
            break;
        default:
            break;
    }
    common::guarded(prompter_, [this] { RunJournalQuery(); });
}

bool JournalView::DBGridEhMainLogKeyDown(int key) {
    if (!state_.journal().isActive()) return false;
    if (key == Qt::Key_Insert) {
        if (addRecord) common::guarded(prompter_, addRecord);
        return true;
    }
    if (key == Qt::Key_Delete) {
        if (deleteRecord) common::guarded(prompter_, deleteRecord);
        return true;
    }
    return false;
}

void JournalView::ActionSelectDataExecute(TFormDataSelect& dialog) {
    if (!dialog.run()) return;
    state_.selection.select_where = dialog.whereText();
    state_.selection.select_info = dialog.description();
    RunJournalQuery();
}

}  // namespace journal
