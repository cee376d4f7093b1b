#include "backup/lz_arc.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace backup {

// An output buffer is written once, front to back. For a large one, huge
// pages spare the kernel a page fault every 4 KB, which on a virtual machine
// costs more than coding the page; where they are not to be had, nothing
// changes.
std::unique_ptr<unsigned char[]> TLzArc::reserve(std::uint64_t size) {
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (size >= (std::uint64_t(4) << 20)) {
        const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(buffer.get());
        const std::uintptr_t begin = (at + page - 1) & ~(page - 1);
        const std::uintptr_t end = (at + size) & ~(page - 1);
        if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
    return buffer;
}

TLzArc::TLzArc(const unsigned char* data, std::int32_t length) {
    if (data == nullptr || length <= 0) {
        fail("Bad constructor argument!");
        return;
    }
    input_ = data;
    inLength_ = std::uint32_t(length);
    outCapacity_ = 2 * std::uint64_t(inLength_) + 100;
    try {
        buffer_ = reserve(outCapacity_);
    } catch (const std::bad_alloc&) {
        outCapacity_ = 0;
        fail("Out of memory!");
        return;
    }
    output_ = buffer_.get();
}

TLzArc::TLzArc(Source source, Sink sink) : source_(source), sink_(sink) {
    if (!source.read || !sink.write) {
        fail("Bad constructor argument!");
        return;
    }
    try {
        inBuffer_ = std::make_unique_for_overwrite<unsigned char[]>(kStreamChunk);
    } catch (const std::bad_alloc&) {
        fail("Out of memory!");
    }
}

int TLzArc::nextInput() {
    if (!source_.read || inLimit_ == 0) return -1;
    const std::int64_t n =
        source_.read(source_.context, inBuffer_.get(),
                     std::int64_t(std::min<std::uint64_t>(inLimit_, kStreamChunk)));
    if (n <= 0) {
        inLimit_ = 0;
        if (n < 0) fail("Can't read.");
        return -1;
    }
    inLimit_ -= std::uint64_t(n);
    input_ = inBuffer_.get();
    inLength_ = std::uint32_t(n);
    inPos_ = 1;
    return input_[0];
}

bool TLzArc::flushOutput() {
    if (!sink_.write) return false;
    if (outLength_ > 0 && !sink_.write(sink_.context, output_, outLength_)) return false;
    flushed_ += outLength_;
    outLength_ = 0;
    return true;
}

void TLzArc::PackStream(std::uint32_t textLength) {
    packStream(textLength);
    if (!ok_) return;
    if (textSize_ != textLength) {
        fail("Can't read.");
        return;
    }
    if (!flushOutput()) fail("Can't write.");
}

void TLzArc::PackStreamToEnd(std::uint32_t maxLength) {
    packStream(maxLength);
    if (!ok_) return;
    if (textSize_ == 0) {
        fail("Bad constructor argument!");
        return;
    }
    if (!flushOutput()) fail("Can't write.");
}

void TLzArc::packStream(std::uint32_t limit) {
    if (!ok_) return;
    if (limit == 0) {
        fail("Bad constructor argument!");
        return;
    }
    outCapacity_ = kStreamChunk;
    try {
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(outCapacity_);
    } catch (const std::bad_alloc&) {
        fail("Out of memory!");
        return;
    }
    output_ = buffer_.get();
    inLimit_ = limit;
    inLength_ = limit;  // the length field Pack writes first
    inPos_ = limit;     // nothing in memory: the first read goes to the source
    Pack();
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
    if (outLength_ >= outCapacity_ && !flushOutput()) {
        fail("Can't write.");
        return false;
    }
    if (flushed_ + outLength_ >= std::uint64_t(textSize_) + 10) {
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

}  // namespace backup
