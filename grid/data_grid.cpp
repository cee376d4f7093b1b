#include "grid/data_grid.h"

#include "grid/grid_filter_model.h"
#include "grid/grid_footer.h"
#include "grid/grid_view.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace grid {

namespace {

constexpr int kMaxTitleLines = 5;
constexpr int kCellPadding = 10;

}  // namespace

DataGrid::DataGrid(QWidget* parent)
    : QFrame(parent),
      proxy_(new GridFilterModel(this)),
      left_(new GridView(*this, this)),
      right_(new GridView(*this, this)),
      leftFooter_(new GridFooter(left_, this)),
      rightFooter_(new GridFooter(right_, this)),
      hbar_(new QScrollBar(Qt::Horizontal, this)) {
    setFrameShape(QFrame::StyledPanel);
    left_->setObjectName(QStringLiteral("frozenView"));
    right_->setObjectName(QStringLiteral("scrollingView"));
    // Both halves have viewports of the same height, so that their rows line
    // up; the one horizontal scroll bar lies under the scrolling half.
    left_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    right_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    right_->verticalHeader()->hide();
    right_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    leftFooter_->hide();
    rightFooter_->hide();
    hbar_->hide();

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left_, 0, 0);
    layout->addWidget(right_, 0, 1);
    layout->addWidget(leftFooter_, 1, 0);
    layout->addWidget(rightFooter_, 1, 1);
    layout->addWidget(hbar_, 2, 1);
    layout->setColumnStretch(1, 1);

    left_->setModel(proxy_);
    right_->setModel(proxy_);
    right_->setSelectionModel(left_->selectionModel());
    setFocusProxy(right_);

    for (GridView* view : {left_, right_}) {
        GridHeader* header = view->gridHeader();
        connect(header, &QHeaderView::sectionClicked, this, &DataGrid::onTitleClicked);
        connect(header, &QHeaderView::sectionMoved, this, [this, view] {
            if (!applying_) readOrder(view);
        });
        // Only a width this half shows is the column's width. Each half keeps
        // the other half's columns as hidden sections, and a header hides a
        // section by first resizing it to 0 and only then marking it hidden;
        // it does so on its own, too, when it restores its sections after the
        // rows were filtered. Taken as widths, those zeros would shrink every
        // column to nothing at the next layout.
        connect(header, &QHeaderView::sectionResized, this,
                [this, view, header](int logical, int, int size) {
                    const int c = columnOfSection(logical);
                    if (applying_ || c < 0 || viewOf(c) != view || size <= 0 ||
                        header->isSectionHidden(logical))
                        return;
                    widths_[c] = size;
                    updateFrozenWidth();
                    updateHeaderHeights();
                });
        connect(header, &GridHeader::filterEdited, this, [this](int logical, const QString& text) {
            const int c = columnOfSection(logical);
            if (c >= 0) proxy_->setColumnFilter(columns_[c].filterSource, text);
        });
        connect(header, &GridHeader::filterRowLeft, this, &DataGrid::focusCurrentHalf);
        connect(header, &GridHeader::findRequested, this, &DataGrid::showFindDialog);
        connect(view, &GridView::keyPressed, this, [this](QKeyEvent* event) {
            Q_EMIT keyPressed(event);
            if (!event->isAccepted() && event->matches(QKeySequence::Find)) {
                showFindDialog();
                event->accept();
            }
        });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { Q_EMIT doubleClicked(mapToSource(index)); });
    }
    // The filter entry that gets the focus is scrolled into view.
    connect(right_->gridHeader(), &GridHeader::filterCellFocused, this, [this](int logical) {
        const QHeaderView* header = right_->horizontalHeader();
        const int start = header->sectionPosition(logical),
                  end = start + header->sectionSize(logical);
        QScrollBar* bar = right_->horizontalScrollBar();
        const int width = right_->viewport()->width();
        if (start < bar->value())
            bar->setValue(start);
        else if (end > bar->value() + width)
            bar->setValue(qMin(start, end - width));
    });

    connect(left_->verticalScrollBar(), &QScrollBar::valueChanged, right_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(right_->verticalScrollBar(), &QScrollBar::valueChanged, left_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(right_, &GridView::geometriesUpdated, this, &DataGrid::syncScrollBar);
    connect(right_->horizontalScrollBar(), &QScrollBar::valueChanged, hbar_, &QScrollBar::setValue);
    connect(hbar_, &QScrollBar::valueChanged, right_->horizontalScrollBar(), &QScrollBar::setValue);
    connect(left_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DataGrid::onCurrentChanged);

    // Connected after the views, so that the headers have taken in the new
    // columns before the layout is applied to them again.
    connect(proxy_, &QAbstractItemModel::modelReset, this, &DataGrid::applyLayout);
    connect(proxy_, &QAbstractItemModel::columnsInserted, this, &DataGrid::applyLayout);
    connect(proxy_, &QAbstractItemModel::columnsRemoved, this, &DataGrid::applyLayout);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(proxy_, signal, this, &DataGrid::recalcFooter);
    connect(proxy_, &QAbstractItemModel::modelReset, this, &DataGrid::recalcFooter);
    connect(proxy_, &QAbstractItemModel::layoutChanged, this, &DataGrid::recalcFooter);
    connect(proxy_, &QAbstractItemModel::dataChanged, this, &DataGrid::recalcFooter);

    updateMetrics();
}

DataGrid::~DataGrid() = default;

void DataGrid::setModel(QAbstractItemModel* source) { proxy_->setSourceModel(source); }

QAbstractItemModel* DataGrid::sourceModel() const { return proxy_->sourceModel(); }

void DataGrid::setColumns(const QList<GridColumn>& columns, int frozenCount) {
    clearSort();
    proxy_->clearFilters();
    columns_ = columns;
    frozen_ = qBound(0, frozenCount, int(columns.size()));
    order_.clear();
    widths_.clear();
    for (int c = 0; c < columns_.size(); ++c) {
        order_.append(c);
        widths_.append(columns_[c].width);
    }
    for (GridView* view : {left_, right_}) view->gridHeader()->clearColumns();
    for (int c = 0; c < columns_.size(); ++c) {
        const GridColumn& col = columns_[c];
        GridView* view = viewOf(c);
        view->gridHeader()->setTitle(col.source, col.title);
        view->setColumnAlignment(col.source, col.alignment);
        if (col.filterSource >= 0) view->gridHeader()->addFilterCell(col.source);
    }
    setFocusProxy(frozen_ < columns_.size() ? right_ : left_);
    applyLayout();
    recalcFooter();
}

void DataGrid::setRowLines(int lines) {
    rowLines_ = qMax(1, lines);
    updateMetrics();
}

void DataGrid::setGridFont(const QFont& font, const QColor& textColor) {
    setFont(font);
    if (!textColor.isValid()) return;
    QPalette p = palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, textColor);
    setPalette(p);
}

