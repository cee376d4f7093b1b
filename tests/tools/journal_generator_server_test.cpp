#include "core/codepage.h"
#include "core/connection.h"
#include "core/field_value.h"
#include "tests/support/test_server.h"
#include "tools/gen/journal_generator.h"

#include <gtest/gtest.h>

using testdata::Journal;
using testing_support::TempDatabase;

namespace {

const char* const kTables[][2] = {{"sprav_source_list", "source_name"},
                                  {"sprav_org_list", "org_name"},
                                  {"sprav_place_list", "place_name"},
                                  {"sprav_doctype_list", "type_name"},
                                  {"sprav_expert_list", "user_login"},
                                  {"sprav_adv_info", "comment_list"},
                                  {"doc_list", "Rec_IDN"}};

// A row as comparable bytes: NULL, or the value as the server sent it.
using Row = QByteArrayList;

QByteArray cell(const core::FieldValue& v) { return v.isNull() ? "<NULL>" : v.bytes(); }

std::vector<Row> dump(core::Connection& c, const char* table, const char* key) {
    std::vector<Row> rows;
    auto r = c.query(QByteArray("select * from ") + table + " order by " + key);
    while (r->next()) {
        Row row;
        for (int i = 0; i < r->fieldCount(); ++i) row << cell(r->field(i));
        rows.push_back(row);
    }
    return rows;
}

QByteArray text(const std::optional<QString>& s) { return s ? core::toCp1251(*s) : "<NULL>"; }
QByteArray number(const std::optional<int>& n) { return n ? QByteArray::number(*n) : "<NULL>"; }
QByteArray date(const std::optional<QDate>& d) { return d ? core::formatDate(*d) : "<NULL>"; }

Row expected(const testdata::JournalRow& r) {
    return {QByteArray::number(r.recIdn),
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
            core::formatDateTime(*r.postMoment)};
}

void loadScript(core::Connection& c, const QByteArray& sql) {
    for (const QByteArray& line : sql.split('\n'))
        if (!line.trimmed().isEmpty()) c.execute(line);
}

}  // namespace

// The script loads into a template database and the server gives back every
// value exactly: Cyrillic, quotes, apostrophes, backslashes, CR LF, NULL
// told apart from the empty text.
TEST(JournalGeneratorServer, ScriptLoadsAndRoundTripsExactly) {
    constexpr int kRows = 1500;
    const Journal j = testdata::generateJournal(kRows, 42);
    TempDatabase db;
    loadScript(db.connection(), testdata::journalSql(j));

    const std::vector<Row> rows = dump(db.connection(), "doc_list", "Rec_IDN");
    ASSERT_EQ(rows.size(), size_t(kRows));
    int nulls = 0, optional = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i], expected(j.rows[i])) << "Rec_IDN " << i + 1;
        for (int col = 1; col <= 17; ++col, ++optional) nulls += rows[i][col] == "<NULL>";
    }
    const double share = double(nulls) / optional;
    EXPECT_GT(share, 0.07);
    EXPECT_LT(share, 0.13);

    QByteArray all;
    for (const Row& r : rows) all += r.join('|');
    for (const char* special : {"\"", "'", "\\", "\r\n", "\xB3", "\xBF", "\xBA", "\xB9", "\xAB"})
        EXPECT_TRUE(all.contains(special)) << "no " << special << " in the journal";
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r[7] == ""; }))
        << "no empty document number";

    // The reference lists arrive whole: one row per generated text.
    const size_t sizes[] = {size_t(j.sources.size()), j.organisations.size(),
                            size_t(j.places.size()),  size_t(j.docTypes.size()),
                            j.experts.size(),         size_t(j.notes.size())};
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(dump(db.connection(), kTables[t][0], kTables[t][1]).size(), sizes[t])
            << kTables[t][0];
    const auto notes = dump(db.connection(), "sprav_adv_info", "comment_list");
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(),
                            [](const Row& r) { return r[0].contains("\r\n"); }));
}

TEST(JournalGeneratorServer, FillDatabaseGivesTheRowsOfTheScript) {
    constexpr int kRows = 1234;  // more than one multi-row statement, not a multiple of one
    TempDatabase fromScript, filled;
    loadScript(fromScript.connection(), testdata::journalSql(kRows, 9));
    testdata::fillDatabase(filled.connection(), kRows, 9);
    for (const auto& t : kTables) {
        SCOPED_TRACE(t[0]);
        const auto a = dump(fromScript.connection(), t[0], t[1]);
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, dump(filled.connection(), t[0], t[1]));
    }
}

TEST(JournalGeneratorServer, FillingTwiceReportsTheDuplicateKey) {
    TempDatabase db;
    testdata::fillDatabase(db.connection(), 20, 1);
    try {
        testdata::fillDatabase(db.connection(), 20, 1);
        FAIL() << "the second fill was accepted";
    } catch (const core::DbError& e) {
        EXPECT_EQ(e.number(), 1062u);  // duplicate entry
    }
}
