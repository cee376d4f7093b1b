#pragma once
// The parts of the export script that describe the schema: names as the
// server reads them back, each table's definition with its defaults, and
// the character sets a database and its tables must come back in. What
// SHOW FIELDS and SHOW KEYS leave out (exact texts, character sets, which
// defaults are expressions) comes from information_schema.
//
// The script runner ends a statement at the first line that holds a
// semicolon, and the table definition spans several lines: a name or type
// that holds a semicolon or a line break cannot be written, nor a name the
// script's code page cannot carry. Such a schema is refused rather than
// written into an archive that breaks on import.

#include "core/connection.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <stdexcept>

namespace backup {

// The schema cannot be written so that the script restores it.
struct UnwritableSchema : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A name as the script writes it: bare, or in backquotes where the server
// needs them. Throws UnwritableSchema for a semicolon or a line break.
QByteArray scriptName(const QByteArray& name);

// What the whole database's script needs to know before its first table.
struct DatabaseFacts {
    bool mariadb = false;
    // The character set the database block names: the one the tables share
    // when it is not the database's own (a journal made on a utf8mb4 server
    // holds cp1251 tables), else the database's.
    QByteArray charset;
    struct Table {
        QByteArray charset, collation;
    };
    QHash<QByteArray, Table> tables;
    QHash<QByteArray, QByteArray> defaultCollation;  // of each character set
};
DatabaseFacts readDatabaseFacts(core::Connection& c, const QByteArray& database);

// A column whose texts the cp1251 connection may not carry: its values are
// checked and, where they would come back changed, written in their own
// character set.
struct RecodedColumn {
    int index = 0;  // in the table's column order, as "select *" sends them
    QByteArray name;
    QByteArray charset;
};

struct TableScript {
    QByteArray definition;  // CREATE TABLE ... ;, ending with CR LF
    QList<RecodedColumn> recoded;
};
TableScript tableScript(core::Connection& c, const DatabaseFacts& facts, const QByteArray& database,
                        const QByteArray& table);

}  // namespace backup
