#pragma once
// The archive file *.ARC for the program: the container of
// backup/archive_file.h, which needs no Qt, with QString paths and
// QByteArray member names at its edge; and the two writers of a new
// archive of one member that the export and the tests use.
//
// Paths are the system's own; member names are Windows-1251 bytes.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "backup/archive_file.h"

namespace backup {

// One directory record as the program reads it: the name as QByteArray.
struct ArchiveRecord : ArchiveFile::Record {
    QByteArray Name() const;
};

class TArchive {
  public:
    static constexpr int kRecordSize = ArchiveFile::kRecordSize;
    static constexpr int kNameSize = ArchiveFile::kNameSize;
    static constexpr std::int16_t kMaxCount = ArchiveFile::kMaxCount;
    static constexpr std::int16_t kGrowth = ArchiveFile::kGrowth;

    // Reads the archive at path; when it cannot be opened and create is set,
    // starts an empty one that Rewrite will write there.
    TArchive(const QString& path, bool create);

    bool IsValid() const { return file_.IsValid(); }
    std::int16_t Count() const { return file_.Count(); }
    std::int16_t Capacity() const { return file_.Capacity(); }
    std::int16_t VolumeNumber() const { return file_.VolumeNumber(); }
    ArchiveRecord Entry(std::int16_t index) const { return {file_.Entry(index)}; }
    // The member's stored bytes: its 4-byte uncompressed length, then code.
    std::span<const unsigned char> Stored(std::int16_t index) const { return file_.Stored(index); }
    QString ErrorText() const { return QString::fromStdString(file_.ErrorText()); }

    // Index of the first member of exactly this name, or -1.
    std::int16_t Find(const QByteArray& name) const;
    // Unpacks the member into outputPath, or into a file named like the
    // member when no path is given.
    bool Extract(const QByteArray& name, const std::optional<QString>& outputPath = std::nullopt);
    // Packs the whole file into a new member named by its path as given, or
    // by its file name alone.
    bool Add(const QString& path, bool nameOnly);
    // Writes the whole archive to its path, replacing the file.
    bool Rewrite() { return file_.Rewrite(); }

  private:
    ArchiveFile file_;
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
