#include "backup/archive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <utility>

#include "backup/lz_arc.h"
#include "core/cp1251.h"

namespace backup {

namespace {

const char* const kTruncated = "Unexpected end of archive!";

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::int16_t le16(const unsigned char* p) { return std::int16_t(p[0] | p[1] << 8); }

void putLe(std::string& out, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k) out += char(value >> (8 * k));
}

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; false when the close reports an error.
    bool reset(int fd = -1) {
        const bool closed = fd_ < 0 || ::close(fd_) == 0;
        fd_ = fd;
        return closed;
    }

  private:
    int fd_;
};

// A file opened for reading, refused when it is a folder (as Qt refuses to
// open one), with its size.
Fd openForReading(const std::string& path, std::uint64_t& size) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return Fd();
    size = S_ISREG(st.st_mode) ? std::uint64_t(st.st_size) : 0;
    return fd;
}

// Reads exactly n bytes, or reports that the file ended first.
bool readExact(int fd, void* to, std::uint64_t n) {
    auto* p = static_cast<unsigned char*>(to);
    while (n > 0) {
        const ssize_t got = ::read(fd, p, std::min<std::uint64_t>(n, SSIZE_MAX));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= std::uint64_t(got);
    }
    return true;
}

// Writes all n bytes; false when the file takes fewer (a full disk).
bool writeAll(int fd, const void* data, std::uint64_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const ssize_t put = ::write(fd, p, std::min<std::uint64_t>(n, SSIZE_MAX));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        n -= std::uint64_t(put);
    }
    return true;
}

// The file a path ends at, following symbolic links, also a dangling one,
// so that a link to an archive keeps being a link.
std::string linkTarget(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) break;
        target.resize(std::size_t(n));
        if (target.front() != '/') {
            const std::size_t slash = path.rfind('/');
            if (slash != std::string::npos) target.insert(0, path, 0, slash + 1);
        }
        path = std::move(target);
    }
    return path;
}

// A file written anew and put in place only when complete: a copy beside
// it, renamed over it by commit(); without commit the copy is removed. The
// copy takes the permissions of the file it replaces. Where the folder does
// not let us create the copy but the file may be written, it is written in
// place (a failure then leaves it cut short).
class ReplacingFile {
  public:
    ~ReplacingFile() {
        fd_.reset();
        if (!temp_.empty()) ::unlink(temp_.c_str());
    }

    bool open(const std::string& path) {
        target_ = linkTarget(path);
        struct stat st {};
        const bool exists = ::stat(target_.c_str(), &st) == 0;
        if (exists && (S_ISDIR(st.st_mode) || ::access(target_.c_str(), W_OK) != 0)) return false;
        int error = 0;
        for (unsigned attempt = 0; attempt < 100 && !fd_; ++attempt) {
            std::string temp = target_ + '.' + suffix(attempt);
            // Until it has the old file's permissions, nobody else may read it.
            fd_.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                             exists ? 0600 : 0666));
            error = errno;
            if (fd_)
                temp_ = std::move(temp);
            else if (error != EEXIST)
                break;
        }
        if (fd_) {
            if (exists) ::fchmod(fd_.get(), st.st_mode & 07777);
            return true;
        }
        if (error != EACCES) return false;
        fd_.reset(::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        return bool(fd_);
    }

    bool write(const void* data, std::uint64_t n) { return writeAll(fd_.get(), data, n); }

    bool commit() {
        if (!fd_.reset()) return false;
        if (temp_.empty()) return true;
        if (::rename(temp_.c_str(), target_.c_str()) != 0) return false;
        temp_.clear();
        return true;
    }

  private:
    static std::string suffix(unsigned attempt) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        std::uint64_t seed = std::uint64_t(now.tv_nsec) * 2654435761u ^
                             std::uint64_t(::getpid()) << 20 ^ attempt * 40503u;
        std::string s;
        for (int k = 0; k < 6; ++k, seed /= 36)
            s += "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
        return s;
    }

    Fd fd_;
    std::string target_;
    std::string temp_;
};

}  // namespace

