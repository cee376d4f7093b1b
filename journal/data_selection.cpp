#include "journal/data_selection.h"

#include "core/codepage.h"
#include "core/sql_literals.h"
#include "core/text_trim.h"

#include <QRegularExpression>
#include <QTime>

namespace journal {

namespace {
// L(x): the value as a double-quoted SQL text literal.
QString literal(const QString& value) {
    return core::fromCp1251(core::SqlQuote(core::toCp1251(value), false));
}

bool readTime(const QString& text) {
    for (const char* f : {"h:mm", "h:mm:ss", "hh:mm", "hh:mm:ss"})
        if (QTime::fromString(text, QString::fromLatin1(f)).isValid()) return true;
    return false;
}
}  // namespace

bool SelectionParameter::isDate() const { return QByteArray(field).contains("_date"); }

const std::array<SelectionParameter, kSelectionParameterCount>& selectionParameters() {
    static const std::array<SelectionParameter, kSelectionParameterCount> params = {{
        {"doc_source", "Звідки прийшли"},
        {"pr_date", "Дата засідання"},
        {"pr_num", "№ протокола"},
        {"parent_name", "Фондоутворювач"},
        {"parent_place", "Місцезнаходження"},
        {"doc_caption", "Назва документа"},
        {"doc_number", "№ документа"},
        {"doc_date", "Дата документа"},
        {"doc_start_year", "Прешій рік"},
        {"doc_stop_year", "Останній рік"},
        {"expert_fio", "П.І.Б. експерта"},
        {"adv_info", "Примітка"},
    }};
    return params;
}

std::optional<QDate> readUserDate(const QString& text, const QLocale& locale) {
    const QString t = core::trimControls(text);
    if (t.isEmpty()) return std::nullopt;
    // The date, then optionally a time after a blank.
    const qsizetype blank = t.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString datePart = blank < 0 ? t : t.left(blank);
    if (blank >= 0 && !readTime(core::trimControls(t.mid(blank)))) return std::nullopt;
    for (const char* f : {"d.M.yyyy", "dd.MM.yyyy"}) {
        const QDate d = QDate::fromString(datePart, QString::fromLatin1(f));
        if (d.isValid()) return d;
    }
    QDate d = locale.toDate(datePart, QLocale::ShortFormat);
    if (!d.isValid()) return std::nullopt;
    // A two-digit year means 1930 to 2029, as the desktop's own date
    // settings take it, not the 1900s.
    if (!datePart.contains(QRegularExpression(QStringLiteral("\\d{4}"))) && d.year() < 1930)
        d = d.addYears(100);
    return d;
}

Selection composeSelection(const std::array<SelectionBounds, kSelectionParameterCount>& bounds,
                           const QLocale& locale) {
    Selection out;
    const auto& params = selectionParameters();
    for (int i = 0; i < kSelectionParameterCount; ++i) {
        const SelectionParameter& p = params[std::size_t(i)];
        const QString field = QString::fromLatin1(p.field);
        const QString label = QString::fromUtf8(p.label);
        QString min = core::trimControls(bounds[std::size_t(i)].min);
        QString max = core::trimControls(bounds[std::size_t(i)].max);
        if (min.isEmpty() && max.isEmpty()) continue;
        if (p.isDate()) {
            for (QString* v : {&min, &max}) {
                if (v->isEmpty()) continue;
                const std::optional<QDate> d = readUserDate(*v, locale);
                if (!d) return {false, {}, {}, "Параметр " + label + " указан неверно."};
                *v = d->toString(QStringLiteral("yyyy-MM-dd"));
            }
        }
        QString condition, item;
        if (max.isEmpty()) {
            condition = field + " = " + literal(min);
            item = label + " равен " + min;
        } else if (min.isEmpty()) {
            condition = field + " <= " + literal(max);
            item = label + " меньше или равен " + max;
        } else {
            condition = field + " >= " + literal(min) + " and " + field + " <= " + literal(max);
            item = label + " от " + literal(min) + " до " + literal(max);
        }
        if (!out.where.isEmpty()) out.where += " AND ";
        out.where += condition;
        if (!out.info.isEmpty()) out.info += " и ";
        out.info += item;
    }
    if (!out.where.isEmpty()) out.where = " where " + out.where + " ";
    if (out.info.isEmpty()) out.info = QStringLiteral("Все данные");
    return out;
}

}  // namespace journal
