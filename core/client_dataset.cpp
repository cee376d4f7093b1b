#include "core/client_dataset.h"

#include "core/codepage.h"
#include "core/update_statements.h"

#include <charconv>

namespace core {

namespace {
const char* const kConflict = "Запись изменена или удалена другим пользователем.";

// The text form a value is kept in, as the server's text protocol gives it.
// Only an invalid QVariant is NULL; an empty text stays an empty text.
std::optional<QByteArray> rawOf(const QVariant& v, const FieldDef& f) {
    if (!v.isValid()) return std::nullopt;
    switch (f.kind) {
        case FieldKind::Integer:
            if (v.typeId() == QMetaType::ULongLong || v.typeId() == QMetaType::UInt)
                return QByteArray::number(v.toULongLong());
            return QByteArray::number(v.toLongLong());
        case FieldKind::Floating: {
            // The shortest form that reads back as the same double, with a
            // decimal point whatever the locale.
            char buf[40];
            const auto r = std::to_chars(buf, buf + sizeof buf, v.toDouble());
            return QByteArray(buf, r.ptr - buf);
        }
        case FieldKind::Date: {
            const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
            if (!d.isValid()) return std::nullopt;
            return formatDate(d);
        }
        case FieldKind::Time: {
            const QTime t = v.toTime();
            if (!t.isValid()) return std::nullopt;
            return formatTime(t);
        }
        case FieldKind::DateTime: {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid()) return std::nullopt;
            return formatDateTime(dt);
        }
        case FieldKind::Text:
        case FieldKind::Binary:
        case FieldKind::Other:
            break;
    }
    QByteArray bytes;
    if (v.typeId() == QMetaType::QByteArray) {
        bytes = v.toByteArray();
    } else {
        // A row value is stored exactly or not at all: a character the code
        // page cannot carry would reach the server as "?".
        const QString text = v.toString();
        if (const auto bad = firstUncarried(text)) throw DataSetError(uncarriedMessage(*bad));
        bytes = toCp1251(text);
    }
    if (f.width > 0 && bytes.size() > f.width) bytes.truncate(f.width);
    return bytes;
}
}  // namespace

// The calculation's view of a row being composed: stored values from any
// source, calculated values collected here.
class ClientDataSet::PackedCalcRow : public CalcRow {
  public:
    PackedCalcRow(const ClientDataSet& ds, std::function<FieldValue(int)> stored)
        : ds_(ds), stored_(std::move(stored)), calc_(ds.fields_.size()) {}
    FieldValue value(int field) const override {
        const FieldDef& f = ds_.fields_[std::size_t(field)];
        if (!f.calculated) return stored_(field);
        const auto& c = calc_[std::size_t(field)];
        return FieldValue(
            f.kind, !c.has_value(),
            c ? std::string_view(c->constData(), std::size_t(c->size())) : std::string_view());
    }
    void setCalculated(int field, const QByteArray& text) override {
        const FieldDef& f = ds_.fields_[std::size_t(field)];
        if (!f.calculated) throw DataSetError("Поле '" + f.name + "' не вычисляемое");
        QByteArray t = text;
        if (f.width > 0 && t.size() > f.width) t.truncate(f.width);
        calc_[std::size_t(field)] = std::move(t);
    }
    std::optional<std::string_view> calculated(int field) const {
        const auto& c = calc_[std::size_t(field)];
        if (!c) return std::nullopt;
        return std::string_view(c->constData(), std::size_t(c->size()));
    }

  private:
    const ClientDataSet& ds_;
    std::function<FieldValue(int)> stored_;
    std::vector<std::optional<QByteArray>> calc_;
};

ClientDataSet::ClientDataSet(const QString& name, Connection& connection, QObject* parent)
    : QObject(parent), name_(name), connection_(connection) {
    setObjectName(name);
}

ClientDataSet::~ClientDataSet() = default;

void ClientDataSet::setCommandText(const QString& sql) { commandText_ = toCp1251(sql); }

void ClientDataSet::addCalculatedField(const QString& name, int width) {
    FieldDef f;
    f.name = name;
    f.kind = FieldKind::Text;
    f.width = width;
    f.calculated = true;
    calculatedDefs_.push_back(f);
    if (state_ == State::Inactive) resetFields();
}

