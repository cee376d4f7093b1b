// The connection when the server misbehaves: a global sql_mode that would
// change how literals read, a server that stops answering. These tests
// change the shared test server for a moment, so they run alone.
#include "core/connection.h"
#include "core/sql_literals.h"
#include "tests/support/test_server.h"

#include <gtest/gtest.h>
#include <sys/types.h>
#include <QFile>
#include <QThread>
#include <csignal>

using core::Connection;
using core::DbError;
using testing_support::TempDatabase;

namespace {

QByteArray sessionMode(Connection& c) {
    auto r = c.query(QByteArray("select @@SESSION.sql_mode"));
    EXPECT_TRUE(r->next());
    return r->field(0).bytes();
}

// Sets the server's global sql_mode and puts the old one back afterwards.
class GlobalSqlMode {
  public:
    explicit GlobalSqlMode(const QByteArray& mode) {
        testing_support::openServer(admin_);
        auto r = admin_.query(QByteArray("select @@GLOBAL.sql_mode"));
        if (r->next()) saved_ = r->field(0).bytes();
        r.reset();
        admin_.execute("set GLOBAL sql_mode = '" + mode + "'");
    }
    ~GlobalSqlMode() {
        try {
            admin_.execute("set GLOBAL sql_mode = '" + saved_ + "'");
        } catch (...) {
        }
    }

  private:
    Connection admin_;
    QByteArray saved_;
};

struct ModeCase {
    const char* global;
    std::vector<const char*> kept;
};

TEST(ConnectionSqlMode, QuotingHoldsWhateverTheGlobalMode) {
    const ModeCase cases[] = {
        {"STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES,ANSI_QUOTES", {"STRICT_TRANS_TABLES"}},
        {"ANSI", {"PIPES_AS_CONCAT", "IGNORE_SPACE"}},
    };
    TempDatabase db(false);
    db.exec("create table t (name char(20)) default charset=cp1251");
    db.exec("insert into t values ('one'), ('two')");
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.global);
        GlobalSqlMode mode(c.global);
        Connection conn;
        testing_support::openServer(conn, db.name());
        const QByteArray m = sessionMode(conn);
        EXPECT_FALSE(m.contains("NO_BACKSLASH_ESCAPES")) << m.constData();
        EXPECT_FALSE(m.contains("ANSI_QUOTES")) << m.constData();
        for (const char* flag : c.kept) EXPECT_TRUE(m.contains(flag)) << flag;

        // A typed value that tries to end the literal selects nothing.
        const QByteArray typed = "\" or 1=1 #";
        auto r = conn.query("select count(*) from t where name = " + core::SqlQuote(typed, false));
        ASSERT_TRUE(r->next());
        EXPECT_EQ(r->field(0).asInt64(), 0);
        r.reset();
        // A double-quoted text is a text, not a column name.
        r = conn.query(QByteArray("select count(*) from t where name = \"two\""));
        ASSERT_TRUE(r->next());
        EXPECT_EQ(r->field(0).asInt64(), 1);
    }
}

// The server's process, stopped and resumed as with SIGSTOP and SIGCONT.
class FrozenServer {
  public:
    FrozenServer() {
        Connection c;
        testing_support::openServer(c);
        auto r = c.query(QByteArray("select @@pid_file"));
        if (r->next()) {
            QFile f(r->field(0).asText());
            if (f.open(QIODevice::ReadOnly)) pid_ = f.readAll().trimmed().toInt();
        }
    }
    ~FrozenServer() { thaw(); }
    // Returns once the process is stopped: the signal takes effect a moment
    // after kill() returns, and a query sent in that moment is answered.
    bool freeze() {
        if (pid_ <= 0 || ::kill(pid_, SIGSTOP) != 0) return false;
        for (int i = 0; i < 500; ++i) {
            QFile stat(QString("/proc/%1/stat").arg(pid_));
            if (!stat.open(QIODevice::ReadOnly)) return false;
            const QByteArray line = stat.readAll();
            const int close = line.lastIndexOf(')');
            if (close > 0 && line.mid(close + 2, 1) == "T") return true;
            QThread::msleep(10);
        }
        return false;
    }
    void thaw() {
        if (pid_ > 0) ::kill(pid_, SIGCONT);
    }

  private:
    pid_t pid_ = 0;
};

TEST(ConnectionTimeouts, AStoppedServerEndsInAnErrorNotAHang) {
    FrozenServer server;
    Connection conn;
    conn.setTimeouts({2, 2, 2});
    testing_support::openServer(conn);
    ASSERT_TRUE(server.freeze()) << "cannot stop the test server's process";

    try {
        conn.execute(QByteArray("select 1"));
        ADD_FAILURE() << "a query to a stopped server returned";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.connectionLost()) << e.number();
        EXPECT_EQ(e.message(), QString::fromUtf8(core::kConnectionLostText));
        EXPECT_FALSE(e.detail().isEmpty());
    }
    EXPECT_FALSE(conn.isOpen());
    // Opening anew while it is stopped fails as well, after the connect timeout.
    Connection other;
    other.setTimeouts({2, 2, 2});
    other.setParams(testing_support::serverParams());
    EXPECT_THROW(other.open(), DbError);
    EXPECT_FALSE(other.isOpen());

    server.thaw();
    conn.open();
    EXPECT_EQ(conn.execute(QByteArray("select 1")), 1u);
}

}  // namespace
