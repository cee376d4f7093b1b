// The program's codec against the plain one in plain_lzhuf/: both must write
// the same stream for the same input, byte for byte, and each must read the
// other's stream back.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "backup/lz_arc.h"
#include "lz_test_inputs.h"
#include "plain_lzhuf.h"

using backup::TLzArc;
using namespace lztest;

namespace {

// The program's stream, empty when its Pack fails.
Bytes codecPack(const Bytes& in) {
    TLzArc z(in.data(), std::int32_t(in.size()));
    z.Pack();
    return z.IsOk() ? Bytes(z.Output(), z.Output() + z.CodeLength() + 4) : Bytes{};
}

std::optional<Bytes> codecUnpack(const Bytes& stream) {
    TLzArc z(stream.data(), std::int32_t(stream.size()));
    z.Unpack();
    if (!z.IsOk()) return std::nullopt;
    return Bytes(z.Output(), z.Output() + z.TextSize());
}

Bytes repeated(const Bytes& block, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), block.begin(), block.end());
    return out;
}

// Random bytes from 40 values: few long matches, but fewer than 8 bits a
// byte for the Huffman code.
Bytes narrowRandom(std::size_t n) {
    Random rnd(17);
    Bytes out(n);
    for (auto& b : out) b = static_cast<unsigned char>('0' + rnd.below(40));
    return out;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File fileWith(const Bytes& data) {
    File f(std::tmpfile());
    std::fwrite(data.data(), 1, data.size(), f.get());
    std::rewind(f.get());
    return f;
}

Bytes contentOf(std::FILE* f) {
    std::rewind(f);
    Bytes out;
    for (int c; (c = std::getc(f)) != EOF;) out.push_back(static_cast<unsigned char>(c));
    return out;
}

}  // namespace

TEST(PlainLzhuf, WritesTheCodecsStreamAndBothReadItBack) {
    const Bytes text = sqlText(2000);
    const struct {
        const char* name;
        Bytes input;
        Bytes known;  // the stream, where it is known by heart
    } cases[] = {
        {"a", bytes("a"), {0x01, 0, 0, 0, 0xF6, 0x80}},
        {"abc", bytes("abc"), {0x03, 0, 0, 0, 0xF6, 0xFB, 0xBD, 0xE0}},
        {"99 x a", Bytes(99, 'a'), {0x63, 0, 0, 0, 0xF6, 0xFB, 0x40, 0x15, 0xE0, 0x00}},
        {"ten spaces", Bytes(10, ' '), {0x0A, 0, 0, 0, 0x93, 0x00, 0x00}},
        {"one byte", Bytes{0xFF}, {}},
        {"shorter than the lookahead", prefix(text, 59), {}},
        {"exactly the lookahead", prefix(text, 60), {}},
        {"one past the lookahead", prefix(text, 61), {}},
        {"the window and its lookahead", prefix(text, 4096 + 60), {}},
        {"text longer than the window", text, {}},
        {"text repeating every 4096 bytes", repeated(prefix(text, 4096), 5), {}},
        {"text repeating every 4095 bytes", repeated(prefix(text, 4095), 5), {}},
        {"long run", Bytes(100000, 0), {}},
        {"runs", runs(200000), {}},
        {"random bytes of 40 values", narrowRandom(100000), {}},
        {"many tree reconstructions", skewed(400000), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes plain = plain_lzhuf::pack(c.input.data(), c.input.size());
        const Bytes codec = codecPack(c.input);
        ASSERT_FALSE(plain.empty());
        ASSERT_EQ(plain.size(), codec.size());
        EXPECT_TRUE(plain == codec);
        if (!c.known.empty()) {
            EXPECT_EQ(plain, c.known);
        }

        const std::optional<Bytes> byPlain = plain_lzhuf::unpack(codec.data(), codec.size());
        ASSERT_TRUE(byPlain);
        EXPECT_TRUE(*byPlain == c.input);
        const std::optional<Bytes> byCodec = codecUnpack(plain);
        ASSERT_TRUE(byCodec);
        EXPECT_TRUE(*byCodec == c.input);
    }
}

TEST(PlainLzhuf, GivesUpWhereTheCodecDoes) {
    // 00..FF: the stream outgrows the input read so far plus 10.
    const Bytes noCompression = counting(256);
    EXPECT_TRUE(plain_lzhuf::pack(noCompression.data(), noCompression.size()).empty());
    EXPECT_TRUE(plain_lzhuf::pack(noCompression.data(), 0).empty());

    // The 99 x a stream with a length of 62: its last match would write
    // 1 + 60 + 38 = 99 bytes, past 62 + 10.
    Bytes damaged = codecPack(Bytes(99, 'a'));
    damaged[0] = 62;
    EXPECT_FALSE(plain_lzhuf::unpack(damaged.data(), damaged.size()));
    EXPECT_FALSE(codecUnpack(damaged));
    EXPECT_FALSE(plain_lzhuf::unpack(damaged.data(), 3));  // no room for the header
}

TEST(PlainLzhuf, FilesGiveTheSameStreamAsMemory) {
    const Bytes text = sqlText(400);
    File in = fileWith(text);
    File packed(std::tmpfile());
    ASSERT_TRUE(plain_lzhuf::packFile(in.get(), packed.get()));
    const Bytes stream = contentOf(packed.get());
    EXPECT_TRUE(stream == plain_lzhuf::pack(text.data(), text.size()));

    std::rewind(packed.get());
    File unpacked(std::tmpfile());
    ASSERT_TRUE(plain_lzhuf::unpackFile(packed.get(), unpacked.get()));
    EXPECT_TRUE(contentOf(unpacked.get()) == text);

    File noCompression = fileWith(counting(256));
    File refused(std::tmpfile());
    EXPECT_FALSE(plain_lzhuf::packFile(noCompression.get(), refused.get()));
}
