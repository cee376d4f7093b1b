#include "reports/grid_printer.h"

#include "core/column_sum.h"
#include "dialogs/print_fonts.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace reports {

namespace {

constexpr qreal kScreenDpi = 96.0;

// Fonts given in screen pixels keep their look on paper only as points.
QFont paperFont(QFont font) {
    if (font.pixelSize() > 0) font.setPointSizeF(font.pixelSize() * 72.0 / kScreenDpi);
    return font;
}

}  // namespace

GridPrinter::GridPrinter()
    : cellFont_(dialogs::designFont(QStringLiteral("MS Sans Serif"), 8)),
      titleFont_(cellFont_),
      footerFont_(cellFont_),
      pageTextFont_(cellFont_) {}

void GridPrinter::applyPageLayout(QPrinter& printer) const {
    printer.setFullPage(false);
    printer.setPageOrientation(orientation_);
    printer.setPageMargins(QMarginsF(marginMm_, marginMm_, marginMm_, marginMm_),
                           QPageLayout::Millimeter);
}

bool GridPrinter::hasFooterRow() const {
    return std::any_of(columns_.begin(), columns_.end(), [](const grid::GridColumn& c) {
        return c.footer != grid::FooterKind::None;
    });
}

QString GridPrinter::footerCellText(int column) const {
    const grid::GridColumn& c = columns_.at(column);
    if (c.footer == grid::FooterKind::Text) return c.footerText;
    if (c.footer != grid::FooterKind::Sum || !model_) return {};
    return core::sumOfColumn(*model_, c.source).text();
}

namespace {

struct TitleCell {
    QRectF rect;
    QString text;
};

// Height of a text wrapped into a width, at least one line.
qreal wrappedHeight(const QFontMetricsF& fm, const QString& text, qreal width) {
    if (text.isEmpty() || (!text.contains(u'\n') && fm.horizontalAdvance(text) <= width))
        return fm.height();
    const QRectF r =
        fm.boundingRect(QRectF(0, 0, std::max<qreal>(width, 1), 1e9), Qt::TextWordWrap, text);
    return std::max(r.height(), fm.height());
}

// A cell's text laid out once, measured for the row's height and then
// drawn. Words wrap at blanks; a word wider than the cell breaks inside it,
// so that it neither runs into the next cell nor is cut off.
class CellLayout {
  public:
    qreal set(QString text, const QFont& font, QPaintDevice* device, qreal width,
              Qt::Alignment alignment, qreal minHeight) {
        text.replace(u'\n', QChar::LineSeparator);
        layout_.emplace(text, font, device);
        QTextOption option(alignment & Qt::AlignHorizontal_Mask);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout_->setTextOption(option);
        alignment_ = alignment;
        height_ = 0;
        layout_->beginLayout();
        for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
            line.setLineWidth(std::max<qreal>(width, 1));
            line.setPosition(QPointF(0, height_));
            height_ += line.height();
        }
        layout_->endLayout();
        return std::max(height_, minHeight);
    }
    void draw(QPainter& p, const QRectF& inner) const {
        if (!layout_) return;
        qreal top = inner.top();
        if (alignment_ & Qt::AlignBottom)
            top = inner.bottom() - height_;
        else if (!(alignment_ & Qt::AlignTop))
            top += (inner.height() - height_) / 2;
        layout_->draw(&p, QPointF(inner.left(), top));
    }

  private:
    std::optional<QTextLayout> layout_;
    Qt::Alignment alignment_;
    qreal height_ = 0;
};

}  // namespace

