#pragma once
// Turns the minimum and maximum typed for twelve journal fields into a WHERE
// text for queries on doc_list and the same condition in words.

#include <QDate>
#include <QLocale>
#include <QString>
#include <array>
#include <optional>

namespace journal {

struct SelectionParameter {
    const char* field;    // doc_list column
    const char* label;    // shown in the dialog and the description (UTF-8)
    bool isDate() const;  // a field whose name holds "_date"
};

constexpr int kSelectionParameterCount = 12;
const std::array<SelectionParameter, kSelectionParameterCount>& selectionParameters();

struct SelectionBounds {
    QString min;
    QString max;
};

struct Selection {
    bool ok = true;  // false: a date could not be read
    QString where;   // "" or " where ... "
    QString info;    // description; "Все данные" when nothing was given
    QString error;   // the message for an unreadable date
};

// The day.month.year forms users type (d.m.yyyy, dd.mm.yyyy), the locale's
// short date form besides; a time may follow and is dropped.
std::optional<QDate> readUserDate(const QString& text, const QLocale& locale = QLocale::system());

Selection composeSelection(const std::array<SelectionBounds, kSelectionParameterCount>& bounds,
                           const QLocale& locale = QLocale::system());

}  // namespace journal
