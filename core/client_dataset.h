#pragma once
// An in-memory copy of one table: rows of typed, nullable values filled by a
// query, a current row that is appended, edited, posted, cancelled or
// deleted, calculated fields, hooks around posting and deleting, and a log of
// pending changes that applyUpdates sends to the server (the statements
// themselves are composed in core/update_statements.h).

#include "core/connection.h"
#include "core/field_def.h"
#include "core/field_value.h"
#include "core/packed_row.h"

#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

namespace core {

// A local refusal: a required field left empty, a call in the wrong state.
class DataSetError : public std::runtime_error {
  public:
    explicit DataSetError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// What a calculation sees of one row: every value, and the calculated
// fields to set.
class CalcRow {
  public:
    virtual ~CalcRow() = default;
    virtual FieldValue value(int field) const = 0;
    virtual void setCalculated(int field, const QByteArray& cp1251Text) = 0;
};

class ClientDataSet : public QObject {
    Q_OBJECT
  public:
    enum class State { Inactive, Browse, Edit, Insert };

    // One change the server refused, or an update or delete that found no
    // row (a conflict: number 0).
    struct Refusal {
        enum Kind { Insert, Update, Delete } kind;
        int row = -1;  // its row now; -1 for a delete
        unsigned number = 0;
        QString message;
        // The row's first field as sent (the old value for a delete).
        QString key;
    };
    struct ApplyResult {
        int errors = 0;            // refused changes
        unsigned errorNumber = 0;  // of the first refusal; 0 for a conflict
        QString message;           // of the first refusal
        std::vector<Refusal> refusals;
        bool ok() const { return errors == 0; }
    };

    ClientDataSet(const QString& name, Connection& connection, QObject* parent = nullptr);
    ~ClientDataSet() override;

    const QString& name() const { return name_; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    const QByteArray& commandText() const { return commandText_; }
    void setCommandText(const QByteArray& sql) { commandText_ = sql; }
    void setCommandText(const QString& sql);
    // The table changes are written to; by default the table the first
    // column was read from.
    const QByteArray& updateTable() const { return updateTable_; }
    void setUpdateTable(const QByteArray& table) { updateTable_ = table; }

    // Fields declared beforehand exist while the dataset is closed and are
    // taken from the result by name (a missing one refuses the opening);
    // without them the fields are those of the result.
    void declareField(const FieldDef& field);
    // Calculated fields are declared once and follow the stored fields.
    void addCalculatedField(const QString& name, int width);
    // The one calculation of the calculated fields, set by whoever declares
    // them; it runs for every row read and after every change of a field.
    using CalcHook = std::function<void(ClientDataSet&, CalcRow&)>;
    void setCalcFields(CalcHook calc) { calcFields_ = std::move(calc); }
    // Hooks around posting and deleting, run in the order they were added
    // (stamping before the post; sending the change after it). A hook that
    // throws ends the operation with its error.
    using Hook = std::function<void(ClientDataSet&)>;
    void addBeforePost(Hook hook) { beforePost_.push_back(std::move(hook)); }
    void addAfterPost(Hook hook) { afterPost_.push_back(std::move(hook)); }
    void addAfterDelete(Hook hook) { afterDelete_.push_back(std::move(hook)); }

    // Runs the command and reads every row; throws DbError and stays closed
    // when the server refuses. Pending changes are dropped.
    void open();
    void close();
    void refresh() { open(); }
    bool isActive() const { return state_ != State::Inactive; }
    // Grows with every open, so that callers can cache field positions.
    int generation() const { return generation_; }
    State state() const { return state_; }
    // A row is being edited or inserted.
    bool editing() const { return state_ == State::Edit || state_ == State::Insert; }

    int fieldCount() const { return int(fields_.size()); }
    const FieldDef& field(int i) const { return fields_[std::size_t(i)]; }
    int fieldIndex(QStringView name) const;  // case-insensitive; -1 when absent
    int fieldIndexOrThrow(QStringView name) const;

    int rowCount() const { return int(rows_.size()); }
    FieldValue value(int row, int field) const;
    QVariant variant(int row, int field) const { return value(row, field).toVariant(); }

    // The current row (-1 when there are none). Moving away from a row that
    // is being edited posts it first.
    int current() const { return current_; }
    void setCurrent(int row);
    FieldValue value(int field) const { return value(current_, field); }
    FieldValue value(QStringView name) const { return value(current_, fieldIndexOrThrow(name)); }

    void append();  // an empty row at the end, current, being inserted
    void insert();  // an empty row before the current one
    void edit();
    // Only while editing or inserting; an invalid QVariant sets NULL. A text
    // with a character the code page cannot carry is refused (DataSetError)
    // and the row keeps its value.
    void setValue(int field, const QVariant& value);
    void setValue(QStringView name, const QVariant& value) {
        setValue(fieldIndexOrThrow(name), value);
    }
    void post();
    void cancel();
    void remove();  // deletes the current row

    int pendingCount() const { return int(log_.size()); }
    // Whether the row holds a change the server has not taken yet.
    bool rowPending(int row) const {
        return row >= 0 && row < rowCount() && rows_[std::size_t(row)].status != Status::Unchanged;
    }
    // Sends the pending changes in the order they were made: inserts, updates
    // of the changed fields, deletes naming every old stored value. A change
    // the server refuses, or an update or delete that finds no row, is a
    // refusal: it stays pending, and sending stops once more than maxErrors
    // (-1: no limit) were refused.
    ApplyResult applyUpdates(int maxErrors);
    // Keeps every change still pending from being sent again by later
    // applyUpdates calls, once its refusal has been shown: it stays pending
    // and its row marked, and is tried again when the user stores or deletes
    // that row again (or it is dropped by re-reading the list).
    void holdPending();
    bool rowHeld(int row) const;
    // Forgets the pending changes, keeping the rows as they are.
    void mergeChangeLog();

    // Bytes held by the rows and the change log.
    std::size_t memoryUsage() const;

  Q_SIGNALS:
    void aboutToReset();
    void resetDone();
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);

  private:
    enum class Status : std::uint8_t { Unchanged, Inserted, Modified };
    struct Row {
        PackedRow data;
        std::uint32_t id;
        Status status;
    };
    struct Change {
        enum Kind { Insert, Update, Delete } kind;
        std::uint32_t rowId;
        PackedRow original;  // values as last read or sent (update, delete)
        bool held = false;   // refused and reported: not sent again unasked
    };
    class PackedCalcRow;

    int indexOfRow(std::uint32_t id) const;
    Change* changeFor(std::uint32_t id);
    PackedRow emptyRow() const;
    void calculate(PackedRow& row) const;
    void requireEditing() const;
    void send(const Change& change);
    void beginNewRow(int at);
    void resetFields();
    void discardRows();

    QString name_;
    Connection& connection_;
    int tag_ = 0;
    QByteArray commandText_;
    QByteArray updateTable_;
    std::vector<FieldDef> declared_;
    std::vector<FieldDef> calculatedDefs_;
    std::vector<FieldDef> fields_;
    std::vector<Row> rows_;
    std::vector<Change> log_;
    std::uint32_t nextId_ = 1;
    int generation_ = 0;
    int current_ = -1;
    State state_ = State::Inactive;
    PackedRow backup_;  // the row as it was before edit()
    CalcHook calcFields_;
    std::vector<Hook> beforePost_;
    std::vector<Hook> afterPost_;
    std::vector<Hook> afterDelete_;
};

}  // namespace core
