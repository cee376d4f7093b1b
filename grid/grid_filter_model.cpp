#include "grid/grid_filter_model.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTime>
#include <algorithm>
#include <numeric>

namespace grid {

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
            connect(source, &QAbstractItemModel::dataChanged, this, &GridFilterModel::dropKeysOf),
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

GridFilterModel::SortKey GridFilterModel::makeKey(const QModelIndex& sourceIndex,
                                                  QString* text) const {
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
        *text = value.toString();
    }
    return key;
}

void GridFilterModel::buildKeys(int column) const {
    const int rows = sourceModel()->rowCount();
    keys_.assign(std::size_t(rows), SortKey());
    // Texts are ranked once per distinct text: a journal column repeats few
    // texts over many rows, and comparing ranks is far cheaper than collating.
    QHash<QString, int> ids;
    QStringList texts;
    std::vector<int> textOfRow(std::size_t(rows), -1);
    for (int r = 0; r < rows; ++r) {
        QString text;
        keys_[std::size_t(r)] = makeKey(sourceModel()->index(r, column), &text);
        if (keys_[std::size_t(r)].kind != SortKey::Kind::Text) continue;
        auto it = ids.constFind(text);
        if (it == ids.cend()) {
            it = ids.insert(text, int(texts.size()));
            texts.append(text);
        }
        textOfRow[std::size_t(r)] = *it;
    }
    std::vector<QCollatorSortKey> collated;
    collated.reserve(std::size_t(texts.size()));
    for (const QString& text : std::as_const(texts)) collated.push_back(collator_.sortKey(text));
    std::vector<int> order(std::size_t(texts.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return collated[std::size_t(a)].compare(collated[std::size_t(b)]) < 0;
    });
    std::vector<int> rank(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const bool same = i > 0 && collated[std::size_t(order[i])].compare(
                                       collated[std::size_t(order[i - 1])]) == 0;
        rank[std::size_t(order[i])] = same ? rank[std::size_t(order[i - 1])] : int(i);
    }
    for (int r = 0; r < rows; ++r)
        if (textOfRow[std::size_t(r)] >= 0)
            keys_[std::size_t(r)].number = rank[std::size_t(textOfRow[std::size_t(r)])];
    keyColumn_ = column;
}

void GridFilterModel::dropKeys() {
    keys_.clear();
    keys_.shrink_to_fit();
    keyColumn_ = -1;
}

void GridFilterModel::dropKeysOf(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (keyColumn_ >= topLeft.column() && keyColumn_ <= bottomRight.column()) dropKeys();
}

bool GridFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Empty values first, then numbers, then texts.
    if (left.parent().isValid()) {
        // Only the rows of a flat table have cached keys; child rows compare directly.
        QString a, b;
        const SortKey ka = makeKey(left, &a), kb = makeKey(right, &b);
        if (ka.kind != kb.kind) return ka.kind < kb.kind;
        if (ka.kind == SortKey::Kind::Text) return collator_.compare(a, b) < 0;
        return ka.number < kb.number;
    }
    if (keyColumn_ != left.column() || std::size_t(qMax(left.row(), right.row())) >= keys_.size())
        buildKeys(left.column());
    const SortKey& a = keys_[std::size_t(left.row())];
    const SortKey& b = keys_[std::size_t(right.row())];
    if (a.kind != b.kind) return a.kind < b.kind;
    return a.number < b.number;
}

}  // namespace grid