void DataGrid::setEditTriggers(QAbstractItemView::EditTriggers triggers) {
    left_->setEditTriggers(triggers);
    right_->setEditTriggers(triggers);
}

void DataGrid::setSelectionBehavior(QAbstractItemView::SelectionBehavior behavior) {
    left_->setSelectionBehavior(behavior);
    right_->setSelectionBehavior(behavior);
}

void DataGrid::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateMetrics();
}

GridView* DataGrid::viewOf(int column) const { return column < frozen_ ? left_ : right_; }

GridHeader* DataGrid::header(int column) const { return viewOf(column)->gridHeader(); }

int DataGrid::columnOfSection(int logical) const {
    if (logical < 0) return -1;
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_[c].source == logical) return c;
    return -1;
}

QList<int> DataGrid::presentSections() const {
    QList<int> sections;
    const int count = proxy_->columnCount();
    for (int c : order_)
        if (columns_[c].source >= 0 && columns_[c].source < count)
            sections.append(columns_[c].source);
    return sections;
}

void DataGrid::applyLayout() {
    applying_ = true;
    for (GridView* view : {left_, right_}) {
        QHeaderView* header = view->horizontalHeader();
        for (int l = 0; l < header->count(); ++l) header->setSectionHidden(l, true);
    }
    int nextPosition[2] = {0, 0};
    for (int c : order_) {
        GridView* view = viewOf(c);
        QHeaderView* header = view->horizontalHeader();
        const int logical = columns_[c].source;
        if (logical < 0 || logical >= header->count()) continue;
        header->moveSection(header->visualIndex(logical), nextPosition[view == right_]++);
        header->setSectionHidden(logical, false);
        header->resizeSection(logical, widths_[c]);
    }
    applying_ = false;
    updateFrozenWidth();
    updateHeaderHeights();
    for (GridView* view : {left_, right_}) view->gridHeader()->placeFilterCells();
}

void DataGrid::readOrder(GridView* view) {
    // Only the moved half changes; the other keeps its part of the order.
    QList<int> part;
    const QHeaderView* header = view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        const int c = columnOfSection(logical);
        if (c >= 0 && !header->isSectionHidden(logical) && viewOf(c) == view) part.append(c);
    }
    // Columns the model does not have yet keep their places at the end.
    for (int c : std::as_const(order_))
        if (viewOf(c) == view && !part.contains(c)) part.append(c);
    QList<int> order;
    for (int c : std::as_const(order_))
        if (viewOf(c) == left_ && view == right_) order.append(c);
    order += part;
    if (view == left_)
        for (int c : std::as_const(order_))
            if (viewOf(c) == right_) order.append(c);
    order_ = order;
}

QList<int> DataGrid::columnOrder() const { return order_; }

QList<int> DataGrid::columnWidths() const {
    QList<int> widths;
    for (int c : order_) widths.append(widths_[c]);
    return widths;
}

