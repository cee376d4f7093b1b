#include "reports/spreadsheet_writer.h"

#include <xlsxwriter.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cmath>

namespace reports {

namespace {

constexpr int kProgressStep = 500;

QString cannotWrite(const QString& path) {
    return QStringLiteral("Не удалось записать файл ") + QDir::toNativeSeparators(path) +
           QStringLiteral(".");
}

// Spreadsheet widths are counted in characters of the default font, about
// seven pixels each.
double widthInCharacters(int pixels) { return std::max(2.0, pixels / 7.0); }

lxw_format_alignments horizontal(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) return LXW_ALIGN_CENTER;
    if (a & Qt::AlignRight) return LXW_ALIGN_RIGHT;
    return LXW_ALIGN_LEFT;
}

QString numberText(double v) {
    if (std::floor(v) == v && std::fabs(v) < 1e15) return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

// The workbook and its formats; closed (and so written) by close().
class Workbook {
  public:
    explicit Workbook(const QByteArray& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;  // rows go out as they are written
        book_ = workbook_new_opt(path.constData(), &options);
        if (!book_) return;
        sheet_ = workbook_add_worksheet(book_, nullptr);
        title_ = workbook_add_format(book_);
        format_set_bold(title_);
        format_set_font_size(title_, 14);
        format_set_align(title_, LXW_ALIGN_CENTER);
        head_ = workbook_add_format(book_);
        format_set_bold(head_);
        format_set_text_wrap(head_);
        format_set_align(head_, LXW_ALIGN_CENTER);
        format_set_align(head_, LXW_ALIGN_VERTICAL_CENTER);
        format_set_border(head_, LXW_BORDER_THIN);
        foot_ = workbook_add_format(book_);
        format_set_bold(foot_);
        format_set_border(foot_, LXW_BORDER_THIN);
        note_ = workbook_add_format(book_);
        format_set_text_wrap(note_);
        format_set_align(note_, LXW_ALIGN_VERTICAL_TOP);
    }
    ~Workbook() {
        if (book_) workbook_close(book_);
    }
    bool ok() const { return book_ && sheet_; }
    lxw_format* cellFormat(Qt::Alignment a) {
        lxw_format*& f = cells_[horizontal(a)];
        if (!f) {
            f = workbook_add_format(book_);
            format_set_text_wrap(f);
            format_set_align(f, horizontal(a));
            format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
            format_set_border(f, LXW_BORDER_THIN);
        }
        return f;
    }
    bool close() {
        const lxw_error e = workbook_close(book_);
        book_ = nullptr;
        return e == LXW_NO_ERROR;
    }
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* title_ = nullptr;
    lxw_format* head_ = nullptr;
    lxw_format* foot_ = nullptr;
    lxw_format* note_ = nullptr;

  private:
    lxw_workbook* book_ = nullptr;
    std::map<int, lxw_format*> cells_;
};

// libxlsxwriter prints its numbers (values, margins, widths) with the C
// library, which follows the numeric locale: under a decimal comma the
// workbook would be corrupt. This thread uses the C locale while it writes.
class CNumericLocale {
  public:
    CNumericLocale() : c_(newlocale(LC_NUMERIC_MASK, "C", duplocale(uselocale(nullptr)))) {
        if (c_) previous_ = uselocale(c_);
    }
    ~CNumericLocale() {
        if (!c_) return;
        uselocale(previous_);
        freelocale(c_);
    }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

  private:
    locale_t c_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

// A file beside the target to write into first.
QString scratchBeside(const QString& path) {
    QTemporaryFile t(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".velkor-XXXXXX")));
    t.setAutoRemove(false);
    if (!t.open()) return {};
    return t.fileName();
}

// The new file takes the old one's place and permissions; a first one is
// readable by all, as files the user saves usually are.
bool putInPlace(const QString& scratch, const QString& path) {
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser |
                                           QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (QFile::exists(path)) {
        permissions = QFile::permissions(path);
        if (!QFile::remove(path)) return false;
    }
    QFile::setPermissions(scratch, permissions);
    return QFile::rename(scratch, path);
}

}  // namespace

QString columnName(int column) {
    QString name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) name.prepend(QChar('A' + (c - 1) % 26));
    return name;
}

