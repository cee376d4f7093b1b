#pragma once
// The printouts and the about window are designed in Windows fonts. Here
// they are mapped to metric-compatible fonts that setup.sh installs, so that
// a page breaks where it was designed to and PDF files carry real Cyrillic
// glyphs instead of whatever fallback the system would pick.

#include <QFont>
#include <QString>

namespace dialogs {

// Registers the substitutes with Qt; safe to call any number of times.
void installFontSubstitutes();

// A font of the given design family and point size, with the substitutes
// in place.
QFont designFont(const QString& family, qreal pointSize, bool bold = false, bool italic = false);

}  // namespace dialogs
