// lzhuf-plain: packs or unpacks a bare LZHUF stream with the plain codec,
// the whole-command peer of `velkor-arc pack` and `velkor-arc unpack`.
//   lzhuf-plain pack IN OUT
//   lzhuf-plain unpack IN OUT

#include <cstdio>
#include <cstring>

#include "plain_lzhuf.h"

int main(int argc, char** argv) {
    const bool packing = argc == 4 && std::strcmp(argv[1], "pack") == 0;
    if (argc != 4 || (!packing && std::strcmp(argv[1], "unpack") != 0)) {
        std::fputs("Usage: lzhuf-plain pack|unpack IN OUT\n", stderr);
        return 2;
    }
    std::FILE* in = std::fopen(argv[2], "rb");
    if (!in) {
        std::perror(argv[2]);
        return 1;
    }
    std::FILE* out = std::fopen(argv[3], "wb");
    if (!out) {
        std::perror(argv[3]);
        std::fclose(in);
        return 1;
    }
    bool ok = packing ? plain_lzhuf::packFile(in, out) : plain_lzhuf::unpackFile(in, out);
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "lzhuf-plain: %s of %s failed\n", argv[1], argv[2]);
        std::remove(argv[3]);
        return 1;
    }
    return 0;
}
