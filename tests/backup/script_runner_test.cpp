#include "backup/script_runner.h"
#include "backup/database_export.h"
#include "backup/database_import.h"
#include "tests/backup/backup_test_support.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

using Answer = core::Prompter::Answer;
using testing_support::RecordingProgress;
using testing_support::ScriptedPrompter;
using testing_support::TempDatabase;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes, const char* name = "s.SQL") {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QString scalar(core::Connection& c, const QString& sql) {
    auto r = c.query(sql);
    return r->next() ? r->field(0).asText() : QStringLiteral("<none>");
}

struct ScriptRun {
    bool result;
    std::vector<ScriptedPrompter::Box> boxes;
};

ScriptRun run(TempDatabase& db, core::Connection& script, const QByteArray& text,
              std::deque<Answer> answers = {}) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    prompter.abortRetryIgnoreAnswers = std::move(answers);
    RecordingProgress progress;
    core::Connection main;  // as the session's: its parameters name the database
    testing_support::openServer(main, db.name());
    const bool r =
        backup::RunSqlScript(main, script, writeFile(dir, text), true, prompter, progress);
    EXPECT_TRUE(progress.started && progress.finished);
    return {r, prompter.shown()};
}

}  // namespace

TEST(ScriptLineReader, EndsLinesAtCrLfLoneCrAndLoneLf) {
    QTemporaryDir dir;
    // A CR LF split over the reader's 1 MiB chunks must still be one ending.
    const QByteArray big(1024 * 1024 - 1, 'x');
    const QString path = writeFile(dir, "a\r\nb\rc\nd\r\n\r\n" + big + "\r\nlast");
    backup::ScriptLineReader reader(path);
    ASSERT_TRUE(reader.open());
    QList<QByteArray> lines;
    for (QByteArray line; reader.next(line);) lines << line;
    EXPECT_EQ(lines, QList<QByteArray>({"a", "b", "c", "d", "", big, "last"}));
    EXPECT_EQ(reader.position(), reader.size());
}

