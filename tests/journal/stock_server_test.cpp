// Record editing against a server with a packaged server's defaults: utf8mb4
// tables and strict sql_mode.

#include "tests/journal/editing_fixture.h"

using testing_support::EditingTest;
using testing_support::Server;
using testing_support::u;
namespace doc = core::schema::doc;
using enum journal::EditorControl;

namespace {

class StockServerEditing : public EditingTest {
  protected:
    StockServerEditing() : EditingTest(Server::Stock) {}
    void SetUp() override {
        // Tables made on such a server without naming a character set.
        for (const QString& table : {core::schema::kJournalTable, core::schema::kSourceList})
            db.exec("alter table " + table + " convert to character set utf8mb4");
        EditingTest::SetUp();
    }
};

TEST_F(StockServerEditing, TypedTextsArriveAsTypedAndUntouchedOnesStay) {
    settings.values().auto_update_sprav = true;
    db.exec(
        u("insert into doc_list (Rec_IDN, doc_source, doc_caption, adv_info, shtuk_count)"
          " values (1, 'Архів', '', NULL, 7)"));
    reread();
    nextEditor([this](auto&) { setText(Source, u("Сільрада пʼята")); });
    editing.ActionEditRecordExecute();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(serverValue("select hex(doc_source) from doc_list"),
              "D0A1D196D0BBD18CD180D0B0D0B4D0B020D0BFE28099D18FD182D0B0");  // п’ята
    EXPECT_EQ(serverValue("select concat_ws('|', quote(doc_caption), quote(adv_info), shtuk_count)"
                          " from doc_list"),
              "''|NULL|7");
    EXPECT_EQ(serverValue("select source_name from sprav_source_list"), u("Сільрада п’ята"));

    // The same text typed again is found in the list: nothing is added.
    nextEditor([this](auto&) {
        setText(Source, u("Сільрада пʼята"));
        setText(DocNum, u("№ 5—б"));
    });
    editing.ActionEditRecordExecute();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(serverCount("sprav_source_list"), 1);
    EXPECT_EQ(serverValue("select doc_number from doc_list"), u("№ 5—б"));
    EXPECT_EQ(journal().value(doc::doc_number).asText(), u("№ 5—б"));
}

}  // namespace
