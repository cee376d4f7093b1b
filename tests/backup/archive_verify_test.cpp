// The verification of an archive against a real server: a round trip is
// equal, planted differences are named by table, the database compared and
// the archive's own database are never touched, and the scratch database is
// gone after every way out (a damaged archive, a failing statement, a killed
// connection, a stopped comparison).

#include "backup/archive_verify.h"
#include "backup/database_export.h"
#include "tests/backup/backup_test_support.h"
#include "tests/backup/round_trip.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <functional>

namespace backup {
// Failures show a difference as its line.
void PrintTo(const TableDifference& d, std::ostream* os) { *os << differenceText(d).toStdString(); }
}  // namespace backup

using Answer = core::Prompter::Answer;
using Box = testing_support::ScriptedPrompter::Box;
using Kind = testing_support::ScriptedPrompter::Kind;
using Difference = backup::TableDifference;
using Outcome = backup::VerifyReport::Outcome;
using testing_support::RecordingProgress;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QString scalar(core::Connection& c, const QString& sql) {
    auto r = c.query(sql);
    return r->next() ? r->field(0).asText() : QString();
}

// Per table of the database: its name, kind, row count and CHECKSUM TABLE.
QStringList contents(const QString& database) {
    core::Connection c;
    testing_support::openServer(c);
    QStringList tables = testing_support::rowsOf(
        c, "select TABLE_NAME, TABLE_TYPE from information_schema.TABLES where TABLE_SCHEMA = '" +
               database + "' order by TABLE_NAME");
    for (QString& t : tables) {
        const QString q = testing_support::quotedName(database) + '.' +
                          testing_support::quotedName(t.section('|', 0, 0));
        t += '|' + scalar(c, "select count(*) from " + q);
        if (!t.contains("VIEW"))
            t += '|' + testing_support::rowsOf(c, "checksum table " + q).join(',');
    }
    return tables;
}

// Scratch databases of verifications of archives of this database.
QStringList scratches(const QString& archiveDatabase) {
    core::Connection c;
    testing_support::openServer(c);
    return testing_support::rowsOf(
        c, "show databases like '" + QString(archiveDatabase).replace('_', "\\_") + "\\_vfy%'");
}

// A difference without checksums.
Difference differs(const char* table, Difference::Kind kind, qint64 databaseRows = 0,
                   qint64 archiveRows = 0) {
    Difference d;
    d.table = table;
    d.kind = kind;
    d.databaseRows = databaseRows;
    d.archiveRows = archiveRows;
    return d;
}

QString exported(TempDatabase& db, const QTemporaryDir& dir, const char* name = "v.ARC") {
    RecordingProgress progress;
    const QString path = dir.filePath(name);
    EXPECT_EQ(backup::exportDatabase(db.connection(), db.name(), path, progress),
              backup::ExportResult::Done);
    return path;
}

struct Verified {
    backup::VerifyReport report;
    std::vector<Box> boxes;
};

// The tool's way: the main connection on the database compared.
Verified verify(const QString& archive, const QString& database, core::Progress& progress,
                std::deque<Answer> answers = {}, const QString& user = QString(),
                const QString& password = QString()) {
    core::Connection main, script;
    main.setParams(testing_support::serverParams(database));
    if (!user.isEmpty()) {
        core::SetConnectionParam(main, "User_Name", user);
        core::SetConnectionParam(main, "Password", password);
    }
    main.open();
    ScriptedPrompter prompter;
    prompter.abortRetryIgnoreAnswers = std::move(answers);
    backup::VerifyReport r = backup::verifyArchive(main, script, archive, database, prompter,
                                                   progress, backup::ImportChoices::Answer::No);
    return {r, prompter.shown()};
}

// Watches the run: at the given line of the script it looks for the scratch
// database (and kills the script connection working in it, when told to),
// and at the comparison's first table it looks again and, when told to,
// presses "Прервать".
class WatchingProgress : public core::NoProgress {
  public:
    WatchingProgress(const QString& archiveDatabase, int atLine, bool kill, bool stopComparison)
        : database_(archiveDatabase), atLine_(atLine), kill_(kill), stop_(stopComparison) {}
    bool scratchSeen = false;
    bool killed = false;

