#include "core/column_sum.h"

#include <QAbstractItemModel>
#include <cmath>
#include <limits>

namespace core {

std::optional<Summand> summandOf(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong: {
            const qint64 n = value.toLongLong();
            return Summand{true, n, double(n)};
        }
        case QMetaType::ULong:
        case QMetaType::ULongLong: {
            const quint64 u = value.toULongLong();
            if (u <= quint64(std::numeric_limits<qint64>::max()))
                return Summand{true, qint64(u), double(u)};
            return Summand{false, 0, double(u)};
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            if (!std::isfinite(d)) return std::nullopt;
            return Summand{false, 0, d};
        }
        case QMetaType::QString: {
            const QString text = value.toString().trimmed();
            if (text.isEmpty()) return std::nullopt;
            bool ok = false;
            const qint64 n = text.toLongLong(&ok);
            if (ok) return Summand{true, n, double(n)};
            // QString's reading is the C locale's and takes no group
            // separators: "1,5" is no number here, as it is none in SQL.
            const double d = text.toDouble(&ok);
            if (!ok || !std::isfinite(d)) return std::nullopt;
            return Summand{false, 0, d};
        }
        default:
            return std::nullopt;
    }
}

QVariant sumInput(const QModelIndex& index) {
    const QVariant edit = index.data(Qt::EditRole);
    return edit.isValid() ? edit : index.data(Qt::DisplayRole);
}

void ColumnSum::add(const QVariant& value) {
    const std::optional<Summand> s = summandOf(value);
    if (!s) return;
    any_ = true;
    qint64 next = 0;
    if (whole_ && s->whole && !__builtin_add_overflow(integer_, s->integer, &next)) {
        integer_ = next;
        return;
    }
    // From here on the sum is a double: a fraction came, or 64 bits ran out.
    if (whole_) number_ = double(integer_);
    whole_ = false;
    number_ += s->number;
}

QString ColumnSum::text() const {
    if (!any_) return {};
    if (whole_) return QString::number(integer_);
    if (std::floor(number_) == number_ && std::fabs(number_) < 1e15)
        return QString::number(qint64(number_));
    return QString::number(number_, 'g', 15);
}

ColumnSum sumOfColumn(const QAbstractItemModel& model, int column) {
    ColumnSum sum;
    if (column < 0 || column >= model.columnCount()) return sum;
    for (int r = 0; r < model.rowCount(); ++r) sum.add(sumInput(model.index(r, column)));
    return sum;
}

}  // namespace core
