#pragma once
// Helpers of the export and import tests: a progress that records and can
// press "Прервать", and the script inside an archive.

#include "backup/archive.h"
#include "backup/archive_check.h"
#include "core/codepage.h"
#include "core/progress.h"
#include "tests/support/test_server.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

namespace testing_support {

// Counts the points where events are processed; the user presses
// "Прервать" during the abortAt-th of them (from 1; 0 never).
class RecordingProgress : public core::Progress {
  public:
    explicit RecordingProgress(int abortAt = 0) : abortAt_(abortAt) {}
    QStringList operations;
    int processed = 0;
    bool started = false, finished = false;

    void start(const QString& caption, const QString& operation) override {
        started = true;
        aborted_ = false;
        operations << caption << operation;
    }
    void setOperation(const QString& operation) override { operations << operation; }
    void setTotalMaximum(qint64) override {}
    void setTotalPosition(qint64) override {}
    void setStepMaximum(qint64) override {}
    void setStepPosition(qint64) override {}
    void processEvents() override {
        if (++processed == abortAt_) aborted_ = true;
    }
    bool aborted() const override { return aborted_; }
    void finish() override { finished = true; }

  private:
    int abortAt_;
    bool aborted_ = false;
};

// An account of the test server with every right on one database and none
// beyond it (so it may not create a staging database), dropped again.
class DatabaseOnlyAccount {
  public:
    DatabaseOnlyAccount(TempDatabase& db, const QString& suffix, const QString& password)
        : db_(db), user_(db.name() + suffix), password_(password) {
        db_.exec("create user '" + user_ + "'@'127.0.0.1' identified by '" + password_ + "'");
        db_.exec("grant all on " + db_.name() + ".* to '" + user_ + "'@'127.0.0.1'");
    }
    ~DatabaseOnlyAccount() { db_.exec("drop user if exists '" + user_ + "'@'127.0.0.1'"); }
    DatabaseOnlyAccount(const DatabaseOnlyAccount&) = delete;
    DatabaseOnlyAccount& operator=(const DatabaseOnlyAccount&) = delete;
    const QString& user() const { return user_; }
    const QString& password() const { return password_; }

  private:
    TempDatabase& db_;
    QString user_, password_;
};

// The first member of the archive, unpacked; empty when there is none.
inline QByteArray archivedScript(const QString& archivePath) {
    backup::TArchive arc(archivePath, false);
    if (!arc.IsValid() || arc.Count() == 0) return {};
    QTemporaryDir dir;
    const QString out = dir.filePath("script");
    if (!arc.Extract(arc.Entry(0).Name(), out)) return {};
    QFile f(out);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

// The script with the export's integrity line after it.
inline QByteArray sealed(const QByteArray& script) {
    return script +
           backup::integrityLine(QCryptographicHash::hash(script, QCryptographicHash::Sha256)) +
           "\r\n";
}

// The script without its integrity line, as an archive written before
// there was one holds it.
inline QByteArray unsealed(const QByteArray& script) {
    const qsizetype last = script.lastIndexOf("# SHA256 ");
    return last < 0 ? script : script.left(last);
}

// An archive of one member holding the script, as the export writes it.
inline void writeArchive(const QString& archivePath, const QByteArray& script) {
    QTemporaryDir dir;
    const QString scriptPath = dir.filePath("script.SQL");
    putFile(scriptPath, script);
    backup::WriteSingleMemberArchive(archivePath, scriptPath, false);
}

// A script in the export's layout: the header, the database block and per
// table its block, whose count line says `stated` and which holds `rows`
// INSERT lines of (id, text) with ids from 1.
struct TableSpec {
    QByteArray name;
    int rows = 0;
    int stated = 0;
};
inline QByteArray exportLayout(const QByteArray& database, const QList<TableSpec>& tables) {
    const QByteArray rule = "#---------------------------\r\n";
    QByteArray s = "#\r\n" + core::toCp1251(QString::fromUtf8("# База данных ПО \"Терналь\"\r\n")) +
                   core::toCp1251(QString::fromUtf8("# по состоянию на 01.02.2026\r\n")) +
                   "#\r\n\r\n" + rule + "# DATABASE " + database + "\r\n" + rule +
                   "DROP DATABASE IF EXISTS " + database + ";\r\nCREATE DATABASE " + database +
                   " DEFAULT CHARACTER SET cp1251;\r\nUSE " + database + ";\r\n\r\n";
    for (const TableSpec& t : tables) {
        s += rule + "# TABLE " + t.name + "\r\n" + rule + "DROP TABLE IF EXISTS " + t.name +
             ";\r\nCREATE TABLE " + t.name +
             "(\r\n  id int(11) NOT NULL ,\r\n  s varchar(40),\r\n  PRIMARY KEY(id)\r\n ) "
             "ENGINE=MyISAM;\r\n\r\n\r\n#\r\n# " +
             QByteArray::number(t.stated) + core::toCp1251(QString::fromUtf8(" записей.")) +
             "\r\n#\r\n\r\n";
        for (int i = 1; i <= t.rows; ++i)
            s += "INSERT INTO " + t.name + "   ( id, s )   VALUES ( " + QByteArray::number(i) +
                 ", " +
                 core::toCp1251(QString::fromUtf8("\"Рядок %1 \\\"%2\\\"\"")
                                    .arg(i)
                                    .arg(QString::fromLatin1(t.name))) +
                 " ) ;\r\n";
    }
    return s;
}

}  // namespace testing_support
