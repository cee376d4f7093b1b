#pragma once
// The record editor's rules that need no window: its seventeen fields, the
// bounds of its number fields, the expert short names, the memory of the
// last protocol and the growing of the reference lists.

#include "core/client_dataset.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>

namespace journal {

enum class EditorControl { List, Date, Text, Number, Expert };

struct EditorField {
    const char* label;
    int field;  // position in the journal
    EditorControl control;
    int list = -1;  // reference list number of a list-backed field
    int low = 0;
    int high = 0;
};

// The fields in tab order.
extern const std::array<EditorField, 17> kEditorFields;
// The reference tables of lists 0 to 4.
extern const std::array<const char*, 5> kEditorListTables;

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

// Adds the text to the reference list when it is not empty and not among
// the items (letter case aside); true when a row was added and stored.
bool autoFillReference(core::ClientDataSet& list, const QString& text, const QStringList& items);

}  // namespace journal
