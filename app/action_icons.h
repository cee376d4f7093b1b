#pragma once
// The 32 x 32 pictures of the main window's actions, drawn in one style:
// an emerald tile with a white sign.

#include <QIcon>
#include <QString>

namespace app {

QIcon actionIcon(const QString& actionName);

}  // namespace app
