// velkor-arc: lists, fills and unpacks the program's *.ARC archives, and
// packs or unpacks bare LZHUF streams, for administrators.
//
// Every command runs on the codec and the archive container alone, which
// need no Qt, so that the program starts in about the time the system takes
// to start any program. Pack and unpack go through fixed buffers and never
// hold the file in memory.
//
// Paths are the system's own; member names are kept in Windows-1251 as the
// format has them and are shown and given in the system's encoding (UTF-8).

#include <sys/stat.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "backup/archive_file.h"
#include "backup/lz_arc.h"
#include "core/cp1251.h"

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

// The container's and the codec's messages carry their own line breaks.
int failure(std::string_view message) {
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    while (!message.empty() && kBlanks.find(message.front()) != kBlanks.npos)
        message.remove_prefix(1);
    while (!message.empty() && kBlanks.find(message.back()) != kBlanks.npos)
        message.remove_suffix(1);
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

// A member name as the terminal may show it: control characters (an escape
// sequence, a carriage return) written out, never sent to the terminal.
std::string printable(std::string_view name) {
    std::string out;
    for (const char byte : name) {
        const char16_t u = core::cp1251::toUnicode(static_cast<unsigned char>(byte));
        if (u >= 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0)) {
            core::cp1251::appendUtf8(out, u);
            continue;
        }
        switch (u) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default: {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02x", unsigned(u));
                out += code;
            }
        }
    }
    return out;
}

int list(const char* path) {
    const backup::ArchiveFile arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    for (std::int16_t i = 0; i < arc.Count(); ++i) {
        const auto stored = arc.Stored(i);
        const std::uint32_t length = std::uint32_t(stored[0]) | std::uint32_t(stored[1]) << 8 |
                                     std::uint32_t(stored[2]) << 16 |
                                     std::uint32_t(stored[3]) << 24;
        std::printf("%d\t%s\t%zu\t%u\n", arc.Entry(i).index, printable(arc.Entry(i).Name()).c_str(),
                    stored.size(), length);
    }
    return 0;
}

int add(const char* path, const char* file, bool nameOnly) {
    // Only a missing archive is started anew: one that exists but cannot be
    // read must not be replaced by an archive of this one file.
    struct stat st {};
    backup::ArchiveFile arc(path, ::stat(path, &st) != 0);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    if (!arc.Add(file, nameOnly) || !arc.Rewrite()) return failure(arc.ErrorText());
    return 0;
}

int extract(const char* path, const char* out, const char* name) {
    backup::ArchiveFile arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    std::string member;
    if (name) {
        member = core::cp1251::fromUtf8(name);
    } else if (arc.Count() > 0) {
        member = arc.Entry(0).Name();
    } else {
        return failure("The archive has no members.");
    }
    if (!arc.Extract(member, std::string(out))) return failure(arc.ErrorText());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string_view command = argv[1];
    const int n = argc - 2;  // arguments after the command
    if ((command == "pack" || command == "unpack") && n == 2)
        return code(argv[2], argv[3], command == "pack");
    if (command == "list" && n == 1) return list(argv[2]);
    if (command == "add" && (n == 2 || (n == 3 && std::string_view(argv[4]) == "--name-only")))
        return add(argv[2], argv[3], n == 3);
    if (command == "extract" && (n == 2 || n == 3))
        return extract(argv[2], argv[3], n == 3 ? argv[4] : nullptr);
    return usage();
}
