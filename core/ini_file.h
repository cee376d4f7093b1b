#pragma once
// An INI file in Windows-1251: [section] headers and key=value lines, names
// matched without regard to case. Lines the program does not touch, other
// sections and keys included, are written back as they were.

#include <QByteArray>
#include <QString>
#include <vector>

namespace core {

class IniFile {
  public:
    // Reads the file; a missing or unreadable file gives an empty one.
    bool load(const QString& path);
    // Writes every line into a new file that then replaces the old one;
    // false when that fails, and the old file stays as it was.
    bool save(const QString& path) const;
    // Why the last save failed.
    const QString& errorString() const { return error_; }

    bool contains(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // A value that is not a whole number reads as the default.
    int readInteger(const QString& section, const QString& key, int def) const;
    // Any whole number but 0 is on.
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    QByteArray text() const;

  private:
    // Index of the section's header line, or -1.
    int findSection(const QString& section) const;
    // Index of the key's line inside the section starting at header, or -1.
    int findKey(int header, const QString& key) const;
    int sectionEnd(int header) const;

    std::vector<QByteArray> lines_;
    mutable QString error_;
};

}  // namespace core
