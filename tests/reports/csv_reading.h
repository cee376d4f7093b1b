#pragma once
// Reads a CSV file the spreadsheet export wrote back into its records.

#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace testing_support {

// RFC 4180 records of a CSV file (after its byte-order mark).
inline QList<QStringList> readCsv(const QString& path, QByteArray* raw = nullptr) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    if (raw) *raw = bytes;
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QString s = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (quoted) {
            if (c == u'"' && i + 1 < s.size() && s[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

}  // namespace testing_support