int ClientDataSet::fieldIndex(QStringView name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

int ClientDataSet::fieldIndexOrThrow(QStringView name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw DataSetError(name_ + ": поле '" + name.toString() + "' не найдено");
    return i;
}

void ClientDataSet::declareField(const FieldDef& field) {
    declared_.push_back(field);
    if (declared_.back().column.isEmpty()) declared_.back().column = toCp1251(field.name);
    if (state_ == State::Inactive) resetFields();
}

void ClientDataSet::resetFields() {
    fields_.clear();
    if (declared_.empty()) return;
    fields_ = declared_;
    for (const FieldDef& c : calculatedDefs_) fields_.push_back(c);
}

void ClientDataSet::discardRows() {
    rows_.clear();
    log_.clear();
    backup_ = PackedRow();
    current_ = -1;
    state_ = State::Inactive;
}

void ClientDataSet::open() {
    Q_EMIT aboutToReset();
    discardRows();
    ++generation_;
    try {
        auto result = connection_.query(commandText_);
        // Where each stored field comes from in the result.
        std::vector<int> from;
        if (declared_.empty()) {
            fields_.clear();
            for (const FieldInfo& info : result->fields()) {
                FieldDef f;
                f.name = info.name;
                f.column = info.orgName.isEmpty() ? toCp1251(info.name) : info.orgName;
                f.kind = info.kind;
                f.width = info.kind == FieldKind::Text ? info.width : 0;
                f.required = info.notNull;
                from.push_back(int(fields_.size()));
                fields_.push_back(f);
            }
            for (const FieldDef& c : calculatedDefs_) fields_.push_back(c);
        } else {
            resetFields();
            for (const FieldDef& f : declared_) {
                const int i = result->fieldIndex(f.name);
                if (i < 0) throw DataSetError(name_ + ": поле '" + f.name + "' не найдено");
                from.push_back(i);
            }
        }
        const int stored = int(from.size());
        if (!result->fields().empty()) {
            const QByteArray table = result->fields().front().orgTable;
            if (!table.isEmpty()) updateTable_ = table;
        }
        const int total = int(fields_.size());
        const bool calc = calcFields_ && total > stored;
        while (result->next()) {
            auto get = [&](int i) -> std::optional<std::string_view> {
                if (i >= stored || result->isNull(from[std::size_t(i)])) return std::nullopt;
                return result->raw(from[std::size_t(i)]);
            };
            if (!calc) {
                rows_.push_back({PackedRow::packWith(total, get), nextId_++, Status::Unchanged});
                continue;
            }
            PackedCalcRow cr(*this, [&](int i) {
                const int r = from[std::size_t(i)];
                return FieldValue(fields_[std::size_t(i)].kind, result->isNull(r), result->raw(r));
            });
            calcFields_(*this, cr);
            rows_.push_back(
                {PackedRow::packWith(total,
                                     [&](int i) { return i < stored ? get(i) : cr.calculated(i); }),
                 nextId_++, Status::Unchanged});
        }
    } catch (...) {
        rows_.clear();
        resetFields();
        Q_EMIT resetDone();
        throw;
    }
    state_ = State::Browse;
    current_ = rows_.empty() ? -1 : 0;
    Q_EMIT resetDone();
    Q_EMIT currentChanged(current_);
}

void ClientDataSet::close() {
    if (state_ == State::Inactive) return;
    Q_EMIT aboutToReset();
    discardRows();
    resetFields();
    Q_EMIT resetDone();
}

FieldValue ClientDataSet::value(int row, int field) const {
    if (row < 0 || row >= rowCount() || field < 0 || field >= fieldCount()) return FieldValue();
    const PackedRow& r = rows_[std::size_t(row)].data;
    return FieldValue(fields_[std::size_t(field)].kind, r.isNull(field), r.get(field));
}

void ClientDataSet::setCurrent(int row) {
    if (row < -1 || row >= rowCount() || row == current_) return;
    if (state_ == State::Edit || state_ == State::Insert) post();
    current_ = row;
    Q_EMIT currentChanged(current_);
}

PackedRow ClientDataSet::emptyRow() const {
    PackedRow r =
        PackedRow::packWith(fieldCount(), [](int) { return std::optional<std::string_view>(); });
    calculate(r);
    return r;
}

void ClientDataSet::calculate(PackedRow& row) const {
    if (!calcFields_) return;
    bool any = false;
    for (const FieldDef& f : fields_) any = any || f.calculated;
    if (!any) return;
    PackedCalcRow cr(*this, [&](int i) {
        return FieldValue(fields_[std::size_t(i)].kind, row.isNull(i), row.get(i));
    });
    calcFields_(const_cast<ClientDataSet&>(*this), cr);
    row = PackedRow::packWith(fieldCount(), [&](int i) -> std::optional<std::string_view> {
        if (fields_[std::size_t(i)].calculated) return cr.calculated(i);
        if (row.isNull(i)) return std::nullopt;
        return row.get(i);
    });
}

void ClientDataSet::beginNewRow(int at) {
    if (state_ == State::Inactive) throw DataSetError(name_ + ": набор данных закрыт");
    if (state_ == State::Edit || state_ == State::Insert) post();
    // The row is built (and its calculation run, which may throw) before the
    // views are told a row is coming.
    PackedRow row = emptyRow();
    Q_EMIT rowAboutToBeInserted(at);
    rows_.insert(rows_.begin() + at, Row{std::move(row), nextId_++, Status::Unchanged});
    state_ = State::Insert;
    current_ = at;
    Q_EMIT rowInserted(at);
    Q_EMIT currentChanged(current_);
}

void ClientDataSet::append() { beginNewRow(rowCount()); }

void ClientDataSet::insert() { beginNewRow(current_ < 0 ? 0 : current_); }

void ClientDataSet::edit() {
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (state_ != State::Browse || current_ < 0) throw DataSetError(name_ + ": нет текущей записи");
    backup_ = rows_[std::size_t(current_)].data.clone();
    state_ = State::Edit;
}

void ClientDataSet::requireEditing() const {
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataSetError(name_ + ": набор данных не в режиме редактирования");
}

void ClientDataSet::setValue(int field, const QVariant& v) {
    requireEditing();
    const FieldDef& f = fields_.at(std::size_t(field));
    if (f.calculated) throw DataSetError("Поле '" + f.name + "' не может быть изменено");
    const std::optional<QByteArray> raw = rawOf(v, f);
    PackedRow& row = rows_[std::size_t(current_)].data;
    row = PackedRow::packWith(fieldCount(), [&](int i) -> std::optional<std::string_view> {
        if (i == field) {
            if (!raw) return std::nullopt;
            return std::string_view(raw->constData(), std::size_t(raw->size()));
        }
        if (row.isNull(i)) return std::nullopt;
        return row.get(i);
    });
    calculate(row);
    Q_EMIT rowChanged(current_);
}

ClientDataSet::Change* ClientDataSet::changeFor(std::uint32_t id) {
    for (Change& c : log_)
        if (c.rowId == id) return &c;
    return nullptr;
}

int ClientDataSet::indexOfRow(std::uint32_t id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id) return int(i);
    return -1;
}