TEST(ReplaceInnoDbEngine, OnlyTheEngineClauseOfATableDefinition) {
    const struct {
        QByteArray in, out;
    } cases[] = {
        {"CREATE TABLE t(\r\n  a int\r\n ) ENGINE=InnoDB;",
         "CREATE TABLE t(\r\n  a int\r\n ) ENGINE=MyISAM;"},
        {"create table t (a char(9) default 'InnoDB') engine = InnoDB DEFAULT CHARSET=cp1251;",
         "create table t (a char(9) default 'InnoDB') engine = MyISAM DEFAULT CHARSET=cp1251;"},
        {"CREATE TABLE t (a int) TYPE=InnoDB;", "CREATE TABLE t (a int) TYPE=MyISAM;"},
        {"INSERT INTO t   ( a )   VALUES ( \"ENGINE=InnoDB\" ) ;",
         "INSERT INTO t   ( a )   VALUES ( \"ENGINE=InnoDB\" ) ;"},
        {"CREATE TABLE t (a int) COMMENT='InnoDB';", "CREATE TABLE t (a int) COMMENT='InnoDB';"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(backup::replaceInnoDbEngine(c.in), c.out) << c.in.constData();
}

// Comments, a definition over several lines sent as one statement, InnoDB
// in its definition only, and a last statement without a semicolon.
TEST(RunSqlScript, RunsStatementsEndedByTheLineWithASemicolon) {
    TempDatabase db(false);
    core::Connection script;
    const ScriptRun r = run(db, script,
                            "# comment\r\n"
                            "\r\n"
                            "CREATE TABLE t(\r\n"
                            "  a int NOT NULL ,\r\n"
                            "  s char(30),\r\n"
                            "  PRIMARY KEY(a)\r\n"
                            " ) ENGINE=InnoDB;\r\n"
                            "INSERT INTO t   ( a, s )   VALUES ( 1, \"InnoDB\" ) ;\n"
                            "INSERT INTO t VALUES (2,\r"
                            "'two');\r\n"
                            "INSERT INTO t VALUES (3, 'no semicolon')\r\n");
    EXPECT_TRUE(r.result);
    EXPECT_TRUE(r.boxes.empty());
    core::Connection& c = db.connection();
    EXPECT_EQ(scalar(c, "select engine from information_schema.tables where table_schema = '" +
                            db.name() + "' and table_name = 't'"),
              "MyISAM");
    EXPECT_EQ(scalar(c, "select group_concat(concat(a, '=', s) order by a) from t"),
              "1=InnoDB,2=two");
}

// "USE name;" moves the script connection; "use" in lower case runs but does
// not.
TEST(RunSqlScript, UseSwitchesTheScriptConnection) {
    TempDatabase db(false), other(false);
    core::Connection script;
    EXPECT_TRUE(
        run(db, script, "USE " + other.name().toLatin1() + ";\r\ncreate table moved (a int);\r\n")
            .result);
    EXPECT_EQ(script.param("Database"), other.name());
    EXPECT_EQ(scalar(other.connection(),
                     "select count(*) from information_schema.tables where "
                     "table_schema = database() and table_name = 'moved'"),
              "1");

    EXPECT_TRUE(run(db, script, "use " + other.name().toLatin1() + ";\r\n").result);
    EXPECT_EQ(script.param("Database"), db.name());  // taken over from the main connection
}

// A failing statement asks with the number of the line that ended it;
// ignore goes on with the next line, abort stops, a second failure after
// retry ends the run.
TEST(RunSqlScript, FailingStatementAsksAbortRetryIgnore) {
    QByteArray text = "create table t (a int);\r\n";
    for (int i = 2; i <= 13; ++i) text += "# filler\r\n";
    text += "insert into t values\r\n(no_such_column);\r\ninsert into t values (16);\r\n";
    const struct {
        std::deque<Answer> answers;
        bool result;
        const char* rows;
        const char* finalError;
    } cases[] = {
        {{Answer::Ignore}, true, "16", nullptr},
        {{Answer::Abort}, false, "<none>", nullptr},
        {{Answer::Retry}, false, "<none>", "Ошибка выполнения SQL-скрипта."},
    };
    for (const auto& c : cases) {
        TempDatabase db(false);
        core::Connection script;
        const ScriptRun r = run(db, script, text, c.answers);
        EXPECT_EQ(r.result, c.result);
        ASSERT_GE(r.boxes.size(), 1u);
        EXPECT_EQ(r.boxes[0].kind, ScriptedPrompter::Kind::AbortRetryIgnore);
        EXPECT_EQ(r.boxes[0].caption, u("Ошибка"));
        EXPECT_EQ(r.boxes[0].text, u("Ошибка выполнения скрипта в строке №15."));
        if (c.finalError) {
            ASSERT_EQ(r.boxes.size(), 2u);
            EXPECT_EQ(r.boxes[1].kind, ScriptedPrompter::Kind::Error);
            EXPECT_EQ(r.boxes[1].text, u(c.finalError));
        } else {
            EXPECT_EQ(r.boxes.size(), 1u);
        }
        EXPECT_EQ(scalar(db.connection(), "select group_concat(a) from t").isEmpty()
                      ? QStringLiteral("<none>")
                      : scalar(db.connection(), "select group_concat(a) from t"),
                  c.rows);
    }
}

TEST(BatchableInsert, OnlyLinesTheServerSplitsWhereTheRunnerDoes) {
    const struct {
        QByteArray statement;
        bool batchable;
    } cases[] = {
        {"INSERT INTO t   ( a, b, c )   VALUES ( 1, \"x;y\", 'it''s', \"a\\\"b;\" ) ;", true},
        {"INSERT INTO t VALUES (\"\\\\\", -1, 2-3);  ", true},
        {"INSERT INTO `a;b` VALUES (1);", true},
        {"INSERT INTO t VALUES (1); INSERT INTO t VALUES (2);", false},
        {"INSERT INTO t VALUES (\"open;", false},
        {"INSERT INTO t VALUES (1) -- c;", false},
        {"INSERT INTO t VALUES (1) /* c */;", false},
        {"INSERT INTO t VALUES (1) # c;", false},
        {"INSERT INTO t VALUES (1)\r\n;", false},
        {"insert into t values (1);", false},
        {"CREATE TABLE t (a int);", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(backup::batchableInsert(c.statement), c.batchable) << c.statement.constData();
}

// INSERT lines go to the server in batches, and still fail one by one: the
// question names the failing line, ignore goes on with the line after it,
// abort stops there, a second failure after retry ends the run.
TEST(RunSqlScript, BatchedInsertsFailLikeSingleStatements) {
    const QByteArray text =
        "create table t (a int primary key);\r\n"
        "INSERT INTO t VALUES (1);\r\n"
        "INSERT INTO t VALUES (1);\r\n"
        "INSERT INTO t VALUES (3);\r\n"
        "INSERT INTO nowhere VALUES (4);\r\n"
        "INSERT INTO t VALUES (5);\r\n";
    const struct {
        std::deque<Answer> answers;
        bool result;
        QStringList questions;
        const char* rows;
        bool finalError;
    } cases[] = {
        {{Answer::Ignore, Answer::Ignore}, true, {"3", "5"}, "1,3,5", false},
        {{Answer::Abort}, false, {"3"}, "1", false},
        {{Answer::Ignore, Answer::Retry}, false, {"3", "5"}, "1,3", true},
    };
    for (const auto& c : cases) {
        TempDatabase db(false);
        core::Connection script;
        const ScriptRun r = run(db, script, text, c.answers);
        EXPECT_EQ(r.result, c.result);
        QStringList questions;
        for (const auto& box : r.boxes)
            if (box.kind == ScriptedPrompter::Kind::AbortRetryIgnore)
                questions << box.text.section(u("№"), 1).chopped(1);
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(r.boxes.back().kind == ScriptedPrompter::Kind::Error, c.finalError);
        EXPECT_EQ(scalar(db.connection(), "select group_concat(a order by a) from t"), c.rows);
    }
}

// The import round trip: what the export wrote comes back identical, and
// the reports of the action.
TEST(DatabaseImport, RestoresWhatTheExportWrote) {
    TempDatabase db(false);
    db.exec(
        "create table t (id int not null primary key, s varchar(40), d datetime,"
        " ts timestamp not null default current_timestamp(), key two (s, d)) engine=InnoDB");
    db.exec(
        u("insert into t (id, s, d) values (1, 'Київ \\'\"\\\\\\r\\n;', '2020-01-01 10:00:00'),"
          " (2, null, '0000-00-00 00:00:00'), (3, 'InnoDB', null)"));
    db.exec("create table empty_one (a int)");
    const QString before = scalar(db.connection(), "checksum table t");
    QTemporaryDir dir;
    RecordingProgress progress;
    ASSERT_EQ(backup::exportDatabase(db.connection(), db.name(), dir.filePath("b.ARC"), progress),
              backup::ExportResult::Done);
    db.exec("delete from t where id = 1");
    db.exec("drop table empty_one");

    core::Connection script;
    ScriptedPrompter prompter;
    prompter.yesNo = {false, true};
    prompter.fileNames = {dir.filePath("b.ARC")};
    backup::ActionBaseImportExecute(db.connection(), script, prompter, progress);
    ASSERT_EQ(prompter.shown().size(), 1u);  // declined: nothing else
    EXPECT_EQ(prompter.shown()[0].kind, ScriptedPrompter::Kind::Question);
    EXPECT_EQ(prompter.shown()[0].caption, u("Импорт базы данных"));
    EXPECT_EQ(prompter.shown()[0].text,
              u("В результате все данные из текущей базы данных\r\nбудут заменены данными из "
                "файла импорта.\r\n     Продолжить?"));

    backup::ActionBaseImportExecute(db.connection(), script, prompter, progress);
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.shown()[2].kind, ScriptedPrompter::Kind::OpenFile);
    EXPECT_EQ(prompter.shown()[3].kind, ScriptedPrompter::Kind::Report);
    EXPECT_EQ(prompter.shown()[3].caption, u("Импорт данных"));
    EXPECT_EQ(prompter.shown()[3].text, u("Импорт данных завершен.\n\rПерезапустите программу."));
    core::Connection fresh;
    testing_support::openServer(fresh, db.name());
    EXPECT_EQ(scalar(fresh, "checksum table t"), before);
    EXPECT_EQ(scalar(fresh, "select count(*) from empty_one"), "0");
}

TEST(DatabaseImport, UnusableArchivesRunNothing) {
    TempDatabase db(false);
    QTemporaryDir dir;
    // A member whose stream is cut short cannot be unpacked.
    const QString script = writeFile(dir, "create table must_not_exist (a int);\r\n", "m.SQL");
    {
        backup::TArchive arc(dir.filePath("good.ARC"), true);
        ASSERT_TRUE(arc.Add(script, true) && arc.Rewrite());
    }
    QByteArray cut = testing_support::fileBytes(dir.filePath("good.ARC"));
    const qsizetype stored = backup::TArchive(dir.filePath("good.ARC"), false).Stored(0).size();
    cut[cut.size() - stored + 2] = 0x10;  // claims a megabyte of text the code does not hold
    const QString broken = writeFile(dir, cut, "broken.ARC");
    {
        backup::TArchive arc(dir.filePath("empty.ARC"), true);
        ASSERT_TRUE(arc.Rewrite());
    }
    const struct {
        QString path;
        backup::ImportResult result;
        bool error;
    } cases[] = {
        {dir.filePath("missing.ARC"), backup::ImportResult::Unreadable, true},
        {writeFile(dir, "not an archive at all", "junk.ARC"), backup::ImportResult::Unreadable,
         true},
        {broken, backup::ImportResult::Unreadable, true},
        {dir.filePath("empty.ARC"), backup::ImportResult::Empty, false},
    };
    for (const auto& c : cases) {
        core::Connection scriptConnection;
        ScriptedPrompter prompter;
        RecordingProgress progress;
        EXPECT_EQ(
            backup::importArchive(db.connection(), scriptConnection, c.path, prompter, progress),
            c.result)
            << c.path.toStdString();
        EXPECT_FALSE(progress.started);
        ASSERT_EQ(prompter.shown().size(), c.error ? 1u : 0u) << c.path.toStdString();
        if (c.error) {
            EXPECT_EQ(prompter.shown()[0].caption, u("Ошибка"));
            EXPECT_EQ(prompter.shown()[0].text,
                      u("Выбранный для импорта файл недоступен или поврежден."));
        }
    }
    EXPECT_EQ(scalar(db.connection(),
                     "select count(*) from information_schema.tables where "
                     "table_schema = database()"),
              "0");
    ScriptedPrompter prompter;
    backup::reportImport(prompter, backup::ImportResult::Incomplete);
    EXPECT_EQ(prompter.shown()[0].text,
              u("Импорт данных не завершен.\n\rПерезапустите программу."));
}
