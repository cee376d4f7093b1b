#include "backup/lz_arc.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace backup {

namespace {

constexpr int kWindow = TLzArc::kWindow;
constexpr int kLookahead = TLzArc::kLookahead;
constexpr int kFirstWrite = kWindow - kLookahead;  // 4036

}  // namespace

TLzArc::TLzArc(const unsigned char* data, std::int32_t length) {
    if (data == nullptr || length <= 0) {
        fail("Bad constructor argument!");
        return;
    }
    input_ = data;
    inLength_ = std::uint32_t(length);
    outCapacity_ = 2 * std::uint64_t(inLength_) + 100;
    try {
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(outCapacity_);
    } catch (const std::bad_alloc&) {
        outCapacity_ = 0;
        fail("Out of memory!");
        return;
    }
    output_ = buffer_.get();
}

void TLzArc::fail(std::string_view text) {
    // Kept inside the object: a failure must not need an allocation of its own.
    text = text.substr(0, message_.size() - 3);
    message_[0] = '\n';
    std::memcpy(message_.data() + 1, text.data(), text.size());
    message_[text.size() + 1] = '\n';
    messageLength_ = text.size() + 2;
    ok_ = false;
}

// The output may never hold text size + 10 bytes or more: that bounds what a
// damaged stream can make Unpack write, and makes Pack give up on input that
// does not compress.
bool TLzArc::writeByte(unsigned char b) {
    // The capacity check only matters for an object misused for a second
    // operation, whose buffer may be smaller than this one needs.
    if (outLength_ >= std::uint64_t(textSize_) + 10 || outLength_ >= outCapacity_) {
        fail("Can't write.");
        return false;
    }
    output_[outLength_++] = b;
    return true;
}

void TLzArc::putBits(int count, std::uint32_t bits) {
    putBuf_ = (putBuf_ << count) | bits;
    putLen_ += count;
    while (putLen_ >= 8) {
        putLen_ -= 8;
        if (!writeByte(std::uint8_t(putBuf_ >> putLen_))) return;
        ++codeSize_;
    }
}

void TLzArc::flushBits() {
    if (putLen_ > 0 && writeByte(std::uint8_t(putBuf_ << (8 - putLen_)))) ++codeSize_;
    putLen_ = 0;
}

void TLzArc::Unpack() {
    if (!ok_) return;
    if (inLength_ < 4) {
        fail("Stream too short!");
        return;
    }
    textSize_ = std::uint32_t(input_[0]) | std::uint32_t(input_[1]) << 8 |
                std::uint32_t(input_[2]) << 16 | std::uint32_t(input_[3]) << 24;
    inPos_ = 4;
    // Every item costs at least 10 bits and yields at most 60 bytes, so no
    // valid stream expands by more than 48 bytes per code byte: a damaged
    // header must not make us reserve gigabytes.
    if (textSize_ > 48 * (std::uint64_t(inLength_) - 4) + 60) {
        fail("out of memory!");
        return;
    }
    // The buffer starts with the window as it is before the first byte (60
    // never written bytes, then the space fill), so that a match copies
    // straight from the bytes already decoded.
    buffer_.reset();
    output_ = nullptr;
    outCapacity_ = std::uint64_t(textSize_) + 100;
    try {
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kWindow + outCapacity_);
    } catch (const std::bad_alloc&) {
        outCapacity_ = 0;
        fail("out of memory!");
        return;
    }
    std::memset(buffer_.get(), 0, kLookahead);
    std::memset(buffer_.get() + kLookahead, ' ', kFirstWrite);
    output_ = buffer_.get() + kWindow;
    outLength_ = 0;
    if (textSize_ == 0) return;

    startHuffman();
    // A damaged stream may end in a match that runs past the length; the
    // output bound stops it short of the buffer's end.
    const std::uint64_t limit = std::uint64_t(textSize_) + 10;
    std::uint64_t count = 0;
    while (count < textSize_) {
        const int c = decodeChar();
        if (c < 256) {
            output_[count++] = std::uint8_t(c);  // count < text size: within the bound
            continue;
        }
        const int distance = decodePosition() + 1;
        const std::uint64_t length = std::uint64_t(c) - 253;
        const std::uint64_t n = std::min(length, limit - count);
        const unsigned char* from = output_ + count - distance;
        unsigned char* to = output_ + count;
        if (distance >= 8) {
            // Eight bytes at a time, each block read before it is written;
            // the buffer's slack past the bound takes the overshoot.
            for (std::uint64_t k = 0; k < n; k += 8) std::memcpy(to + k, from + k, 8);
        } else {
            // A short period copies bytes that the match is writing itself.
            for (std::uint64_t k = 0; k < n; ++k) to[k] = from[k];
        }
        count += n;
        if (n < length) {
            outLength_ = std::uint32_t(count);
            fail("Can't write.");
            return;
        }
    }
    outLength_ = std::uint32_t(count);
}

}  // namespace backup
