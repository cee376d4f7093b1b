#pragma once
// The one wrapper over MariaDB Connector/C. A connection keeps its settings
// as a list of name=value lines (HostName, User_Name, Password, Database and
// a few that configure the client library); statements are Windows-1251
// texts; results are read one row at a time.

#include "core/field_value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct st_mysql;
struct st_mysql_res;

namespace core {

// A statement or connection the server refused: its message and number.
// When the connection itself failed (the server gone, a timeout), the
// message is a Russian text for the user and detail() keeps the client
// library's own words.
class DbError : public std::runtime_error {
  public:
    DbError(unsigned number, const QString& message, const QString& detail = QString());
    unsigned number() const { return number_; }
    const QString& message() const { return message_; }
    const QString& detail() const { return detail_.isEmpty() ? message_ : detail_; }
    // The connection is gone: a log-in is needed before anything else.
    bool connectionLost() const;

  private:
    unsigned number_;
    QString message_;
    QString detail_;
};

// What the user reads when the connection to the server was lost.
inline const char* const kConnectionLostText =
    "Соединение с сервером потеряно. Подключитесь к базе данных заново.";

struct FieldInfo {
    QString name;         // the column's name in the result
    QByteArray orgName;   // the table column it came from, when it did
    QByteArray orgTable;  // the table it came from, when it did
    FieldKind kind = FieldKind::Other;
    int type = 0;   // the server's column type code
    int width = 0;  // characters for the text kind, else display width
    bool notNull = false;
    bool primaryKey = false;
};

// Maps a server column type to a field kind.
FieldKind fieldKindOf(int type, unsigned charsetnr);

class Connection;

// The rows of one query, read one at a time. While it is alive the
// connection runs nothing else.
class Result {
  public:
    ~Result();
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    const std::vector<FieldInfo>& fields() const { return fields_; }
    int fieldCount() const { return int(fields_.size()); }
    int fieldIndex(QStringView name) const;  // -1 when absent; case-insensitive

    // Moves to the next row; false after the last one.
    bool next();
    FieldValue field(int column) const;
    FieldValue field(QStringView name) const;  // NULL of the other kind when absent
    std::string_view raw(int column) const { return {row_[column], lengths_[column]}; }
    bool isNull(int column) const { return row_[column] == nullptr; }

  private:
    friend class Connection;
    Result(Connection& owner, st_mysql* mysql, st_mysql_res* res);
    Connection& owner_;
    st_mysql* mysql_;
    st_mysql_res* res_;
    std::vector<FieldInfo> fields_;
    char** row_ = nullptr;
    unsigned long* lengths_ = nullptr;
};

// Hears, once each time, that the server was found gone.
class ConnectionLossListener {
  public:
    virtual ~ConnectionLossListener() = default;
    virtual void connectionLost() = 0;
};

class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The parameter lines, name=value.
    const QStringList& params() const { return params_; }
    void setParams(const QStringList& params);
    QString param(const QString& name) const;  // value of the line "name=..."
    // Sets one parameter line for the next open; an open connection stays
    // as it is. The line whose name before "=" is `name` is replaced, or
    // name=value appended.
    void setParam(const QString& name, const QString& value);
    static QStringList defaultParams();

    // How long a call waits for the server, in seconds. A server that stops
    // answering ends the call with an error instead of freezing the program.
    struct Timeouts {
        unsigned connect = 5;
        unsigned read = 60;  // the longest wait for the answer to one query
        unsigned write = 60;
    };
    const Timeouts& timeouts() const { return timeouts_; }
    void setTimeouts(const Timeouts& t) { timeouts_ = t; }

    // Opens with the present parameters; HostName may be "host:port".
    // Throws DbError when the server cannot be reached or refuses. The
    // session's sql_mode loses NO_BACKSLASH_ESCAPES and ANSI_QUOTES, so
    // that double-quoted, backslash-escaped literals are literals whatever
    // the server's global mode.
    void open();
    void close();
    // False once closed, and once the server was found gone.
    bool isOpen() const { return mysql_ != nullptr && !lost_; }
    // Told when a call finds the server gone, before that call throws; at
    // most once between one open and the next. None by default.
    void setLossListener(ConnectionLossListener* listener) { lossListener_ = listener; }

    // Runs a statement; returns the rows it matched (found rows, so an
    // update that changes nothing still counts the row it found).
    quint64 execute(const QByteArray& sql);
    quint64 execute(const QString& sql);
    std::unique_ptr<Result> query(const QByteArray& sql);
    std::unique_ptr<Result> query(const QString& sql);

    // Statements without results sent as one text, which the server splits
    // at its semicolons and runs in order up to the first that fails: one
    // round trip for many. How many ran, and the failure of the next one (a
    // lost connection included). The server splits this way only for this
    // call.
    struct Batch {
        int done = 0;
        std::optional<DbError> failure;
    };
    Batch executeBatch(const QByteArray& statements);

  private:
    friend class Result;
    // Throws the error of the last call; a lost connection is marked closed.
    [[noreturn]] void fail();
    void requireOpen() const;
    void clearSqlModeFlags();
    st_mysql* mysql_ = nullptr;
    bool lost_ = false;
    ConnectionLossListener* lossListener_ = nullptr;
    void markLost();
    QStringList params_;
    Timeouts timeouts_;
};

// The server address of a HostName value: "host" or "host:port" (a port of
// digits only; 0 means the client's default, 3306). A value with more than
// one colon is an IPv6 address without a port.
struct HostPort {
    QString host;
    unsigned port = 0;
};
HostPort splitHostPort(const QString& hostName);

// Sets one parameter line: closes the connection, then replaces the first
// line that contains the name anywhere (case-sensitive) by name=value, or
// appends name=value when no line contains it.
void SetConnectionParam(Connection& connection, const QString& name, const QString& value);

}  // namespace core