    void start(const QString& caption, const QString&) override {
        comparing_ = caption == u("Verifying the archive");
    }
    void setTotalPosition(qint64) override {
        if (comparing_ || ++lines_ != atLine_) return;
        scratchSeen = !scratches(database_).isEmpty();
        if (!kill_) return;
        core::Connection admin;
        testing_support::openServer(admin);
        const QString id =
            scalar(admin, "select ID from information_schema.PROCESSLIST where DB like '" +
                              QString(database_).replace('_', "\\_") + "\\_vfy%'");
        if (id.isEmpty()) return;
        admin.execute("kill connection " + id);
        killed = true;
    }
    void processEvents() override {
        if (!comparing_ || aborted_) return;
        scratchSeen = !scratches(database_).isEmpty();
        aborted_ = stop_;
    }
    bool aborted() const override { return aborted_; }

  private:
    QString database_;
    int atLine_;
    bool kill_, stop_;
    bool comparing_ = false;
    bool aborted_ = false;
    int lines_ = 0;
};

// Tables that need what a restoring script must get right.
void fillVaried(TempDatabase& db) {
    db.exec(
        "create table doc (id int not null primary key, s varchar(60), d date, n double,"
        " key ks (s)) engine=InnoDB");
    db.exec(
        u("insert into doc select seq, concat('Запис ', seq, ' \\'лапки\\' ; \"т\"'),"
          " '2020-01-01' + interval (seq mod 900) day, seq / 4 from seq_1_to_2000"));
    db.exec(u("create table sprav (name varchar(40) not null primary key)"));
    db.exec(u("insert into sprav values ('Київ'), ('Львів'), ('Ужгород')"));
    db.exec("create table empty_one (a int)");
}

}  // namespace

