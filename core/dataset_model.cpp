#include "core/dataset_model.h"

namespace core {

DataSetModel::DataSetModel(ClientDataSet& dataset, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), columns_(dataset.fieldCount()) {
    connect(&dataset_, &ClientDataSet::aboutToReset, this, [this] { beginResetModel(); });
    connect(&dataset_, &ClientDataSet::resetDone, this, [this] {
        columns_ = dataset_.fieldCount();
        endResetModel();
    });
    connect(&dataset_, &ClientDataSet::rowAboutToBeInserted, this,
            [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(&dataset_, &ClientDataSet::rowInserted, this, [this] { endInsertRows(); });
    connect(&dataset_, &ClientDataSet::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(&dataset_, &ClientDataSet::rowRemoved, this, [this] { endRemoveRows(); });
    connect(&dataset_, &ClientDataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && columns_ > 0) Q_EMIT dataChanged(index(row, 0), index(row, columns_ - 1));
    });
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataset_.rowCount();
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QString DataSetModel::displayText(const FieldValue& v) {
    if (v.isNull()) return {};
    switch (v.kind()) {
        case FieldKind::Date:
            if (const QDate d = v.asDate(); d.isValid())
                return d.toString(QStringLiteral("dd.MM.yyyy"));
            break;  // a zero or partial date shows as the server wrote it
        case FieldKind::DateTime:
            if (const QDateTime dt = v.asDateTime(); dt.isValid())
                return dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
            break;
        default:
            break;
    }
    QString s = v.asText();
    if (s.contains(QLatin1Char('\r'))) s.remove(QLatin1Char('\r'));
    return s;
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= dataset_.rowCount() || index.column() >= columns_)
        return {};
    const FieldValue v = dataset_.value(index.row(), index.column());
    if (role == Qt::DisplayRole) return displayText(v);
    if (role == Qt::EditRole) return v.toVariant();
    return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < columns_)
        return dataset_.field(section).name;
    if (orientation == Qt::Vertical) return section + 1;
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid() && !dataset_.field(index.column()).calculated)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable_ || role != Qt::EditRole || !index.isValid()) return false;
    if (dataset_.field(index.column()).calculated) return false;
    try {
        dataset_.setCurrent(index.row());
        dataset_.edit();
        dataset_.setValue(index.column(), value);
        return true;
    } catch (const DbError& e) {
        Q_EMIT failed(e.message());
    } catch (const DataSetError& e) {
        Q_EMIT failed(e.message());
    } catch (const std::exception& e) {
        Q_EMIT failed(QString::fromUtf8(e.what()));
    }
    return false;
}

}  // namespace core
