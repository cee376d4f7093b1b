#include "core/packed_row.h"

#include <gtest/gtest.h>
#include <string>

using core::PackedRow;

TEST(PackedRow, KeepsNullEmptyAndBytesApart) {
    const std::string big(70000, 'x');  // forces wide offsets
    for (const std::string& last : {std::string("tail"), big}) {
        std::vector<std::optional<std::string_view>> v = {std::nullopt, std::string_view(""),
                                                          std::string_view("a\0b", 3), last};
        const PackedRow r = PackedRow::pack(v);
        ASSERT_EQ(r.count(), 4);
        EXPECT_TRUE(r.isNull(0));
        EXPECT_FALSE(r.isNull(1));
        EXPECT_EQ(r.get(1), "");
        EXPECT_EQ(r.get(2), std::string_view("a\0b", 3));
        EXPECT_EQ(r.get(3), last);
        const PackedRow c = r.clone();
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(c.sameValue(i, r)) << i;
    }
}
