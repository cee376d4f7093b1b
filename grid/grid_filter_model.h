#pragma once
// The rows a DataGrid shows: the source rows that pass every column filter
// (a case-insensitive substring of the filter column's shown text), in the
// order of the chosen sort column. Nothing here queries the server; it works
// on the rows already loaded.

#include <QCollator>
#include <QList>
#include <QSortFilterProxyModel>
#include <vector>

namespace grid {

class GridFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit GridFilterModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;

    // Narrows the rows to those whose DisplayRole text in the source column
    // contains the text, ignoring case. An empty text drops the column's filter.
    void setColumnFilter(int sourceColumn, const QString& text);
    QString columnFilter(int sourceColumn) const;
    void clearFilters();

    // Locale whose collation orders texts when sorting.
    void setSortLocale(const QLocale& locale);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    struct SortKey {
        enum class Kind { Null, Number, Text };
        Kind kind = Kind::Null;
        double number = 0;  // the value, or the text's rank among the column's texts
    };
    struct Filter {
        int column;
        QString text;
    };

    // A text value leaves its rank to buildKeys and gives the text.
    SortKey makeKey(const QModelIndex& sourceIndex, QString* text) const;
    void buildKeys(int column) const;
    void dropKeys();
    void dropKeysOf(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    // Re-filters in one layout change: removing scattered rows one interval
    // at a time costs views far more than rebuilding the mapping.
    void refilter();

    std::vector<Filter> filters_;
    QCollator collator_;
    // Sort keys of the top-level source rows for keyColumn_, built on the
    // first comparison so that sorting reads each value once instead of twice
    // per comparison.
    mutable std::vector<SortKey> keys_;
    mutable int keyColumn_ = -1;
    QList<QMetaObject::Connection> sourceConnections_;
};

}  // namespace grid
