#pragma once
// The one rule for a column's footer sum. The grid's footer row, the
// printout's footer row and the spreadsheets' totals all add a column here,
// over the same rows, so that the three never disagree:
//  - a cell gives its edit value, or its shown text when it has none;
//  - numbers count, and so do texts that read wholly as a number (blanks
//    around it allowed, a decimal point whatever the locale, no group
//    separators); NULL, an empty text, any other text, a date or a flag is
//    left out, as a spreadsheet's SUM leaves out what is not a number;
//  - whole numbers add exactly, in 64 bits; the sum of a column without
//    any number is empty, not 0.

#include <QString>
#include <QVariant>
#include <optional>

class QAbstractItemModel;
class QModelIndex;

namespace core {

// One cell's part in a sum.
struct Summand {
    bool whole = false;  // an integer, held exactly in integer
    qint64 integer = 0;
    double number = 0;  // the value in any case
};
std::optional<Summand> summandOf(const QVariant& value);

// What a model's cell gives a sum: its edit value, or its shown text when
// it has none.
QVariant sumInput(const QModelIndex& index);

class ColumnSum {
  public:
    void add(const QVariant& value);
    bool isEmpty() const { return !any_; }
    // The sum as a number; 0 when empty.
    double number() const { return whole_ ? double(integer_) : number_; }
    // Whole sums in all their digits, others in up to 15 significant
    // digits with a decimal point; empty when empty.
    QString text() const;

  private:
    bool any_ = false;
    bool whole_ = true;  // every summand so far whole, and no overflow
    qint64 integer_ = 0;
    double number_ = 0;
};

// The sum of a column over the model's rows (a filter model's: the rows it
// shows).
ColumnSum sumOfColumn(const QAbstractItemModel& model, int column);

}  // namespace core
