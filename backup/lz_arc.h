#pragma once
// LZHUF compression: LZSS over a 4096-byte window whose literals and match
// lengths are coded with an adaptive Huffman code and whose match positions
// carry a fixed prefix code for their upper six bits. Archives written years
// ago must stay readable and archives we write must be readable by every
// other reader of the format, so the stream is produced and consumed bit for
// bit as the 1988 algorithm defines it.
//
// Two ways to use it, with the same stream: over a buffer held in memory
// (Pack, Unpack, the result in Output()), or streaming between a source and
// a sink through fixed buffers (PackStream, UnpackStream), so that memory
// does not grow with the data. Unpack is the streaming decoder run with the
// whole input and the whole output as its one chunk each.
//
// One object serves one operation: construct it, call one of them once,
// read the results. All state lives inside the object, so a codec needs
// only itself and its buffers: the output, and when streaming the input's.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace backup {

class TLzArc {
  public:
    // Borrows the input (it must outlive the object) and reserves an output
    // buffer of 2 x length + 100 bytes, enough for what Pack may write.
    TLzArc(const unsigned char* data, std::int32_t length);

    // Where a streaming codec gets its input: up to size bytes into buffer;
    // 0 at the end, -1 on a failure.
    struct Source {
        void* context = nullptr;
        std::int64_t (*read)(void* context, unsigned char* buffer, std::int64_t size) = nullptr;
    };
    // Where it puts its output; false on a failure.
    struct Sink {
        void* context = nullptr;
        bool (*write)(void* context, const unsigned char* data, std::int64_t size) = nullptr;
    };
    // A codec that streams through fixed buffers, so that its memory does not
    // grow with the data: PackStream and UnpackStream instead of Pack and
    // Unpack. The stream it writes or reads is the same, bit for bit.
    TLzArc(Source source, Sink sink);
    // Packs exactly textLength bytes of the source.
    void PackStream(std::uint32_t textLength);
    // Packs what the source gives until it ends, at most maxLength bytes,
    // for a text whose length is known only at its end. The stream's length
    // field then reads maxLength: the caller puts TextSize() there.
    void PackStreamToEnd(std::uint32_t maxLength);
    // Unpacks a stream of streamLength bytes (its length field included).
    void UnpackStream(std::uint64_t streamLength);
    static constexpr std::int64_t kStreamChunk = 1 << 16;
    static constexpr std::int64_t kUnpackChunk = 1 << 18;
    TLzArc(const TLzArc&) = delete;
    TLzArc& operator=(const TLzArc&) = delete;

    // Output: the 4-byte uncompressed length, then CodeLength() bytes of code.
    void Pack();
    // Output: TextSize() uncompressed bytes.
    void Unpack();

    bool IsOk() const { return ok_; }
    std::uint32_t TextSize() const { return textSize_; }
    std::uint32_t CodeLength() const { return codeSize_; }
    const unsigned char* Output() const { return output_; }
    // The last failure: a line feed, the text and a line feed; empty if none.
    std::string_view Message() const { return {message_.data(), messageLength_}; }

    static constexpr int kWindow = 4096;
    static constexpr int kLookahead = 60;
    static constexpr int kThreshold = 2;
    static constexpr int kSymbols = 256 - kThreshold + kLookahead;  // 314
    static constexpr int kNodes = 2 * kSymbols - 1;                 // 627
    static constexpr int kRoot = kNodes - 1;                        // 626
    static constexpr int kNil = kWindow;

  private:
    static std::unique_ptr<unsigned char[]> reserve(std::uint64_t size);
    void fail(std::string_view text);
    void packStream(std::uint32_t limit);
    // The decoder of Unpack and UnpackStream.
    void unpack(std::uint64_t streamLength, bool inMemory);

    int readByte() { return inPos_ < inLength_ ? input_[inPos_++] : nextInput(); }
    int nextInput();  // -1 at the end; a streaming codec reads its next chunk
    bool writeByte(unsigned char b);
    bool flushOutput();  // hands the output so far to the sink
    void putBits(int count, std::uint32_t bits);
    void flushBits();
    // Bits are read ahead into a 16-bit buffer a byte at a time; the coders
    // work on a copy in registers (buf may carry junk above bit 15). Past
    // the end of the input a single bit reads 0 and a group of eight reads
    // ones, as the original reader did; a valid stream never gets there.
    void refill(unsigned& buf, int& len, bool group) {
        while (len <= 8) {
            const int c = readByte();
            buf |= (c >= 0 ? unsigned(c) : group ? 0xFFFFu : 0u) << (8 - len);
            len += 8;
        }
    }

    void startHuffman();
    void reconstruct();
    void update(int symbol, const std::int16_t* path, int depth);
    void encodeChar(int symbol);
    void encodePosition(unsigned position);
    void presetWindow();
    int decodeChar(unsigned& buf, int& len);
    int decodePosition(unsigned& buf, int& len);

    void initTree();
    void insertNode(int r);
    void replaceNode(int p, int r);
    void deleteNode(int p);

    // Adaptive Huffman tree: nodes kept in order of non-decreasing frequency.
    std::array<std::uint16_t, kNodes + 1> freq_{};        // [kNodes] is a 0xFFFF sentinel
    std::array<std::int16_t, kNodes + kSymbols> prnt_{};  // [kNodes + c]: leaf of symbol c
    std::array<std::int16_t, kNodes> son_{};

    std::uint16_t getBuf_ = 0;
    std::uint8_t getLen_ = 0;
    std::uint64_t putBuf_ = 0;  // pending code bits, right-aligned
    std::uint8_t putLen_ = 0;

    // The ring buffer, its first 59 bytes mirrored behind it so that a key of
    // 60 bytes starting anywhere is contiguous; the tail pads word-wide
    // comparisons and never takes part in a key.
    std::array<unsigned char, kWindow + kLookahead - 1 + 8> window_{};
    std::int16_t matchPosition_ = 0;
    std::int16_t matchLength_ = 0;
    // Binary search trees of window positions, one per first byte: links_[p]
    // holds the left and the right child of p, right links of kWindow + 1 + b
    // are the roots, and the entries of kNil are scratch.
    std::array<std::array<std::int16_t, 2>, kWindow + 257> links_{};
    std::array<std::int16_t, kWindow + 1> dad_{};
    // The last position inserted, and the node its key equalled (or kNil).
    int lastInserted_ = kNil;
    int equalNode_ = kNil;
    std::int16_t& lson(int p) { return links_[p][0]; }
    std::int16_t& rson(int p) { return links_[p][1]; }

    std::uint32_t textSize_ = 0;
    std::uint32_t codeSize_ = 0;
    bool ok_ = true;
    std::array<char, 101> message_{};
    std::size_t messageLength_ = 0;

    std::uint32_t outLength_ = 0;
    std::uint32_t inPos_ = 0;
    std::uint32_t inLength_ = 0;
    const unsigned char* input_ = nullptr;
    std::unique_ptr<unsigned char[]> buffer_;
    unsigned char* output_ = nullptr;  // where the result starts within buffer_
    std::uint64_t outCapacity_ = 0;

    // Streaming: the source and sink, the input chunk, and what went out.
    Source source_;
    Sink sink_;
    std::unique_ptr<unsigned char[]> inBuffer_;
    std::uint64_t flushed_ = 0;
    std::uint64_t inLimit_ = 0;  // bytes the source may still give
};

}  // namespace backup
