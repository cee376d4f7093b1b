#include "backup/archive.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "backup/lz_arc.h"
#include "core/codepage.h"

namespace backup {

namespace {

const char* const kTruncated = "Unexpected end of archive!";

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::int16_t le16(const unsigned char* p) { return std::int16_t(p[0] | p[1] << 8); }

void putLe(QByteArray& out, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k) out.append(char(value >> (8 * k)));
}

// Reads exactly n bytes, or reports that the file ended first.
bool readExact(QIODevice& file, void* to, qint64 n) {
    return file.read(static_cast<char*>(to), n) == n;
}

qint64 remaining(const QIODevice& file) { return file.size() - file.pos(); }

}  // namespace

QByteArray ArchiveRecord::Name() const {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return QByteArray(name.data(), end - name.begin());
}

TArchive::TArchive(const QString& path, bool create) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        path_ = path;
        read(file);
    } else if (create) {
        path_ = path;
        count_ = 0;
        capacity_ = kGrowth;
        volume_ = 0;
        members_.resize(capacity_);
        directory_.resize(capacity_);
        valid_ = true;
    } else {
        fail(QStringLiteral("Can't open file!"));
    }
}

bool TArchive::fail(const QString& message) {
    errorText_ = message;
    return false;
}

// A damaged archive must neither make us reserve more than the file holds
// nor read past its end: every length is checked against what is left.
void TArchive::read(QIODevice& file) {
    unsigned char head[4];
    if (!readExact(file, head, sizeof head)) {
        fail(kTruncated);
        return;
    }
    const std::int16_t count = le16(head);
    volume_ = le16(head + 2);
    if (count < 0 || count > kMaxCount) {
        fail(QStringLiteral("Invalid record count in archive!"));
        return;
    }
    if (qint64(count) * kRecordSize > remaining(file)) {
        fail(kTruncated);
        return;
    }
    count_ = count;
    capacity_ = std::int16_t(count + kGrowth);
    members_.resize(capacity_);
    directory_.resize(capacity_);

    std::vector<unsigned char> raw(std::size_t(count) * kRecordSize);
    if (!readExact(file, raw.data(), qint64(raw.size()))) {
        fail(kTruncated);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const unsigned char* r = raw.data() + std::size_t(i) * kRecordSize;
        ArchiveRecord& rec = directory_[i];
        std::memcpy(rec.name.data(), r, kNameSize);
        rec.flag = r[100];
        rec.reserved = r[101];
        rec.index = le16(r + 102);
    }

    for (int i = 0; i < count; ++i) {
        unsigned char len[4];
        if (!readExact(file, len, sizeof len)) {
            fail(kTruncated);
            return;
        }
        const std::uint32_t length = le32(len);
        if (length < 4) {
            fail(QStringLiteral("Invalid record length!"));
            return;
        }
        if (qint64(length) > remaining(file)) {
            fail(kTruncated);
            return;
        }
        members_[i].resize(length);
        if (!readExact(file, members_[i].data(), length)) {
            fail(kTruncated);
            return;
        }
    }
    valid_ = true;
}

std::int16_t TArchive::Find(const QByteArray& name) const {
    for (std::int16_t i = 0; i < count_; ++i)
        if (directory_[i].Name() == name) return i;
    return -1;
}

