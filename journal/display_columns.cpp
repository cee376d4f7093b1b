#include "journal/display_columns.h"

#include "core/codepage.h"
#include "core/schema.h"
#include "core/text_trim.h"

namespace journal {

namespace {
const char kBreak[] = "\n\r";

// The journal's words in the code page the rows are kept in.
struct Words {
    static QByteArray cp(const char* utf8) { return core::toCp1251(QString::fromUtf8(utf8)); }
    const QByteArray from = cp(" від "), over = cp(" за "), years = cp(" рр."), in = cp(" на "),
                     year = cp(" рік");
    const QByteArray units[5] = {cp(" шт."), cp(" аркушів"), cp(" поз"), cp(" од.зб."),
                                 cp(" статей")};
};
const Words& words() {
    static const Words w;
    return w;
}

// Stored dates arrive as yyyy-mm-dd; the journal writes dd.mm.yyyy.
void appendDate(QByteArray& s, const core::FieldValue& v) {
    const std::string_view r = v.raw();
    if (r.size() >= 10 && r[4] == '-' && r[7] == '-') {
        s.append(r.data() + 8, 2)
            .append('.')
            .append(r.data() + 5, 2)
            .append('.')
            .append(r.data(), 4);
        return;
    }
    s += v.asDate().toString(QStringLiteral("dd.MM.yyyy")).toLatin1();
}

void appendText(QByteArray& s, const core::FieldValue& v) {
    s.append(v.raw().data(), qsizetype(v.raw().size()));
}

}  // namespace

QByteArray composeColum3(const core::FieldValue& pr_date, const core::FieldValue& pr_num) {
    QByteArray s;
    if (!pr_date.isNull()) appendDate(s, pr_date);
    if (!pr_num.isNull()) {
        if (!s.isEmpty()) s += kBreak;
        appendText(s, pr_num);
    }
    return s;
}

QByteArray composeColum4(const core::FieldValue& parent_name,
                         const core::FieldValue& parent_place) {
    QByteArray s;
    appendText(s, parent_name);
    if (!parent_place.isNull()) {
        if (!s.isEmpty()) s += kBreak;
        appendText(s, parent_place);
    }
    return s;
}

QByteArray composeColum5(const core::FieldValue& doc_caption, const core::FieldValue& doc_number,
                         const core::FieldValue& doc_date, const core::FieldValue& doc_start_year,
                         const core::FieldValue& doc_stop_year) {
    QByteArray s;
    appendText(s, doc_caption);
    s += ' ';
    appendText(s, doc_number);
    s = core::trimControls(s);
    if (!doc_date.isNull()) {
        s += words().from;
        appendDate(s, doc_date);
    }
    if (!doc_start_year.isNull() && !doc_stop_year.isNull()) {
        s += words().over;
        appendText(s, doc_start_year);
        s += '-';
        appendText(s, doc_stop_year);
        s += words().years;
    } else if (!doc_start_year.isNull()) {
        s += words().in;
        appendText(s, doc_start_year);
        s += words().year;
    }
    return core::trimControls(s);
}

QByteArray composeColum6(const core::FieldValue counts[5]) {
    QByteArray s;
    for (int i = 0; i < 5; ++i) {
        if (counts[i].isNull()) continue;
        appendText(s, counts[i]);
        s += words().units[i];
        s += kBreak;
    }
    return core::trimControls(s);
}

void ClientDataSet_doc_listCalcFields::operator()(core::ClientDataSet& ds, core::CalcRow& row) {
    if (&ds != dataset_ || ds.generation() != generation_) {
        dataset_ = &ds;
        generation_ = ds.generation();
        // By name: a dataset of other columns has none of them.
        namespace doc = core::schema::doc;
        static constexpr int inputs[14] = {
            doc::pr_date,       doc::pr_num,      doc::parent_name, doc::parent_place,
            doc::doc_caption,   doc::doc_number,  doc::doc_date,    doc::doc_start_year,
            doc::doc_stop_year, doc::shtuk_count, doc::paper_count, doc::place_count,
            doc::one_count,     doc::order_count};
        static constexpr int outputs[4] = {doc::Colum3, doc::Colum4, doc::Colum5, doc::Colum6};
        const auto position = [&](int column) {
            return ds.fieldIndex(QString::fromLatin1(core::schema::journalColumn(column).name));
        };
        present_ = true;
        for (int i = 0; i < 4; ++i) {
            out_[i] = position(outputs[i]);
            present_ = present_ && out_[i] >= 0;
        }
        for (int i = 0; i < 14; ++i) {
            in_[i] = position(inputs[i]);
            present_ = present_ && in_[i] >= 0;
        }
    }
    if (!present_) return;
    auto v = [&](int i) { return row.value(in_[i]); };
    row.setCalculated(out_[0], composeColum3(v(0), v(1)));
    row.setCalculated(out_[1], composeColum4(v(2), v(3)));
    row.setCalculated(out_[2], composeColum5(v(4), v(5), v(6), v(7), v(8)));
    const core::FieldValue counts[5] = {v(9), v(10), v(11), v(12), v(13)};
    row.setCalculated(out_[3], composeColum6(counts));
}

}  // namespace journal
