#pragma once
// The values the client keeps between runs, and the file they live in:
// the executable's name with ".INI", beside it.

#include <QString>
#include <QStringList>
#include <vector>

namespace core {

struct Settings {
    QString HostName = QStringLiteral("127.0.0.1");
    QString default_login = QStringLiteral("root");
    QString base_name;
    bool auto_update_sprav = true;
    // Distinct names, sorted without regard to case.
    QStringList login_log;
};

// The journal grid's column widths as designed, in column order.
std::vector<int> designColumnWidths();
// The widest a grid column may be read as: wider than any screen is damage.
inline constexpr int kMaxColumnWidth = 4000;

// "<dir>/<base name>.INI" for an executable path.
QString settingsPathFor(const QString& executablePath);

// Reads the file over the present values: a missing file, section or key
// leaves a value as it is. columnWidths holds the grid's present widths in
// its present order and is updated by position.
void LoadSettings(const QString& path, Settings& settings, std::vector<int>& columnWidths);
// Writes every value; a file that cannot be written is ignored silently.
void SaveSettings(const QString& path, const Settings& settings,
                  const std::vector<int>& columnWidths);

// Adds a name to the login history unless it holds it in any letter case.
void addToLoginLog(Settings& settings, const QString& name);

}  // namespace core
