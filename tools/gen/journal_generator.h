#pragma once
// Realistic journal data made deterministically from a seed: the six
// reference lists and N journal rows, as typed values, as an SQL script or
// loaded straight into a database. The same (rows, seed) always gives the
// same data, byte for byte.
//
// What the data looks like: Ukrainian sources, organisations, places,
// document names, experts and notes; meetings of the commission between
// 2005 and 2026 holding tens of rows each (the latest meeting date selects a
// group of at least ten rows once N allows it); Rec_IDN 1..N; about one value
// in ten of the optional journal columns NULL, a few empty texts; some texts
// with quotes, apostrophes, backslashes and CR LF line breaks. No text holds
// a semicolon, so the script survives runners that split at every semicolon,
// and no text ends in a blank, which a CHAR column would not give back.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace core {
class Connection;
}

namespace testdata {

struct Organisation {
    QString name;                  // org_name
    std::optional<QString> place;  // org_place
};

struct Expert {
    QString login;  // user_login
    std::optional<QString> fam, name, fname;
    std::optional<int> editFlag, adminFlag;
};

// One row of doc_list; nullopt stands for NULL.
struct JournalRow {
    int recIdn = 0;
    std::optional<QString> docSource;
    std::optional<QDate> prDate;
    std::optional<QString> prNum, parentName, parentPlace, docCaption, docNumber;
    std::optional<QDate> docDate;
    std::optional<int> docStartYear, docStopYear;
    std::optional<int> shtukCount, paperCount, placeCount, oneCount, orderCount;
    std::optional<QString> expertFio, advInfo, postUser;
    std::optional<QDateTime> postMoment;
};

struct Journal {
    QStringList sources;                      // sprav_source_list
    std::vector<Organisation> organisations;  // sprav_org_list
    QStringList places;                       // sprav_place_list
    QStringList docTypes;                     // sprav_doctype_list
    std::vector<Expert> experts;              // sprav_expert_list
    QStringList notes;                        // sprav_adv_info
    std::vector<JournalRow> rows;             // doc_list
};

Journal generateJournal(int rows, quint32 seed);

// One table's rows as SQL value lists "(v1, v2, ...)" in Windows-1251, with
// the column list "(c1, c2, ...)" they fill.
struct TableRows {
    QByteArray table;
    QByteArray columns;
    std::vector<QByteArray> values;
};

// The six reference lists, then doc_list.
std::vector<TableRows> journalTables(const Journal& journal);

// One INSERT statement per row, each on its own line ending with ";" and
// CR LF, in Windows-1251.
QByteArray journalSql(const Journal& journal);
QByteArray journalSql(int rows, quint32 seed);

// Inserts the rows into the connection's current database, whose tables
// exist already, several hundred rows per statement. Throws core::DbError
// when the server refuses (for example a key that is already there).
void fillDatabase(core::Connection& c, const Journal& journal);
void fillDatabase(core::Connection& c, int rows, quint32 seed);

}  // namespace testdata