SheetResult writeXlsx(const SheetSource& sheet, const QString& path,
                      const SheetProgress& progress) {
    const QString scratch = scratchBeside(path);
    if (scratch.isEmpty()) return {SheetResult::Failed, cannotWrite(path)};
    const auto& columns = sheet.columns();
    const int n = int(columns.size());
    const int rows = sheet.rowCount();
    bool aborted = false;
    const CNumericLocale cLocale;
    {
        Workbook book(QFile::encodeName(scratch));
        if (!book.ok() || n == 0) {
            QFile::remove(scratch);
            return {SheetResult::Failed, cannotWrite(path)};
        }
        lxw_worksheet* ws = book.sheet_;
        for (int c = 0; c < n; ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c),
                                 widthInCharacters(columns[c].widthPixels), nullptr);
        // Row 0: the title; rows 1 and 2: the titles.
        const QByteArray title = sheet.title().toUtf8();
        if (n > 1)
            worksheet_merge_range(ws, 0, 0, 0, lxw_col_t(n - 1), title.constData(), book.title_);
        else
            worksheet_write_string(ws, 0, 0, title.constData(), book.title_);
        // The titles: one row, or two where any column has an upper title.
        // Rows go out in order, so a one-level title beside two-level ones
        // stands in the upper row over an empty cell rather than merged
        // down.
        bool twoLevels = false;
        for (const SheetColumn& col : columns) twoLevels = twoLevels || !col.upper.isEmpty();
        int c = 0;
        while (c < n) {
            const SheetColumn& col = columns[c];
            const QString top = col.upper.isEmpty() ? col.lower : col.upper;
            int last = c;
            while (!col.upper.isEmpty() && last + 1 < n && columns[last + 1].upper == col.upper)
                ++last;
            if (last > c)
                worksheet_merge_range(ws, 1, lxw_col_t(c), 1, lxw_col_t(last),
                                      top.toUtf8().constData(), book.head_);
            else
                worksheet_write_string(ws, 1, lxw_col_t(c), top.toUtf8().constData(), book.head_);
            c = last + 1;
        }
        if (twoLevels) {
            for (c = 0; c < n; ++c) {
                if (columns[c].upper.isEmpty())
                    worksheet_write_blank(ws, 2, lxw_col_t(c), book.head_);
                else
                    worksheet_write_string(ws, 2, lxw_col_t(c),
                                           columns[c].lower.toUtf8().constData(), book.head_);
            }
        }

        const int first = twoLevels ? 3 : 2;
        for (int r = 0; r < rows && !aborted; ++r) {
            int lines = 1;
            for (c = 0; c < n; ++c) {
                const QVariant v = sheet.cell(r, c);
                lxw_format* f = book.cellFormat(columns[c].alignment);
                if (!v.isValid()) {
                    worksheet_write_blank(ws, lxw_row_t(first + r), lxw_col_t(c), f);
                } else if (v.typeId() == QMetaType::Double) {
                    worksheet_write_number(ws, lxw_row_t(first + r), lxw_col_t(c), v.toDouble(), f);
                } else {
                    const QString text = v.toString();
                    lines = std::max(lines, int(text.count(u'\n')) + 1);
                    worksheet_write_string(ws, lxw_row_t(first + r), lxw_col_t(c),
                                           text.toUtf8().constData(), f);
                }
            }
            if (lines > 1) worksheet_set_row(ws, lxw_row_t(first + r), 15.0 * lines, nullptr);
            if (progress && (r + 1) % kProgressStep == 0 && !progress(r + 1, rows)) aborted = true;
        }
        int next = first + rows;
        if (!aborted && sheet.hasFooter()) {
            for (c = 0; c < n; ++c) {
                const SheetColumn& col = columns[c];
                const core::ColumnSum sum =
                    col.footer == grid::FooterKind::Sum ? sheet.footerSum(c) : core::ColumnSum();
                // A column with nothing to add has an empty total, as on
                // screen and on paper, not a SUM that shows 0.
                if (!sum.isEmpty()) {
                    const QString range = columnName(c) + QString::number(first + 1) + ':' +
                                          columnName(c) + QString::number(first + rows);
                    worksheet_write_formula_num(ws, lxw_row_t(next), lxw_col_t(c),
                                                ("=SUM(" + range + ")").toUtf8().constData(),
                                                book.foot_, sum.number());
                } else if (col.footer == grid::FooterKind::Text) {
                    worksheet_write_string(ws, lxw_row_t(next), lxw_col_t(c),
                                           col.footerText.toUtf8().constData(), book.foot_);
                } else {
                    worksheet_write_blank(ws, lxw_row_t(next), lxw_col_t(c), book.foot_);
                }
            }
            ++next;
        }
        if (!aborted && !sheet.description().isEmpty()) {
            ++next;  // an empty row between
            const QByteArray d = sheet.description().toUtf8();
            if (n > 1)
                worksheet_merge_range(ws, lxw_row_t(next), 0, lxw_row_t(next), lxw_col_t(n - 1),
                                      d.constData(), book.note_);
            else
                worksheet_write_string(ws, lxw_row_t(next), 0, d.constData(), book.note_);
        }
        if (!book.close() && !aborted) {
            QFile::remove(scratch);
            return {SheetResult::Failed, cannotWrite(path)};
        }
    }
    if (aborted) {
        QFile::remove(scratch);
        return {SheetResult::Aborted, {}};
    }
    if (!putInPlace(scratch, path)) {
        QFile::remove(scratch);
        return {SheetResult::Failed, cannotWrite(path)};
    }
    return {};
}

