#pragma once

#include "data/FbRef.h"
#include "data/RowLayout.h"
#include "data/Value.h"

#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
class IStatus;
} // namespace Firebird

class FbConnection;

// A forward-only cursor over a SELECT. It runs in its own read-only read-committed transaction,
// which holds back nothing on the server, and fetches every row into one message buffer.
class FbCursor {
public:
    ~FbCursor();
    FbCursor(const FbCursor&) = delete;
    FbCursor& operator=(const FbCursor&) = delete;

    const RowLayout& layout() const { return layout_; }

    // Fetches the next row into `row()`; false once the rows are exhausted (the cursor then closes)
    // or the connection was lost (see `lost`).
    bool fetch();
    // The same, fetching the row straight into `message` (of the layout's message length) instead.
    bool fetchInto(unsigned char* message);
    bool isOpen() const { return bool(resultSet_); }
    // The connection went away before the rows were exhausted: the rest were never fetched.
    // `FbConnection::reopen` reads on from where this cursor stopped.
    bool lost() const { return lost_; }
    const unsigned char* row() const { return buffer_.data(); }

    Value value(int column) const;
    QString text(int column) const { return message::readText(layout_.at(column), row()); }
    bool isNull(int column) const { return message::isNull(layout_.at(column), row()); }
    // The bytes of a blob column of the current row; empty for NULL.
    QByteArray blob(int column) const;
    QByteArray blobOf(const unsigned char* row, int column) const;

    void close();

private:
    friend class FbConnection;
    FbCursor(FbConnection& connection, FbRef<Firebird::ITransaction> transaction, bool ownsTransaction,
             FbRef<Firebird::IStatement> statement, FbRef<Firebird::IMessageMetadata> metadata,
             FbRef<Firebird::IResultSet> resultSet, RowLayout layout, QString sql, Values params);
    // The attachment went away (`lost`) or was closed: the handles are given back on this side
    // only, and the rows not fetched yet are gone with them.
    void releaseHandles(bool lost);

    FbConnection* connection_; // null once the connection is destroyed
    // Its own transaction, or a reference to the unit of work's (the unit commits that one).
    FbRef<Firebird::ITransaction> transaction_;
    bool ownsTransaction_;
    FbRef<Firebird::IStatement> statement_;
    FbRef<Firebird::IMessageMetadata> metadata_;
    FbRef<Firebird::IResultSet> resultSet_;
    FbRef<Firebird::IStatus> status_; // for the fetches
    RowLayout layout_;
    std::vector<unsigned char> buffer_;
    QString sql_;
    Values params_;
    qint64 fetched_ = 0;
    bool lost_ = false;
};

// One attachment to a Firebird database: a local file through the embedded engine, or
// "host:path" / "host/port:path" through a server. SQL dialect 3, character set WIN1252.
// Every statement is committed on its own in a read-committed, record-version, waiting transaction,
// except inside a unit of work (see UnitOfWork), where statements and cursors share its transaction.
class FbConnection {
public:
    struct Params {
        QString database;
        QString user;
        QString password;
    };

    explicit FbConnection(Params params);
    ~FbConnection();
    FbConnection(const FbConnection&) = delete;
    FbConnection& operator=(const FbConnection&) = delete;

    const Params& params() const { return params_; }
    void setParams(const Params& params);
    // The SQL role the next attachment connects with; a role the user was not granted (or that
    // the database lacks) is ignored by the server.
    void setRole(const QString& role) { role_ = role; }

    // Attaches when not attached yet; throws DbError with the server's text.
    void open();
    bool isOpen() const { return bool(attachment_); }
    void close();
    // Deletes the database this connection names (attaching first); undoes a creation that failed.
    void dropDatabase();

    // Creates a new database file with WIN1252 as default character set and dialect 3.
    static void createDatabase(const Params& params, int pageSize = 8192, bool forcedWrites = true);
    // Switches the database's forced (synchronous) writes on or off. Off speeds up a bulk load
    // several times over; a database in use should keep them on.
    static void setForcedWrites(const Params& params, bool forced);

    // Runs a statement that returns no rows and commits it; returns the rows it touched.
    unsigned execute(const QString& sql, const Values& params = {});
    // Runs one statement for each set of parameters, all in one transaction committed at the end
    // (bulk loading); nothing is kept when one of them fails.
    void executeMany(const QString& sql, const std::vector<Values>& rows);
    // Reads the first row of a SELECT (an aggregate, a look-up by key): the values of its columns,
    // or none when it gives no row; the rows after the first are not read. Like every cursor it
    // runs in a read-only transaction of its own, or in the unit of work's.
    Values executeRow(const QString& sql, const Values& params = {});
    // Opens a cursor over a SELECT.
    std::unique_ptr<FbCursor> openCursor(const QString& sql, const Values& params = {});
    // Runs the SELECT of a cursor whose connection was lost again, on a new connection, and skips
    // the rows the lost one had given: the next fetch gives the row that would have come next.
    std::unique_ptr<FbCursor> reopen(const FbCursor& lost);
    // The columns a SELECT would return, without running it.
    RowLayout describe(const QString& sql);

    // While it lives, a statement committed on its own does not wait for the locks of other
    // transactions: a row another workstation is still writing under the same key is refused at
    // once as a duplicate (SQLCODE -803), as if stored. Inside a unit of work statements wait as
    // the unit's transaction does.
    class NoLockWait {
    public:
        explicit NoLockWait(FbConnection& connection) : connection_(connection) { connection_.lockWait_ = false; }
        ~NoLockWait() { connection_.lockWait_ = true; }
        NoLockWait(const NoLockWait&) = delete;
        NoLockWait& operator=(const NoLockWait&) = delete;

    private:
        FbConnection& connection_;
    };

    // The unit of work (use UnitOfWork rather than these). Units nest: an inner unit joins the
    // outer one, and only the outermost commit reaches the database. A unit left without commit
    // dooms the whole work: the outermost unit then rolls back.
    void beginWork();
    void commitWork();
    void rollbackWork();
    bool inWork() const { return workDepth_ > 0; }

    // Default administrator credentials: ISC_USER (SYSDBA when unset) and ISC_PASSWORD.
    static QString defaultUser();
    static QString defaultPassword();

private:
    friend class FbCursor;
    class CallTransaction;

    // The statement prepared for `sql`: kept for the next call with the same text, except a
    // definition statement, which is this call's alone.
    FbRef<Firebird::IStatement> prepared(Firebird::ITransaction* tx, const QString& sql);
    FbRef<Firebird::ITransaction> startTransaction(bool readOnly);
    void freeStatements();
    // Gives back the handles of the open cursors (see FbCursor::releaseHandles).
    void releaseCursors(bool lost);
    // Drops an attachment the server no longer knows.
    void dropDeadAttachment();
    template <typename Call> auto reconnecting(Call call);

    Params params_;
    QString role_;
    FbRef<Firebird::IAttachment> attachment_;
    std::unordered_map<QString, FbRef<Firebird::IStatement>> statements_;
    FbRef<Firebird::ITransaction> work_;
    std::vector<FbCursor*> cursors_; // the open cursors, which stop when the attachment goes
    int workDepth_ = 0;
    bool workDoomed_ = false;
    bool lockWait_ = true;
    bool throughServer_ = false; // attached through a server, not to a local file
};
