#include "core/packed_row.h"

#include <cstring>

namespace core {

// Layout: [u16 count][u8 wide][null bits][offsets (count + 1), u16 or u32]
// [payload]. Offsets are relative to the payload; narrow ones serve every row
// whose values total less than 64 KiB, which is nearly all of them.
namespace {
constexpr std::size_t kHead = 3;
std::size_t nullBytes(int n) { return std::size_t(n + 7) / 8; }
}  // namespace

PackedRow PackedRow::pack(const std::vector<std::optional<std::string_view>>& values) {
    return build(int(values.size()), values.data());
}

PackedRow PackedRow::build(int n, const std::optional<std::string_view>* values) {
    std::size_t payload = 0;
    for (int i = 0; i < n; ++i)
        if (values[i]) payload += values[i]->size();
    const bool wide = payload > 0xFFFF;
    const std::size_t w = wide ? 4 : 2;
    const std::size_t nb = nullBytes(n);
    const std::size_t header = kHead + nb + w * std::size_t(n + 1);
    PackedRow row;
    row.data_ = std::make_unique_for_overwrite<char[]>(header + payload);
    char* p = row.data_.get();
    const std::uint16_t cnt = std::uint16_t(n);
    std::memcpy(p, &cnt, 2);
    p[2] = wide ? 1 : 0;
    unsigned char* nulls = reinterpret_cast<unsigned char*>(p + kHead);
    std::memset(nulls, 0, nb);
    char* offs = p + kHead + nb;
    char* body = p + header;
    std::uint32_t off = 0;
    for (int i = 0; i <= n; ++i) {
        if (wide) {
            std::memcpy(offs + 4 * i, &off, 4);
        } else {
            const std::uint16_t o = std::uint16_t(off);
            std::memcpy(offs + 2 * i, &o, 2);
        }
        if (i == n) break;
        if (!values[i]) {
            nulls[i / 8] |= (unsigned char)(1u << (i % 8));
        } else if (!values[i]->empty()) {
            std::memcpy(body + off, values[i]->data(), values[i]->size());
            off += std::uint32_t(values[i]->size());
        }
    }
    return row;
}

int PackedRow::count() const {
    std::uint16_t n;
    std::memcpy(&n, data_.get(), 2);
    return n;
}

bool PackedRow::isNull(int i) const {
    const unsigned char* nulls = reinterpret_cast<const unsigned char*>(data_.get() + kHead);
    return (nulls[i / 8] >> (i % 8)) & 1u;
}

std::string_view PackedRow::get(int i) const {
    const char* p = data_.get();
    const int n = count();
    const bool wide = p[2] != 0;
    const std::size_t w = wide ? 4 : 2;
    const char* offs = p + kHead + nullBytes(n);
    const char* body = offs + w * std::size_t(n + 1);
    std::uint32_t a, b;
    if (wide) {
        std::memcpy(&a, offs + 4 * i, 4);
        std::memcpy(&b, offs + 4 * (i + 1), 4);
    } else {
        std::uint16_t x, y;
        std::memcpy(&x, offs + 2 * i, 2);
        std::memcpy(&y, offs + 2 * (i + 1), 2);
        a = x;
        b = y;
    }
    return {body + a, b - a};
}

bool PackedRow::sameValue(int i, const PackedRow& other) const {
    if (isNull(i) != other.isNull(i)) return false;
    return isNull(i) || get(i) == other.get(i);
}

std::size_t PackedRow::byteSize() const {
    if (!data_) return 0;
    const int n = count();
    const bool wide = data_[2] != 0;
    const std::size_t header = kHead + nullBytes(n) + (wide ? 4 : 2) * std::size_t(n + 1);
    const char* offs = data_.get() + kHead + nullBytes(n);
    std::uint32_t end;
    if (wide) {
        std::memcpy(&end, offs + 4 * n, 4);
    } else {
        std::uint16_t e;
        std::memcpy(&e, offs + 2 * n, 2);
        end = e;
    }
    return header + end;
}

PackedRow PackedRow::clone() const {
    PackedRow r;
    if (!data_) return r;
    const std::size_t size = byteSize();
    r.data_ = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(r.data_.get(), data_.get(), size);
    return r;
}

}  // namespace core
