#pragma once
// GridPrinter lays the rows of an item model out on printer pages: an
// optional block of formatted paragraphs before the table on the first page,
// the table's one- or two-level titles repeated at the top of every page,
// rows as many text lines high as their cells need, an optional footer row
// (fixed texts and column sums) after the last row, and page header and
// footer texts. The table is scaled down to the page width when it is wider.
//
// It holds only settings: every call of print() lays the pages out anew
// from the model as it is at that moment.

#include "grid/grid_column.h"

#include <QFont>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <functional>

class QAbstractItemModel;
class QPrinter;

namespace reports {

struct TextParagraph {
    QString text;
    QFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Texts at the left, in the centre and at the right of a page's edge.
struct PageTexts {
    QString left;
    QString centre;
    QString right;
    bool isEmpty() const { return left.isEmpty() && centre.isEmpty() && right.isEmpty(); }
};

// Told after every page how many rows are laid out; false stops printing
// after that page.
using PrintProgress = std::function<bool(int rowsDone, int rowsTotal)>;

class GridPrinter {
  public:
    GridPrinter();

    // The caller keeps the model; GridColumn::source names its columns.
    void setModel(const QAbstractItemModel* model) { model_ = model; }
    const QAbstractItemModel* model() const { return model_; }
    // In print order; widths are screen pixels (96 to the inch).
    void setColumns(const QList<grid::GridColumn>& columns) { columns_ = columns; }
    const QList<grid::GridColumn>& columns() const { return columns_; }

    void setCellFont(const QFont& font) { cellFont_ = font; }
    void setTitleFont(const QFont& font) { titleFont_ = font; }
    void setFooterFont(const QFont& font) { footerFont_ = font; }
    void setTextBefore(const QList<TextParagraph>& paragraphs) { textBefore_ = paragraphs; }
    const QList<TextParagraph>& textBefore() const { return textBefore_; }
    void setPageHeader(const PageTexts& texts) { header_ = texts; }
    void setPageFooter(const PageTexts& texts) { footer_ = texts; }
    const PageTexts& pageFooter() const { return footer_; }
    void setPageTextFont(const QFont& font) { pageTextFont_ = font; }

    void setOrientation(QPageLayout::Orientation orientation) { orientation_ = orientation; }
    QPageLayout::Orientation orientation() const { return orientation_; }
    void setMarginsMm(qreal margin) { marginMm_ = margin; }
    qreal marginsMm() const { return marginMm_; }
    void setFitToWidth(bool fit) { fitToWidth_ = fit; }

    // Puts the orientation and the margins on the printer.
    void applyPageLayout(QPrinter& printer) const;
    // Prints every page; returns how many were printed (0 when the printer
    // could not be opened).
    int print(QPrinter& printer, const PrintProgress& progress = {}) const;

    // The footer cell of a column: its fixed text, or the sum of its values
    // over the model's rows by the rule the grid and the spreadsheets follow
    // (core/column_sum.h; empty when no value is a number).
    QString footerCellText(int column) const;
    bool hasFooterRow() const;

  private:
    const QAbstractItemModel* model_ = nullptr;
    QList<grid::GridColumn> columns_;
    QFont cellFont_;
    QFont titleFont_;
    QFont footerFont_;
    QList<TextParagraph> textBefore_;
    PageTexts header_;
    PageTexts footer_;
    QFont pageTextFont_;
    QPageLayout::Orientation orientation_ = QPageLayout::Portrait;
    qreal marginMm_ = 10;
    bool fitToWidth_ = true;
};

}  // namespace reports
