#include "dialogs/print_fonts.h"

#include <QStringList>

namespace dialogs {

void installFontSubstitutes() {
    struct Mapping {
        const char* design;
        const char* substitutes[2];
    };
    // Liberation fonts share the advance widths of the Windows fonts;
    // DejaVu stands behind them when Liberation is missing.
    static const Mapping mappings[] = {
        {"Times New Roman", {"Liberation Serif", "DejaVu Serif"}},
        {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
        {"Arial", {"Liberation Sans", "DejaVu Sans"}},
        {"Courier New", {"Liberation Mono", "DejaVu Sans Mono"}},
    };
    for (const Mapping& m : mappings) {
        const QString design = QString::fromLatin1(m.design);
        const QStringList wanted{QString::fromLatin1(m.substitutes[0]),
                                 QString::fromLatin1(m.substitutes[1])};
        if (QFont::substitutes(design) != wanted) {
            QFont::removeSubstitutions(design);
            QFont::insertSubstitutions(design, wanted);
        }
    }
}

QFont designFont(const QString& family, qreal pointSize, bool bold, bool italic) {
    installFontSubstitutes();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

}  // namespace dialogs
