// The adaptive Huffman code of TLzArc's 314 symbols (literal bytes and match
// lengths), and the encoder's side of the codes.

#include <algorithm>
#include <cstring>

#include "backup/lz_arc.h"
#include "backup/lz_position_code.h"

namespace backup {

namespace {

using lz::kPosition;
constexpr int kNodes = TLzArc::kNodes;
constexpr int kRoot = TLzArc::kRoot;
constexpr int kSymbols = TLzArc::kSymbols;
constexpr std::uint16_t kMaxFreq = 0x8000;

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

}  // namespace backup
