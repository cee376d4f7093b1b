// The archive half of velkor-arc: list, add and extract on the program's
// *.ARC archives. velkor-arc hands these commands over to this program, so
// that its own pack and unpack start without loading Qt.
//
// Paths are the system's own; member names are kept in Windows-1251 as the
// format has them and are shown and given in the system's encoding.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <optional>

#include "backup/archive.h"
#include "core/codepage.h"

namespace {

// velkor-arc checks the arguments before it hands a command over.
int usage() {
    std::fputs("velkor-arc-archive serves velkor-arc; run velkor-arc for its usage.\n", stderr);
    return 2;
}

// The container's and the codec's messages carry their own line breaks.
int failure(const QString& message) {
    std::fprintf(stderr, "velkor-arc: %s\n", message.trimmed().toLocal8Bit().constData());
    return 1;
}

QString argument(const char* arg) { return QString::fromLocal8Bit(arg); }

// A member name as the terminal may show it: control characters (an escape
// sequence, a carriage return) written out, never sent to the terminal.
QString printable(const QString& name) {
    QString out;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0)) {
            out += c;
            continue;
        }
        switch (u) {
            case '\t':
                out += QStringLiteral("\\t");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            default:
                out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

int list(const QString& path) {
    const backup::TArchive arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    for (std::int16_t i = 0; i < arc.Count(); ++i) {
        const auto stored = arc.Stored(i);
        const std::uint32_t length = std::uint32_t(stored[0]) | std::uint32_t(stored[1]) << 8 |
                                     std::uint32_t(stored[2]) << 16 |
                                     std::uint32_t(stored[3]) << 24;
        std::printf("%d\t%s\t%zu\t%u\n", arc.Entry(i).index,
                    printable(core::fromCp1251(arc.Entry(i).Name())).toLocal8Bit().constData(),
                    stored.size(), length);
    }
    return 0;
}

int add(const QString& path, const QString& file, bool nameOnly) {
    // Only a missing archive is started anew: one that exists but cannot be
    // read must not be replaced by an archive of this one file.
    backup::TArchive arc(path, !QFileInfo::exists(path));
    if (!arc.IsValid()) return failure(arc.ErrorText());
    if (!arc.Add(file, nameOnly) || !arc.Rewrite()) return failure(arc.ErrorText());
    return 0;
}

int extract(const QString& path, const QString& out, const std::optional<QString>& name) {
    backup::TArchive arc(path, false);
    if (!arc.IsValid()) return failure(arc.ErrorText());
    QByteArray member;
    if (name) {
        member = core::toCp1251(*name);
    } else if (arc.Count() > 0) {
        member = arc.Entry(0).Name();
    } else {
        return failure(QStringLiteral("The archive has no members."));
    }
    if (!arc.Extract(member, out)) return failure(arc.ErrorText());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const QByteArray command = argv[1];
    const int n = argc - 2;  // arguments after the command
    if (command == "list" && n == 1) return list(argument(argv[2]));
    if (command == "add" && (n == 2 || (n == 3 && QByteArray(argv[4]) == "--name-only")))
        return add(argument(argv[2]), argument(argv[3]), n == 3);
    if (command == "extract" && (n == 2 || n == 3))
        return extract(argument(argv[2]), argument(argv[3]),
                       n == 3 ? std::optional(argument(argv[4])) : std::nullopt);
    return usage();
}
