#include "backup/archive.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "backup/lz_arc.h"

namespace backup {

namespace {

void putLe(QByteArray& out, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k) out.append(char(value >> (8 * k)));
}

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string_view bytes(const QByteArray& b) { return {b.constData(), std::size_t(b.size())}; }

// The archive's count, volume and one directory record, then the member's
// stored length as zero: it is known when the member is packed.
QByteArray singleMemberHead(const QByteArray& memberName) {
    return QByteArray::fromStdString(SingleMemberHead(bytes(memberName)));
}

}  // namespace

QByteArray ArchiveRecord::Name() const {
    const std::string_view name = ArchiveFile::Record::Name();
    return QByteArray(name.data(), qsizetype(name.size()));
}

TArchive::TArchive(const QString& path, bool create) : file_(nativePath(path), create) {}

std::int16_t TArchive::Find(const QByteArray& name) const { return file_.Find(bytes(name)); }

bool TArchive::Extract(const QByteArray& name, const std::optional<QString>& outputPath) {
    return file_.Extract(bytes(name),
                         outputPath ? std::optional(nativePath(*outputPath)) : std::nullopt);
}

bool TArchive::Add(const QString& path, bool nameOnly) {
    return file_.Add(nativePath(path), nameOnly);
}

}  // namespace backup

namespace backup {

bool WriteSingleMemberArchive(const QString& archivePath, const QString& filePath, bool nameOnly,
                              QString* error,
                              const std::function<void(qint64 done, qint64 total)>& packed) {
    auto failed = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    QFile in(filePath);
    if (!in.open(QIODevice::ReadOnly)) return failed("Can't open file '" + filePath + "' to add!");
    const qint64 size = in.size();
    if (size <= 0 || size > std::numeric_limits<std::int32_t>::max())
        return failed(QStringLiteral("Error on packing archive!"));

    const QByteArray head = QByteArray::fromStdString(
        SingleMemberHead(ArchiveMemberName(nativePath(filePath), nameOnly)));
    const qint64 lengthAt = head.size() - 4;

    // Unbuffered: a buffered flush that runs out of room (a full disk) can
    // pass for a success, and a cut archive would be put in place.
    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(head) != head.size())
        return failed(QStringLiteral("Can't re-write file!"));
    struct Reading {
        QFile& file;
        const std::function<void(qint64, qint64)>& packed;
        qint64 size;
    } reading{in, packed, size};
    const TLzArc::Source source{&reading, [](void* context, unsigned char* buffer, std::int64_t n) {
                                    auto& r = *static_cast<Reading*>(context);
                                    const qint64 got =
                                        r.file.read(reinterpret_cast<char*>(buffer), n);
                                    if (r.packed && got > 0) r.packed(r.file.pos(), r.size);
                                    return std::int64_t(got);
                                }};
    const TLzArc::Sink sink{&out, [](void* f, const unsigned char* data, std::int64_t n) {
                                return static_cast<QSaveFile*>(f)->write(
                                           reinterpret_cast<const char*>(data), n) == n;
                            }};
    const auto codec = std::make_unique<TLzArc>(source, sink);
    codec->PackStream(std::uint32_t(size));
    if (!codec->IsOk()) return failed(QStringLiteral("Error on packing archive!"));
    QByteArray length;
    putLe(length, codec->CodeLength() + 4, 4);
    if (!out.seek(lengthAt) || out.write(length) != 4 || !out.commit())
        return failed(QStringLiteral("Can't re-write file!"));
    return true;
}

}  // namespace backup

namespace backup {

namespace {
// Chunks waiting for the packer: enough to ride out an uneven pace of the
// writer, few enough to keep memory flat.
constexpr std::size_t kQueuedChunks = 8;
constexpr qint64 kMaxText = std::numeric_limits<std::int32_t>::max();
}  // namespace

struct ArchiveStreamWriter::Shared {
    QSaveFile file;
    qint64 lengthAt = 0;
    std::unique_ptr<TLzArc> codec;
    std::thread packer;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> queue;
    QByteArray current;  // the chunk being packed
    qint64 currentPos = 0;
    qint64 handed = 0;  // bytes appended
    qint64 taken = 0;   // bytes the codec has read
    bool ended = false;
    bool cancelled = false;
    bool done = false;  // the codec has returned
    bool writeFailed = false;

    explicit Shared(const QString& path) : file(path) {}

