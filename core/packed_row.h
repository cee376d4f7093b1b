#pragma once
// A row of a client dataset in one allocation: NULL flags, value offsets and
// the values' Windows-1251 bytes side by side. A journal of 100,000 rows is
// held in little more than the size of its text this way, where a QVariant
// per cell would take several times that.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace core {

class PackedRow {
  public:
    PackedRow() = default;
    // values[i] empty optional = NULL.
    static PackedRow pack(const std::vector<std::optional<std::string_view>>& values);
    template <class Get>  // Get(int i) -> std::optional<std::string_view>
    static PackedRow packWith(int count, Get&& get);

    PackedRow clone() const;
    bool isValid() const { return bool(data_); }
    int count() const;
    bool isNull(int i) const;
    std::string_view get(int i) const;
    // Same NULL flag and bytes.
    bool sameValue(int i, const PackedRow& other) const;
    std::size_t byteSize() const;

  private:
    static PackedRow build(int count, const std::optional<std::string_view>* values);
    std::unique_ptr<char[]> data_;
};

template <class Get>
PackedRow PackedRow::packWith(int count, Get&& get) {
    constexpr int kSmall = 32;
    if (count <= kSmall) {
        std::optional<std::string_view> v[kSmall];
        for (int i = 0; i < count; ++i) v[i] = get(i);
        return build(count, v);
    }
    std::vector<std::optional<std::string_view>> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) v[static_cast<std::size_t>(i)] = get(i);
    return build(count, v.data());
}

}  // namespace core
