#include "backup/archive_check.h"

#include "backup/lz_arc.h"
#include "core/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <memory>

namespace backup {

namespace {

const QByteArray kRule = "#---------------------------";
const QByteArray kIntegrityPrefix = "# SHA256 ";

const QByteArray& productLine() {
    static const QByteArray line =
        core::toCp1251(QString::fromUtf8("# База данных ПО \"Терналь\""));
    return line;
}
const QByteArray& dateLine() {
    static const QByteArray line = core::toCp1251(QString::fromUtf8("# по состоянию на "));
    return line;
}
const QByteArray& countSuffix() {
    static const QByteArray suffix = core::toCp1251(QString::fromUtf8(" записей."));
    return suffix;
}

// A name at `from`: its text, and where it ends; an empty name when there
// is none.
struct NameToken {
    QByteArray name;
    qsizetype end = -1;
};
NameToken nameAt(QByteArrayView s, qsizetype from) {
    if (from >= s.size()) return {};
    if (s[from] == '`') {
        for (qsizetype i = from + 1; i < s.size(); ++i) {
            if (s[i] != '`') continue;
            if (i + 1 < s.size() && s[i + 1] == '`') {
                ++i;
                continue;
            }
            return {unquoteName(s.sliced(from, i + 1 - from)), i + 1};
        }
        return {};
    }
    qsizetype i = from;
    while (i < s.size() && s[i] != ' ' && s[i] != ';') ++i;
    return {s.sliced(from, i - from).toByteArray(), i};
}

// "KEYWORDS name;" exactly, or with `rest` allowed between the name and the
// semicolon: the name, or empty when the line is not of that form.
QByteArray statementName(QByteArrayView line, QByteArrayView keywords, bool rest) {
    if (!line.startsWith(keywords) || !line.endsWith(';')) return {};
    const NameToken t = nameAt(line, keywords.size());
    if (t.name.isEmpty()) return {};
    if (t.end == line.size() - 1) return t.name;
    return rest && line[t.end] == ' ' ? t.name : QByteArray();
}

bool isHex(QByteArrayView s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The count line "# N записей.": N, or -1.
qint64 countOf(QByteArrayView text) {
    const qsizetype digits = text.size() - 2 - countSuffix().size();
    if (digits < 1 || digits > 18 || !text.startsWith("# ") || !text.endsWith(countSuffix()))
        return -1;
    qint64 n = 0;
    for (char c : text.sliced(2, digits)) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

QByteArray unquoteName(QByteArrayView name) {
    if (name.size() < 2 || name.front() != '`' || name.back() != '`') return name.toByteArray();
    QByteArray out = name.sliced(1, name.size() - 2).toByteArray();
    out.replace("``", "`");
    return out;
}

QByteArray integrityLine(const QByteArray& sha256) { return kIntegrityPrefix + sha256.toHex(); }

QByteArray renameDatabaseIn(const QByteArray& statement, const QByteArray& to) {
    for (const char* keywords : {"DROP DATABASE IF EXISTS ", "CREATE DATABASE ", "USE "}) {
        const QByteArrayView k(keywords);
        if (!statement.startsWith(k)) continue;
        const NameToken t = nameAt(statement, k.size());
        if (t.name.isEmpty()) return statement;
        return statement.left(k.size()) + to + statement.mid(t.end);
    }
    return statement;
}

void ScriptChecker::fail(const QString& why) {
    if (result_.fault.isEmpty()) result_.fault = why + QStringLiteral(" (line %1)").arg(number_);
}

void ScriptChecker::add(const char* data, qsizetype size) {
    buf_.append(data, size);
    takeLines(false);
    // What is hashed and read is dropped, so that memory stays flat.
    if (previousStart_ > (1 << 20)) {
        buf_.remove(0, previousStart_);
        lineStart_ -= previousStart_;
        scanned_ -= previousStart_;
        previousStart_ = 0;
    }
}

void ScriptChecker::takeLines(bool atEnd) {
    const char* p = buf_.constData();
    const qsizetype size = buf_.size();
    qsizetype i = std::max(scanned_, lineStart_);
    for (;;) {
        while (i < size && p[i] != '\n' && p[i] != '\r') ++i;
        // A CR at the end of what came so far may be the first half of CR LF.
        if (!atEnd && (i == size || (i + 1 == size && p[i] == '\r'))) {
            scanned_ = i;
            return;
        }
        if (i == lineStart_ && i == size) return;  // nothing after the last ending
        qsizetype after = i < size ? i + 1 : i;
        if (i < size && p[i] == '\r' && after < size && p[after] == '\n') ++after;
        // The line before this one is not the last: it belongs to the digest.
        if (havePrevious_)
            hash_.addData(QByteArrayView(p + previousStart_, lineStart_ - previousStart_));
        previousStart_ = lineStart_;
        lastLength_ = i - lineStart_;
        havePrevious_ = true;
        ++number_;
        line(QByteArrayView(p + lineStart_, i - lineStart_));
        lineStart_ = i = scanned_ = after;
        if (after == size) return;
    }
}

void ScriptChecker::header(QByteArrayView text) {
    QByteArray& db = result_.database;
    switch (number_) {
        case 1:
        case 4:
            if (text != "#") fail(QStringLiteral("header"));
            break;
        case 2:
            if (text != productLine()) fail(QStringLiteral("header"));
            break;
        case 3:
            if (!text.startsWith(dateLine())) fail(QStringLiteral("header"));
            break;
        case 5:
        case 12:
            if (!text.isEmpty()) fail(QStringLiteral("empty line expected"));
            break;
        case 6:
        case 8:
            if (text != kRule) fail(QStringLiteral("database block"));
            break;
        case 7:
            if (!text.startsWith("# DATABASE ") || text.size() == 11)
                fail(QStringLiteral("database block"));
            break;
        case kDropDatabaseLine:
            db = statementName(text, "DROP DATABASE IF EXISTS ", false);
            if (db.isEmpty()) fail(QStringLiteral("database block"));
            break;
        case kCreateDatabaseLine:
            if (db.isEmpty() || statementName(text, "CREATE DATABASE ", true) != db)
                fail(QStringLiteral("database block"));
            break;
        case kUseDatabaseLine:
            if (db.isEmpty() || statementName(text, "USE ", false) != db)
                fail(QStringLiteral("database block"));
            break;
    }
}

void ScriptChecker::closeBlock() {
    if (table_.isEmpty()) return;
    if (stated_ < 0) {
        ++foreign_;  // a block without its count line
    } else if (stated_ != found_) {
        result_.mismatches.append({table_, stated_, found_});
    }
    table_.clear();
    stated_ = -1;
    found_ = 0;
}

void ScriptChecker::line(QByteArrayView text) {
    if (number_ <= 12) {
        header(text);
        if (number_ == 12) state_ = State::BetweenBlocks;
        return;
    }
    // Every statement must stay in the database the block names: a script
    // that moves elsewhere cannot be staged. The first line of a statement
    // says what it is; the line with a semicolon ends it, as in the runner.
    if (!text.isEmpty() && text[0] != '#') {
        qsizetype lead = 0;
        while (lead < text.size() && (text[lead] == ' ' || text[lead] == '\t')) ++lead;
        const char c = lead < text.size() ? char(text[lead] | 0x20) : 0;
        if (!inStatement_ && (c == 'u' || c == 'd' || c == 'c')) {
            const QByteArray head =
                text.first(std::min<qsizetype>(20, text.size())).toByteArray().trimmed().toUpper();
            if (head == "USE" || head.startsWith("USE ") || head.startsWith("USE`") ||
                head.startsWith("DROP DATABASE") || head.startsWith("CREATE DATABASE") ||
                head.startsWith("DROP SCHEMA") || head.startsWith("CREATE SCHEMA"))
                fail(QStringLiteral("a second database statement"));
        }
        inStatement_ = !text.contains(';');
    }
    if (text == kRule) {
        if (state_ == State::TableName) {
            state_ = State::Definition;
        } else {
            if (state_ == State::AfterRule) ++foreign_;
            state_ = State::AfterRule;
        }
        return;
    }
    switch (state_) {
        case State::Header:
            break;
        case State::AfterRule:
            if (text.startsWith("# TABLE ") && text.size() > 8) {
                closeBlock();
                table_ = text.sliced(8).toByteArray();
                state_ = State::TableName;
            } else {
                ++foreign_;
                state_ = State::BetweenBlocks;
            }
            break;
        case State::TableName:
            ++foreign_;
            state_ = State::Definition;
            break;
        case State::Definition:
            if (const qint64 n = countOf(text); n >= 0) {
                stated_ = n;
                state_ = State::Rows;
            }
            break;
        case State::BetweenBlocks:
        case State::Rows:
            if (text.isEmpty() || text[0] == '#') break;
            if (state_ == State::Rows && text.startsWith("INSERT INTO "))
                ++found_;
            else
                ++foreign_;
            break;
    }
}

ScriptCheck ScriptChecker::finish() {
    takeLines(true);
    closeBlock();
    if (number_ < 12) fail(QStringLiteral("the script ends before its database block"));
    if (!result_.whole()) return result_;
    const QByteArrayView last = QByteArrayView(buf_).sliced(previousStart_, lastLength_);
    // Damage travels: a wrong match copies wrong digits into every later
    // copy of them, the digest line's own "256" included. A last line of the
    // integrity line's length or beginning is taken for a damaged one, never
    // for a script without it.
    const bool integrity =
        last.startsWith("# SHA") || (last.startsWith('#') && last.size() == kIntegrityLineSize);
    if (integrity) {
        const QByteArrayView hex = last.sliced(std::min(kIntegrityPrefix.size(), last.size()));
        if (!last.startsWith(kIntegrityPrefix) || hex.size() != 64 || !isHex(hex)) {
            fail(QStringLiteral("integrity line"));
        } else if (hash_.result().toHex() != hex) {
            fail(QStringLiteral("the digest differs"));
        } else {
            result_.verified = true;
        }
    } else if (foreign_ > 0) {
        // Without a digest only the layout tells damage apart.
        fail(QStringLiteral("%1 lines out of place").arg(foreign_));
    }
    return result_;
}

namespace {

// The bytes a valid stream's decoder may ask beyond its end: it reads its
// bits ahead into a 16-bit buffer.
constexpr std::uint64_t kReadAhead = 2;

QString containerFault(const TArchive& archive, const QString& archivePath) {
    // Every archive the system writes has volume number 0.
    if (archive.VolumeNumber() != 0) return QStringLiteral("volume number");
    qint64 expected = 4;
    for (std::int16_t i = 0; i < archive.Count(); ++i) {
        const ArchiveRecord& rec = archive.Entry(i);
        const QByteArray name = rec.Name();
        // The bytes after a name's end are 0, as are the flag and the byte
        // after it, and the index is the member's place.
        if (std::any_of(rec.name.begin() + name.size(), rec.name.end(), [](char c) { return c; }) ||
            rec.flag != 0 || rec.reserved != 0 || rec.index != i)
            return QStringLiteral("directory record %1").arg(i);
        expected += TArchive::kRecordSize + 4 + qint64(archive.Stored(i).size());
    }
    const qint64 size = QFileInfo(archivePath).size();
    if (size != expected)
        return QStringLiteral("file of %1 bytes where its directory gives %2")
            .arg(size)
            .arg(expected);
    return {};
}

}  // namespace

ScriptCheck unpackChecked(const TArchive& archive, const QString& archivePath,
                          const QString& scriptPath) {
    ScriptCheck r;
    if (!archive.IsValid() || archive.Count() < 1) {
        r.fault = QStringLiteral("no member");
        return r;
    }
    r.fault = containerFault(archive, archivePath);
    if (!r.whole()) return r;

    QFile out(scriptPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        r.fault = QStringLiteral("cannot create ") + scriptPath;
        return r;
    }
    const std::span<const unsigned char> stored = archive.Stored(0);
    // The stream is handed over whole but its last byte alone, and past its
    // end one byte at a time: how far the decoder reads shows whether the
    // code it decoded was exactly the code stored.
    struct Feed {
        std::span<const unsigned char> stored;
        std::uint64_t pos = 0;
    } feed{stored};
    struct Drain {
        QFile* file;
        ScriptChecker checker;
        bool failed = false;
    } drain{&out, {}};
    const TLzArc::Source source{&feed, [](void* c, unsigned char* buffer, std::int64_t n) {
                                    auto* f = static_cast<Feed*>(c);
                                    const std::uint64_t size = f->stored.size();
                                    if (f->pos + 1 >= size) {
                                        buffer[0] = f->pos < size ? f->stored[f->pos] : 0;
                                        ++f->pos;
                                        return std::int64_t(1);
                                    }
                                    const std::uint64_t k = std::min<std::uint64_t>(
                                        std::uint64_t(n), size - 1 - f->pos);
                                    std::memcpy(buffer, f->stored.data() + f->pos, k);
                                    f->pos += k;
                                    return std::int64_t(k);
                                }};
    const TLzArc::Sink sink{&drain, [](void* c, const unsigned char* data, std::int64_t n) {
                                auto* d = static_cast<Drain*>(c);
                                const char* bytes = reinterpret_cast<const char*>(data);
                                d->failed = d->file->write(bytes, n) != n;
                                if (!d->failed) d->checker.add(bytes, qsizetype(n));
                                return !d->failed;
                            }};
    const auto codec = std::make_unique<TLzArc>(source, sink);
    codec->UnpackStream(stored.size() + 8);
    const bool flushed = out.flush();
    out.close();
    if (drain.failed || !flushed || out.error() != QFileDevice::NoError) {
        r.fault = QStringLiteral("cannot write ") + scriptPath;
        return r;
    }
    if (!codec->IsOk()) {
        r.fault = QStringLiteral("the member does not decode");
        return r;
    }
    if (feed.pos < stored.size() || feed.pos > stored.size() + kReadAhead) {
        r.fault = QStringLiteral("the member's code ends at byte %1 of %2")
                      .arg(feed.pos)
                      .arg(stored.size());
        return r;
    }
    return drain.checker.finish();
}

}  // namespace backup
