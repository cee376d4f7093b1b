#pragma once
// A dataset model that marks the rows whose changes the server has not
// taken yet, so that nobody takes them for saved.

#include "core/dataset_model.h"

#include <QBrush>
#include <QColor>

namespace journal {

class PendingRowsModel : public core::DataSetModel {
  public:
    using core::DataSetModel::DataSetModel;

    static QColor pendingColor() { return QColor(255, 200, 200); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role == Qt::BackgroundRole && index.isValid() && dataset().rowPending(index.row()))
            return QBrush(pendingColor());
        return core::DataSetModel::data(index, role);
    }
};

}  // namespace journal
