#include "plain_lzhuf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>

namespace plain_lzhuf {
namespace {

constexpr int kWindow = 4096;                            // ring buffer
constexpr int kLookahead = 60;                           // longest match
constexpr int kThreshold = 2;                            // longer matches are coded
constexpr int kNil = kWindow;                            // empty tree link
constexpr int kSymbols = 256 + kLookahead - kThreshold;  // 314
constexpr int kNodes = 2 * kSymbols - 1;                 // 627
constexpr int kRoot = kNodes - 1;
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kStart = kWindow - kLookahead;  // first write position, 4036

// Prefix code of the upper 6 bits of a match position: its lengths, and the
// canonical code words for them, left-aligned in a byte.
struct PositionCode {
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 64> word{};
    std::array<std::uint8_t, 256> decodeUpper{};   // by the next 8 bits
    std::array<std::uint8_t, 256> decodeLength{};  // length of that word
};

constexpr PositionCode makePositionCode() {
    PositionCode t;
    for (int u = 0; u < 64; ++u)
        t.length[u] = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
    int next = 0;
    for (int u = 0; u < 64; ++u) {
        t.word[u] = std::uint8_t(next);
        const int span = 1 << (8 - t.length[u]);
        for (int v = next; v < next + span; ++v) {
            t.decodeUpper[v] = std::uint8_t(u);
            t.decodeLength[v] = t.length[u];
        }
        next += span;
    }
    return t;
}

constexpr PositionCode kPosition = makePositionCode();
static_assert(kPosition.word[5] == 0x58 && kPosition.word[63] == 0xFF);

struct MemoryIo {
    MemoryIo(const unsigned char* data, std::size_t size) : in(data), n(size) {}
    const unsigned char* in;
    std::size_t n;
    std::size_t pos = 0;
    std::vector<unsigned char> out;
    int get() { return pos < n ? in[pos++] : -1; }
    void put(unsigned char b) { out.push_back(b); }
};

struct FileIo {
    std::FILE* in;
    std::FILE* out;
    int get() { return std::getc(in); }
    void put(unsigned char b) { std::putc(b, out); }
};

template <class Io>
class Lzhuf {
  public:
    explicit Lzhuf(Io& io) : io_(io) {}

    // Writes the stream of `length` bytes read from the Io.
    bool pack(std::uint32_t length);
    // Reads a stream after its 4-byte header; writes `length` bytes.
    bool unpack(std::uint32_t length);

  private:
    // --- bytes and bits ---
    void putByte(unsigned b) {
        if (written_ >= std::uint64_t(textSize_) + 10) {
            failed_ = true;
            return;
        }
        io_.put(static_cast<unsigned char>(b));
        ++written_;
    }

    // The top `count` (at most 16) bits of `code`.
    void putBits(unsigned count, unsigned code) {
        putBuf_ = std::uint16_t(putBuf_ | (code >> putLen_));
        unsigned pending = putLen_ + count;
        if (pending >= 8) {
            putByte(putBuf_ >> 8);
            if (pending >= 16) {
                putByte(putBuf_ & 0xFF);
                pending -= 16;
                // The bits of `code` that did not fit.
                putBuf_ = std::uint16_t(code << (count - pending));
            } else {
                putBuf_ = std::uint16_t(putBuf_ << 8);
                pending -= 8;
            }
        }
        putLen_ = std::uint8_t(pending);
    }

    void flushBits() {
        if (putLen_ > 0) putByte(putBuf_ >> 8);
    }

    int getBit() {
        if (getLen_ <= 8) {
            int c = io_.get();
            if (c < 0) c = 0;
            getBuf_ = std::uint16_t(getBuf_ | (unsigned(c) << (8 - getLen_)));
            getLen_ += 8;
        }
        const int bit = getBuf_ >> 15;
        getBuf_ = std::uint16_t(getBuf_ << 1);
        --getLen_;
        return bit;
    }

    unsigned getByte() {
        if (getLen_ <= 8) {
            const int c = io_.get();
            const unsigned v = c < 0 ? 0xFFFFu : unsigned(c);
            getBuf_ = std::uint16_t(getBuf_ | (v << (8 - getLen_)));
            getLen_ += 8;
        }
        const unsigned v = getBuf_ >> 8;
        getBuf_ = std::uint16_t(getBuf_ << 8);
        getLen_ -= 8;
        return v;
    }

