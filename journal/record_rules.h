#pragma once
// The record editor's rules that need no window: its seventeen named
// controls and the fields they edit, the bounds of its number fields, the expert short names, the
// memory of the last protocol and the growing of the reference lists.

#include "core/client_dataset.h"
#include "core/connection.h"
#include "core/data_sets.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>

namespace journal {

// The editor's controls in tab order, each named after what it holds.
enum class EditorControl {
    Source,     // where the documents came from
    PrDate,     // protocol date
    PrNum,      // protocol number
    Org,        // organisation
    Place,      // its place
    Caption,    // document name
    DocNum,     // document number
    DocDate,    // document date
    StartYear,  // first year
    StopYear,   // last year
    Shtuk,      // the five counts
    Paper,
    Places,
    Ones,
    Orders,
    Expert,
    Notes
};
constexpr int kEditorControlCount = 17;

// How a control edits its field.
enum class ControlKind { List, Date, Text, Number, Expert };

struct EditorField {
    EditorControl control;
    const char* label;
    int field;  // position in the journal
    ControlKind kind;
    // The reference table of a list-backed field; it grows with new texts.
    const QString* list = nullptr;
    int low = 0;
    int high = 0;
};

// The fields in tab order: kEditorFields[i].control is EditorControl(i).
extern const std::array<EditorField, kEditorControlCount> kEditorFields;
inline const EditorField& editorField(EditorControl c) { return kEditorFields[std::size_t(c)]; }

// A whole number typed into a bounded field: digits only, brought to the
// nearer bound; nullopt for an empty text.
std::optional<qint64> boundedNumber(const QString& text, qint64 low, qint64 high);

// "DD.MM.YYYY": an empty text (digits left out) is no date, a text that is
// no calendar date is refused.
struct DateInput {
    bool empty = false;
    QDate date;  // invalid for a refused text
};
DateInput parseDateInput(const QString& text);

// Surname, a blank, the first letters of first name and patronymic, each
// followed by a point: "Петренко І.О.".
QString expertShortName(const QString& fam, const QString& name, const QString& fname);
// The short names of every row of the expert list, sorted.
QStringList expertShortNames(const core::ClientDataSet& experts);

// The last protocol date and number saved, offered to rows that lack them.
struct EditorMemory {
    QDate lastDate;  // invalid: none
    QString lastNumber;
    void remember(const QDate& date, const QString& number) {
        lastDate = date;
        lastNumber = number;
    }
};

// The entry reference auto-fill adds for a list field's text, as the list
// will hold it: the text as the record stores it (look-alike characters
// replaced, cut to the record field's width, trailing blanks dropped).
// nullopt when the text was chosen from the list, is empty, or is already
// among the items as they read in the record (letter case aside), so that
// no text is ever offered twice.
std::optional<QString> autoFillEntry(const QString& text, bool chosen, int recordWidth,
                                     const QStringList& items);

// The lists the editor offers, by control: each list-backed field's
// reference table as the server holds it now, and for the expert field the
// short names of the loaded expert list.
struct EditorLists {
    std::array<QStringList, kEditorControlCount> items;
    QStringList& of(EditorControl c) { return items[std::size_t(c)]; }
    const QStringList& of(EditorControl c) const { return items[std::size_t(c)]; }
};
// Reads them: "select * from " + each reference table. A server error
// propagates, and nothing else has been done then.
EditorLists readEditorLists(core::Connection& connection, const core::DataSets& dataSets);

}  // namespace journal
