// A plain LZHUF codec: the straightforward algorithm, a byte at a time, with
// nothing clever in it. The benchmarks measure the optimised codec against
// it, and the tests check that both write the same stream.
//
// The stream is the one velkor-arc packs: the uncompressed length as 4 bytes,
// little-endian, then the code. Like the program's codec, packing gives up
// once the stream holds 10 bytes more than the input read so far, and
// unpacking gives up once it would write 10 bytes past the length.

#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <vector>

namespace plain_lzhuf {

// The stream of data[0..n); empty when n is 0 or above 0xFFFFFFFF, or when
// the input does not compress.
std::vector<unsigned char> pack(const unsigned char* data, std::size_t n);

// The bytes of the stream data[0..n); nullopt when it is shorter than its
// header or decodes past its length.
std::optional<std::vector<unsigned char>> unpack(const unsigned char* data, std::size_t n);

// The same through getc and putc. packFile seeks `in` to learn its length.
// Both return false on a read or write error or when the codec gives up;
// what was written to `out` is then not to be used.
bool packFile(std::FILE* in, std::FILE* out);
bool unpackFile(std::FILE* in, std::FILE* out);

}  // namespace plain_lzhuf