    // --- adaptive Huffman code ---
    void startHuffman() {
        for (int c = 0; c < kSymbols; ++c) {
            freq_[c] = 1;
            son_[c] = std::int16_t(kNodes + c);
            parent_[kNodes + c] = std::int16_t(c);
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq_[j] = std::uint16_t(freq_[i] + freq_[i + 1]);
            son_[j] = std::int16_t(i);
            parent_[i] = parent_[i + 1] = std::int16_t(j);
        }
        freq_[kNodes] = 0xFFFF;
        parent_[kRoot] = 0;
    }

    // Halves every leaf's frequency and builds the tree anew.
    void reconstruct() {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son_[i] >= kNodes) {
                freq_[j] = std::uint16_t((freq_[i] + 1) / 2);
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
            const unsigned f = unsigned(freq_[i]) + freq_[i + 1];
            int k = j;
            while (k > 0 && freq_[k - 1] > f) --k;
            for (int m = j; m > k; --m) {
                freq_[m] = freq_[m - 1];
                son_[m] = son_[m - 1];
            }
            freq_[k] = std::uint16_t(f);
            son_[k] = std::int16_t(i);
        }
        for (int i = 0; i < kNodes; ++i) {
            const int k = son_[i];
            parent_[k] = std::int16_t(i);
            if (k < kNodes) parent_[k + 1] = std::int16_t(i);
        }
    }

    void update(int c) {
        if (freq_[kRoot] == kMaxFreq) reconstruct();
        int n = parent_[kNodes + c];
        do {
            const unsigned k = ++freq_[n];
            if (k > freq_[n + 1]) {
                int l = n + 1;
                while (k > freq_[l + 1]) ++l;
                freq_[n] = freq_[l];
                freq_[l] = std::uint16_t(k);

                const int i = son_[n];
                parent_[i] = std::int16_t(l);
                if (i < kNodes) parent_[i + 1] = std::int16_t(l);
                const int j = son_[l];
                son_[l] = std::int16_t(i);
                parent_[j] = std::int16_t(n);
                if (j < kNodes) parent_[j + 1] = std::int16_t(n);
                son_[n] = std::int16_t(j);
                n = l;
            }
            n = parent_[n];
        } while (n != 0);
    }

    void encodeSymbol(int c) {
        // The bits come leaf first; gather them into 32-bit pieces, the
        // deepest piece first, and write the pieces root end first.
        std::uint32_t pieces[kNodes / 32 + 1];
        int count = 0;
        std::uint32_t code = 0;
        unsigned bits = 0;
        for (int n = parent_[kNodes + c]; n != kRoot; n = parent_[n]) {
            code = (code >> 1) | (std::uint32_t(n & 1) << 31);
            if (++bits == 32) {
                pieces[count++] = code;
                code = 0;
                bits = 0;
            }
        }
        if (bits > 0) putPiece(code, bits);
        while (count > 0) putPiece(pieces[--count], 32);
        update(c);
    }

    // The top `bits` bits of `code`.
    void putPiece(std::uint32_t code, unsigned bits) {
        if (bits > 16) {
            putBits(16, code >> 16);
            putBits(bits - 16, code & 0xFFFF);
        } else {
            putBits(bits, code >> 16);
        }
    }

    int decodeSymbol() {
        int n = son_[kRoot];
        while (n < kNodes) n = son_[n + getBit()];
        const int c = n - kNodes;
        update(c);
        return c;
    }

    void encodePosition(unsigned p) {
        const unsigned u = p >> 6;
        putBits(kPosition.length[u], unsigned(kPosition.word[u]) << 8);
        putBits(6, (p & 0x3F) << 10);
    }

    unsigned decodePosition() {
        unsigned v = getByte();
        const unsigned u = kPosition.decodeUpper[v];
        const unsigned length = kPosition.decodeLength[v];
        for (unsigned i = 2; i < length; ++i) v = (v << 1) + unsigned(getBit());
        return (u << 6) | (v & 0x3F);
    }

