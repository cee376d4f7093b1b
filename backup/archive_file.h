#pragma once
// The archive file *.ARC: a small container of named members, each an LZHUF
// stream (TLzArc). Plain C++ with POSIX files and no Qt, so that velkor-arc
// runs every command on it without loading Qt; the program uses it through
// TArchive (backup/archive.h), which converts QString at the edge.
//
// The whole archive lives in memory, members compressed: opening reads the
// directory and every member's bytes, Add packs a file into a new member,
// Rewrite writes the archive back to its file, Extract unpacks one member
// into a file. Nothing reaches the file before Rewrite.
//
// File layout, all integers little-endian: member count (int16, 0..32000),
// volume number (int16), count directory records of 104 bytes, then per
// member its stored length L (uint32, at least 4) and L bytes of stream.
//
// Paths are the system's own bytes; member names are Windows-1251 bytes;
// error texts are UTF-8, as the system shows paths and names.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace backup {

class ArchiveFile {
  public:
    static constexpr int kRecordSize = 104;
    static constexpr int kNameSize = 100;
    static constexpr std::int16_t kMaxCount = 32000;  // what a reader accepts
    static constexpr std::int16_t kGrowth = 10;

    // One directory record, 104 bytes in the file.
    struct Record {
        std::array<char, kNameSize> name{};  // ends at the first zero byte
        std::uint8_t flag = 0;               // always 0; it also ends a name of 100 bytes
        std::uint8_t reserved = 0;
        std::int16_t index = 0;  // the member's position when it was added

        std::string_view Name() const;
    };

    // Reads the archive at path; when it cannot be opened and create is set,
    // starts an empty one that Rewrite will write there.
    ArchiveFile(std::string path, bool create);

    bool IsValid() const { return valid_; }
    std::int16_t Count() const { return count_; }
    std::int16_t Capacity() const { return capacity_; }
    std::int16_t VolumeNumber() const { return volume_; }
    const Record& Entry(std::int16_t index) const { return directory_.at(index); }
    // The member's stored bytes: its 4-byte uncompressed length, then code.
    std::span<const unsigned char> Stored(std::int16_t index) const { return members_.at(index); }
    const std::string& ErrorText() const { return errorText_; }

    // Index of the first member of exactly this name, or -1.
    std::int16_t Find(std::string_view name) const;
    // Unpacks the member into outputPath, or into a file named like the
    // member when no path is given.
    bool Extract(std::string_view name, const std::optional<std::string>& outputPath = {});
    // Packs the whole file into a new member named by its path as given, or
    // by its file name alone.
    bool Add(const std::string& path, bool nameOnly);
    // Writes the whole archive to its path, replacing the file: written
    // beside it and put in its place only when complete.
    bool Rewrite();

  private:
    void read(int fd, std::uint64_t size);
    bool fail(std::string message);

    std::string path_;
    bool valid_ = false;
    std::int16_t count_ = 0;
    std::int16_t capacity_ = 0;
    std::int16_t volume_ = 0;
    std::vector<std::vector<unsigned char>> members_;  // capacity entries
    std::vector<Record> directory_;                    // capacity entries
    std::string errorText_;
};

// The member name Add gives a file of this path (UTF-8): the path as given
// or its file name alone, in Windows-1251, cut to the directory's 100 bytes.
std::string ArchiveMemberName(std::string_view path, bool nameOnly);

// The start of an archive of one member: count, volume, the directory
// record of memberName (Windows-1251, cut to 100 bytes), then the member's
// stored length as zero, for the writer to fill in once it is known.
std::string SingleMemberHead(std::string_view memberName);

}  // namespace backup
