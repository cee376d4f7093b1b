#pragma once
// The selection state of the journal: the WHERE text and its description,
// which always change together, and the ORDER BY text. The texts carry
// their own leading blanks (" where ", " ORDER BY ") and are put into the
// journal query as they stand. changed() announces every new selection or
// order; queried() the line beneath the grid after a successful query.

#include <QObject>
#include <QString>

namespace core {

inline const QString kSelectionLinePrefix = QStringLiteral("Условия выбора данных: ");

class JournalSelection : public QObject {
    Q_OBJECT
  public:
    explicit JournalSelection(QObject* parent = nullptr);

    const QString& select_where() const { return where_; }
    const QString& select_info() const { return info_; }
    const QString& select_order() const { return order_; }
    void setSelection(const QString& where, const QString& info);
    void setOrder(const QString& order);

    // "select * from doc_list " + where + order.
    QString journalQuery() const;

    // The line beneath the grid: the prefix alone until the first successful
    // query, then the prefix and the description it ran with.
    const QString& line() const { return line_; }
    void markQueried();

  Q_SIGNALS:
    void changed();
    void queried(const QString& line);

  private:
    QString where_;
    QString info_ = QStringLiteral("ВСЕ ДАННЫЕ");
    QString order_ = QStringLiteral(" ORDER BY Rec_IDN");
    QString line_ = kSelectionLinePrefix;
};

}  // namespace core
