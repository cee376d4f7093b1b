// The packing half of TLzArc: the match trees and the main loop.
//
// The stream depends on which nodes each search visits (among equally long
// matches the nearest one *on the search path* wins), so the trees must take
// exactly the shape the original algorithm gives them. What we may change is
// how a node is compared (eight bytes at a time, skipping the prefix that the
// bounds of the current subtree already share with the key), and how a key
// that is already in the tree is found: a search for it ends there whatever
// it met on the way, so where we can tell it in advance we go straight to it.

#include <algorithm>
#include <bit>
#include <cstring>

#include "backup/lz_arc.h"

namespace backup {

namespace {

constexpr int kWindow = TLzArc::kWindow;
constexpr int kLookahead = TLzArc::kLookahead;
constexpr int kThreshold = TLzArc::kThreshold;
constexpr int kNil = TLzArc::kNil;
constexpr int kFirstWrite = kWindow - kLookahead;  // 4036

std::uint64_t load64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Keys compare as unsigned bytes, first byte most significant.
std::uint64_t bigEndian(std::uint64_t v) {
    return std::endian::native == std::endian::little ? __builtin_bswap64(v) : v;
}

// Offset of the first differing byte of two words loaded from memory.
int firstByte(std::uint64_t difference) {
    return (std::endian::native == std::endian::little ? std::countr_zero(difference)
                                                       : std::countl_zero(difference)) /
           8;
}

// Index of the first byte in [start, 60) where the two keys differ, or 60.
// The window is padded so that the last load stays inside it.
int firstDifference(const unsigned char* a, const unsigned char* b, int start) {
    for (int k = start; k < kLookahead; k += 8) {
        const std::uint64_t d = load64(a + k) ^ load64(b + k);
        if (d != 0) return std::min(k + firstByte(d), kLookahead);
    }
    return kLookahead;
}

}  // namespace

void TLzArc::initTree() {
    for (int b = 0; b < 256; ++b) rson(kWindow + 1 + b) = kNil;
    std::fill(dad_.begin(), dad_.begin() + kWindow, std::int16_t(kNil));
}

// Inserts position r into the tree of its first byte and leaves in
// matchLength_/matchPosition_ the longest match met on the way, the nearest
// of equally long ones.
void TLzArc::insertNode(int r) {
    const unsigned char* key = &window_[r];
    // Keys in the trees are unique, and a search that meets an equal key
    // stops there with a 60-byte match, whatever it met before. So when the
    // previous position equalled node q, position q + 1 is the likely equal
    // key of this one, and if it is, we can go to it without searching.
    if (equalNode_ != kNil && ((lastInserted_ + 1) & (kWindow - 1)) == r) {
        const int x = (equalNode_ + 1) & (kWindow - 1);
        if (dad_[x] != kNil && firstDifference(key, &window_[x], 0) == kLookahead) {
            replaceNode(x, r);
            return;
        }
    }
    lastInserted_ = r;
    equalNode_ = kNil;

    int p = kWindow + 1 + key[0];
    int dir = 1;  // 1: right, 0: left
    lson(r) = rson(r) = kNil;
    // Best match so far as length << 12 | (4095 - position): the larger the
    // better, so that the search path needs no branch to keep it.
    int best = 0;
    // Every key in the subtree we are in lies between the last node we went
    // right from and the last we went left from, so it shares with our key at
    // least the shorter of their two common prefixes. All keys in one tree
    // share the first byte.
    int sameBelow = 1;
    int sameAbove = 1;
    for (;;) {
        std::int16_t& link = links_[p][dir];
        if (link == kNil) {
            link = std::int16_t(r);
            dad_[r] = std::int16_t(p);
            matchLength_ = std::int16_t(best >> 12);
            matchPosition_ = std::int16_t(4095 - (best & 4095));
            return;
        }
        p = link;
        const unsigned char* node = &window_[p];
        const int start = std::min(sameBelow, sameAbove);
        const std::uint64_t a = load64(key + start);
        const std::uint64_t b = load64(node + start);
        int i;
        bool greater;
        if (a != b) {
            i = std::min(start + firstByte(a ^ b), kLookahead);
            greater = bigEndian(a) > bigEndian(b);
        } else {
            i = firstDifference(key, node, start + 8);
            greater = i < kLookahead && key[i] > node[i];
        }
        if (i >= kLookahead) break;
        const int distance = ((r - p) & (kWindow - 1)) - 1;
        const int score = i > kThreshold ? i << 12 | (4095 - distance) : 0;
        best = std::max(best, score);
        dir = greater;
        sameBelow = greater ? i : sameBelow;
        sameAbove = greater ? sameAbove : i;
    }
    replaceNode(p, r);
}

// Position r has the same key as node p: r takes p's place, p leaves the tree.
void TLzArc::replaceNode(int p, int r) {
    matchLength_ = kLookahead;
    matchPosition_ = std::int16_t(((r - p) & (kWindow - 1)) - 1);
    lastInserted_ = r;
    equalNode_ = p;
    dad_[r] = dad_[p];
    lson(r) = lson(p);
    rson(r) = rson(p);
    dad_[lson(p)] = std::int16_t(r);
    dad_[rson(p)] = std::int16_t(r);
    if (rson(dad_[p]) == p)
        rson(dad_[p]) = std::int16_t(r);
    else
        lson(dad_[p]) = std::int16_t(r);
    dad_[p] = kNil;
}

void TLzArc::deleteNode(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (rson(p) == kNil) {
        q = lson(p);
    } else if (lson(p) == kNil) {
        q = rson(p);
    } else {
        q = lson(p);
        if (rson(q) != kNil) {
            do q = rson(q);
            while (rson(q) != kNil);
            rson(dad_[q]) = lson(q);
            dad_[lson(q)] = dad_[q];
            lson(q) = lson(p);
            dad_[lson(p)] = std::int16_t(q);
        }
        rson(q) = rson(p);
        dad_[rson(p)] = std::int16_t(q);
    }
    dad_[q] = dad_[p];
    if (rson(dad_[p]) == p)
        rson(dad_[p]) = std::int16_t(q);
    else
        lson(dad_[p]) = std::int16_t(q);
    dad_[p] = kNil;
}

void TLzArc::Pack() {
    if (!ok_) return;
    textSize_ = inLength_;
    outLength_ = 0;
    for (int k = 0; k < 4; ++k) writeByte(std::uint8_t(inLength_ >> (8 * k)));
    textSize_ = 0;

    startHuffman();
    initTree();
    int s = 0;
    int r = kFirstWrite;
    std::fill(window_.begin(), window_.begin() + kFirstWrite, ' ');
    int len = 0;
    for (int c; len < kLookahead && (c = readByte()) >= 0; ++len)
        window_[r + len] = std::uint8_t(c);
    textSize_ = std::uint32_t(len);
    for (int i = 1; i <= kLookahead; ++i) insertNode(r - i);
    insertNode(r);

    do {
        if (matchLength_ > len) matchLength_ = std::int16_t(len);
        if (matchLength_ <= kThreshold) {
            matchLength_ = 1;
            encodeChar(window_[r]);
        } else {
            encodeChar(matchLength_ + 255 - kThreshold);
            encodePosition(unsigned(matchPosition_));
        }
        // Output refused: the input does not compress, the rest is moot.
        if (!ok_) return;
        const int last = matchLength_;
        int i = 0;
        for (int c; i < last && (c = readByte()) >= 0; ++i) {
            deleteNode(s);
            window_[s] = std::uint8_t(c);
            if (s < kLookahead - 1) window_[s + kWindow] = std::uint8_t(c);
            s = (s + 1) & (kWindow - 1);
            r = (r + 1) & (kWindow - 1);
            insertNode(r);
        }
        textSize_ += std::uint32_t(i);
        for (; i < last; ++i) {
            deleteNode(s);
            s = (s + 1) & (kWindow - 1);
            r = (r + 1) & (kWindow - 1);
            if (--len != 0) insertNode(r);
        }
    } while (len > 0);
    flushBits();
}

}  // namespace backup
