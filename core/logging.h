#pragma once
// Where absorbed errors go. The user sees the fixed texts the program
// promises; the cause (the server's number and message, a file error) is
// logged here so that support can tell a wrong password from a server that
// is down. Enable with QT_LOGGING_RULES="velkor.*=true".

#include <QLoggingCategory>

namespace core {
Q_DECLARE_LOGGING_CATEGORY(lcDb)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
}  // namespace core
