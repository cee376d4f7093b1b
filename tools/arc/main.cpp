// velkor-arc: lists, fills and unpacks the program's *.ARC archives, and
// packs or unpacks bare LZHUF streams, for administrators.
//
// Pack and unpack run here on the codec alone, through fixed buffers, so
// that the command neither loads Qt nor holds the file in memory. The archive
// commands need Qt for paths and member names; they are handed over to
// velkor-arc-archive, which lies beside this program.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "backup/lz_arc.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  velkor-arc list ARCHIVE\n"
    "  velkor-arc add ARCHIVE FILE [--name-only]\n"
    "  velkor-arc extract ARCHIVE OUT [NAME]\n"
    "  velkor-arc pack IN OUT\n"
    "  velkor-arc unpack IN OUT\n"
    "\n"
    "list     one line per member: index, name, stored length, uncompressed length\n"
    "add      packs FILE into a new member (named by the path as given, or by the\n"
    "         file name alone with --name-only); creates ARCHIVE when missing\n"
    "extract  unpacks the member NAME, or the first member, into OUT\n"
    "pack     writes the LZHUF stream of IN (4-byte length, then code) to OUT\n"
    "unpack   writes the bytes of the LZHUF stream IN to OUT\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// The codec's messages carry their own line breaks.
int failure(std::string_view message) {
    while (!message.empty() && message.front() == '\n') message.remove_prefix(1);
    while (!message.empty() && message.back() == '\n') message.remove_suffix(1);
    std::fprintf(stderr, "velkor-arc: %.*s\n", int(message.size()), message.data());
    return 1;
}

// Packs or unpacks a whole file as one stream.
int code(const char* in, const char* out, bool packing) {
    std::FILE* source = std::fopen(in, "rb");
    if (!source) return failure(std::string("Can't open file '") + in + "'!");
    struct stat st {};
    if (::fstat(::fileno(source), &st) != 0) {
        std::fclose(source);
        return failure(std::string("Can't read file '") + in + "'!");
    }
    if (packing && st.st_size > std::numeric_limits<std::int32_t>::max()) {
        std::fclose(source);
        return failure(std::string("File '") + in + "' is too large!");
    }
    std::FILE* sink = std::fopen(out, "wb");
    if (!sink) {
        std::fclose(source);
        return failure(std::string("Can't write file '") + out + "'!");
    }
    // The codec reads and writes in chunks of its own; stdio's buffers would
    // only copy them once more.
    std::setvbuf(source, nullptr, _IONBF, 0);
    std::setvbuf(sink, nullptr, _IONBF, 0);
    const backup::TLzArc::Source reader{
        source, [](void* f, unsigned char* buffer, std::int64_t size) -> std::int64_t {
            const std::size_t n =
                std::fread(buffer, 1, std::size_t(size), static_cast<std::FILE*>(f));
            return n == 0 && std::ferror(static_cast<std::FILE*>(f)) ? -1 : std::int64_t(n);
        }};
    const backup::TLzArc::Sink writer{
        sink, [](void* f, const unsigned char* data, std::int64_t size) {
            return std::fwrite(data, 1, std::size_t(size), static_cast<std::FILE*>(f)) ==
                   std::size_t(size);
        }};
    const auto codec = std::make_unique<backup::TLzArc>(reader, writer);
    if (packing) {
        if (st.st_size == 0) {
            std::fclose(source);
            std::fclose(sink);
            std::remove(out);
            return failure("Bad constructor argument!");
        }
        codec->PackStream(std::uint32_t(st.st_size));
    } else {
        codec->UnpackStream(std::uint64_t(st.st_size));
    }
    std::fclose(source);
    const bool closed = std::fclose(sink) == 0;
    if (!codec->IsOk() || !closed) {
        std::remove(out);
        if (!closed) return failure(std::string("Can't write file '") + out + "'!");
        return failure(codec->Message());
    }
    return 0;
}

// Runs velkor-arc-archive from this program's folder with the same arguments.
int handOver(char** argv) {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string program;
    if (n > 0) {
        program.assign(self, std::size_t(n));
        program.erase(program.rfind('/') + 1);
    }
    program += "velkor-arc-archive";
    argv[0] = program.data();
    ::execv(program.c_str(), argv);
    return failure("Can't start " + program + ": " + std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string_view command = argv[1];
    const int n = argc - 2;  // arguments after the command
    if ((command == "pack" || command == "unpack") && n == 2)
        return code(argv[2], argv[3], command == "pack");
    if ((command == "list" && n == 1) ||
        (command == "add" && (n == 2 || (n == 3 && std::string_view(argv[4]) == "--name-only"))) ||
        (command == "extract" && (n == 2 || n == 3)))
        return handOver(argv);
    return usage();
}
