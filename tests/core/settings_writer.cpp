// Saves the settings file over and over, as a second copy of the program
// beside the first would: used by the settings tests to run two writers at
// once. Arguments: the file, a login name, the number of rounds.
#include "core/settings.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) return 2;
    core::Settings s;
    s.login_log = {args.at(2)};
    s.default_login = args.at(2);
    std::vector<int> widths = core::designColumnWidths();
    const int rounds = args.at(3).toInt();
    for (int i = 0; i < rounds; ++i) {
        s.base_name = QString::number(i);
        core::SaveSettings(args.at(1), s, widths);
    }
    return 0;
}
