#pragma once
// The grid's find dialog: a text, the column to look in (or all), whether
// letter case counts, and "find next" over the rows the grid shows.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace grid {

struct FindOptions {
    QString text;
    int column = -1;  // grid column; -1: all columns
    bool caseSensitive = false;
};

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FindDialog(QWidget* parent = nullptr);

    // Titles of the grid columns in grid column order.
    void setColumnTitles(const QStringList& titles);
    FindOptions options() const;
    // Shows whether the last search found nothing.
    void setNotFound(bool notFound);

  Q_SIGNALS:
    void findNext(const grid::FindOptions& options);

  private:
    QLineEdit* text_;
    QComboBox* column_;
    QCheckBox* caseSensitive_;
    QLabel* status_;
};

}  // namespace grid