void ClientDataSet::post() {
    requireEditing();
    for (const Hook& hook : beforePost_) hook(*this);
    Row& row = rows_[std::size_t(current_)];
    for (int i = 0; i < fieldCount(); ++i) {
        const FieldDef& f = fields_[std::size_t(i)];
        // A required text needs some text: an empty key is no key.
        const bool missing =
            row.data.isNull(i) || (f.kind == FieldKind::Text && row.data.get(i).empty());
        if (f.required && !f.calculated && missing)
            throw DataSetError("Поле '" + f.name + "' должно иметь значение");
    }
    if (state_ == State::Insert) {
        row.status = Status::Inserted;
        log_.push_back({Change::Insert, row.id, PackedRow()});
    } else if (Change* held = changeFor(row.id)) {
        // Stored again by the user: the change is tried again.
        held->held = false;
    } else if (row.status == Status::Unchanged) {
        bool changed = false;
        for (int i = 0; i < fieldCount() && !changed; ++i)
            changed = !fields_[std::size_t(i)].calculated && !row.data.sameValue(i, backup_);
        if (changed) {
            row.status = Status::Modified;
            log_.push_back({Change::Update, row.id, std::move(backup_)});
        }
    }
    backup_ = PackedRow();
    state_ = State::Browse;
    Q_EMIT rowChanged(current_);
    for (const Hook& hook : afterPost_) hook(*this);
}

void ClientDataSet::cancel() {
    if (state_ == State::Insert) {
        const int at = current_;
        // Views move their current row away before the row goes; that move
        // must not store the row being dropped.
        state_ = State::Browse;
        Q_EMIT rowAboutToBeRemoved(at);
        rows_.erase(rows_.begin() + at);
        current_ = rows_.empty() ? -1 : std::min(at, rowCount() - 1);
        Q_EMIT rowRemoved(at);
        Q_EMIT currentChanged(current_);
    } else if (state_ == State::Edit) {
        rows_[std::size_t(current_)].data = std::move(backup_);
        backup_ = PackedRow();
        state_ = State::Browse;
        Q_EMIT rowChanged(current_);
    }
}