void DataGrid::setColumnWidths(const QList<int>& widths) {
    for (int p = 0; p < qMin(widths.size(), order_.size()); ++p)
        if (widths[p] > 0) widths_[order_[p]] = widths[p];
    applyLayout();
}

void DataGrid::moveColumn(int fromPosition, int toPosition) {
    if (fromPosition < 0 || toPosition < 0 || fromPosition >= order_.size() ||
        toPosition >= order_.size())
        return;
    const int from = order_[fromPosition], to = order_[toPosition];
    GridView* view = viewOf(from);
    if (viewOf(to) != view) return;  // columns stay in their part
    QHeaderView* header = view->horizontalHeader();
    const int count = header->count();
    if (columns_[from].source >= count || columns_[to].source >= count) return;
    header->moveSection(header->visualIndex(columns_[from].source),
                        header->visualIndex(columns_[to].source));
}

void DataGrid::updateMetrics() {
    const int rowHeight = rowLines_ * fontMetrics().lineSpacing() + kCellPadding;
    for (GridView* view : {left_, right_}) {
        view->verticalHeader()->setMinimumSectionSize(1);
        view->verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    updateHeaderHeights();
    updateFrozenWidth();
}

void DataGrid::updateHeaderHeights() {
    GridHeader::Needed needed;
    int filter = 0;
    bool titled = false;
    for (GridView* view : {left_, right_}) {
        const GridHeader::Needed n = view->gridHeader()->neededHeights(kMaxTitleLines);
        needed.upper = qMax(needed.upper, n.upper);
        needed.lower = qMax(needed.lower, n.lower);
        needed.single = qMax(needed.single, n.single);
    }
    for (int c = 0; c < columns_.size(); ++c) {
        titled = titled || !columns_[c].title.isEmpty();
        if (QLineEdit* edit = filterEdit(c)) filter = edit->sizeHint().height();
    }
    const int line = fontMetrics().lineSpacing() + kCellPadding;
    int upper = 0, lower = qMax(needed.single, line);
    if (needed.upper > 0) {
        lower = qMax(needed.lower, line);
        upper = qMax(needed.upper, needed.single - lower);
    }
    // Lists shown without titles and filters need no header at all.
    const bool shown = titled || filter > 0;
    for (GridView* view : {left_, right_}) {
        view->gridHeader()->setLevelHeights(upper, shown ? lower : 0, filter);
        view->horizontalHeader()->setVisible(shown);
    }
}

void DataGrid::updateFrozenWidth() {
    const QHeaderView* header = left_->horizontalHeader();
    int width = 2 * left_->frameWidth();
    for (int l = 0; l < header->count(); ++l)
        if (!header->isSectionHidden(l)) width += header->sectionSize(l);
    if (!left_->verticalHeader()->isHidden()) width += left_->verticalHeader()->sizeHint().width();
    left_->setFixedWidth(width);
}

void DataGrid::syncScrollBar() {
    const QScrollBar* inner = right_->horizontalScrollBar();
    hbar_->setRange(inner->minimum(), inner->maximum());
    hbar_->setPageStep(inner->pageStep());
    hbar_->setSingleStep(inner->singleStep());
    hbar_->setValue(inner->value());
    hbar_->setVisible(inner->maximum() > inner->minimum());
}

void DataGrid::sortByColumn(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columns_.size()) return clearSort();
    sortColumn_ = column;
    sortOrder_ = order;
    proxy_->sort(columns_[column].source, order);
    for (GridView* view : {left_, right_})
        view->gridHeader()->setSortMarker(columns_[column].source, order);
}

void DataGrid::clearSort() {
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    proxy_->sort(-1);
    for (GridView* view : {left_, right_}) view->gridHeader()->setSortMarker(-1, sortOrder_);
}

void DataGrid::onTitleClicked(int logical) {
    const int c = columnOfSection(logical);
    if (c < 0) return;
    if (columns_[c].titleButton) {
        const bool flip = sortColumn_ == c && sortOrder_ == Qt::AscendingOrder;
        sortByColumn(c, flip ? Qt::DescendingOrder : Qt::AscendingOrder);
    } else {
        // A title without a button asks the caller for another order; a client
        // order left in place would hide it.
        clearSort();
    }
    Q_EMIT titleClicked(c);
}

QLineEdit* DataGrid::filterEdit(int column) const {
    if (column < 0 || column >= columns_.size()) return nullptr;
    return header(column)->filterCell(columns_[column].source);
}

void DataGrid::setFilterText(int column, const QString& text) {
    if (QLineEdit* edit = filterEdit(column)) edit->setText(text);
}

void DataGrid::clearFilters() {
    for (int c = 0; c < columns_.size(); ++c)
        if (QLineEdit* edit = filterEdit(c)) edit->clear();
}

int DataGrid::rowCount() const { return proxy_->rowCount(); }

QModelIndex DataGrid::mapToSource(const QModelIndex& shownIndex) const {
    return proxy_->mapToSource(shownIndex);
}

}  // namespace grid