int GridPrinter::print(QPrinter& printer, const PrintProgress& progress) const {
    QPainter p;
    if (!p.begin(&printer)) return 0;

    const qreal px = printer.resolution() / kScreenDpi;  // one screen pixel
    const QRectF paint = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal pageW = paint.width();
    const qreal pageH = paint.height();

    const QFont cellFont = paperFont(cellFont_);
    const QFont titleFont = paperFont(titleFont_);
    const QFont footerFont = paperFont(footerFont_);
    const QFont pageFont = paperFont(pageTextFont_);
    const QFontMetricsF cellFm(cellFont, &printer);
    const QFontMetricsF titleFm(titleFont, &printer);
    const QFontMetricsF footerFm(footerFont, &printer);
    const QFontMetricsF pageFm(pageFont, &printer);

    // Table geometry in the printer's pixels before scaling.
    QList<qreal> lefts, widths;
    qreal tableW = 0;
    for (const grid::GridColumn& c : columns_) {
        lefts << tableW;
        widths << c.width * px;
        tableW += c.width * px;
    }
    const qreal fit = fitToWidth_ && tableW > pageW && tableW > 0 ? pageW / tableW : 1.0;
    const qreal pad = 2 * px;
    const QPen gridPen(Qt::black, std::max<qreal>(px * 0.75, 1));

    // Titles: adjacent columns with the same upper text share one cell; a
    // title without upper text spans both levels when any title has two.
    QList<grid::TitleLevels> levels;
    bool twoLevels = false;
    for (const grid::GridColumn& c : columns_) {
        levels << grid::splitTitle(c.title);
        twoLevels = twoLevels || levels.back().twoLevels();
    }
    qreal upperH = 0;
    qreal lowerH = titleFm.height() + 2 * pad;
    for (int i = 0; i < columns_.size(); ++i)
        lowerH = std::max(lowerH,
                          wrappedHeight(titleFm, levels[i].lower, widths[i] - 2 * pad) + 2 * pad);
    QList<TitleCell> titleCells;
    if (twoLevels) {
        for (int i = 0; i < columns_.size();) {
            if (!levels[i].twoLevels()) {
                ++i;
                continue;
            }
            int j = i + 1;
            while (j < columns_.size() && levels[j].upper == levels[i].upper) ++j;
            const qreal w = lefts[j - 1] + widths[j - 1] - lefts[i];
            upperH =
                std::max(upperH, wrappedHeight(titleFm, levels[i].upper, w - 2 * pad) + 2 * pad);
            titleCells << TitleCell{QRectF(lefts[i], 0, w, 0), levels[i].upper};
            i = j;
        }
        for (TitleCell& t : titleCells) t.rect.setHeight(upperH);
    }
    for (int i = 0; i < columns_.size(); ++i) {
        if (levels[i].twoLevels() || !twoLevels)
            titleCells << TitleCell{QRectF(lefts[i], upperH, widths[i], lowerH), levels[i].lower};
        else
            titleCells << TitleCell{QRectF(lefts[i], 0, widths[i], upperH + lowerH),
                                    levels[i].lower};
    }
    const qreal titlesH = upperH + lowerH;

    const int rowCount = model_ ? model_->rowCount() : 0;
    std::vector<CellLayout> cells(std::size_t(columns_.size()));
    auto layoutCells = [&](std::vector<CellLayout>& into, const QFont& font,
                           const QFontMetricsF& fm, auto textOf) {
        qreal h = fm.height();
        for (int i = 0; i < columns_.size(); ++i)
            h = std::max(h, into[std::size_t(i)].set(textOf(i), font, &printer, widths[i] - 2 * pad,
                                                     columns_[i].alignment, fm.height()));
        return h + 2 * pad;
    };
    auto loadRow = [&](int row) {
        return layoutCells(cells, cellFont, cellFm, [&](int i) {
            return model_->index(row, columns_[i].source).data().toString();
        });
    };
    auto drawCells = [&](qreal y, qreal h, const std::vector<CellLayout>& row) {
        for (int i = 0; i < columns_.size(); ++i) {
            const QRectF cell(lefts[i], y, widths[i], h);
            p.drawRect(cell);
            row[std::size_t(i)].draw(p, cell.adjusted(pad, pad, -pad, -pad));
        }
    };

    const qreal headerH = header_.isEmpty() ? 0 : pageFm.height() + pad;
    const qreal pageFooterH = footer_.isEmpty() ? 0 : pageFm.height() + pad;
    auto drawPageTexts = [&](const PageTexts& t, qreal y) {
        p.setFont(pageFont);
        const QRectF line(0, y, pageW, pageFm.height());
        p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, t.left);
        p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, t.centre);
        p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, t.right);
    };

    std::vector<CellLayout> footerCells(std::size_t(columns_.size()));
    const qreal footerH = hasFooterRow() ? layoutCells(footerCells, footerFont, footerFm,
                                                       [&](int i) { return footerCellText(i); })
                                         : 0;

    int row = 0;
    bool footerDone = !hasFooterRow();
    int pages = 0;
    qreal nextRowH = row < rowCount ? loadRow(row) : 0;
    for (;;) {
        if (pages > 0) printer.newPage();
        ++pages;
        p.resetTransform();
        p.setPen(Qt::black);
        if (!header_.isEmpty()) drawPageTexts(header_, 0);
        if (!footer_.isEmpty()) drawPageTexts(footer_, pageH - pageFm.height());
        qreal top = headerH;
        if (pages == 1) {
            for (const TextParagraph& para : textBefore_) {
                const QFont f = paperFont(para.font);
                const QFontMetricsF fm(f, &printer);
                const qreal h = wrappedHeight(fm, para.text, pageW);
                p.setFont(f);
                p.drawText(QRectF(0, top, pageW, h), int(para.alignment) | Qt::TextWordWrap,
                           para.text);
                top += h;
            }
        }
        p.translate(0, top);
        p.scale(fit, fit);
        const qreal limit = (pageH - pageFooterH - top) / fit;
        p.setPen(gridPen);
        p.setFont(titleFont);
        for (const TitleCell& t : titleCells) {
            p.drawRect(t.rect);
            p.drawText(t.rect.adjusted(pad, pad, -pad, -pad), Qt::AlignCenter | Qt::TextWordWrap,
                       t.text);
        }
        qreal y = titlesH;
        int onPage = 0;
        while (row < rowCount && (y + nextRowH <= limit || onPage == 0)) {
            drawCells(y, nextRowH, cells);
            y += nextRowH;
            ++onPage;
            ++row;
            nextRowH = row < rowCount ? loadRow(row) : 0;
        }
        if (row >= rowCount && !footerDone && (y + footerH <= limit || onPage == 0)) {
            drawCells(y, footerH, footerCells);
            footerDone = true;
        }
        if (progress && !progress(row, rowCount)) break;
        if (row >= rowCount && footerDone) break;
    }
    p.end();
    return pages;
}

}  // namespace reports
