#pragma once
// Scripts run statement by statement, split at every semicolon: the way a
// new journal database is made from its template. (The import reads its
// scripts line by line instead.)

#include "core/connection.h"

#include <QByteArray>
#include <QList>

namespace core {

// The statements between semicolons that hold more than blanks.
QList<QByteArray> splitAtSemicolons(const QByteArray& script);
// Executes them in order; the first refusal throws its DbError.
void runSplitScript(Connection& connection, const QByteArray& script);

}  // namespace core
