#include "grid/grid_cell_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMetaProperty>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

namespace grid {

GridCellDelegate::GridCellDelegate(const QHash<int, Qt::Alignment>& alignments, QObject* parent)
    : QStyledItemDelegate(parent), alignments_(alignments) {}

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto it = alignments_.constFind(index.column());
    if (it != alignments_.cend()) option->displayAlignment = *it;
    // A row the model marks with its own background keeps that mark when it
    // is the current row: the selection takes a darker shade of it.
    if ((option->state & QStyle::State_Selected) &&
        option->backgroundBrush.style() != Qt::NoBrush) {
        const QColor mark = option->backgroundBrush.color();
        option->palette.setColor(QPalette::Highlight, mark.darker(160));
        option->palette.setColor(QPalette::HighlightedText, QColor(Qt::white));
    }
}

bool GridCellDelegate::textClipped(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty()) return false;
    // Laid out as the style draws an item's text: the cell less a small
    // margin at each side, broken at blanks and at the text's own breaks.
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect box = opt.rect.adjusted(margin, 0, -margin, 0);
    QString text = opt.text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextOption textOption;
    textOption.setWrapMode(opt.features & QStyleOptionViewItem::WrapText ? QTextOption::WordWrap
                                                                         : QTextOption::ManualWrap);
    QTextLayout layout(text, opt.font);
    layout.setTextOption(textOption);
    bool clipped = false;
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        height += line.height();
        if (line.naturalTextWidth() > box.width() || height > box.height()) {
            clipped = true;
            break;
        }
    }
    layout.endLayout();
    return clipped;
}

bool GridCellDelegate::showWholeText(QAbstractItemView* view, const QStyleOptionViewItem& option,
                                     const QModelIndex& index, const QPoint& globalPos) const {
    if (!index.isValid() || !textClipped(option, index)) return false;
    QString text = index.data(Qt::DisplayRole).toString();
    // Shown as typed, even where it looks like markup.
    if (Qt::mightBeRichText(text)) text = Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
    QToolTip::showText(globalPos, text, view->viewport(), option.rect);
    return true;
}

bool GridCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::ToolTip && showWholeText(view, option, index, event->globalPos()))
        return true;
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void GridCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    // Tab and the arrow keys pass through cells, each opening and closing an
    // editor; written back untyped, its text would turn an empty number into
    // 0 and an empty value into an empty text, and put the row into editing.
    const QByteArray property = editor->metaObject()->userProperty().name();
    if (!property.isEmpty()) {
        const QString typed = editor->property(property.constData()).toString();
        const QVariant held = index.data(Qt::EditRole);
        if (held.isNull() ? typed.isEmpty() : typed == held.toString()) return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

}  // namespace grid
