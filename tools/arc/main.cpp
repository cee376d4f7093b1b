// velkor-arc: lists, fills and unpacks the program's *.ARC archives, and
// packs or unpacks bare LZHUF streams, for administrators.
//
// Paths are the system's own; member names are kept in Windows-1251 as the
// format has them and are shown and given in the system's encoding.

#include <sys/stat.h>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

#include "backup/archive.h"
#include "backup/lz_arc.h"
#include "core/codepage.h"

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
int failure(const QString& message) {
    std::fprintf(stderr, "velkor-arc: %s\n", message.trimmed().toLocal8Bit().constData());
    return 1;
}

QString argument(const char* arg) { return QString::fromLocal8Bit(arg); }

int list(const QString& path) {
    const backup::TArchive arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    for (std::int16_t i = 0; i < arc.Count(); ++i) {
        const auto stored = arc.Stored(i);
        const std::uint32_t length = std::uint32_t(stored[0]) | std::uint32_t(stored[1]) << 8 |
                                     std::uint32_t(stored[2]) << 16 |
                                     std::uint32_t(stored[3]) << 24;
        std::printf("%d\t%s\t%zu\t%u\n", arc.Entry(i).index,
                    core::fromCp1251(arc.Entry(i).Name()).toLocal8Bit().constData(), stored.size(),
                    length);
    }
    return 0;
}

int add(const QString& path, const QString& file, bool nameOnly) {
    // Only a missing archive is started anew: one that exists but cannot be
    // read must not be replaced by an archive of this one file.
    backup::TArchive arc(path, !QFileInfo::exists(path));
    if (!arc.IsValid()) return failure(arc.ErrorText());
    if (!arc.Add(file, nameOnly) || !arc.Rewrite()) return failure(arc.ErrorText());
    return 0;
}

int extract(const QString& path, const QString& out, const std::optional<QString>& name) {
    backup::TArchive arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    QByteArray member;
    if (name) {
        member = core::toCp1251(*name);
    } else if (arc.Count() > 0) {
        member = arc.Entry(0).Name();
    } else {
        return failure(QStringLiteral("The archive has no members."));
    }
    if (!arc.Extract(member, out)) return failure(arc.ErrorText());
    return 0;
}

// Packs or unpacks a whole file as one stream, through fixed buffers: the
// memory the command takes does not grow with the file.
int code(const QString& in, const QString& out, bool packing) {
    const QByteArray inName = QFile::encodeName(in), outName = QFile::encodeName(out);
    std::FILE* source = std::fopen(inName.constData(), "rb");
    if (!source) return failure("Can't open file '" + in + "'!");
    struct stat st {};
    if (::fstat(::fileno(source), &st) != 0) {
        std::fclose(source);
        return failure("Can't read file '" + in + "'!");
    }
    if (packing && st.st_size > std::numeric_limits<std::int32_t>::max()) {
        std::fclose(source);
        return failure("File '" + in + "' is too large!");
    }
    std::FILE* sink = std::fopen(outName.constData(), "wb");
    if (!sink) {
        std::fclose(source);
        return failure("Can't write file '" + out + "'!");
    }
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
            std::remove(outName.constData());
            return failure(QStringLiteral("\nBad constructor argument!\n"));
        }
        codec->PackStream(std::uint32_t(st.st_size));
    } else {
        codec->UnpackStream(std::uint64_t(st.st_size));
    }
    std::fclose(source);
    const bool closed = std::fclose(sink) == 0;
    if (!codec->IsOk() || !closed) {
        std::remove(outName.constData());
        if (!closed) return failure("Can't write file '" + out + "'!");
        return failure(
            QString::fromLatin1(codec->Message().data(), qsizetype(codec->Message().size())));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const QByteArray command = argv[1];
    const int n = argc - 2;  // arguments after the command
    if (command == "list" && n == 1) return list(argument(argv[2]));
    if (command == "add" && (n == 2 || (n == 3 && QByteArray(argv[4]) == "--name-only")))
        return add(argument(argv[2]), argument(argv[3]), n == 3);
    if (command == "extract" && (n == 2 || n == 3))
        return extract(argument(argv[2]), argument(argv[3]),
                       n == 3 ? std::optional(argument(argv[4])) : std::nullopt);
    if ((command == "pack" || command == "unpack") && n == 2)
        return code(argument(argv[2]), argument(argv[3]), command == "pack");
    return usage();
}