std::string_view ArchiveFile::Record::Name() const {
    const auto end = std::find(name.begin(), name.end(), '\0');
    return std::string_view(name.data(), std::size_t(end - name.begin()));
}

ArchiveFile::ArchiveFile(std::string path, bool create) {
    std::uint64_t size = 0;
    const Fd file = openForReading(path, size);
    if (file) {
        path_ = std::move(path);
        read(file.get(), size);
    } else if (create) {
        path_ = std::move(path);
        count_ = 0;
        capacity_ = kGrowth;
        volume_ = 0;
        members_.resize(capacity_);
        directory_.resize(capacity_);
        valid_ = true;
    } else {
        fail("Can't open file!");
    }
}

bool ArchiveFile::fail(std::string message) {
    errorText_ = std::move(message);
    return false;
}

// A damaged archive must neither make us reserve more than the file holds
// nor read past its end: every length is checked against what is left.
void ArchiveFile::read(int fd, std::uint64_t size) {
    std::uint64_t pos = 0;
    auto take = [&](void* to, std::uint64_t n) {
        if (n > size - pos || !readExact(fd, to, n)) return false;
        pos += n;
        return true;
    };
    unsigned char head[4];
    if (!take(head, sizeof head)) {
        fail(kTruncated);
        return;
    }
    const std::int16_t count = le16(head);
    volume_ = le16(head + 2);
    if (count < 0 || count > kMaxCount) {
        fail("Invalid record count in archive!");
        return;
    }
    std::vector<unsigned char> raw(std::size_t(count) * kRecordSize);
    if (!take(raw.data(), raw.size())) {
        fail(kTruncated);
        return;
    }
    count_ = count;
    capacity_ = std::int16_t(count + kGrowth);
    members_.resize(capacity_);
    directory_.resize(capacity_);
    for (int i = 0; i < count; ++i) {
        const unsigned char* r = raw.data() + std::size_t(i) * kRecordSize;
        Record& rec = directory_[i];
        std::memcpy(rec.name.data(), r, kNameSize);
        rec.flag = r[100];
        rec.reserved = r[101];
        rec.index = le16(r + 102);
    }

    for (int i = 0; i < count; ++i) {
        unsigned char len[4];
        if (!take(len, sizeof len)) {
            fail(kTruncated);
            return;
        }
        const std::uint32_t length = le32(len);
        if (length < 4) {
            fail("Invalid record length!");
            return;
        }
        if (length > size - pos) {
            fail(kTruncated);
            return;
        }
        members_[i].resize(length);
        if (!take(members_[i].data(), length)) {
            fail(kTruncated);
            return;
        }
    }
    valid_ = true;
}

std::int16_t ArchiveFile::Find(std::string_view name) const {
    for (std::int16_t i = 0; i < count_; ++i)
        if (directory_[i].Name() == name) return i;
    return -1;
}

bool ArchiveFile::Extract(std::string_view name, const std::optional<std::string>& outputPath) {
    if (!valid_) return false;
    const std::string shownName = core::cp1251::toUtf8(name);
    // Unbuffered, so that every write reports what really reached the file.
    Fd out(::open((outputPath ? *outputPath : shownName).c_str(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out) return fail("Can't create output file! (" + shownName + ")\n\r");
    // From here on a failure leaves the output file behind, empty.
    const std::int16_t index = Find(name);
    if (index < 0) return fail("Can't find this name: '" + shownName + "'.\n\r");

    const std::vector<unsigned char>& stored = members_[index];
    if (stored.size() > std::size_t(std::numeric_limits<std::int32_t>::max()))
        return fail("Error on unpacking from archive!");
    // Unpacked through a fixed buffer straight into the file: a member of
    // any size costs no more memory than a small one.
    struct Reading {
        const std::vector<unsigned char>* stored;
        std::size_t pos = 0;
    } reading{&stored};
    struct Writing {
        int fd;
        bool failed = false;
    } writing{out.get()};
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
                                w->failed = !writeAll(w->fd, data, std::uint64_t(n));
                                return !w->failed;
                            }};
    const auto codec = std::make_unique<TLzArc>(source, sink);
    codec->UnpackStream(stored.size());
    if (!codec->IsOk()) {
        // The failure below is what counts: the file is of no use either way.
        [[maybe_unused]] const int emptied = ::ftruncate(out.get(), 0);
        if (writing.failed) return fail("Can't write output file! (" + shownName + ")\n\r");
        return fail("Error on unpacking from archive!");
    }
    return true;
}

