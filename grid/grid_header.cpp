#include "grid/grid_header.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>

namespace grid {

namespace {

constexpr int kTextMargin = 3;
constexpr int kMarkerWidth = 12;

void paintTriangle(QPainter* painter, const QRect& box, bool pointsUp, const QColor& color) {
    const QPointF c = QRectF(box).center();
    const qreal h = 3.5;
    QPainterPath path;
    if (pointsUp) {
        path.moveTo(c.x() - h, c.y() + h / 2);
        path.lineTo(c.x() + h, c.y() + h / 2);
        path.lineTo(c.x(), c.y() - h);
    } else {
        path.moveTo(c.x() - h, c.y() - h / 2);
        path.lineTo(c.x() + h, c.y() - h / 2);
        path.lineTo(c.x(), c.y() + h);
    }
    path.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, color);
    painter->restore();
}

}  // namespace

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    setMinimumSectionSize(8);
    connect(this, &QHeaderView::sectionResized, this, &GridHeader::placeFilterCells);
    connect(this, &QHeaderView::sectionMoved, this, &GridHeader::placeFilterCells);
    connect(this, &QHeaderView::sectionCountChanged, this, &GridHeader::placeFilterCells);
    connect(this, &QHeaderView::geometriesChanged, this, &GridHeader::placeFilterCells);
}

void GridHeader::setTitle(int logical, const QString& title) {
    titles_.insert(logical, splitTitle(title));
    viewport()->update();
}

QLineEdit* GridHeader::addFilterCell(int logical) {
    if (QLineEdit* existing = filterCells_.value(logical)) return existing;
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("filter%1").arg(logical));
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this,
            [this, logical](const QString& text) { Q_EMIT filterEdited(logical, text); });
    filterCells_.insert(logical, edit);
    placeFilterCells();
    return edit;
}

void GridHeader::clearColumns() {
    titles_.clear();
    qDeleteAll(filterCells_);
    filterCells_.clear();
    sortSection_ = -1;
    viewport()->update();
}

void GridHeader::setLevelHeights(int upper, int lower, int filter) {
    if (upper == upper_ && lower == lower_ && filter == filter_) return;
    upper_ = upper;
    lower_ = lower;
    filter_ = filter;
    updateGeometry();
    // The table view lays out its viewport again on this signal.
    Q_EMIT geometriesChanged();
    viewport()->update();
}

void GridHeader::setSortMarker(int logical, Qt::SortOrder order) {
    sortSection_ = logical;
    sortOrder_ = order;
    viewport()->update();
}

QSize GridHeader::sizeHint() const { return {length(), upper_ + lower_ + filter_}; }

int GridHeader::textHeight(const QString& text, int width, int maxLines) const {
    if (text.isEmpty()) return 0;
    const QFontMetrics fm(font());
    const int w = qMax(1, width - 2 * kTextMargin - kMarkerWidth);
    const QRect r = fm.boundingRect(QRect(0, 0, w, fm.lineSpacing() * maxLines),
                                    Qt::AlignCenter | Qt::TextWordWrap, text);
    return qMin(r.height(), fm.lineSpacing() * maxLines) + 3 * kTextMargin;
}

GridHeader::Needed GridHeader::neededHeights(int maxLines) const {
    Needed n;
    for (const Span& span : upperSpans()) {
        int width = 0;
        for (int s : span.sections) width += sectionSize(s);
        n.upper = qMax(n.upper, textHeight(span.text, width, maxLines));
    }
    for (int v = 0; v < count(); ++v) {
        const int logical = logicalIndex(v);
        if (isSectionHidden(logical)) continue;
        const TitleLevels t = title(logical);
        const int h = textHeight(t.lower, sectionSize(logical), maxLines);
        if (t.twoLevels())
            n.lower = qMax(n.lower, h);
        else
            n.single = qMax(n.single, h);
    }
    return n;
}

QList<GridHeader::Span> GridHeader::upperSpans() const {
    QList<Span> spans;
    bool open = false;  // the last visible section belongs to spans.back()
    for (int v = 0; v < count(); ++v) {
        const int logical = logicalIndex(v);
        if (isSectionHidden(logical)) continue;  // hidden sections do not split a span
        const TitleLevels t = title(logical);
        if (!t.twoLevels()) {
            open = false;
        } else if (open && spans.back().text == t.upper) {
            spans.back().sections.append(logical);
        } else {
            spans.append({t.upper, {logical}});
            open = true;
        }
    }
    return spans;
}