    // --- match trees ---
    void startTrees() {
        for (int i = kWindow + 1; i <= kWindow + 256; ++i) right_[i] = kNil;
        for (int i = 0; i < kWindow; ++i) up_[i] = kNil;
    }

    // Inserts position r and leaves the longest, nearest match in
    // matchPosition_ and matchLength_.
    void insertNode(int r) {
        const unsigned char* key = &text_[r];
        int cmp = 1;
        int p = kWindow + 1 + key[0];
        right_[r] = left_[r] = kNil;
        matchLength_ = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right_[p] == kNil) {
                    right_[p] = std::int16_t(r);
                    up_[r] = std::int16_t(p);
                    return;
                }
                p = right_[p];
            } else {
                if (left_[p] == kNil) {
                    left_[p] = std::int16_t(r);
                    up_[r] = std::int16_t(p);
                    return;
                }
                p = left_[p];
            }
            int i = 1;
            for (; i < kLookahead; ++i) {
                cmp = key[i] - text_[p + i];
                if (cmp != 0) break;
            }
            if (i > kThreshold) {
                const int distance = ((r - p) & (kWindow - 1)) - 1;
                if (i > matchLength_) {
                    matchPosition_ = std::int16_t(distance);
                    matchLength_ = std::int16_t(i);
                    if (i >= kLookahead) break;
                } else if (i == matchLength_ && distance < matchPosition_) {
                    matchPosition_ = std::int16_t(distance);
                }
            }
        }
        // Same key: r takes p's place in the tree.
        up_[r] = up_[p];
        left_[r] = left_[p];
        right_[r] = right_[p];
        up_[left_[p]] = std::int16_t(r);
        up_[right_[p]] = std::int16_t(r);
        if (right_[up_[p]] == p)
            right_[up_[p]] = std::int16_t(r);
        else
            left_[up_[p]] = std::int16_t(r);
        up_[p] = kNil;
    }

    void deleteNode(int p) {
        if (up_[p] == kNil) return;
        int q;
        if (right_[p] == kNil) {
            q = left_[p];
        } else if (left_[p] == kNil) {
            q = right_[p];
        } else {
            q = left_[p];
            if (right_[q] != kNil) {
                while (right_[q] != kNil) q = right_[q];
                right_[up_[q]] = left_[q];
                up_[left_[q]] = up_[q];
                left_[q] = left_[p];
                up_[left_[p]] = std::int16_t(q);
            }
            right_[q] = right_[p];
            up_[right_[p]] = std::int16_t(q);
        }
        up_[q] = up_[p];
        if (right_[up_[p]] == p)
            right_[up_[p]] = std::int16_t(q);
        else
            left_[up_[p]] = std::int16_t(q);
        up_[p] = kNil;
    }

    Io& io_;
    std::uint16_t freq_[kNodes + 1] = {};
    std::int16_t parent_[kNodes + kSymbols] = {};
    std::int16_t son_[kNodes] = {};
    std::uint16_t getBuf_ = 0;
    std::uint8_t getLen_ = 0;
    std::uint16_t putBuf_ = 0;
    std::uint8_t putLen_ = 0;
    // Bytes kWindow.. mirror the first kLookahead - 1, so that every key is
    // contiguous.
    unsigned char text_[kWindow + kLookahead - 1] = {};
    std::int16_t matchPosition_ = 0;
    std::int16_t matchLength_ = 0;
    std::int16_t left_[kWindow + 1] = {};
    std::int16_t right_[kWindow + 257] = {};  // kWindow + 1 + c: root of the tree of c
    std::int16_t up_[kWindow + 1] = {};
    // Pack: bytes read so far; Unpack: the length. Bounds what is written.
    std::uint32_t textSize_ = 0;
    std::uint64_t written_ = 0;
    bool failed_ = false;
};

