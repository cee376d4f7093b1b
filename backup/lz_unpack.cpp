// The unpacking half of TLzArc: decoding of symbols and positions, and the
// main loop.

#include <algorithm>
#include <cstring>
#include <new>

#include "backup/lz_arc.h"
#include "backup/lz_position_code.h"

namespace backup {

namespace {

// Copies a match of n bytes from distance bytes back. Eight bytes at a time
// where the period allows, each block read before it is written (the
// buffer's slack past the bound takes the overshoot); a shorter period
// copies bytes that the match is writing itself.
[[gnu::always_inline]] inline void copyMatch(unsigned char* to, int distance, std::uint64_t n) {
    const unsigned char* from = to - distance;
    if (distance >= 8) {
        for (std::uint64_t k = 0; k < n; k += 8) std::memcpy(to + k, from + k, 8);
    } else {
        for (std::uint64_t k = 0; k < n; ++k) to[k] = from[k];
    }
}

}  // namespace

namespace {

using lz::kPosition;
constexpr int kWindow = TLzArc::kWindow;
constexpr int kLookahead = TLzArc::kLookahead;
constexpr int kNodes = TLzArc::kNodes;
constexpr int kRoot = TLzArc::kRoot;
constexpr int kFirstWrite = kWindow - kLookahead;  // 4036
constexpr std::uint16_t kMaxFreq = 0x8000;

}  // namespace

// Inlined into the main loop, so that the read-ahead bits stay in registers.
//
// The walk from the root counts the symbol on its way down. That is the
// update's work, done top-down instead of from the leaf up, and it comes out
// the same as long as no node has to move: whether a node moves depends only
// on its own count and its right neighbour's, and the neighbour is never a
// node below it on the path (children lie left of their parents) and, when it
// is the parent, the node cannot overtake it. So the walk notes the deepest
// node that has to move; if there is one, the counts from the root down to it
// are taken back and the update runs from there, as it would have.
[[gnu::always_inline]] inline int TLzArc::decodeChar(unsigned& buf, int& len) {
    std::array<std::int16_t, kNodes + 1> path;
    path[0] = kRoot;
    int depth = 0;
    int n = son_[kRoot];
    if (freq_[kRoot] == kMaxFreq) {
        // The tree is rebuilt before the count: walk it as it stands.
        while (n < kNodes) {
            if (len <= 8) refill(buf, len, false);
            n += (buf >> 15) & 1;
            buf <<= 1;
            --len;
            n = son_[n];
        }
        update(n - kNodes, path.data(), -1);
        return n - kNodes;
    }
    ++freq_[kRoot];
    int moves = -1;  // the deepest level whose node has to move
    while (n < kNodes) {
        if (len <= 8) refill(buf, len, false);
        n += (buf >> 15) & 1;
        buf <<= 1;
        --len;
        path[++depth] = std::int16_t(n);
        const unsigned k = ++freq_[n];
        moves = k > freq_[n + 1] ? depth : moves;
        n = son_[n];
    }
    const int symbol = n - kNodes;
    if (moves >= 0) [[unlikely]] {
        for (int level = 0; level <= moves; ++level) --freq_[path[level]];
        update(symbol, path.data(), moves);
    }
    return symbol;
}

[[gnu::always_inline]] inline int TLzArc::decodePosition(unsigned& buf, int& len) {
    if (len <= 8) refill(buf, len, true);
    int v = (buf >> 8) & 0xFF;
    buf <<= 8;
    len -= 8;
    const int u = kPosition.decode[v];
    // One to six more bits, read one by one in the original; the group left
    // at most eight bits, so the first of them refills, and then they are all
    // there: take them at once.
    const int more = kPosition.decodeLength[v] - 2;
    refill(buf, len, false);
    v = (v << more) | int((buf & 0xFFFF) >> (16 - more));
    buf <<= more;
    len -= more;
    return (u << 6) | (v & 0x3F);
}

// The buffer starts with the window as it is before the first byte (60
// never written bytes, then the space fill), so that a match copies straight
// from the bytes already decoded; the output follows it.
void TLzArc::presetWindow() {
    std::memset(buffer_.get(), 0, kLookahead);
    std::memset(buffer_.get() + kLookahead, ' ', kFirstWrite);
    output_ = buffer_.get() + kWindow;
    outLength_ = 0;
}

// The in-memory Unpack is the streamed decoder run over one chunk that
// holds the whole input and one that holds the whole output: the input is
// in memory already, so the source has nothing to add, and the output chunk
// is never full, so nothing is handed on and the text stays in Output().
void TLzArc::Unpack() {
    if (!ok_) return;
    inLimit_ = 0;
    inPos_ = 0;
    unpack(inLength_, true);
}

// Unpack through a fixed buffer: the window's worth of text stays in front of
// the chunk being decoded, so that matches copy from it, and each full chunk
// goes to the sink.
void TLzArc::UnpackStream(std::uint64_t streamLength) {
    if (!ok_) return;
    inLimit_ = streamLength;
    inLength_ = inPos_ = 0;
    unpack(streamLength, false);
}

void TLzArc::unpack(std::uint64_t streamLength, bool inMemory) {
    if (streamLength < 4) {
        fail("Stream too short!");
        return;
    }
    textSize_ = 0;
    for (int k = 0; k < 4; ++k) textSize_ |= std::uint32_t(readByte()) << (8 * k);
    if (!ok_) return;
    // Every item costs at least 10 bits and yields at most 60 bytes, so no
    // valid stream expands by more than 48 bytes per code byte: a damaged
    // header must not make us reserve gigabytes.
    if (textSize_ > 48 * (streamLength - 4) + 60) {
        fail("out of memory!");
        return;
    }
    // In memory the chunk takes the whole text and what a damaged stream's
    // last match may write past it: the output bound stops that 10 bytes
    // past the length, and a match copies up to 7 bytes beyond its end.
    const std::uint64_t chunk = inMemory ? std::uint64_t(textSize_) + 100 : kUnpackChunk;
    buffer_.reset();
    output_ = nullptr;
    outCapacity_ = 0;
    try {
        buffer_ = inMemory ? reserve(kWindow + chunk)
                           : std::make_unique_for_overwrite<unsigned char[]>(kWindow + chunk + 128);
    } catch (const std::bad_alloc&) {
        fail("out of memory!");
        return;
    }
    // What a second operation on this object may write (Pack checks it).
    outCapacity_ = inMemory ? chunk : 0;
    presetWindow();
    if (textSize_ == 0) return;

    startHuffman();
    unsigned buf = getBuf_;
    int len = getLen_;
    // A damaged stream may end in a match that runs past the length; the
    // output bound stops it short of the buffer's end.
    const std::uint64_t limit = std::uint64_t(textSize_) + 10;
    std::uint64_t base = 0;   // bytes handed to the sink
    std::uint64_t count = 0;  // bytes decoded into the chunk
    auto flush = [&] {
        const std::uint64_t n = std::min<std::uint64_t>(count, textSize_ - base);
        return sink_.write(sink_.context, output_, std::int64_t(n));
    };
    auto stop = [&] {
        outLength_ = std::uint32_t(count);
        getBuf_ = std::uint16_t(buf);
        getLen_ = std::uint8_t(len);
    };
    while (base + count < textSize_) {
        const int c = decodeChar(buf, len);
        if (c < 256) {
            output_[count++] = std::uint8_t(c);  // below the text size: within the bound
        } else {
            const int distance = decodePosition(buf, len) + 1;
            const std::uint64_t length = std::uint64_t(c) - 253;
            const std::uint64_t n = std::min(length, limit - (base + count));
            copyMatch(output_ + count, distance, n);
            count += n;
            if (n < length) {
                stop();
                fail("Can't write.");
                return;
            }
        }
        if (count >= chunk) [[unlikely]] {
            if (!flush()) {
                fail("Can't write.");
                return;
            }
            std::memmove(buffer_.get(), output_ + count - kWindow, kWindow);
            base += count;
            count = 0;
        }
    }
    stop();
    if (inMemory) return;  // the text is in place
    outLength_ = 0;
    if (!ok_) return;  // the source failed
    if (count > 0 && base < textSize_ && !flush()) fail("Can't write.");
}

}  // namespace backup
