#pragma once
// The archive file *.ARC: a small container of named members, each an LZHUF
// stream (TLzArc). The whole archive lives in memory, members compressed:
// opening reads the directory and every member's bytes, Add packs a file into
// a new member, Rewrite writes the archive back to its file, Extract unpacks
// one member into a file. Nothing reaches the file before Rewrite.
//
// File layout, all integers little-endian: member count (int16, 0..32000),
// volume number (int16), count directory records of 104 bytes, then per
// member its stored length L (uint32, at least 4) and L bytes of stream.
//
// Paths are the system's own; member names are Windows-1251 bytes.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QIODevice;

namespace backup {

// One directory record, 104 bytes in the file.
struct ArchiveRecord {
    std::array<char, 100> name{};  // ends at the first zero byte
    std::uint8_t flag = 0;         // always 0; it also ends a name of 100 bytes
    std::uint8_t reserved = 0;
    std::int16_t index = 0;  // the member's position when it was added

    QByteArray Name() const;
};

class TArchive {
  public:
    static constexpr int kRecordSize = 104;
    static constexpr int kNameSize = 100;
    static constexpr std::int16_t kMaxCount = 32000;  // what a reader accepts
    static constexpr std::int16_t kGrowth = 10;

    // Reads the archive at path; when it cannot be opened and create is set,
    // starts an empty one that Rewrite will write there.
    TArchive(const QString& path, bool create);

    bool IsValid() const { return valid_; }
    std::int16_t Count() const { return count_; }
    std::int16_t Capacity() const { return capacity_; }
    std::int16_t VolumeNumber() const { return volume_; }
    const ArchiveRecord& Entry(std::int16_t index) const { return directory_.at(index); }
    // The member's stored bytes: its 4-byte uncompressed length, then code.
    std::span<const unsigned char> Stored(std::int16_t index) const { return members_.at(index); }
    const QString& ErrorText() const { return errorText_; }

    // Index of the first member of exactly this name, or -1.
    std::int16_t Find(const QByteArray& name) const;
    // Unpacks the member into outputPath, or into a file named like the
    // member when no path is given.
    bool Extract(const QByteArray& name, const std::optional<QString>& outputPath = std::nullopt);
    // Packs the whole file into a new member named by its path as given, or
    // by its file name alone.
    bool Add(const QString& path, bool nameOnly);
    // Writes the whole archive to its path, replacing the file.
    bool Rewrite();

  private:
    void read(QIODevice& file);
    bool fail(const QString& message);

    QString path_;
    bool valid_ = false;
    std::int16_t count_ = 0;
    std::int16_t capacity_ = 0;
    std::int16_t volume_ = 0;
    std::vector<std::vector<unsigned char>> members_;  // capacity entries
    std::vector<ArchiveRecord> directory_;             // capacity entries
    QString errorText_;
};

// A new archive of one member packed from the file, written as
// TArchive(path, true), Add and Rewrite write it, but streamed through fixed
// buffers: the file is never held in memory. The archive at path is replaced
// only when complete. `packed` hears how many bytes of the file have been
// read, so that long packing can show its progress.
bool WriteSingleMemberArchive(const QString& archivePath, const QString& filePath, bool nameOnly,
                              QString* error = nullptr,
                              const std::function<void(qint64 done, qint64 total)>& packed = {});

// A new archive of one member whose text is packed while it is still being
// written: the writer hands it over in chunks and a thread of its own packs
// them, so that writing and packing run on two cores. At most a few chunks
// wait in between, so memory does not grow with the text. The length fields
// are written when the text has ended, and the archive at path is replaced
// only by a finish() that went through: a writer dropped before leaves no
// archive. The bytes are those WriteSingleMemberArchive writes for the same
// text and member name.
class ArchiveStreamWriter {
  public:
    // memberName: Windows-1251 bytes, cut to the directory's 100.
    ArchiveStreamWriter(const QString& archivePath, const QByteArray& memberName);
    ~ArchiveStreamWriter();
    ArchiveStreamWriter(const ArchiveStreamWriter&) = delete;
    ArchiveStreamWriter& operator=(const ArchiveStreamWriter&) = delete;

    // Starts the file and the packing thread; false when the file cannot be
    // started (ErrorText says why).
    bool open();
    // Hands the next bytes to the packer, waiting while it is behind. False
    // once packing has failed: the archive will not be made.
    bool append(const QByteArray& chunk);
    // Ends the text, waits for the packer (calling `waiting` with the bytes
    // packed and handed over, now and then, for a progress bar), writes the
    // length fields and puts the archive in place.
    bool finish(const std::function<void(qint64 packed, qint64 total)>& waiting = {});
    const QString& ErrorText() const { return error_; }

  private:
    struct Shared;
    void stop() noexcept;

    QString path_;
    QByteArray name_;
    std::unique_ptr<Shared> shared_;
    QString error_;
};

}  // namespace backup
