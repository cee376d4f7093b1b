#include "tools/gen/journal_generator.h"

#include "core/codepage.h"
#include "core/connection.h"
#include "core/field_value.h"
#include "core/sql_literals.h"
#include "tools/gen/random.h"
#include "tools/gen/word_pools.h"

#include <algorithm>
#include <cmath>

namespace testdata {

namespace {

const QDate kFirstMeeting(2005, 1, 11);
const QDate kLastMeeting(2026, 12, 15);
const QDate kFirstDay(2005, 1, 1);
const QDate kLastDay(2026, 12, 31);

struct Meeting {
    QDate date;
    QString number;
    int size = 0;
};

// Splits the rows into meetings of 10 to 69 rows in date order across the
// whole period; only a journal of fewer than ten rows has a smaller meeting.
std::vector<Meeting> planMeetings(Random& rnd, int rows) {
    std::vector<Meeting> meetings;
    for (int left = rows; left > 0;) {
        int size = rnd.between(10, 60);
        if (left - size < 10) size = left;
        meetings.push_back({{}, {}, size});
        left -= size;
    }
    const double step = double(kFirstMeeting.daysTo(kLastMeeting)) / double(meetings.size());
    const int jitter = std::max(1, int(step / 2));
    int yearOfCounter = 0, counter = 0;
    for (size_t i = 0; i < meetings.size(); ++i) {
        QDate d = kFirstMeeting.addDays(qint64(std::floor(double(i) * step)) + rnd.below(jitter));
        // Commissions meet on working days; with a week or more between
        // meetings the move back to Friday cannot pass the previous one.
        if (step >= 7 && d.dayOfWeek() > 5) d = d.addDays(5 - d.dayOfWeek());
        if (d.year() != yearOfCounter) yearOfCounter = d.year(), counter = 0;
        QString number = QString::number(++counter);
        if (rnd.chance(15)) number += rnd.chance(50) ? QString::fromUtf8("-к") : QString("/1");
        meetings[i].date = d;
        meetings[i].number = number;
    }
    return meetings;
}

// About one value in ten of an optional column is NULL.
template <class T>
std::optional<T> maybe(Random& rnd, T value) {
    if (rnd.chance(10)) return std::nullopt;
    return std::optional<T>(std::move(value));
}

QDate dayBetween(Random& rnd, const QDate& from, const QDate& to) {
    return from.addDays(rnd.below(int(from.daysTo(to)) + 1));
}

int count(Random& rnd, int lo, int hi) { return rnd.chance(3) ? 0 : rnd.between(lo, hi); }

JournalRow makeRow(Random& rnd, const Journal& j, const Meeting& m, int id) {
    JournalRow r;
    r.recIdn = id;
    r.docSource = maybe(rnd, rnd.pick(j.sources));
    r.prDate = maybe(rnd, m.date);
    r.prNum = maybe(rnd, m.number);
    const Organisation& org = rnd.pick(j.organisations);
    r.parentName = maybe(rnd, org.name);
    r.parentPlace = maybe(rnd, org.place.value_or(rnd.pick(j.places)));
    r.docCaption = maybe(rnd, fitColumn(rnd.pick(j.docTypes), 100));
    r.docNumber = maybe(rnd, rnd.chance(3) ? QString() : documentNumber(rnd));
    const QDate docDate = dayBetween(rnd, kFirstDay, m.date);
    r.docDate = maybe(rnd, docDate);
    const int stop = rnd.chance(80) ? docDate.year() : rnd.between(1995, docDate.year());
    r.docStopYear = maybe(rnd, stop);
    r.docStartYear = maybe(rnd, rnd.chance(50) ? stop : stop - rnd.between(1, 6));
    const int pieces = rnd.between(1, 300);
    r.shtukCount = maybe(rnd, rnd.chance(3) ? 0 : pieces);
    r.paperCount = maybe(rnd, pieces * rnd.between(1, 40));
    r.placeCount = maybe(rnd, count(rnd, 1, 150));
    r.oneCount = maybe(rnd, count(rnd, 1, 120));
    r.orderCount = maybe(rnd, count(rnd, 1, 60));
    const Expert& expert = rnd.pick(j.experts);
    r.expertFio = maybe(rnd, expertShortName(expert));
    r.advInfo = maybe(rnd, rnd.pick(j.notes));
    // Stamped on posting: always present.
    r.postUser = (rnd.chance(70) ? expert.login : QString("root")) + "@localhost";
    const QDate posted = std::min(m.date.addDays(rnd.below(21)), kLastDay);
    r.postMoment = QDateTime(posted, QTime(rnd.between(8, 18), rnd.below(60), rnd.below(60)));
    return r;
}

QByteArray text(const std::optional<QString>& v) {
    return v ? core::SqlQuote(core::toCp1251(*v), true) : QByteArray("NULL");
}
QByteArray number(const std::optional<int>& v) {
    return v ? QByteArray::number(*v) : QByteArray("NULL");
}
QByteArray date(const std::optional<QDate>& v) {
    return v ? core::SqlQuote(core::formatDate(*v), false) : QByteArray("NULL");
}
QByteArray dateTime(const std::optional<QDateTime>& v) {
    return v ? core::SqlQuote(core::formatDateTime(*v), false) : QByteArray("NULL");
}

QByteArray tuple(std::initializer_list<QByteArray> values) {
    QByteArray s = "(";
    bool first = true;
    for (const QByteArray& v : values) {
        if (!first) s += ", ";
        s += v;
        first = false;
    }
    return s + ')';
}

TableRows singleColumn(const char* table, const char* column, const QStringList& texts) {
    TableRows t{table, QByteArray("(") + column + ')', {}};
    t.values.reserve(size_t(texts.size()));
    for (const QString& s : texts) t.values.push_back(tuple({text(s)}));
    return t;
}

}  // namespace

Journal generateJournal(int rows, quint32 seed) {
    Random rnd(0x76656C6B6F720000ULL ^ seed);
    Journal j;
    rows = std::max(rows, 0);
    makeReferenceLists(j, rnd, rows);
    j.rows.reserve(size_t(rows));
    int id = 0;
    for (const Meeting& m : planMeetings(rnd, rows))
        for (int k = 0; k < m.size; ++k) j.rows.push_back(makeRow(rnd, j, m, ++id));
    return j;
}

std::vector<TableRows> journalTables(const Journal& j) {
    std::vector<TableRows> tables;
    tables.push_back(singleColumn("sprav_source_list", "source_name", j.sources));

    TableRows orgs{"sprav_org_list", "(org_name, org_place)", {}};
    for (const Organisation& o : j.organisations)
        orgs.values.push_back(tuple({text(o.name), text(o.place)}));
    tables.push_back(std::move(orgs));

    tables.push_back(singleColumn("sprav_place_list", "place_name", j.places));
    tables.push_back(singleColumn("sprav_doctype_list", "type_name", j.docTypes));

    TableRows experts{
        "sprav_expert_list", "(user_login, FAM, NAME, FNAME, edit_flag, admin_flag)", {}};
    for (const Expert& e : j.experts)
        experts.values.push_back(tuple({text(e.login), text(e.fam), text(e.name), text(e.fname),
                                        number(e.editFlag), number(e.adminFlag)}));
    tables.push_back(std::move(experts));

    tables.push_back(singleColumn("sprav_adv_info", "comment_list", j.notes));

    TableRows docs{"doc_list",
                   "(Rec_IDN, doc_source, pr_date, pr_num, parent_name, parent_place, doc_caption, "
                   "doc_number, doc_date, doc_start_year, doc_stop_year, shtuk_count, paper_count, "
                   "place_count, one_count, order_count, expert_fio, adv_info, post_user, "
                   "post_moment)",
                   {}};
    docs.values.reserve(j.rows.size());
    for (const JournalRow& r : j.rows)
        docs.values.push_back(tuple({QByteArray::number(r.recIdn),
                                     text(r.docSource),
                                     date(r.prDate),
                                     text(r.prNum),
                                     text(r.parentName),
                                     text(r.parentPlace),
                                     text(r.docCaption),
                                     text(r.docNumber),
                                     date(r.docDate),
                                     number(r.docStartYear),
                                     number(r.docStopYear),
                                     number(r.shtukCount),
                                     number(r.paperCount),
                                     number(r.placeCount),
                                     number(r.oneCount),
                                     number(r.orderCount),
                                     text(r.expertFio),
                                     text(r.advInfo),
                                     text(r.postUser),
                                     dateTime(r.postMoment)}));
    tables.push_back(std::move(docs));
    return tables;
}

QByteArray journalSql(const Journal& journal) {
    QByteArray sql;
    for (const TableRows& t : journalTables(journal)) {
        const QByteArray head = "INSERT INTO " + t.table + ' ' + t.columns + " VALUES ";
        for (const QByteArray& v : t.values) sql += head + v + ";\r\n";
    }
    return sql;
}

QByteArray journalSql(int rows, quint32 seed) { return journalSql(generateJournal(rows, seed)); }

void fillDatabase(core::Connection& c, const Journal& journal) {
    // Several hundred rows per statement load a hundred thousand rows in
    // seconds; the byte cap keeps each statement far below max_allowed_packet.
    constexpr int kRowsPerStatement = 500;
    constexpr qsizetype kBytesPerStatement = 1 << 20;
    for (const TableRows& t : journalTables(journal)) {
        const QByteArray head = "INSERT INTO " + t.table + ' ' + t.columns + " VALUES ";
        QByteArray sql;
        int inStatement = 0;
        for (const QByteArray& v : t.values) {
            sql += (inStatement == 0 ? head : QByteArray(", ")) + v;
            if (++inStatement == kRowsPerStatement || sql.size() >= kBytesPerStatement) {
                c.execute(sql);
                sql.clear();
                inStatement = 0;
            }
        }
        if (inStatement > 0) c.execute(sql);
    }
}

void fillDatabase(core::Connection& c, int rows, quint32 seed) {
    fillDatabase(c, generateJournal(rows, seed));
}

}  // namespace testdata