void ClientDataSet::remove() {
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (state_ == State::Edit) cancel();
    if (state_ != State::Browse || current_ < 0) throw DataSetError(name_ + ": нет текущей записи");
    const int at = current_;
    Row& row = rows_[std::size_t(at)];
    if (row.status == Status::Inserted) {
        // Never reached the server: forget the insert.
        for (auto it = log_.begin(); it != log_.end(); ++it)
            if (it->rowId == row.id) {
                log_.erase(it);
                break;
            }
    } else if (row.status == Status::Modified) {
        Change* c = changeFor(row.id);
        c->kind = Change::Delete;
        c->held = false;
    } else {
        log_.push_back({Change::Delete, row.id, std::move(row.data)});
    }
    Q_EMIT rowAboutToBeRemoved(at);
    rows_.erase(rows_.begin() + at);
    current_ = rows_.empty() ? -1 : std::min(at, rowCount() - 1);
    Q_EMIT rowRemoved(at);
    Q_EMIT currentChanged(current_);
    for (const Hook& hook : afterDelete_) hook(*this);
}

void ClientDataSet::send(const Change& change) {
    if (change.kind == Change::Delete) {
        if (connection_.execute(deleteStatement(updateTable_, fields_, change.original)) == 0)
            throw DbError(0, QString::fromUtf8(kConflict));
        return;
    }
    const int at = indexOfRow(change.rowId);
    if (at < 0) return;
    const PackedRow& row = rows_[std::size_t(at)].data;
    if (change.kind == Change::Insert) {
        connection_.execute(insertStatement(updateTable_, fields_, row));
        return;
    }
    const QByteArray sql = updateStatement(updateTable_, fields_, row, change.original);
    if (sql.isEmpty()) return;
    if (connection_.execute(sql) == 0) throw DbError(0, QString::fromUtf8(kConflict));
}

ClientDataSet::ApplyResult ClientDataSet::applyUpdates(int maxErrors) {
    ApplyResult result;
    std::size_t i = 0;
    while (i < log_.size()) {
        if (log_[i].held) {
            ++i;
            continue;
        }
        try {
            send(log_[i]);
        } catch (const DbError& e) {
            if (result.errors++ == 0) {
                result.errorNumber = e.number();
                result.message = e.message();
            }
            const Change& c = log_[i];
            Refusal r;
            r.kind = Refusal::Kind(c.kind);
            r.row = indexOfRow(c.rowId);
            r.number = e.number();
            r.message = e.message();
            if (fieldCount() > 0) {
                const PackedRow* data = c.kind == Change::Delete ? &c.original
                                        : r.row >= 0             ? &rows_[std::size_t(r.row)].data
                                                                 : nullptr;
                if (data)
                    r.key =
                        FieldValue(fields_.front().kind, data->isNull(0), data->get(0)).asText();
            }
            result.refusals.push_back(std::move(r));
            if (maxErrors >= 0 && result.errors > maxErrors) break;
            ++i;
            continue;
        }
        const int at = indexOfRow(log_[i].rowId);
        log_.erase(log_.begin() + std::ptrdiff_t(i));
        if (at >= 0) {
            rows_[std::size_t(at)].status = Status::Unchanged;
            Q_EMIT rowChanged(at);
        }
    }
    return result;
}

void ClientDataSet::holdPending() {
    for (Change& c : log_) c.held = true;
}

bool ClientDataSet::rowHeld(int row) const {
    if (row < 0 || row >= rowCount()) return false;
    const std::uint32_t id = rows_[std::size_t(row)].id;
    for (const Change& c : log_)
        if (c.rowId == id) return c.held;
    return false;
}

void ClientDataSet::mergeChangeLog() {
    log_.clear();
    for (Row& r : rows_) r.status = Status::Unchanged;
}

std::size_t ClientDataSet::memoryUsage() const {
    std::size_t total = rows_.capacity() * sizeof(Row);
    for (const Row& r : rows_) total += r.data.byteSize();
    for (const Change& c : log_) total += sizeof(Change) + c.original.byteSize();
    return total;
}

}  // namespace core
