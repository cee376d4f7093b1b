#pragma once
// How one column of a DataGrid is laid out and what it offers: which model
// column it shows, its title, width and alignment, whether its title is a
// sort button, which model column its filter cell narrows on and what its
// footer cell shows.

#include <QString>
#include <Qt>
#include <utility>

namespace grid {

enum class FooterKind {
    None,  // empty footer cell
    Text,  // GridColumn::footerText as it stands
    Sum,   // sum of the column's values over the rows shown (core/column_sum.h)
};

struct GridColumn {
    GridColumn() = default;
    GridColumn(int source, QString title, int width, Qt::Alignment alignment = Qt::AlignLeft,
               bool titleButton = false, int filterSource = -1)
        : source(source),
          title(std::move(title)),
          width(width),
          alignment(alignment),
          titleButton(titleButton),
          filterSource(filterSource) {}

    // Column of the source model shown here.
    int source = -1;
    // "upper|lower" gives a two-level title; adjacent columns with the same
    // upper text share one upper cell. A title without a bar fills both levels.
    QString title;
    int width = 100;
    // Horizontal alignment of the cells; vertically cells are centred unless
    // a vertical flag is given.
    Qt::Alignment alignment = Qt::AlignLeft;
    // A title button sorts the loaded rows by this column.
    bool titleButton = false;
    // Source column the filter cell narrows on; -1: the column has no filter cell.
    int filterSource = -1;
    FooterKind footer = FooterKind::None;
    QString footerText;
};

struct TitleLevels {
    QString upper;  // empty for a one-level title
    QString lower;
    bool twoLevels() const { return !upper.isEmpty(); }
};

// Splits at the first bar: "Ид. №|1" gives "Ид. №" over "1".
inline TitleLevels splitTitle(const QString& title) {
    const qsizetype bar = title.indexOf(u'|');
    if (bar < 0) return {QString(), title};
    return {title.left(bar), title.mid(bar + 1)};
}

}  // namespace grid
