// Inputs of the codec tests: text, runs and skewed bytes, made the same way
// on every platform.

#pragma once

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace lztest {

using Bytes = std::vector<unsigned char>;

inline Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

inline std::uint64_t fnv1a(const Bytes& data) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char b : data) h = (h ^ b) * 1099511628211ull;
    return h;
}

// Raw engine output only: distributions differ between standard libraries.
struct Random {
    std::mt19937 engine;
    explicit Random(unsigned seed) : engine(seed) {}
    unsigned below(unsigned n) { return engine() % n; }
};

// Lines of SQL-like text from a small vocabulary: repetitive like an export
// script, and far longer than the window.
inline Bytes sqlText(int lines) {
    static const char* const words[] = {"\xC0\xF0\xF5\xB3\xE2",  // Архів
                                        "\xF4\xEE\xED\xE4",
                                        "\xEE\xEF\xE8\xF1",
                                        "protocol",
                                        "NULL",
                                        "2005-03-14",
                                        "\"",
                                        "'",
                                        "\\\\"};
    Random rnd(11);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += "INSERT INTO doc_list (Rec_IDN, doc_source, pr_date) VALUES (" +
                std::to_string(i + 1) + ", \"";
        for (unsigned w = rnd.below(6) + 1; w > 0; --w) {
            text += words[rnd.below(std::size(words))];
            text += ' ';
        }
        text += "\", " + std::to_string(rnd.below(100000)) + ");\r\n";
    }
    return bytes(text);
}

// Bytes of a geometric distribution: mostly literals and short matches, so
// the Huffman tree reaches its frequency limit and is rebuilt many times.
inline Bytes skewed(std::size_t n) {
    Random rnd(5);
    Bytes out(n);
    for (auto& b : out) {
        unsigned v = rnd.engine() | 0x80000000u;
        b = static_cast<unsigned char>(std::countr_zero(v) * 9);
    }
    return out;
}

inline Bytes runs(std::size_t n) {
    Random rnd(3);
    Bytes out;
    while (out.size() < n) out.insert(out.end(), rnd.below(300) + 1, "ab\0\xFF"[rnd.below(4)]);
    out.resize(n);
    return out;
}

inline Bytes prefix(const Bytes& data, std::size_t n) {
    return Bytes(data.begin(), data.begin() + n);
}

inline Bytes counting(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(i);
    return out;
}

}  // namespace lztest
