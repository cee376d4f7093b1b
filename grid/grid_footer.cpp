#include "grid/grid_footer.h"

#include "grid/grid_view.h"

#include <QPainter>
#include <QScrollBar>

namespace grid {

GridFooter::GridFooter(GridView* view, QWidget* parent) : QWidget(parent), view_(view) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto repaint = [this] { update(); };
    QHeaderView* header = view->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(view, &GridView::geometriesUpdated, this, repaint);
}

void GridFooter::setCell(int logical, const QString& text, Qt::Alignment alignment) {
    texts_.insert(logical, text);
    alignments_.insert(logical, (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    update();
}

void GridFooter::clearCells() {
    texts_.clear();
    alignments_.clear();
    update();
}

QSize GridFooter::sizeHint() const { return {0, fontMetrics().lineSpacing() + 8}; }

void GridFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QHeaderView* header = view_->horizontalHeader();
    // The footer sits right under its view, so the view's viewport gives the offset.
    const int origin = view_->viewport()->geometry().x();
    const QColor line = palette().color(QPalette::Mid);
    painter.setPen(line);
    painter.drawLine(0, 0, width(), 0);
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (header->isSectionHidden(logical)) continue;
        const QRect cell(origin + header->sectionViewportPosition(logical), 0,
                         header->sectionSize(logical), height());
        if (cell.right() < origin || cell.left() > width()) continue;
        painter.save();
        painter.setClipRect(QRect(origin, 0, width() - origin, height()));
        painter.setPen(line);
        painter.drawLine(cell.topRight(), cell.bottomRight());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(cell.adjusted(4, 1, -4, -1), alignments_.value(logical, Qt::AlignVCenter),
                         texts_.value(logical));
        painter.restore();
    }
}

}  // namespace grid