QRect GridHeader::spanRect(int logical) const {
    const QString upper = title(logical).upper;
    const auto sameUpper = [&](int v) {
        const int l = logicalIndex(v);
        return isSectionHidden(l) || title(l).upper == upper;
    };
    int first = visualIndex(logical), last = first;
    while (first > 0 && sameUpper(first - 1)) --first;
    while (last + 1 < count() && sameUpper(last + 1)) ++last;
    int left = sectionViewportPosition(logical), right = left + sectionSize(logical);
    for (int v = first; v <= last; ++v) {
        const int l = logicalIndex(v);
        if (isSectionHidden(l)) continue;
        left = qMin(left, sectionViewportPosition(l));
        right = qMax(right, sectionViewportPosition(l) + sectionSize(l));
    }
    return {left, 0, right - left, upper_};
}

void GridHeader::paintCell(QPainter* painter, const QRect& cell, const QString& text, int logical,
                           bool marker) const {
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = cell;
    opt.section = logical;
    opt.state |= QStyle::State_Enabled;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    const QColor color = palette().color(QPalette::ButtonText);
    QRect textBox = cell.adjusted(kTextMargin, kTextMargin, -kTextMargin, -kTextMargin);
    if (marker) {
        const QRect box(cell.right() - kMarkerWidth, cell.top(), kMarkerWidth, cell.height());
        paintTriangle(painter, box, sortOrder_ == Qt::AscendingOrder, color);
        textBox.setRight(box.left() - 1);
    }
    painter->setPen(color);
    painter->setFont(font());
    painter->drawText(textBox, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    if (!rect.isValid()) return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    const TitleLevels t = title(logical);
    const bool marker = logical == sortSection_;
    if (t.twoLevels()) {
        // Each section paints its part of the shared upper cell; the parts meet seamlessly.
        paintCell(painter, spanRect(logical), t.upper, logical, false);
        paintCell(painter, QRect(rect.x(), upper_, rect.width(), lower_), t.lower, logical, marker);
    } else {
        paintCell(painter, QRect(rect.x(), 0, rect.width(), titleHeight()), t.lower, logical,
                  marker);
    }
    if (filter_ > 0 && !filterCells_.contains(logical))
        paintCell(painter, QRect(rect.x(), titleHeight(), rect.width(), filter_), QString(),
                  logical, false);
    painter->restore();
}

void GridHeader::placeFilterCells() {
    for (auto it = filterCells_.cbegin(); it != filterCells_.cend(); ++it) {
        const int logical = it.key();
        QLineEdit* edit = it.value();
        if (logical >= count() || isSectionHidden(logical) || filter_ <= 0) {
            edit->hide();
            continue;
        }
        const QPoint origin = viewport()->pos();
        edit->setGeometry(origin.x() + sectionViewportPosition(logical), origin.y() + titleHeight(),
                          sectionSize(logical), filter_);
        edit->show();
    }
}

void GridHeader::resizeEvent(QResizeEvent* event) {
    QHeaderView::resizeEvent(event);
    placeFilterCells();
}

// Presses in the filter row belong to the entries, never to sorting or moving.
void GridHeader::mousePressEvent(QMouseEvent* event) {
    if (event->position().y() >= titleHeight()) return event->accept();
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->position().y() >= titleHeight()) return event->accept();
    QHeaderView::mouseDoubleClickEvent(event);
}

bool GridHeader::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn) Q_EMIT filterCellFocused(filterCells_.key(edit));
    if (edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Find)) {
            Q_EMIT findRequested();
            return true;
        }
        switch (key->key()) {
            case Qt::Key_Escape:
                if (edit->text().isEmpty()) break;
                edit->clear();
                return true;
            case Qt::Key_Down:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Q_EMIT filterRowLeft();
                return true;
            default:
                break;
        }
    }
    return QHeaderView::eventFilter(watched, event);
}

RowIndicator::RowIndicator(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true);
    setHighlightSections(false);
    setMinimumSectionSize(1);
}

QSize RowIndicator::sizeHint() const {
    return {QFontMetrics(font()).height() + 4, defaultSectionSize()};
}

void RowIndicator::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    if (!rect.isValid()) return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logical;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    if (selectionModel() && selectionModel()->currentIndex().row() == logical) {
        const QColor color = palette().color(QPalette::ButtonText);
        const int side = qMin(rect.width(), 12);
        const QPointF c = QRectF(rect).center();
        QPainterPath path;
        path.moveTo(c.x() - side / 4.0, c.y() - side / 2.5);
        path.lineTo(c.x() + side / 3.0, c.y());
        path.lineTo(c.x() - side / 4.0, c.y() + side / 2.5);
        path.closeSubpath();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(path, color);
        painter->restore();
    }
}

void RowIndicator::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QHeaderView::currentChanged(current, previous);
    if (current.row() != previous.row()) viewport()->update();
}

}  // namespace grid