    // The codec's source, on the packing thread: the next bytes in order,
    // 0 at the end of the text, -1 when the writer gave up.
    std::int64_t read(unsigned char* buffer, std::int64_t size) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] {
            return cancelled || currentPos < current.size() || !queue.empty() || ended;
        });
        if (cancelled) return -1;
        if (currentPos >= current.size()) {
            if (queue.empty()) return 0;
            current = std::move(queue.front());
            queue.pop_front();
            currentPos = 0;
            changed.notify_all();
        }
        const qint64 n = std::min<qint64>(size, current.size() - currentPos);
        std::memcpy(buffer, current.constData() + currentPos, std::size_t(n));
        currentPos += n;
        taken += n;
        return n;
    }
};

ArchiveStreamWriter::ArchiveStreamWriter(const QString& archivePath, const QByteArray& memberName)
    : path_(archivePath), name_(memberName) {}

ArchiveStreamWriter::~ArchiveStreamWriter() { stop(); }

void ArchiveStreamWriter::stop() noexcept {
    if (!shared_) return;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->cancelled = true;
    }
    shared_->changed.notify_all();
    if (shared_->packer.joinable()) shared_->packer.join();
    shared_.reset();  // an uncommitted QSaveFile leaves nothing behind
}

bool ArchiveStreamWriter::open() {
    stop();
    shared_ = std::make_unique<Shared>(path_);
    Shared& s = *shared_;
    const QByteArray head = singleMemberHead(name_);
    s.lengthAt = head.size() - 4;
    // Unbuffered, as in WriteSingleMemberArchive: every write reports what
    // really reached the file.
    if (!s.file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        s.file.write(head) != head.size()) {
        shared_.reset();
        error_ = QStringLiteral("Can't re-write file!");
        return false;
    }
    const TLzArc::Source source{&s, [](void* c, unsigned char* buffer, std::int64_t n) {
                                    return static_cast<Shared*>(c)->read(buffer, n);
                                }};
    const TLzArc::Sink sink{&s, [](void* c, const unsigned char* data, std::int64_t n) {
                                auto& shared = *static_cast<Shared*>(c);
                                const bool ok =
                                    shared.file.write(reinterpret_cast<const char*>(data), n) == n;
                                if (!ok) shared.writeFailed = true;
                                return ok;
                            }};
    s.codec = std::make_unique<TLzArc>(source, sink);
    s.packer = std::thread([&s] {
        s.codec->PackStreamToEnd(std::uint32_t(kMaxText));
        {
            const std::lock_guard lock(s.mutex);
            s.done = true;
        }
        s.changed.notify_all();
    });
    return true;
}

bool ArchiveStreamWriter::append(const QByteArray& chunk) {
    if (!shared_) return false;
    Shared& s = *shared_;
    // Only the writer's thread changes handed: no lock needed to read it.
    if (s.handed + chunk.size() > kMaxText) {
        error_ = QStringLiteral("Error on packing archive!");
        stop();
        return false;
    }
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.done || s.queue.size() < kQueuedChunks; });
    if (s.done) return false;  // the codec gave up before the end
    if (chunk.isEmpty()) return true;
    s.queue.push_back(chunk);
    s.handed += chunk.size();
    lock.unlock();
    s.changed.notify_all();
    return true;
}

bool ArchiveStreamWriter::finish(const std::function<void(qint64, qint64)>& waiting) {
    if (!shared_) {
        if (error_.isEmpty()) error_ = QStringLiteral("Error on packing archive!");
        return false;
    }
    Shared& s = *shared_;
    {
        std::unique_lock lock(s.mutex);
        s.ended = true;
        s.changed.notify_all();
        while (!s.changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return s.done; })) {
            const qint64 taken = s.taken, handed = s.handed;
            lock.unlock();
            if (waiting) waiting(taken, handed);
            lock.lock();
        }
    }
    s.packer.join();
    const TLzArc& codec = *s.codec;
    bool ok = codec.IsOk() && s.taken == s.handed;
    if (!ok) {
        error_ = s.writeFailed ? QStringLiteral("Can't re-write file!")
                               : QStringLiteral("Error on packing archive!");
    } else {
        QByteArray lengths;
        putLe(lengths, codec.CodeLength() + 4, 4);
        putLe(lengths, codec.TextSize(), 4);
        ok = s.file.seek(s.lengthAt) && s.file.write(lengths) == 8 && s.file.commit();
        if (!ok) error_ = QStringLiteral("Can't re-write file!");
    }
    if (waiting && ok) waiting(s.handed, s.handed);
    shared_.reset();
    return ok;
}

}  // namespace backup
