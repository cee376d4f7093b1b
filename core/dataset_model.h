#pragma once
// Shows a client dataset in Qt item views: one row per dataset row, one
// column per field (stored, then calculated).

#include "core/client_dataset.h"

#include <QAbstractTableModel>

namespace core {

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit DataSetModel(ClientDataSet& dataset, QObject* parent = nullptr);

    ClientDataSet& dataset() const { return dataset_; }
    // Lets views edit stored fields in place (the dataset enters editing).
    void setEditable(bool editable) { editable_ = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // How a value is shown: dates as dd.mm.yyyy, line breaks as plain
    // line feeds.
    static QString displayText(const FieldValue& value);

  Q_SIGNALS:
    // An edit the dataset refused (a required field, a server error while
    // posting). Errors stop here, at the boundary to Qt's views: the window
    // that shows the model reports them through the general error display.
    void failed(const QString& message);

  private:
    ClientDataSet& dataset_;
    bool editable_ = false;
    int columns_ = 0;
};

}  // namespace core
