#include "core/settings.h"

#include "core/ini_file.h"
#include "core/logging.h"
#include "core/text_trim.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <algorithm>

namespace core {

namespace {
const QString kMySQL = QStringLiteral("MySQL");
const QString kMain = QStringLiteral("main");
const QString kLog = QStringLiteral("login_log");
const QString kGrid = QStringLiteral("Grid");
constexpr int kMaxLogEntries = 100;

// Alphabetical order of Ukrainian names (Є after Е, І and Ї after И),
// without regard to letter case; code point order would put Є, І and Ї
// after Я.
bool lessNoCase(const QString& a, const QString& b) {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b) < 0;
}
}  // namespace

std::vector<int> designColumnWidths() { return {44, 200, 180, 190, 160, 150, 165, 114}; }

QString settingsPathFor(const QString& executablePath) {
    const QFileInfo fi(executablePath);
    return fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".INI");
}

void LoadSettings(const QString& path, Settings& s, std::vector<int>& widths) {
    IniFile ini;
    if (!ini.load(path)) return;
    s.HostName = ini.readString(kMySQL, QStringLiteral("HostName"), s.HostName);
    s.default_login = ini.readString(kMySQL, QStringLiteral("default_login"), s.default_login);
    s.base_name = ini.readString(kMySQL, QStringLiteral("base_name"), s.base_name);
    s.auto_update_sprav =
        ini.readBool(kMain, QStringLiteral("auto_update_sprav"), s.auto_update_sprav);
    const int count = ini.readInteger(kLog, QStringLiteral("count"), 0);
    // A count beyond the limit is taken for a damaged history and ignored.
    if (count <= kMaxLogEntries) {
        for (int i = 0; i < count; ++i) {
            const QString name =
                trimControls(ini.readString(kLog, "name" + QString::number(i), {}));
            if (!name.isEmpty()) s.login_log.append(name);
        }
    }
    std::stable_sort(s.login_log.begin(), s.login_log.end(), lessNoCase);
    for (std::size_t j = 0; j < widths.size(); ++j) {
        // A column of no width could never be seen or widened again; one
        // wider than any screen is a damaged file, not a choice.
        const int w = ini.readInteger(kGrid, "Col" + QString::number(j) + "W", widths[j]);
        if (w > 0 && w <= kMaxColumnWidth) widths[j] = w;
    }
}

void SaveSettings(const QString& path, const Settings& s, const std::vector<int>& widths) {
    // Two programs beside one executable save one after the other, each
    // reading what the other wrote, so neither loses the other's sections.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(5000)) {
        qCWarning(lcSettings) << "settings not saved: cannot lock" << lock.fileName() << "error"
                              << int(lock.error());
        return;
    }
    IniFile ini;
    ini.load(path);  // keep what the program does not write
    ini.writeBool(kMain, QStringLiteral("auto_update_sprav"), s.auto_update_sprav);
    ini.writeString(kMySQL, QStringLiteral("HostName"), s.HostName);
    ini.writeString(kMySQL, QStringLiteral("default_login"), s.default_login);
    ini.writeString(kMySQL, QStringLiteral("base_name"), s.base_name);
    ini.writeInteger(kLog, QStringLiteral("count"), int(s.login_log.size()));
    for (int i = 0; i < s.login_log.size(); ++i)
        ini.writeString(kLog, "name" + QString::number(i), s.login_log.at(i));
    for (std::size_t j = 0; j < widths.size(); ++j)
        if (widths[j] > 0) ini.writeInteger(kGrid, "Col" + QString::number(j) + "W", widths[j]);
    if (!ini.save(path))
        qCWarning(lcSettings) << "settings not saved to" << path << ":" << ini.errorString();
}

void addToLoginLog(Settings& s, const QString& name) {
    for (const QString& n : s.login_log)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return;
    const auto at = std::upper_bound(s.login_log.begin(), s.login_log.end(), name, lessNoCase);
    s.login_log.insert(at, name);
}

}  // namespace core
