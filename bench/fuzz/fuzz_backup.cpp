// libFuzzer target for what reads untrusted bytes: Unpack of a stream, and
// reading an archive file and extracting its members. Short inputs are also
// packed, and must come back unchanged from Unpack (longer ones would mostly
// spend the time on packing).

#include <unistd.h>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "backup/archive.h"
#include "backup/lz_arc.h"

namespace {

void unpackStream(const std::uint8_t* data, std::size_t size) {
    backup::TLzArc z(data, std::int32_t(size));
    z.Unpack();
    if (z.IsOk() && z.TextSize() > 0) {
        // Touch the whole result so that the sanitizers see every byte.
        volatile unsigned sum = 0;
        for (std::uint32_t i = 0; i < z.TextSize(); ++i) sum = sum + z.Output()[i];
    }
}

void packRoundTrip(const std::uint8_t* data, std::size_t size) {
    backup::TLzArc packer(data, std::int32_t(size));
    packer.Pack();
    if (!packer.IsOk()) return;  // does not compress
    backup::TLzArc unpacker(packer.Output(), std::int32_t(packer.CodeLength() + 4));
    unpacker.Unpack();
    if (!unpacker.IsOk() || unpacker.TextSize() != size ||
        std::memcmp(unpacker.Output(), data, size) != 0)
        std::abort();
}

void readArchive(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QStringLiteral("/dev/shm/velkor-fuzz-%1.arc").arg(qint64(::getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    backup::TArchive arc(path, false);
    if (!arc.IsValid()) return;
    for (std::int16_t i = 0; i < arc.Count(); ++i)
        arc.Extract(arc.Entry(i).Name(), QStringLiteral("/dev/null"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 1 << 20) return 0;
    unpackStream(data, size);
    if (size <= 2048) packRoundTrip(data, size);
    readArchive(data, size);
    return 0;
}
