#include "core/logging.h"

namespace core {
// Warnings are on by default, so an absorbed error reaches standard error.
Q_LOGGING_CATEGORY(lcDb, "velkor.db", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "velkor.settings", QtWarningMsg)
}  // namespace core
