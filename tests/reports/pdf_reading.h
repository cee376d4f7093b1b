#pragma once
// Reads back what a printout wrote into a PDF file, through poppler's
// command-line tools.

#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace testing_support {

inline QString runTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(-1)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of every page, pages split at form feeds.
inline QStringList pdfPages(const QString& path) {
    QStringList pages =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

inline QString pdfText(const QString& path) { return pdfPages(path).join(QLatin1Char('\f')); }

// Size of the first page in points, as the viewer shows it (orientation
// included).
inline QSizeF pdfPageSize(const QString& path) {
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
    if (!m.hasMatch()) return {};
    return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

struct PdfWord {
    double left;
    double right;
    QString text;
};

// Every word with its horizontal extent in points, in reading order.
inline QList<PdfWord> pdfWords(const QString& path) {
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    const QRegularExpression re(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" "
                       "yMax=\"[0-9.]+\">([^<]*)</word>"));
    QList<PdfWord> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return words;
}

// Right edge in points of the first word with this text; -1 when absent.
inline double pdfWordRight(const QString& path, const QString& word) {
    for (const PdfWord& w : pdfWords(path))
        if (w.text == word) return w.right;
    return -1;
}

// Positions of the texts in the printed text, in order of appearance;
// fails (returns false) when one is missing or they come out of order.
inline bool appearInOrder(const QString& text, const QStringList& items) {
    qsizetype from = 0;
    for (const QString& item : items) {
        const qsizetype at = text.indexOf(item, from);
        if (at < 0) return false;
        from = at + item.size();
    }
    return true;
}

}  // namespace testing_support

namespace testing_support {

// The names of the fonts the file embeds, as pdffonts lists them.
inline QString pdfFonts(const QString& path) { return runTool(QStringLiteral("pdffonts"), {path}); }

}  // namespace testing_support
