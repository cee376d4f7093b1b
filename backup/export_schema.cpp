#include "backup/export_schema.h"

#include "core/codepage.h"
#include "core/sql_literals.h"

#include <QRegularExpression>
#include <QSet>

namespace backup {

namespace {

QByteArray bytesOf(const core::FieldValue& v) { return v.bytes(); }

bool breaksStatement(const QByteArray& text) {
    return text.contains(';') || text.contains('\r') || text.contains('\n');
}

// 1 when the text reads back the same once the cp1251 connection has
// carried it; the server decides, as it is the server that converts.
QByteArray carriedExactly(const QByteArray& column) {
    return "cast(convert(convert(" + column + " using cp1251) using utf8mb4) as binary) = cast(" +
           "convert(" + column + " using utf8mb4) as binary)";
}

// MariaDB writes a literal default in information_schema as an SQL string:
// in apostrophes, an apostrophe doubled, a few characters escaped.
QByteArray unquoteLiteral(const QByteArray& literal) {
    if (literal.size() < 2 || !literal.startsWith('\'') || !literal.endsWith('\'')) return literal;
    QByteArray out;
    for (qsizetype i = 1; i + 1 < literal.size(); ++i) {
        char c = literal[i];
        if (c == '\'' && i + 2 < literal.size() && literal[i + 1] == '\'') {
            ++i;
        } else if (c == '\\' && i + 2 < literal.size()) {
            switch (c = literal[++i]) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case '0':
                    c = '\0';
                    break;
                case 'Z':
                    c = '\x1a';
                    break;
                default:
                    break;  // \\ \' \" and the rest: the character itself
            }
        }
        out += c;
    }
    return out;
}

// What information_schema tells of one column beyond SHOW FIELDS.
struct ColumnFacts {
    int index = 0;
    QByteArray dataType;
    QByteArray charset, collation;
    bool expressionDefault = false;
    std::optional<QString> literalDefault;  // the exact text of a literal default
    bool nameExact = true, typeExact = true;
};

QHash<QByteArray, ColumnFacts> readColumnFacts(core::Connection& c, const DatabaseFacts& facts,
                                               const QByteArray& database,
                                               const QByteArray& table) {
    static const QRegularExpression number(
        QStringLiteral("^[-+]?[0-9]*\\.?[0-9]+([eE][-+]?[0-9]+)?$"));
    static const QRegularExpression now(QStringLiteral("^current_timestamp(\\(\\d*\\))?$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bitOrHex(QStringLiteral("^[bBxX]'"));
    QHash<QByteArray, ColumnFacts> columns;
    auto r = c.query(
        "select COLUMN_NAME, COLUMN_DEFAULT, hex(COLUMN_DEFAULT), DATA_TYPE, CHARACTER_SET_NAME,"
        " COLLATION_NAME, " +
        carriedExactly("COLUMN_NAME") + ", " + carriedExactly("COLUMN_TYPE") +
        " from information_schema.COLUMNS where TABLE_SCHEMA = " + core::SqlQuote(database, true) +
        " and TABLE_NAME = " + core::SqlQuote(table, true) + " order by ORDINAL_POSITION");
    for (int index = 0; r->next(); ++index) {
        ColumnFacts f;
        f.index = index;
        f.dataType = bytesOf(r->field(3)).toLower();
        f.charset = bytesOf(r->field(4));
        f.collation = bytesOf(r->field(5));
        f.nameExact = r->field(6).asInt64() == 1;
        f.typeExact = r->field(7).asInt64() == 1;
        if (!r->isNull(1)) {
            // Defaults that the server computes (current_timestamp() and the
            // like) must stay unquoted, or the definition no longer runs.
            // MariaDB tells them apart, as it quotes literal texts; elsewhere
            // only the current time is recognised.
            const QByteArray def = bytesOf(r->field(1)).trimmed();
            const QString text = QString::fromLatin1(def);
            if (facts.mariadb)
                f.expressionDefault = !def.isEmpty() && !def.startsWith('\'') && def != "NULL" &&
                                      !number.match(text).hasMatch() &&
                                      !bitOrHex.match(text).hasMatch();
            else
                f.expressionDefault = now.match(text).hasMatch();
            // The exact text, from the server's own bytes (UTF-8), which
            // the cp1251 connection would have changed.
            const QByteArray utf8 = QByteArray::fromHex(bytesOf(r->field(2)));
            if (!f.expressionDefault && (!facts.mariadb || def.startsWith('\'')))
                f.literalDefault =
                    QString::fromUtf8(facts.mariadb ? unquoteLiteral(utf8.trimmed()) : utf8);
        }
        columns.insert(bytesOf(r->field(0)), f);
    }
    return columns;
}

// " CHARACTER SET x COLLATE y" as far as the column differs from the table
// it is recreated in.
QByteArray characterSetClause(const ColumnFacts& f, const DatabaseFacts::Table& table,
                              const DatabaseFacts& facts) {
    if (f.charset.isEmpty()) return {};
    if (f.charset != table.charset) {
        QByteArray out = " CHARACTER SET " + f.charset;
        if (!f.collation.isEmpty() && f.collation != facts.defaultCollation.value(f.charset))
            out += " COLLATE " + f.collation;
        return out;
    }
    if (!f.collation.isEmpty() && f.collation != table.collation) return " COLLATE " + f.collation;
    return {};
}

QByteArray defaultClause(const core::FieldValue& shown, const ColumnFacts* f) {
    const QByteArray value = shown.isNull() ? QByteArray() : shown.bytes().trimmed();
    const QByteArray type = f ? f->dataType : QByteArray();
    if (value.isEmpty()) {
        // '' is a member of an ENUM or SET like any other; left out, the
        // default would become the first member or NULL.
        if ((type == "enum" || type == "set") && !shown.isNull() && shown.bytes().isEmpty())
            return " DEFAULT ''";
        return {};
    }
    if (!f) return " DEFAULT " + core::SqlQuote(value, false);
    if (f->expressionDefault) {
        if (breaksStatement(value))
            throw UnwritableSchema("an expression default holds a semicolon");
        return " DEFAULT " + value;
    }
    if (type == "bit") {
        // b'1' is the literal itself; in quotes it would be a text.
        static const QRegularExpression bits(QStringLiteral("^b'[01]*'$"));
        if (!bits.match(QString::fromLatin1(value)).hasMatch())
            throw UnwritableSchema("a BIT default in an unknown form");
        return " DEFAULT " + value;
    }
    if (f->charset.isEmpty()) {
        // Numbers, dates and binary strings: their bytes as they are.
        if (value.contains(';')) return " DEFAULT " + core::SqlHex(shown.bytes());
        return " DEFAULT " + core::SqlQuote(value, false);
    }
    const QString exact = f->literalDefault.value_or(core::fromCp1251(shown.bytes()));
    if (core::asStored(exact) != exact)
        return " DEFAULT " + core::SqlHex(exact.toUtf8(), "utf8mb4");
    if (value.contains(';')) return " DEFAULT " + core::SqlHex(core::toCp1251(exact), "cp1251");
    return " DEFAULT " + core::SqlQuote(value, false);
}

}  // namespace

QByteArray scriptName(const QByteArray& name) {
    if (breaksStatement(name))
        throw UnwritableSchema("the name " + name.toStdString() +
                               " holds a semicolon or a line break");
    return core::SqlName(name);
}

DatabaseFacts readDatabaseFacts(core::Connection& c, const QByteArray& database) {
    DatabaseFacts facts;
    {
        auto r = c.query(QByteArray("select version()"));
        if (r->next()) facts.mariadb = r->field(0).bytes().contains("MariaDB");
    }
    QByteArray own;
    {
        auto r = c.query(
            "select DEFAULT_CHARACTER_SET_NAME from information_schema.SCHEMATA"
            " where SCHEMA_NAME = " +
            core::SqlQuote(database, true));
        if (r->next()) own = bytesOf(r->field(0)).trimmed();
    }
    {
        auto r =
            c.query(QByteArray("select CHARACTER_SET_NAME, DEFAULT_COLLATE_NAME from "
                               "information_schema.CHARACTER_SETS"));
        while (r->next()) facts.defaultCollation.insert(bytesOf(r->field(0)), bytesOf(r->field(1)));
    }
    QSet<QByteArray> shared;
    {
        auto r = c.query(
            "select t.TABLE_NAME, t.TABLE_COLLATION, c.CHARACTER_SET_NAME"
            " from information_schema.TABLES t left join information_schema.COLLATIONS c"
            " on c.COLLATION_NAME = t.TABLE_COLLATION where t.TABLE_SCHEMA = " +
            core::SqlQuote(database, true));
        while (r->next()) {
            const DatabaseFacts::Table t{bytesOf(r->field(2)), bytesOf(r->field(1))};
            facts.tables.insert(bytesOf(r->field(0)), t);
            if (!t.charset.isEmpty()) shared.insert(t.charset);
        }
    }
    facts.charset = shared.size() == 1 ? *shared.begin() : own;
    return facts;
}

TableScript tableScript(core::Connection& c, const DatabaseFacts& facts, const QByteArray& database,
                        const QByteArray& table) {
    const QByteArray q = core::SqlName(database) + '.' + scriptName(table);
    const QHash<QByteArray, ColumnFacts> columns = readColumnFacts(c, facts, database, table);
    // The table is recreated in the database block's character set unless
    // its definition names its own.
    DatabaseFacts::Table recreated{facts.charset, facts.defaultCollation.value(facts.charset)};
    QByteArray options;
    if (const auto t = facts.tables.find(table); t != facts.tables.end()) {
        if (!t->charset.isEmpty() && t->charset != recreated.charset) {
            recreated = {t->charset, facts.defaultCollation.value(t->charset)};
            options += " DEFAULT CHARSET=" + t->charset;
        }
        if (!t->collation.isEmpty() && t->collation != recreated.collation) {
            recreated.collation = t->collation;
            options += " COLLATE=" + t->collation;
        }
    }

    TableScript out;
    QByteArray& def = out.definition;
    def = "CREATE TABLE " + scriptName(table) + '(';
    {
        auto r = c.query("show fields from " + q);
        for (int j = 0; r->next(); ++j) {
            if (j > 0) def += ',';
            const QByteArray name = bytesOf(r->field(u"Field"));
            const auto found = columns.find(name);
            const ColumnFacts* f = found == columns.end() ? nullptr : &*found;
            const QByteArray type = bytesOf(r->field(u"Type"));
            if (f && !f->nameExact)
                throw UnwritableSchema("a column name outside the script's code page");
            if (breaksStatement(type) || (f && !f->typeExact))
                throw UnwritableSchema("the type of column " + name.toStdString() +
                                       " holds a semicolon, a line break or a character outside "
                                       "the script's code page");
            def += "\r\n  " + scriptName(name) + ' ' + type;
            if (f) def += characterSetClause(*f, recreated, facts);
            const QByteArray null = bytesOf(r->field(u"Null"));
            if (null.isEmpty() || !QByteArray("TtYy").contains(null.at(0))) def += " NOT NULL ";
            def += defaultClause(r->field(u"Default"), f);
            if (f && !f->charset.isEmpty() && f->charset != "cp1251")
                out.recoded.append({f->index, name, f->charset});
        }
    }
    {
        auto r = c.query("show keys from " + q);
        QByteArray label, keyColumns;
        int k = 0;
        auto keyText = [&]() -> QByteArray { return "  " + label + '(' + keyColumns + ')'; };
        while (r->next()) {
            const QByteArray keyName = bytesOf(r->field(u"Key_name"));
            const QByteArray kind = bytesOf(r->field(u"Index_type")).toUpper();
            QByteArray newLabel = "KEY " + scriptName(keyName);
            if (keyName.startsWith("PRIMARY"))
                newLabel = "PRIMARY KEY";
            else if (kind == "FULLTEXT" || kind == "SPATIAL")
                newLabel = kind + ' ' + newLabel;
            // A key over a prefix of a text or BLOB column cannot be made
            // without its length.
            QByteArray column = scriptName(bytesOf(r->field(u"Column_name")));
            const core::FieldValue part = r->field(u"Sub_part");
            if (!part.isNull() && kind != "SPATIAL") column += '(' + part.bytes() + ')';
            if (newLabel.compare(label, Qt::CaseInsensitive) != 0) {
                if (k != 0) def += ",\r\n";
                ++k;
                if (!label.isEmpty()) def += keyText();
                label = newLabel;
                keyColumns = column;
            } else {
                keyColumns += ", " + column;
            }
        }
        if (!label.isEmpty()) def += ",\r\n" + keyText();
    }
    def += "\r\n ) ENGINE=MyISAM" + options + ";\r\n";
    return out;
}

}  // namespace backup