template <class Io>
bool Lzhuf<Io>::pack(std::uint32_t length) {
    textSize_ = length;
    for (int k = 0; k < 4; ++k) putByte((length >> (8 * k)) & 0xFF);
    textSize_ = 0;

    startHuffman();
    startTrees();
    int s = 0;
    int r = kStart;
    for (int i = 0; i < kStart; ++i) text_[i] = ' ';
    int len = 0;
    for (int c; len < kLookahead && (c = io_.get()) >= 0; ++len)
        text_[r + len] = static_cast<unsigned char>(c);
    textSize_ = std::uint32_t(len);
    for (int i = 1; i <= kLookahead; ++i) insertNode(r - i);
    insertNode(r);

    do {
        if (matchLength_ > len) matchLength_ = std::int16_t(len);
        if (matchLength_ <= kThreshold) {
            matchLength_ = 1;
            encodeSymbol(text_[r]);
        } else {
            encodeSymbol(255 - kThreshold + matchLength_);
            encodePosition(unsigned(matchPosition_));
        }
        if (failed_) return false;

        const int last = matchLength_;
        int i = 0;
        for (int c; i < last && (c = io_.get()) >= 0; ++i) {
            deleteNode(s);
            text_[s] = static_cast<unsigned char>(c);
            if (s < kLookahead - 1) text_[s + kWindow] = static_cast<unsigned char>(c);
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
    return !failed_;
}

template <class Io>
bool Lzhuf<Io>::unpack(std::uint32_t length) {
    textSize_ = length;
    if (length == 0) return true;
    startHuffman();
    for (int i = 0; i < kStart; ++i) text_[i] = ' ';
    int r = kStart;
    std::uint32_t count = 0;
    while (count < length) {
        const int c = decodeSymbol();
        if (c < 256) {
            putByte(unsigned(c));
            text_[r] = static_cast<unsigned char>(c);
            r = (r + 1) & (kWindow - 1);
            ++count;
        } else {
            const int start = (r - int(decodePosition()) - 1) & (kWindow - 1);
            const int matchLength = c - 255 + kThreshold;
            for (int k = 0; k < matchLength; ++k) {
                const unsigned char b = text_[(start + k) & (kWindow - 1)];
                putByte(b);
                text_[r] = b;
                r = (r + 1) & (kWindow - 1);
                ++count;
            }
        }
        if (failed_) return false;
    }
    return true;
}

// The length in a stream's header, read through `get`; false if short.
template <class Get>
bool readHeader(Get get, std::uint32_t& length) {
    length = 0;
    for (int k = 0; k < 4; ++k) {
        const int c = get();
        if (c < 0) return false;
        length |= std::uint32_t(c) << (8 * k);
    }
    return true;
}

}  // namespace

std::vector<unsigned char> pack(const unsigned char* data, std::size_t n) {
    if (n == 0 || n > 0xFFFFFFFFu) return {};
    MemoryIo io{data, n};
    io.out.reserve(n + 14);
    auto codec = std::make_unique<Lzhuf<MemoryIo>>(io);
    if (!codec->pack(std::uint32_t(n))) return {};
    return std::move(io.out);
}

std::optional<std::vector<unsigned char>> unpack(const unsigned char* data, std::size_t n) {
    MemoryIo io{data, n};
    std::uint32_t length;
    if (!readHeader([&io] { return io.get(); }, length)) return std::nullopt;
    // A code byte gives at most 8 literals; a damaged header must not
    // reserve more than the code could hold.
    io.out.reserve(std::min<std::uint64_t>(length, std::uint64_t(n) * 8 + 16));
    auto codec = std::make_unique<Lzhuf<MemoryIo>>(io);
    if (!codec->unpack(length)) return std::nullopt;
    io.out.resize(length);
    return std::move(io.out);
}

bool packFile(std::FILE* in, std::FILE* out) {
    if (std::fseek(in, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(in);
    if (size <= 0 || std::uint64_t(size) > 0xFFFFFFFFu || std::fseek(in, 0, SEEK_SET) != 0)
        return false;
    FileIo io{in, out};
    auto codec = std::make_unique<Lzhuf<FileIo>>(io);
    const bool ok = codec->pack(std::uint32_t(size));
    return ok && !std::ferror(in) && !std::ferror(out);
}

bool unpackFile(std::FILE* in, std::FILE* out) {
    FileIo io{in, out};
    std::uint32_t length;
    if (!readHeader([&io] { return io.get(); }, length)) return false;
    auto codec = std::make_unique<Lzhuf<FileIo>>(io);
    const bool ok = codec->unpack(length);
    return ok && !std::ferror(in) && !std::ferror(out);
}

}  // namespace plain_lzhuf
