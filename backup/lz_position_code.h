#pragma once
// The fixed prefix code of the upper six bits of a match position, shared by
// TLzArc's encoder and decoder.

#include <array>
#include <cstdint>

namespace backup::lz {

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
inline constexpr PositionCode kPosition;
static_assert(kPosition.word[0] == 0x00 && kPosition.word[1] == 0x20 && kPosition.word[4] == 0x50 &&
              kPosition.word[5] == 0x58 && kPosition.word[62] == 0xFE &&
              kPosition.word[63] == 0xFF);

}  // namespace backup::lz