namespace {
// RFC 4180: a field with a comma, a quote or a line break is quoted, its
// quotes doubled; line breaks inside it are CR LF like the records.
QByteArray csvField(const QVariant& v) {
    if (!v.isValid()) return {};
    if (v.typeId() == QMetaType::Double) return numberText(v.toDouble()).toUtf8();
    QString text = v.toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')) return text.toUtf8();
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return '"' + text.toUtf8() + '"';
}

QByteArray csvRecord(const QVector<QVariant>& fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}
}  // namespace

SheetResult writeCsv(const SheetSource& sheet, const QString& path, const SheetProgress& progress) {
    QSaveFile f(path);
    // Unbuffered: a short write must show in write()'s count.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {SheetResult::Failed, cannotWrite(path)};
    const auto& columns = sheet.columns();
    const int n = int(columns.size());
    QByteArray chunk = "\xEF\xBB\xBF";
    auto flush = [&] {
        const bool ok = f.write(chunk) == chunk.size();
        chunk.clear();
        return ok;
    };
    chunk += csvRecord({sheet.title()});
    bool twoLevels = false;
    for (const SheetColumn& c : columns) twoLevels = twoLevels || !c.upper.isEmpty();
    QVector<QVariant> upper, lower;
    for (const SheetColumn& c : columns) {
        upper << (c.upper.isEmpty() ? QVariant(c.lower) : QVariant(c.upper));
        lower << (c.upper.isEmpty() ? QVariant() : QVariant(c.lower));
    }
    chunk += csvRecord(upper);
    if (twoLevels) chunk += csvRecord(lower);
    const int rows = sheet.rowCount();
    QVector<QVariant> record(n);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < n; ++c) record[c] = sheet.cell(r, c);
        chunk += csvRecord(record);
        if ((r + 1) % kProgressStep == 0) {
            if (!flush()) return {SheetResult::Failed, cannotWrite(path)};
            if (progress && !progress(r + 1, rows)) {
                f.cancelWriting();
                return {SheetResult::Aborted, {}};
            }
        }
    }
    if (sheet.hasFooter()) {
        for (int c = 0; c < n; ++c) {
            const SheetColumn& col = columns[c];
            // The sum as the grid's footer and the printout show it.
            const QString sum =
                col.footer == grid::FooterKind::Sum ? sheet.footerSum(c).text() : QString();
            record[c] = col.footer == grid::FooterKind::Text ? QVariant(col.footerText)
                        : sum.isEmpty()                      ? QVariant()
                                                             : QVariant(sum);
        }
        chunk += csvRecord(record);
    }
    if (!sheet.description().isEmpty()) chunk += "\r\n" + csvRecord({sheet.description()});
    if (!flush() || !f.commit()) return {SheetResult::Failed, cannotWrite(path)};
    return {};
}

}  // namespace reports