bool ArchiveFile::Add(const std::string& path, bool nameOnly) {
    if (!valid_) return false;
    // The readers of the format stop at this many members.
    if (count_ >= kMaxCount) return fail("Too many records in archive!");

    const std::string cannotOpen = "Can't open file '" + path + "' to add!";
    std::uint64_t size = 0;
    const Fd in = openForReading(path, size);
    if (!in) return fail(cannotOpen);
    if (size > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
        return fail("Error on packing archive!");
    std::vector<unsigned char> data(size);
    unsigned char past;
    // All of it and nothing more: a file that changes while it is read is
    // not what was asked for.
    if (!readExact(in.get(), data.data(), size) || ::read(in.get(), &past, 1) != 0)
        return fail(cannotOpen);

    // An empty file ends here too: the codec refuses an empty input.
    const auto codec = std::make_unique<TLzArc>(data.data(), std::int32_t(size));
    codec->Pack();
    if (!codec->IsOk()) return fail("Error on packing archive!");

    if (count_ == capacity_) {
        capacity_ = std::int16_t(count_ + kGrowth);
        members_.resize(capacity_);
        directory_.resize(capacity_);
    }
    const std::string name = ArchiveMemberName(path, nameOnly);
    Record& rec = directory_[count_];
    rec = Record{};
    std::copy(name.begin(), name.end(), rec.name.begin());
    rec.index = count_;
    members_[count_].assign(codec->Output(), codec->Output() + codec->CodeLength() + 4);
    ++count_;
    return true;
}

bool ArchiveFile::Rewrite() {
    if (!valid_) return false;
    std::string head;
    putLe(head, std::uint16_t(count_), 2);
    putLe(head, std::uint16_t(volume_), 2);
    for (int i = 0; i < count_; ++i) {
        const Record& rec = directory_[i];
        head.append(rec.name.data(), kNameSize);
        head += char(rec.flag);
        head += char(rec.reserved);
        putLe(head, std::uint16_t(rec.index), 2);
    }

    // Written beside the old file and put in its place only when complete,
    // so that a failed write does not cost the archive we had.
    ReplacingFile file;
    if (!file.open(path_)) return fail("Can't re-write file!");
    bool written = file.write(head.data(), head.size());
    for (int i = 0; written && i < count_; ++i) {
        const std::vector<unsigned char>& stored = members_[i];
        std::string length;
        putLe(length, std::uint32_t(stored.size()), 4);
        written = file.write(length.data(), 4) && file.write(stored.data(), stored.size());
    }
    // Without commit the unfinished copy is thrown away.
    if (!written || !file.commit()) return fail("Can't re-write file!");
    return true;
}

std::string ArchiveMemberName(std::string_view path, bool nameOnly) {
    if (nameOnly) {
        const std::size_t slash = path.rfind('/');
        if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    }
    std::string name = core::cp1251::fromUtf8(path);
    if (name.size() > std::size_t(ArchiveFile::kNameSize)) name.resize(ArchiveFile::kNameSize);
    return name;
}

std::string SingleMemberHead(std::string_view memberName) {
    std::string head;
    putLe(head, 1, 2);  // one member
    putLe(head, 0, 2);  // volume
    const std::string_view name = memberName.substr(0, ArchiveFile::kNameSize);
    head.append(name);
    head.append(ArchiveFile::kRecordSize - name.size() - 2, '\0');  // flag, reserved
    putLe(head, 0, 2);                                              // its index
    putLe(head, 0, 4);
    return head;
}

}  // namespace backup
