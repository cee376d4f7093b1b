#pragma once

class QApplication;

namespace app {

// The program's look: Qt's Fusion style with an emerald and slate palette.
// False when the style cannot be had; the default look stays then.
bool applyVisualStyle(QApplication& application);

}  // namespace app