bool TArchive::Extract(const QByteArray& name, const std::optional<QString>& outputPath) {
    if (!valid_) return false;
    const QString shownName = core::fromCp1251(name);
    QFile out(outputPath ? *outputPath : shownName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail("Can't create output file! (" + shownName + ")\n\r");
    // From here on a failure leaves the output file behind, empty.
    const std::int16_t index = Find(name);
    if (index < 0) return fail("Can't find this name: '" + shownName + "'.\n\r");

    const std::vector<unsigned char>& stored = members_[index];
    if (stored.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
        return fail(QStringLiteral("Error on unpacking from archive!"));
    // Unpacked through a fixed buffer straight into the file: a member of
    // any size costs no more memory than a small one.
    struct Reading {
        const std::vector<unsigned char>* stored;
        std::size_t pos = 0;
    } reading{&stored};
    struct Writing {
        QFile* file;
        bool failed = false;
    } writing{&out};
    const TLzArc::Source source{&reading, [](void* c, unsigned char* buffer, std::int64_t n) {
                                    auto* r = static_cast<Reading*>(c);
                                    const std::size_t k =
                                        std::min(std::size_t(n), r->stored->size() - r->pos);
                                    std::memcpy(buffer, r->stored->data() + r->pos, k);
                                    r->pos += k;
                                    return std::int64_t(k);
                                }};
    const TLzArc::Sink sink{&writing, [](void* c, const unsigned char* data, std::int64_t n) {
                                auto* w = static_cast<Writing*>(c);
                                // A full disk must not pass for a finished extraction.
                                w->failed =
                                    w->file->write(reinterpret_cast<const char*>(data), n) != n;
                                return !w->failed;
                            }};
    const auto codec = std::make_unique<TLzArc>(source, sink);
    codec->UnpackStream(stored.size());
    if (!codec->IsOk()) {
        out.resize(0);
        out.close();
        if (writing.failed) return fail("Can't write output file! (" + shownName + ")\n\r");
        return fail(QStringLiteral("Error on unpacking from archive!"));
    }
    out.close();
    return true;
}

bool TArchive::Add(const QString& path, bool nameOnly) {
    if (!valid_) return false;
    // The readers of the format stop at this many members.
    if (count_ >= kMaxCount) return fail(QStringLiteral("Too many records in archive!"));

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return fail("Can't open file '" + path + "' to add!");
    if (in.size() > std::numeric_limits<std::int32_t>::max())
        return fail(QStringLiteral("Error on packing archive!"));
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError || data.size() != in.size())
        return fail("Can't open file '" + path + "' to add!");
    in.close();

    // An empty file ends here too: the codec refuses an empty input.
    const auto codec = std::make_unique<TLzArc>(
        reinterpret_cast<const unsigned char*>(data.constData()), std::int32_t(data.size()));
    codec->Pack();
    if (!codec->IsOk()) return fail(QStringLiteral("Error on packing archive!"));

    if (count_ == capacity_) {
        capacity_ = std::int16_t(count_ + kGrowth);
        members_.resize(capacity_);
        directory_.resize(capacity_);
    }
    const QByteArray name =
        core::toCp1251(nameOnly ? QFileInfo(path).fileName() : path).left(kNameSize);
    ArchiveRecord& rec = directory_[count_];
    rec = ArchiveRecord{};
    std::copy(name.begin(), name.end(), rec.name.begin());
    rec.index = count_;
    members_[count_].assign(codec->Output(), codec->Output() + codec->CodeLength() + 4);
    ++count_;
    return true;
}

bool TArchive::Rewrite() {
    if (!valid_) return false;
    QByteArray head;
    putLe(head, std::uint16_t(count_), 2);
    putLe(head, std::uint16_t(volume_), 2);
    for (int i = 0; i < count_; ++i) {
        const ArchiveRecord& rec = directory_[i];
        head.append(rec.name.data(), kNameSize);
        head.append(char(rec.flag));
        head.append(char(rec.reserved));
        putLe(head, std::uint16_t(rec.index), 2);
    }

    // Written beside the old file and put in its place only when complete,
    // so that a failed write does not cost the archive we had.
    QSaveFile file(path_);
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every write reports what really reached the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(QStringLiteral("Can't re-write file!"));
    bool written = file.write(head) == head.size();
    for (int i = 0; written && i < count_; ++i) {
        const std::vector<unsigned char>& stored = members_[i];
        QByteArray length;
        putLe(length, std::uint32_t(stored.size()), 4);
        written = file.write(length) == 4 &&
                  file.write(reinterpret_cast<const char*>(stored.data()), qint64(stored.size())) ==
                      qint64(stored.size());
    }
    // Without commit the unfinished copy is thrown away.
    if (!written || !file.commit()) return fail(QStringLiteral("Can't re-write file!"));
    return true;
}

}  // namespace backup

namespace backup {

namespace {

// The archive's count, volume and one directory record, then the member's
// stored length as zero: it is known when the member is packed.
QByteArray singleMemberHead(const QByteArray& memberName) {
    QByteArray head;
    putLe(head, 1, 2);  // one member
    putLe(head, 0, 2);  // volume
    const QByteArray name = memberName.left(TArchive::kNameSize);
    head.append(name);
    head.append(QByteArray(TArchive::kRecordSize - name.size() - 2, '\0'));  // flag, reserved
    putLe(head, 0, 2);                                                        // its index
    putLe(head, 0, 4);
    return head;
}

}  // namespace

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

    const QByteArray head = singleMemberHead(
        core::toCp1251(nameOnly ? QFileInfo(filePath).fileName() : filePath));
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
                                const bool ok = shared.file.write(
                                                    reinterpret_cast<const char*>(data), n) == n;
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
