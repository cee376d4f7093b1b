#include "journal/record_rules.h"

#include "core/codepage.h"
#include "core/schema.h"

#include <QRegularExpression>
#include <algorithm>

namespace journal {

namespace doc = core::schema::doc;

namespace {
using C = EditorControl;
using K = ControlKind;
namespace schema = core::schema;
}  // namespace

const std::array<EditorField, kEditorControlCount> kEditorFields = {{
    {C::Source, "Звідки надійшли документи: ", doc::doc_source, K::List, &schema::kSourceList},
    {C::PrDate, "Дата засідання ЕПК:", doc::pr_date, K::Date},
    {C::PrNum, "№ протоколу:", doc::pr_num, K::Text},
    {C::Org, "Назва організації:", doc::parent_name, K::List, &schema::kOrgList},
    {C::Place, "Місцезнаходження:", doc::parent_place, K::List, &schema::kPlaceList},
    {C::Caption, "Назва документа:", doc::doc_caption, K::List, &schema::kDocTypeList},
    {C::DocNum, "№ документа:", doc::doc_number, K::Text},
    {C::DocDate, "Дата документа:", doc::doc_date, K::Date},
    {C::StartYear, "Рік (роки):", doc::doc_start_year, K::Number, nullptr, 1900, 2900},
    {C::StopYear, "——", doc::doc_stop_year, K::Number, nullptr, 1900, 2900},
    {C::Shtuk, "штук:", doc::shtuk_count, K::Number, nullptr, 0, 999999999},
    {C::Paper, "аркушів:", doc::paper_count, K::Number, nullptr, 0, 999999999},
    {C::Places, "позицій:", doc::place_count, K::Number, nullptr, 0, 999999999},
    {C::Ones, "од.зб/од.обл.:", doc::one_count, K::Number, nullptr, 0, 999999999},
    {C::Orders, "статей:", doc::order_count, K::Number, nullptr, 0, 999999999},
    {C::Expert, "П.І.Б. експерта:", doc::expert_fio, K::Expert},
    {C::Notes, "Примітки (списки):", doc::adv_info, K::List, &schema::kNotesList},
}};

std::optional<qint64> boundedNumber(const QString& text, qint64 low, qint64 high) {
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative) digits.remove(0, 1);
    digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    if (digits.isEmpty()) return std::nullopt;
    // More digits than any bound has: the upper bound, or the lower for a
    // negative number.
    if (digits.size() > 18) return negative ? low : high;
    const qint64 n = digits.toLongLong() * (negative ? -1 : 1);
    return std::clamp(n, low, high);
}

DateInput parseDateInput(const QString& text) {
    DateInput in;
    if (!text.contains(QRegularExpression(QStringLiteral("[0-9]")))) {
        in.empty = true;
        return in;
    }
    in.date = QDate::fromString(text.trimmed(), QStringLiteral("dd.MM.yyyy"));
    return in;
}

QString expertShortName(const QString& fam, const QString& name, const QString& fname) {
    QString s = fam + QLatin1Char(' ');
    if (!name.isEmpty()) s += name.at(0);
    s += QLatin1Char('.');
    if (!fname.isEmpty()) s += fname.at(0);
    s += QLatin1Char('.');
    return s;
}

QStringList expertShortNames(const core::ClientDataSet& experts) {
    QStringList names;
    const int fam = experts.fieldIndex(u"FAM");
    const int name = experts.fieldIndex(u"NAME");
    const int fname = experts.fieldIndex(u"FNAME");
    if (fam < 0 || name < 0 || fname < 0) return names;
    for (int r = 0; r < experts.rowCount(); ++r)
        names << expertShortName(experts.value(r, fam).asText(), experts.value(r, name).asText(),
                                 experts.value(r, fname).asText());
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
    return names;
}

namespace {
QString asInRecord(const QString& text, int recordWidth) {
    QString entry = core::asStored(text);
    if (recordWidth > 0 && entry.size() > recordWidth) entry.truncate(recordWidth);
    // The server keeps these texts without trailing blanks.
    while (!entry.isEmpty() && entry.back().isSpace()) entry.chop(1);
    return entry;
}
}  // namespace

std::optional<QString> autoFillEntry(const QString& text, bool chosen, int recordWidth,
                                     const QStringList& items) {
    if (chosen) return std::nullopt;
    const QString entry = asInRecord(text, recordWidth);
    if (entry.isEmpty()) return std::nullopt;
    // A list item longer than the record field reads cut in the record: the
    // record's text is that item, not a new one.
    for (const QString& item : items)
        if (asInRecord(item, recordWidth).compare(entry, Qt::CaseInsensitive) == 0)
            return std::nullopt;
    return entry;
}

EditorLists readEditorLists(core::Connection& connection, const core::DataSets& dataSets) {
    EditorLists lists;
    for (const EditorField& f : kEditorFields) {
        if (f.kind != ControlKind::List) continue;
        // Read from the server, not from the local lists: the editor offers
        // what the server holds now.
        auto result = connection.query(QByteArray("select * from ") + f.list->toLatin1());
        while (result->next()) lists.of(f.control) << result->field(0).asText();
    }
    lists.of(EditorControl::Expert) =
        expertShortNames(dataSets.referenceList(core::schema::kExpertList));
    return lists;
}

}  // namespace journal
