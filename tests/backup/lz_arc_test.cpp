// The LZHUF codec: the stream is binding to the bit, so the known streams are
// checked byte for byte, larger inputs by a hash of their stream, and every
// input must come back exactly.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "backup/lz_arc.h"
#include "lz_test_inputs.h"

using backup::TLzArc;
using namespace lztest;

namespace {

Bytes outputOf(const TLzArc& z, std::size_t n) { return Bytes(z.Output(), z.Output() + n); }

Bytes pack(const Bytes& in, std::string* message = nullptr) {
    TLzArc z(in.data(), std::int32_t(in.size()));
    z.Pack();
    if (message) *message = std::string(z.Message());
    return z.IsOk() ? outputOf(z, z.CodeLength() + 4) : Bytes{};
}

struct Unpacked {
    bool ok;
    std::string message;
    std::uint32_t size;
    Bytes data;
};

Unpacked unpack(const Bytes& stream) {
    TLzArc z(stream.data(), std::int32_t(stream.size()));
    z.Unpack();
    return {z.IsOk(), std::string(z.Message()), z.TextSize(),
            z.IsOk() ? outputOf(z, z.TextSize()) : Bytes{}};
}

}  // namespace

TEST(LzArc, KnownStreamsAreExact) {
    const struct {
        const char* name;
        Bytes input;
        Bytes stream;
    } cases[] = {
        {"a", bytes("a"), {0x01, 0, 0, 0, 0xF6, 0x80}},
        {"abc", bytes("abc"), {0x03, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xE0}},
        // A literal, then matches of 60 and 38 at position 0 that copy
        // bytes they are themselves writing.
        {"99 x a", Bytes(99, 'a'), {0x63, 0, 0, 0, 0xF6, 0xFB, 0x40, 0x15, 0xE0, 0x00}},
        // One match of 10 against the space fill of the window.
        {"ten spaces", Bytes(10, ' '), {0x0A, 0, 0, 0, 0x93, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLzArc z(c.input.data(), std::int32_t(c.input.size()));
        z.Pack();
        ASSERT_TRUE(z.IsOk()) << z.Message();
        EXPECT_EQ(z.TextSize(), c.input.size());
        EXPECT_EQ(z.CodeLength() + 4, c.stream.size());
        EXPECT_EQ(outputOf(z, z.CodeLength() + 4), c.stream);

        const Unpacked u = unpack(c.stream);
        ASSERT_TRUE(u.ok) << u.message;
        EXPECT_EQ(u.data, c.input);
    }
}

// Streams of larger inputs, pinned by hash so that any change to the match
// search or the Huffman code shows up, not only ones that break the round
// trip. The values come from a plain byte-by-byte rendering of the algorithm.
TEST(LzArc, LargerStreamsArePinned) {
    const struct {
        const char* name;
        Bytes input;
        std::size_t streamSize;
        std::uint64_t hash;
    } cases[] = {
        {"sql text", sqlText(2000), 25289, 13316783271427761570ull},
        {"skewed", skewed(400000), 134796, 17389511273905660681ull},
        {"runs", runs(200000), 4951, 8014937334864404140ull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes stream = pack(c.input);
        ASSERT_FALSE(stream.empty());
        EXPECT_EQ(stream.size(), c.streamSize);
        EXPECT_EQ(fnv1a(stream), c.hash);
    }
}

TEST(LzArc, RoundTripsGiveBackEveryInput) {
    Bytes allValuesRepeated;
    for (int i = 0; i < 40; ++i) {
        const Bytes c = counting(256);
        allValuesRepeated.insert(allValuesRepeated.end(), c.begin(), c.end());
    }
    const struct {
        const char* name;
        Bytes input;
    } cases[] = {
        {"one byte", Bytes{0x00}},
        {"two bytes", bytes("\xFF\xFF")},
        {"shorter than the lookahead", prefix(sqlText(2), 59)},
        {"exactly the lookahead", prefix(sqlText(2), 60)},
        {"one past the lookahead", prefix(sqlText(2), 61)},
        {"the window and its lookahead", prefix(sqlText(100), 4096 + 60)},
        {"run of zeros", Bytes(100000, 0)},
        {"run of spaces", Bytes(5000, ' ')},
        {"runs", runs(50000)},
        {"text longer than the window", sqlText(400)},
        {"all byte values, repeated", allValuesRepeated},
        {"many tree reconstructions", skewed(300000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.input.empty());
        std::string message;
        const Bytes stream = pack(c.input, &message);
        ASSERT_FALSE(stream.empty()) << message;
        const Unpacked u = unpack(stream);
        ASSERT_TRUE(u.ok) << u.message;
        EXPECT_EQ(u.size, c.input.size());
        EXPECT_TRUE(u.data == c.input);
    }
}

TEST(LzArc, InputThatDoesNotCompressIsRefused) {
    // 00..FF: the output reaches input + 10 = 266 bytes, the next is refused.
    const Bytes in = counting(256);
    TLzArc z(in.data(), 256);
    z.Pack();
    EXPECT_FALSE(z.IsOk());
    EXPECT_EQ(z.Message(), "\nCan't write.\n");
    EXPECT_EQ(z.CodeLength() + 4, 266u);

    Random rnd(9);
    Bytes noise(100000);
    for (auto& b : noise) b = static_cast<unsigned char>(rnd.engine() >> 24);
    std::string message;
    EXPECT_TRUE(pack(noise, &message).empty());
    EXPECT_EQ(message, "\nCan't write.\n");
}

TEST(LzArc, BadConstructorArgumentsReserveNothingAndDoNothing) {
    const unsigned char one = 'a';
    const struct {
        const unsigned char* data;
        std::int32_t length;
    } cases[] = {{nullptr, 5}, {&one, 0}, {&one, -1}};
    for (const auto& c : cases) {
        for (bool packing : {true, false}) {
            TLzArc z(c.data, c.length);
            EXPECT_FALSE(z.IsOk());
            packing ? z.Pack() : z.Unpack();
            EXPECT_FALSE(z.IsOk());
            EXPECT_EQ(z.Message(), "\nBad constructor argument!\n");
            EXPECT_EQ(z.Output(), nullptr);
        }
    }
}

TEST(LzArc, UnpackOfDamagedStreams) {
    auto withHeader = [](Bytes stream, std::uint32_t size) {
        for (int k = 0; k < 4; ++k) stream[k] = static_cast<unsigned char>(size >> (8 * k));
        return stream;
    };
    const Bytes a99 = pack(Bytes(99, 'a'));  // a, match of 60, match of 38
    const Bytes a1 = pack(bytes("a"));       // 6 bytes: at most 48 * 2 + 60 = 156 out

    {
        const Unpacked u = unpack(withHeader(a99, 0));
        EXPECT_TRUE(u.ok);
        EXPECT_EQ(u.size, 0u);
    }
    {
        // The last match runs 9 bytes past the length: within the bound.
        const Unpacked u = unpack(withHeader(a99, 90));
        ASSERT_TRUE(u.ok) << u.message;
        EXPECT_EQ(u.data, Bytes(90, 'a'));
    }
    const struct {
        const char* name;
        Bytes stream;
        const char* message;
    } failures[] = {
        // 1 + 60 = 61 < 62, then 38 more would pass 62 + 10.
        {"match past the bound", withHeader(a99, 62), "\nCan't write.\n"},
        {"header beyond any expansion", withHeader(a1, 157), "\nout of memory!\n"},
        {"header of 4 GiB", withHeader(a1, 0xFFFFFFFFu), "\nout of memory!\n"},
        {"no room for the header", bytes("\x01\x00\x00"), "\nStream too short!\n"},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        const Unpacked u = unpack(f.stream);
        EXPECT_FALSE(u.ok);
        EXPECT_EQ(u.message, f.message);
    }
    // The largest length that 6 bytes could hold is not refused up front.
    EXPECT_NE(unpack(withHeader(a1, 156)).message, "\nout of memory!\n");
}

TEST(LzArc, ASecondOperationOnOneObjectStaysInsideItsBuffer) {
    // One object serves one operation; used again, it must still not write
    // past the buffer the first one left (here Unpack's 100-byte one).
    Bytes zeroHeader{0, 0, 0, 0};
    const Bytes text = sqlText(200);
    zeroHeader.insert(zeroHeader.end(), text.begin(), text.end());
    TLzArc z(zeroHeader.data(), std::int32_t(zeroHeader.size()));
    z.Unpack();
    ASSERT_TRUE(z.IsOk());
    z.Pack();  // the text compresses, but not into 100 bytes
    EXPECT_FALSE(z.IsOk());
    EXPECT_EQ(z.Message(), "\nCan't write.\n");
}
