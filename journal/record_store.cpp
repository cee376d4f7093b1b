#include "journal/record_store.h"

#include "core/logging.h"
#include "core/schema.h"

#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <thread>

namespace journal {

namespace doc = core::schema::doc;

namespace {
// The server's number for a key that is already taken.
constexpr unsigned kDuplicateKey = 1062;

void readOne(core::Result& result, const char* sql) {
    if (!result.next())
        throw core::DbError(
            0, QStringLiteral("Сервер не вернул ответ на запрос: ") + QString::fromLatin1(sql));
}
}  // namespace

void Before_doc_list_post(core::ClientDataSet& journal, core::Connection& connection) {
    if (journal.value(doc::Rec_IDN).isNull()) {
        static const char* const sql = "select IFNULL( MAX(Rec_IDN), 0 ) + 1 as rez from doc_list";
        auto result = connection.query(QByteArray(sql));
        readOne(*result, sql);
        journal.setValue(doc::Rec_IDN, result->field(u"rez").asInt64());
    }
    static const char* const sql = "select User() as post_user, Now() as server_time";
    auto result = connection.query(QByteArray(sql));
    readOne(*result, sql);
    const core::FieldValue user = result->field(u"post_user");
    journal.setValue(doc::post_user, user.isNull() ? QVariant() : QVariant(user.bytes()));
    const QDateTime moment = result->field(u"server_time").asDateTime();
    journal.setValue(doc::post_moment, moment.isValid() ? QVariant(moment) : QVariant());
}

QString refusalText(const core::ClientDataSet& dataSet,
                    const core::ClientDataSet::ApplyResult& result) {
    using Refusal = core::ClientDataSet::Refusal;
    const bool isJournal = dataSet.tag() == core::schema::kJournalTag;
    QString text;
    for (const Refusal& r : result.refusals) {
        QString what;
        switch (r.kind) {
            case Refusal::Insert:
                what = QStringLiteral("новая запись");
                break;
            case Refusal::Update:
                what = QStringLiteral("изменение записи");
                break;
            case Refusal::Delete:
                what = QStringLiteral("удаление записи");
                break;
        }
        if (isJournal)
            what += QStringLiteral(" № ") + r.key;
        else
            what += QStringLiteral(" \"") + r.key + QStringLiteral("\" справочника ") +
                    QString::fromLatin1(dataSet.updateTable());
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += QStringLiteral("Не сохранено на сервере: ") + what + QStringLiteral(".\n");
        if (r.number == 0)
            text += isJournal ? QStringLiteral(
                                    "Другой пользователь изменил или удалил эту "
                                    "запись. Перечитайте журнал (Выбор данных).")
                              : QStringLiteral(
                                    "Другой пользователь изменил или удалил эту "
                                    "запись. Обновите справочник.");
        else
            text += QStringLiteral("Ответ сервера: ") + r.message;
    }
    return text;
}

RecordStore::RecordStore(core::DataSets& dataSets, core::Connection& connection,
                         core::Prompter& prompter)
    : dataSets_(dataSets), connection_(connection), prompter_(prompter) {}

bool RecordStore::isJournal(const core::ClientDataSet& dataSet) const {
    return &dataSet == &dataSets_.journal();
}

namespace {
// A refusal before anything was stored: shown like any error an action
// raises, with the program's title.
StoreResult notStored(const QString& text, bool connectionLost = false) {
    StoreResult r;
    r.outcome = StoreResult::Outcome::NotStored;
    r.caption = QString::fromUtf8(core::kAppTitle);
    r.text = text;
    r.connectionLost = connectionLost;
    return r;
}
}  // namespace

StoreResult RecordStore::store(core::ClientDataSet& dataSet) {
    if (dataSet.editing()) {
        try {
            if (isJournal(dataSet)) Before_doc_list_post(dataSet, connection_);
            dataSet.post();
        } catch (const core::DbError& e) {
            qCWarning(core::lcDb) << dataSet.name() << "row not stored:" << e.number()
                                  << e.message();
            return notStored(e.message(), e.connectionLost());
        } catch (const core::DataSetError& e) {
            return notStored(e.message());
        } catch (const std::exception& e) {
            return notStored(QString::fromLocal8Bit(e.what()));
        }
    }
    return OnSpravUpdate(dataSet);
}

StoreResult RecordStore::remove(core::ClientDataSet& dataSet) {
    try {
        dataSet.remove();
    } catch (const core::DataSetError& e) {
        return notStored(e.message());
    }
    return OnSpravUpdate(dataSet);
}

StoreResult RecordStore::OnSpravUpdate(core::ClientDataSet& dataSet) {
    core::ClientDataSet::ApplyResult result;
    for (int round = 0;; ++round) {
        // Every pending change is tried, so that one stuck change does not
        // hold back the ones made after it.
        result = dataSet.applyUpdates(-1);
        if (result.ok()) return {};
        const core::ClientDataSet::Refusal* taken = nullptr;
        for (const auto& r : result.refusals)
            if (r.kind == core::ClientDataSet::Refusal::Insert && r.number == kDuplicateKey &&
                r.row >= 0) {
                taken = &r;
                break;
            }
        if (!isJournal(dataSet) || !taken || round >= kRenumberings) break;
        // Two clients that keep taking the same number do so in step; a
        // short pause of chance length puts them out of step.
        const int pauseMs = int(QRandomGenerator::global()->bounded(2 << std::min(round, 5)));
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        try {
            renumber(dataSet, taken->row);
        } catch (const std::exception& e) {
            qCWarning(core::lcDb) << "renumbering a new record failed:" << e.what();
            break;
        }
    }
    for (const auto& r : result.refusals)
        qCWarning(core::lcDb) << dataSet.name() << "change not saved:" << r.number << r.message;
    // Shown once: the refused changes wait until the user acts on their rows.
    dataSet.holdPending();
    StoreResult r;
    r.outcome = StoreResult::Outcome::Refused;
    r.caption = QStringLiteral("Ошибка");
    r.text = refusalText(dataSet, result);
    r.connectionLost = !connection_.isOpen();
    return r;
}

bool RecordStore::report(const StoreResult& result) {
    if (result.ok()) return true;
    prompter_.error(result.caption, result.text);
    return false;
}

void RecordStore::renumber(core::ClientDataSet& journal, int row) {
    const int keep = journal.current();
    journal.setCurrent(row);
    journal.edit();
    journal.setValue(doc::Rec_IDN, QVariant());
    try {
        // Stamping gives the row the new largest number plus one.
        Before_doc_list_post(journal, connection_);
        journal.post();
    } catch (...) {
        journal.cancel();
        journal.setCurrent(keep);
        throw;
    }
    journal.setCurrent(keep);
}

}  // namespace journal
