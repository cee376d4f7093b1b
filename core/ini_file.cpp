#include "core/ini_file.h"

#include "core/codepage.h"

#include <QFile>
#include <QSaveFile>

namespace core {

namespace {
bool isHeader(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    return t.startsWith('[') && t.contains(']');
}
QString headerName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    return fromCp1251(t.mid(1, t.indexOf(']') - 1).trimmed());
}
}  // namespace

bool IniFile::load(const QString& path) {
    lines_.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    // Any line ending: CR LF as written here, LF, or a lone CR as some
    // editors of old systems leave it.
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] != '\r' && all[i] != '\n') continue;
        lines_.push_back(all.mid(start, i - start));
        if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < all.size()) lines_.push_back(all.mid(start));
    while (!lines_.empty() && lines_.back().isEmpty()) lines_.pop_back();
    return true;
}

QByteArray IniFile::text() const {
    QByteArray out;
    for (const QByteArray& l : lines_) out += l + "\r\n";
    return out;
}

bool IniFile::save(const QString& path) const {
    // A new file swapped in for the old one: a save cut short (a full disk)
    // leaves the old file as it was.
    // Unbuffered, so that a short write shows in write()'s count: a
    // buffered flush that runs out of room can pass for a success.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error_ = f.errorString();
        return false;
    }
    const QByteArray data = text();
    if (f.write(data) != data.size() || !f.commit()) {
        error_ = f.errorString();
        return false;
    }
    return true;
}

int IniFile::findSection(const QString& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (isHeader(lines_[i]) && headerName(lines_[i]).compare(section, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int IniFile::sectionEnd(int header) const {
    int i = header + 1;
    while (i < int(lines_.size()) && !isHeader(lines_[std::size_t(i)])) ++i;
    return i;
}

int IniFile::findKey(int header, const QString& key) const {
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QByteArray& l = lines_[std::size_t(i)];
        const int eq = l.indexOf('=');
        if (eq <= 0) continue;
        if (fromCp1251(l.left(eq).trimmed()).compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const {
    const int h = findSection(section);
    return h >= 0 && findKey(h, key) >= 0;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const int h = findSection(section);
    if (h < 0) return def;
    const int k = findKey(h, key);
    if (k < 0) return def;
    const QByteArray& l = lines_[std::size_t(k)];
    return fromCp1251(l.mid(l.indexOf('=') + 1).trimmed());
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const QString s = readString(section, key, QString());
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok ? v : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QByteArray line = toCp1251(key) + '=' + toCp1251(value);
    int h = findSection(section);
    if (h < 0) {
        lines_.push_back('[' + toCp1251(section) + ']');
        lines_.push_back(line);
        return;
    }
    const int k = findKey(h, key);
    if (k >= 0) {
        lines_[std::size_t(k)] = line;
        return;
    }
    // After the section's last non-blank line.
    int at = sectionEnd(h);
    while (at > h + 1 && lines_[std::size_t(at - 1)].trimmed().isEmpty()) --at;
    lines_.insert(lines_.begin() + at, line);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace core
