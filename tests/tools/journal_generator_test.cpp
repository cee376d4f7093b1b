#include "tools/gen/journal_generator.h"
#include "core/codepage.h"

#include <gtest/gtest.h>
#include <map>

using testdata::Journal;
using testdata::JournalRow;

TEST(JournalGenerator, SameSeedSameBytesOtherSeedOtherBytes) {
    const QByteArray a = testdata::journalSql(300, 7);
    EXPECT_EQ(a, testdata::journalSql(300, 7));
    EXPECT_NE(a, testdata::journalSql(300, 8));
    EXPECT_NE(a, testdata::journalSql(301, 7));
}

// One statement per line, each ending with ";" CR LF and holding no other
// semicolon, so both line-wise runners and runners that split at every
// semicolon see the same statements.
TEST(JournalGenerator, ScriptIsOneInsertPerCrLfLine) {
    const Journal j = testdata::generateJournal(200, 3);
    const QByteArray sql = testdata::journalSql(j);
    QList<QByteArray> lines = sql.split('\n');
    ASSERT_EQ(lines.takeLast(), "");  // the script ends with a line end
    size_t references = j.sources.size() + j.organisations.size() + j.places.size() +
                        j.docTypes.size() + j.experts.size() + j.notes.size();
    EXPECT_EQ(size_t(lines.size()), references + j.rows.size());
    for (const QByteArray& line : lines) {
        ASSERT_TRUE(line.endsWith(";\r")) << line.toStdString();
        EXPECT_TRUE(line.startsWith("INSERT INTO ")) << line.toStdString();
        EXPECT_EQ(line.count('\r'), 1) << line.toStdString();
        EXPECT_EQ(line.count(';'), 1) << line.toStdString();
    }
    EXPECT_TRUE(lines.last().startsWith("INSERT INTO doc_list "));
}

namespace {
void expectFits(const std::optional<QString>& text, int width, const char* column) {
    if (!text) return;
    EXPECT_LE(text->size(), width) << column << ": " << text->toStdString();
    EXPECT_FALSE(text->endsWith(' ')) << column << ": " << text->toStdString();
    EXPECT_FALSE(text->contains(';')) << column;
    // Every character must exist in Windows-1251.
    EXPECT_EQ(core::fromCp1251(core::toCp1251(*text)), *text) << column;
}
}  // namespace

TEST(JournalGenerator, TextsFitTheirColumns) {
    const Journal j = testdata::generateJournal(3000, 11);
    for (const QString& s : j.sources) expectFits(s, 100, "source_name");
    for (const auto& o : j.organisations) {
        expectFits(o.name, 200, "org_name");
        expectFits(o.place, 200, "org_place");
    }
    for (const QString& s : j.places) expectFits(s, 200, "place_name");
    for (const QString& s : j.docTypes) expectFits(s, 200, "type_name");
    for (const auto& e : j.experts) {
        expectFits(e.login, 20, "user_login");
        expectFits(e.fam, 50, "FAM");
        expectFits(e.name, 50, "NAME");
        expectFits(e.fname, 50, "FNAME");
    }
    for (const QString& s : j.notes) expectFits(s, 200, "comment_list");
    for (const JournalRow& r : j.rows) {
        expectFits(r.docSource, 100, "doc_source");
        expectFits(r.prNum, 10, "pr_num");
        expectFits(r.parentName, 200, "parent_name");
        expectFits(r.parentPlace, 200, "parent_place");
        expectFits(r.docCaption, 100, "doc_caption");
        expectFits(r.docNumber, 50, "doc_number");
        expectFits(r.expertFio, 100, "expert_fio");
        expectFits(r.advInfo, 200, "adv_info");
        expectFits(r.postUser, 50, "post_user");
    }
    // The one document name longer than doc_caption reaches the rows cut.
    EXPECT_TRUE(std::any_of(j.docTypes.begin(), j.docTypes.end(),
                            [](const QString& s) { return s.size() > 100; }));
    EXPECT_TRUE(std::any_of(j.rows.begin(), j.rows.end(), [](const JournalRow& r) {
        return r.docCaption && r.docCaption->size() >= 99;
    }));
}

// Rec_IDN runs 1..N, every date lies in 2005-2026, and the latest meeting
// date holds tens of rows.
TEST(JournalGenerator, RowNumbersDatesAndMeetings) {
    struct Case {
        int rows;
        int minLatestGroup;
    };
    for (const Case c : {Case{0, 0}, Case{7, 1}, Case{10, 10}, Case{137, 10}, Case{5000, 10}}) {
        SCOPED_TRACE(c.rows);
        const Journal j = testdata::generateJournal(c.rows, 5);
        ASSERT_EQ(int(j.rows.size()), c.rows);
        std::map<QDate, int> perMeeting;
        QDate previous;
        for (int i = 0; i < c.rows; ++i) {
            const JournalRow& r = j.rows[size_t(i)];
            EXPECT_EQ(r.recIdn, i + 1);
            for (const auto& d : {r.prDate, r.docDate, std::optional(r.postMoment->date())}) {
                if (!d) continue;
                EXPECT_GE(d->year(), 2005);
                EXPECT_LE(d->year(), 2026);
            }
            if (r.prDate) {
                ++perMeeting[*r.prDate];
                EXPECT_TRUE(!previous.isValid() || previous <= *r.prDate);
                previous = *r.prDate;
            }
            if (r.docStartYear && r.docStopYear) {
                EXPECT_LE(*r.docStartYear, *r.docStopYear);
            }
            ASSERT_TRUE(r.postUser && r.postUser->endsWith("@localhost"));
        }
        if (c.rows >= 10) {
            // A tenth of the dates are NULL, so a group of 10 may show 6.
            EXPECT_GE(perMeeting.rbegin()->second, c.minLatestGroup * 6 / 10);
            EXPECT_GE(perMeeting.size(), size_t(c.rows / 70));
        }
    }
}
