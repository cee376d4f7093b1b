#include "common/grid_filter_model.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>

namespace common {

namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
    }
}

// Dates and times sort as numbers, so that 02.01.2010 comes after 31.12.2009.
std::optional<double> timeNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDate:
            return double(value.toDate().toJulianDay()) * 86400.0;
        case QMetaType::QDateTime: {
            const QDateTime t = value.toDateTime();
            return double(t.date().toJulianDay()) * 86400.0 +
                   t.time().msecsSinceStartOfDay() / 1000.0;
        }
        case QMetaType::QTime:
            return value.toTime().msecsSinceStartOfDay() / 1000.0;
        default:
            return std::nullopt;
    }
}

}  // namespace

GridFilterModel::GridFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {
    // Typed values sort better than their shown texts (numbers, dates); models
    // without an edit role fall back to the shown text.
    setSortRole(Qt::EditRole);
    // The C locale would order by code points, which puts І, Ї and Є before А;
    // the journal's texts are Ukrainian and Russian.
    if (QLocale().language() == QLocale::C)
        collator_.setLocale(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

void GridFilterModel::setSourceModel(QAbstractItemModel* source) {
    for (const auto& c : std::as_const(sourceConnections_)) disconnect(c);
    sourceConnections_.clear();
    dropKeys();
    // Connected before the base class connects its own handlers, so that the
    // keys are gone before the base re-sorts changed or inserted rows.
    if (source) {
        auto drop = [this] { dropKeys(); };
        sourceConnections_ = {
            connect(source, &QAbstractItemModel::dataChanged, this, &GridFilterModel::refreshKeys),
            connect(source, &QAbstractItemModel::rowsInserted, this, drop),
            connect(source, &QAbstractItemModel::rowsRemoved, this, drop),
            connect(source, &QAbstractItemModel::rowsMoved, this, drop),
            connect(source, &QAbstractItemModel::modelReset, this, drop),
            connect(source, &QAbstractItemModel::layoutChanged, this, drop),
        };
    }
    QSortFilterProxyModel::setSourceModel(source);
}

void GridFilterModel::setColumnFilter(int sourceColumn, const QString& text) {
    auto it = std::find_if(filters_.begin(), filters_.end(),
                           [sourceColumn](const Filter& f) { return f.column == sourceColumn; });
    if (text.isEmpty()) {
        if (it == filters_.end()) return;
        filters_.erase(it);
    } else if (it == filters_.end()) {
        filters_.push_back({sourceColumn, text});
    } else {
        if (it->text == text) return;
        it->text = text;
    }
    refilter();
}

QString GridFilterModel::columnFilter(int sourceColumn) const {
    for (const Filter& f : filters_)
        if (f.column == sourceColumn) return f.text;
    return {};
}

void GridFilterModel::clearFilters() {
    if (filters_.empty()) return;
    filters_.clear();
    refilter();
}

void GridFilterModel::setSortLocale(const QLocale& locale) {
    collator_.setLocale(locale);
    dropKeys();
    invalidate();
}

void GridFilterModel::refilter() { invalidate(); }

bool GridFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const QAbstractItemModel* source = sourceModel();
    for (const Filter& f : filters_) {
        const QString shown =
            source->data(source->index(sourceRow, f.column, sourceParent)).toString();
        if (!shown.contains(f.text, Qt::CaseInsensitive)) return false;
    }
    return true;
}

GridFilterModel::SortKey GridFilterModel::makeKey(const QModelIndex& sourceIndex) const {
    QVariant value = sourceIndex.data(sortRole());
    if (!value.isValid() && sortRole() != Qt::DisplayRole)
        value = sourceIndex.data(Qt::DisplayRole);
    SortKey key;
    if (!value.isValid() || value.isNull()) return key;
    if (isNumber(value)) {
        key.kind = SortKey::Kind::Number;
        key.number = value.toDouble();
    } else if (const auto t = timeNumber(value)) {
        key.kind = SortKey::Kind::Number;
        key.number = *t;
    } else {
        key.kind = SortKey::Kind::Text;
        key.text = collator_.sortKey(value.toString());
    }
    return key;
}

const GridFilterModel::SortKey& GridFilterModel::keyOf(const QModelIndex& sourceIndex) const {
    const int column = sourceIndex.column();
    if (keyColumn_ != column || std::size_t(sourceIndex.row()) >= keys_.size()) {
        keys_.clear();
        const int rows = sourceModel()->rowCount();
        keys_.reserve(rows);
        for (int r = 0; r < rows; ++r) keys_.push_back(makeKey(sourceModel()->index(r, column)));
        keyColumn_ = column;
    }
    return keys_[std::size_t(sourceIndex.row())];
}

void GridFilterModel::dropKeys() {
    keys_.clear();
    keys_.shrink_to_fit();
    keyColumn_ = -1;
}

void GridFilterModel::refreshKeys(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (keyColumn_ < 0 || topLeft.parent().isValid()) return;
    if (keyColumn_ < topLeft.column() || keyColumn_ > bottomRight.column()) return;
    if (std::size_t(bottomRight.row()) >= keys_.size()) return dropKeys();
    for (int r = topLeft.row(); r <= bottomRight.row(); ++r)
        keys_[std::size_t(r)] = makeKey(sourceModel()->index(r, keyColumn_));
}

bool GridFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Empty values first, then numbers, then texts.
    const auto less = [](const SortKey& a, const SortKey& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        if (a.kind == SortKey::Kind::Number) return a.number < b.number;
        if (a.kind == SortKey::Kind::Text) return a.text->compare(*b.text) < 0;
        return false;
    };
    // Only the rows of a flat table have cached keys; child rows compare directly.
    if (left.parent().isValid()) return less(makeKey(left), makeKey(right));
    return less(keyOf(left), keyOf(right));
}

}  // namespace common
