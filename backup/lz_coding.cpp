// The codes of TLzArc's items: the adaptive Huffman code of the 314 symbols
// (literal bytes and match lengths) and the fixed prefix code of positions.

#include <algorithm>
#include <cstring>

#include "backup/lz_arc.h"

namespace backup {

namespace {

constexpr int kNodes = TLzArc::kNodes;
constexpr int kRoot = TLzArc::kRoot;
constexpr int kSymbols = TLzArc::kSymbols;
constexpr std::uint16_t kMaxFreq = 0x8000;

// The position prefix code: code word lengths of the upper six bits of a
// position, canonical code words assigned in increasing order of u.
struct PositionCode {
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 64> word{};     // left-aligned in a byte
    std::array<std::uint8_t, 256> decode{};  // u whose word prefixes the 8 bits
    std::array<std::uint8_t, 256> decodeLength{};

    constexpr PositionCode() {
        for (int u = 0; u < 64; ++u)
            length[u] = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        unsigned code = 0;
        for (int u = 0; u < 64; ++u) {
            word[u] = std::uint8_t(code << (8 - length[u]));
            for (unsigned v = 0; v < (1u << (8 - length[u])); ++v) {
                decode[word[u] | v] = std::uint8_t(u);
                decodeLength[word[u] | v] = length[u];
            }
            if (u < 63) code = (code + 1) << (length[u + 1] - length[u]);
        }
    }
};
constexpr PositionCode kPosition;
static_assert(kPosition.word[0] == 0x00 && kPosition.word[1] == 0x20 && kPosition.word[4] == 0x50 &&
              kPosition.word[5] == 0x58 && kPosition.word[62] == 0xFE &&
              kPosition.word[63] == 0xFF);

}  // namespace

void TLzArc::startHuffman() {
    for (int c = 0; c < kSymbols; ++c) {
        freq_[c] = 1;
        son_[c] = std::int16_t(kNodes + c);
        prnt_[kNodes + c] = std::int16_t(c);
    }
    for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        freq_[j] = freq_[i] + freq_[i + 1];
        son_[j] = std::int16_t(i);
        prnt_[i] = prnt_[i + 1] = std::int16_t(j);
    }
    freq_[kNodes] = 0xFFFF;
    prnt_[kRoot] = 0;
}

// Halves all frequencies and rebuilds the tree so that the root stays below
// the 16-bit limit.
void TLzArc::reconstruct() {
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
        if (son_[i] >= kNodes) {
            freq_[j] = std::uint16_t((freq_[i] + 1) / 2);
            son_[j] = son_[i];
            ++j;
        }
    }
    for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        const unsigned f = freq_[i] + freq_[i + 1];
        int k = j - 1;
        while (f < freq_[k]) --k;
        ++k;
        std::memmove(&freq_[k + 1], &freq_[k], sizeof freq_[0] * (j - k));
        std::memmove(&son_[k + 1], &son_[k], sizeof son_[0] * (j - k));
        freq_[k] = std::uint16_t(f);
        son_[k] = std::int16_t(i);
    }
    for (int i = 0; i < kNodes; ++i) {
        const int k = son_[i];
        prnt_[k] = std::int16_t(i);
        if (k < kNodes) prnt_[k + 1] = std::int16_t(i);
    }
}

// Counts the symbol just coded. path[0..depth] are the nodes from the root
// down to the symbol's leaf node, as the coder has just walked them: while no
// node has moved they spare us a chain of dependent parent lookups.
void TLzArc::update(int symbol, const std::int16_t* path, int depth) {
    if (freq_[kRoot] == kMaxFreq) {
        reconstruct();
        depth = -1;  // the walked path is gone
    }
    int level = depth;
    int n = level >= 0 ? path[level] : prnt_[symbol + kNodes];
    do {
        const unsigned k = ++freq_[n];
        if (k > freq_[n + 1]) {
            // Move the node past every node of lower frequency, so that the
            // order of frequencies (and with it the code) stays valid.
            int l = n + 1;
            while (k > freq_[l + 1]) ++l;
            freq_[n] = freq_[l];
            freq_[l] = std::uint16_t(k);
            const int i = son_[n];
            prnt_[i] = std::int16_t(l);
            if (i < kNodes) prnt_[i + 1] = std::int16_t(l);
            const int j = son_[l];
            son_[l] = std::int16_t(i);
            prnt_[j] = std::int16_t(n);
            if (j < kNodes) prnt_[j + 1] = std::int16_t(n);
            son_[n] = std::int16_t(j);
            n = l;
            level = -1;
        }
        n = level > 0 ? path[--level] : prnt_[n];
    } while (n != 0);
}

void TLzArc::encodeChar(int symbol) {
    // Walked from the leaf up; the bits are collected into the low end so
    // that the root's child comes out first, the nodes from the end of the
    // array so that they read from the root down. A root frequency of at
    // most 0x8000 keeps the tree far shallower than 64 levels.
    std::array<std::int16_t, kNodes + 1> nodes;
    int top = kNodes;
    std::uint64_t code = 0;
    int length = 0;
    int k = prnt_[symbol + kNodes];
    do {
        nodes[top--] = std::int16_t(k);
        code |= std::uint64_t(k & 1) << length;
        ++length;
        k = prnt_[k];
    } while (k != kRoot);
    nodes[top] = kRoot;
    if (length > 32) putBits(length - 32, std::uint32_t(code >> 32));
    putBits(std::min(length, 32), std::uint32_t(code));
    update(symbol, &nodes[top], length);
}

void TLzArc::encodePosition(unsigned position) {
    const unsigned u = position >> 6;
    const int length = kPosition.length[u];
    putBits(length, kPosition.word[u] >> (8 - length));
    putBits(6, position & 0x3F);
}

int TLzArc::decodeChar() {
    std::array<std::int16_t, kNodes + 1> path;
    path[0] = kRoot;
    int depth = 0;
    unsigned buf = getBuf_;
    int len = getLen_;
    int n = son_[kRoot];
    while (n < kNodes) {
        if (len <= 8) refill(buf, len, false);
        n += (buf >> 15) & 1;
        buf <<= 1;
        --len;
        path[++depth] = std::int16_t(n);
        n = son_[n];
    }
    getBuf_ = std::uint16_t(buf);
    getLen_ = std::uint8_t(len);
    const int symbol = n - kNodes;
    update(symbol, path.data(), depth);
    return symbol;
}

int TLzArc::decodePosition() {
    unsigned buf = getBuf_;
    int len = getLen_;
    if (len <= 8) refill(buf, len, true);
    int v = (buf >> 8) & 0xFF;
    buf <<= 8;
    len -= 8;
    const int u = kPosition.decode[v];
    for (int j = kPosition.decodeLength[v] - 2; j > 0; --j) {
        if (len <= 8) refill(buf, len, false);
        v = (v << 1) + ((buf >> 15) & 1);
        buf <<= 1;
        --len;
    }
    getBuf_ = std::uint16_t(buf);
    getLen_ = std::uint8_t(len);
    return (u << 6) | (v & 0x3F);
}

}  // namespace backup