// Exported and verified at once: equal, nothing said, the database as it
// was and no scratch database left. The InnoDB table with a BIT column
// among nullable ones comes back MyISAM, whose CHECKSUM TABLE of the same
// rows differs: it must still be equal.
TEST(ArchiveVerify, RoundTripIsEqual) {
    struct Case {
        const char* name;
        bool journal;
        std::function<void(TempDatabase&)> fill;
        qsizetype tables;
    };
    const Case cases[] = {
        {"journal", true, [](TempDatabase& db) { testing_support::fillJournal(db.connection()); },
         7},
        {"varied", false, fillVaried, 3},
        {"innodb bit", false,
         [](TempDatabase& db) {
             db.exec(
                 "create table `order` (id int not null primary key, b bit(1), b5 bit(5),"
                 " s varchar(20), u varchar(20) character set utf8mb4) engine=InnoDB");
             db.exec(
                 "insert into `order` values (1, b'1', b'10101', 'a', _utf8mb4 x'F09F9880'),"
                 " (2, b'0', null, null, null), (3, null, b'1', '', '')");
         },
         1},
        {"no tables", false, [](TempDatabase&) {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDatabase db(c.journal);
        c.fill(db);
        QTemporaryDir dir;
        const QString archive = exported(db, dir);
        const QStringList before = contents(db.name());
        RecordingProgress progress;
        const Verified v = verify(archive, db.name(), progress);
        EXPECT_EQ(v.report.outcome, Outcome::Equal);
        EXPECT_EQ(v.report.differences, QList<Difference>{});
        EXPECT_EQ(v.report.tables, c.tables);
        EXPECT_EQ(v.report.archiveDatabase, db.name().toLatin1());
        EXPECT_EQ(v.boxes, std::vector<Box>{});
        EXPECT_EQ(backup::verifyReportLines(v.report, db.name()),
                  QStringList{u("The archive restores ") + db.name() + u(" exactly: ") +
                              QString::number(c.tables) +
                              u(" tables equal by row count and CHECKSUM TABLE.")});
        EXPECT_EQ(contents(db.name()), before);
        EXPECT_TRUE(scratches(db.name()).isEmpty());
    }
}

// After the export: one row's text changed, rows deleted, a table dropped,
// one added and a view made. Each is named by its table; the equal ones are
// not; the database stays as it was.
TEST(ArchiveVerify, PlantedDifferencesAreNamedByTable) {
    TempDatabase db(false);
    fillVaried(db);
    db.exec("create table kept (a int)");
    db.exec("insert into kept values (1), (2)");
    QTemporaryDir dir;
    const QString archive = exported(db, dir);

    db.exec(u("update doc set s = 'Запис 77 змінено' where id = 77"));
    db.exec(u("delete from sprav where name = 'Львів'"));
    db.exec("drop table empty_one");
    db.exec("create table extra (a int)");
    db.exec("create view v as select id from doc");
    const QStringList before = contents(db.name());
    RecordingProgress progress;
    const Verified v = verify(archive, db.name(), progress);
    EXPECT_EQ(v.report.outcome, Outcome::Differs);
    EXPECT_EQ(v.boxes, std::vector<Box>{});
    EXPECT_EQ(v.report.tables, 6);
    ASSERT_EQ(v.report.differences.size(), 5);
    const Difference& doc = v.report.differences[0];
    EXPECT_EQ(doc.table, "doc");
    EXPECT_EQ(doc.kind, Difference::Kind::Checksum);
    EXPECT_EQ(doc.databaseRows, 2000);
    EXPECT_EQ(doc.archiveRows, 2000);
    EXPECT_NE(doc.databaseChecksum, doc.archiveChecksum);
    EXPECT_EQ(doc.databaseChecksum,
              testing_support::rowsOf(db.connection(), "checksum table doc extended")
                  .value(0)
                  .section('|', 1)
                  .toLatin1());
    const QList<Difference> rest(v.report.differences.begin() + 1, v.report.differences.end());
    EXPECT_EQ(rest, (QList<Difference>{differs("empty_one", Difference::Kind::OnlyInArchive),
                                       differs("extra", Difference::Kind::OnlyInDatabase),
                                       differs("sprav", Difference::Kind::Rows, 2, 3),
                                       differs("v", Difference::Kind::OnlyInDatabase)}));
    const QStringList lines = backup::verifyReportLines(v.report, db.name());
    EXPECT_EQ(lines.mid(1),
              (QStringList{u("table empty_one: only in the archive"),
                           u("table extra: only in the database"),
                           u("table sprav: 2 rows in the database, 3 in the archive"),
                           u("table v: only in the database"),
                           u("The archive differs from ") + db.name() + u(" in 5 of 6 tables.")}));
    EXPECT_EQ(lines[0], u("table doc: CHECKSUM TABLE ") +
                            QString::fromLatin1(doc.databaseChecksum) + u(" in the database, ") +
                            QString::fromLatin1(doc.archiveChecksum) +
                            u(" in the archive (2000 rows each)"));
    EXPECT_EQ(contents(db.name()), before);
    EXPECT_TRUE(scratches(db.name()).isEmpty());
}

// A view exported as the table of its rows: the archive restores a table,
// not the view.
TEST(ArchiveVerify, ViewComesBackAsATable) {
    TempDatabase db(false);
    db.exec("create table t (a int)");
    db.exec("insert into t values (1), (2)");
    db.exec("create view v as select a from t");
    QTemporaryDir dir;
    const QString archive = exported(db, dir);
    RecordingProgress progress;
    const Verified v = verify(archive, db.name(), progress);
    EXPECT_EQ(v.report.outcome, Outcome::Differs);
    EXPECT_EQ(v.report.differences,
              (QList<Difference>{differs("v", Difference::Kind::ViewInDatabase)}));
    EXPECT_EQ(backup::differenceText(v.report.differences.value(0)),
              u("table v: a view in the database, a table in the archive"));
}

// The database compared need not be the archive's: a copy of it is equal,
// and the archive's own database, changed since, stays as it is now.
TEST(ArchiveVerify, ComparesWithAnotherDatabaseAndLeavesTheArchivesOwnAlone) {
    TempDatabase db(false);
    fillVaried(db);
    QTemporaryDir dir;
    const QString archive = exported(db, dir);
    TempDatabase copy(false);
    for (const char* t : {"doc", "sprav", "empty_one"}) {
        copy.exec(QString("create table %1 like %2.%1").arg(t, db.name()));
        copy.exec(QString("insert into %1 select * from %2.%1").arg(t, db.name()));
    }
    db.exec("delete from doc where id > 10");
    const QStringList changed = contents(db.name());
    const QStringList copied = contents(copy.name());

    RecordingProgress progress;
    Verified v = verify(archive, copy.name(), progress);
    EXPECT_EQ(v.report.outcome, Outcome::Equal);
    EXPECT_EQ(v.report.tables, 3);
    EXPECT_EQ(v.report.archiveDatabase, db.name().toLatin1());
    EXPECT_EQ(contents(db.name()), changed);
    EXPECT_EQ(contents(copy.name()), copied);

    v = verify(archive, db.name(), progress);
    EXPECT_EQ(v.report.outcome, Outcome::Differs);
    EXPECT_EQ(v.report.differences,
              (QList<Difference>{differs("doc", Difference::Kind::Rows, 10, 2000)}));
    EXPECT_EQ(contents(db.name()), changed);
    EXPECT_TRUE(scratches(db.name()).isEmpty());
}

// Every way the verification can end early drops the scratch database, or
// never makes one, and leaves the database as it was.
TEST(ArchiveVerify, ScratchDatabaseIsDroppedOnEveryWayOut) {
    TempDatabase db(false);
    fillVaried(db);
    QTemporaryDir dir;
    const QString good = exported(db, dir);
    const QByteArray d = db.name().toLatin1();
    const QString damaged = dir.filePath("damaged.ARC");
    {
        QByteArray bytes = testing_support::fileBytes(good);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
        testing_support::putFile(damaged, bytes);
    }
    // Row 2 of t repeats the key of row 1 (line 29).
    const QString failing = dir.filePath("dup.ARC");
    testing_support::writeArchive(
        failing,
        testing_support::sealed(
            testing_support::exportLayout(d, {{"t", 3, 3}}).replace("VALUES ( 2,", "VALUES ( 1,")));
    const QString shortOne = dir.filePath("short.ARC");
    testing_support::writeArchive(shortOne, testing_support::exportLayout(d, {{"t", 1, 2}}));
    const QStringList before = contents(db.name());

    const Box refused{Kind::Error, u("Ошибка"),
                      u("Выбранный для импорта файл недоступен или поврежден.")};
    const Box scriptFailed{Kind::Error, u("Ошибка"), u("Ошибка выполнения SQL-скрипта.")};
    const Box line29{Kind::AbortRetryIgnore, u("Ошибка"),
                     u("Ошибка выполнения скрипта в строке №29.")};
    const Box counts{Kind::Report, u("Импорт базы данных"),
                     u("Число записей в файле импорта не совпадает с указанным при "
                       "экспорте:\r\nтаблица t: указано 2, в файле 1\r\nПродолжить импорт?")};
    struct Case {
        const char* name;
        QString archive;
        int atLine;
        bool kill, stop;
        Outcome outcome;
        std::vector<Box> boxes;
        bool scratchMade;
    };
    const Case cases[] = {
        {"damaged archive", damaged, 0, false, false, Outcome::Unreadable, {refused}, false},
        {"count lines disagree", shortOne, 0, false, false, Outcome::Declined, {counts}, false},
        {"failing statement aborted", failing, 20, false, false, Outcome::Failed, {line29}, true},
        {"connection killed", good, 600, true, false, Outcome::Failed, {scriptFailed}, true},
        {"comparison stopped", good, 0, false, true, Outcome::Aborted, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WatchingProgress progress(db.name(), c.atLine, c.kill, c.stop);
        const Verified v = verify(c.archive, db.name(), progress, {Answer::Abort});
        EXPECT_EQ(v.report.outcome, c.outcome);
        EXPECT_EQ(v.boxes, c.boxes);
        EXPECT_EQ(progress.scratchSeen, c.scratchMade);
        EXPECT_EQ(progress.killed, c.kill);
        EXPECT_TRUE(v.report.scratchLeft.isEmpty());
        EXPECT_TRUE(scratches(db.name()).isEmpty());
        EXPECT_EQ(contents(db.name()), before);
        EXPECT_EQ(backup::verifyReportLines(v.report, db.name()).size(), 1);
    }

    // An account that may not create the scratch database: nothing runs.
    const testing_support::DatabaseOnlyAccount account(db, "_v", "pw-v");
    RecordingProgress progress;
    const Verified v = verify(good, db.name(), progress, {}, account.user(), account.password());
    EXPECT_EQ(v.report.outcome, Outcome::NoScratch);
    EXPECT_EQ(v.boxes, std::vector<Box>{});
    EXPECT_FALSE(progress.started);
    EXPECT_EQ(backup::verifyReportLines(v.report, db.name()),
              QStringList{u("Nothing compared: the account may not create the scratch database.")});
    EXPECT_EQ(contents(db.name()), before);
}
