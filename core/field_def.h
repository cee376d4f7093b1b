#pragma once
// One field of a client dataset: its name, the server column it is written
// back to, its kind, width and flags.

#include "core/field_value.h"

#include <QByteArray>
#include <QString>

namespace core {

struct FieldDef {
    QString name;
    QByteArray column;  // the server column a stored field is written back to
    FieldKind kind = FieldKind::Other;
    int width = 0;  // characters; a longer text is cut on assignment (0: no limit)
    bool required = false;
    bool calculated = false;
};

}  // namespace core
