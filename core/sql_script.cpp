#include "core/sql_script.h"

namespace core {

QList<QByteArray> splitAtSemicolons(const QByteArray& script) {
    QList<QByteArray> out;
    for (const QByteArray& part : script.split(';'))
        if (!part.trimmed().isEmpty()) out << part;
    return out;
}

void runSplitScript(Connection& connection, const QByteArray& script) {
    for (const QByteArray& statement : splitAtSemicolons(script)) connection.execute(statement);
}

}  // namespace core
