#include "data/FbConnection.h"

#include "data/CallWatch.h"
#include "data/ConnectionPolicy.h"
#include "data/DbActivity.h"
#include "data/DbError.h"
#include "data/ServerError.h"
#include "data/Win1252.h"

#include <QElapsedTimer>

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <utility>

using namespace Firebird;

namespace {

constexpr unsigned kDialect = 3;
constexpr unsigned kWin1252CharSet = 53;
constexpr int kStatementCacheLimit = 256;
constexpr int kKeepAliveSeconds = 60;

IMaster* master()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

// Owns a status object for the length of one call sequence.
class Status {
public:
    Status() : wrapper_(master()->getStatus()) {}
    ~Status() { wrapper_.dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    ThrowStatusWrapper* operator&() { return &wrapper_; }

private:
    ThrowStatusWrapper wrapper_;
};

// A status whose errors are looked at instead of thrown: for cleaning up, where a failure changes
// nothing for the caller.
class QuietStatus {
public:
    QuietStatus() : wrapper_(master()->getStatus()) {}
    ~QuietStatus() { wrapper_.dispose(); }
    QuietStatus(const QuietStatus&) = delete;
    QuietStatus& operator=(const QuietStatus&) = delete;
    CheckStatusWrapper* operator&() { return &wrapper_; }
    bool failed() { return (wrapper_.getState() & IStatus::STATE_ERRORS) != 0; }

private:
    CheckStatusWrapper wrapper_;
};

// The one place where an error of the Firebird API becomes a DbError with the server's text.
ServerError errorOf(const FbException& e)
{
    char text[4096];
    master()->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
    const ISC_STATUS* v = e.getStatus()->getErrors();
    const int sqlcode = int(isc_sqlcode(v));
    std::vector<long> codes;
    while (v && *v != isc_arg_end) {
        if (v[0] == isc_arg_gds)
            codes.push_back(long(v[1]));
        v += v[0] == isc_arg_cstring ? 3 : 2;
    }
    return ServerError(win1252::decode(text, qsizetype(std::strlen(text))), sqlcode, std::move(codes));
}

[[noreturn]] void raise(const FbException& e)
{
    throw errorOf(e);
}

// Runs calls of the Firebird API; their errors come out as DbError with the server's text.
template <typename Calls> auto withServerErrors(Calls&& calls) -> decltype(calls())
{
    try {
        return calls();
    } catch (const FbException& e) {
        raise(e);
    }
}

// Ends an interface with a call that gives its reference back when it succeeds (rollback, free,
// detach); a failure is of no interest here, and the reference then goes on this side only.
template <typename T, typename Call> void endQuietly(FbRef<T>& ref, Call call)
{
    if (!ref)
        return;
    QuietStatus st;
    T* p = ref.get();
    call(p, &st);
    if (st.failed())
        ref.reset();
    else
        ref.end([](T*) {});
}

void rollbackQuietly(FbRef<ITransaction>& tx)
{
    endQuietly(tx, [](ITransaction* t, CheckStatusWrapper* st) { t->rollback(st); });
}

template <typename T> void store(unsigned char* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

ColumnType columnTypeOf(unsigned sqlType, int scale)
{
    switch (sqlType) {
    case SQL_TEXT:
    case SQL_VARYING:
        return ColumnType::Text;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return scale < 0 ? ColumnType::Decimal : ColumnType::Integer;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return ColumnType::Double;
    case SQL_TYPE_DATE:
        return ColumnType::Date;
    case SQL_TYPE_TIME:
        return ColumnType::Time;
    case SQL_TIMESTAMP:
        return ColumnType::Timestamp;
    case SQL_BLOB:
        return ColumnType::Blob;
    case SQL_BOOLEAN:
        return ColumnType::Boolean;
    default:
        throw DbError(QStringLiteral("Tipo de coluna não suportado (%1).").arg(sqlType), -804);
    }
}

// The digits an exact number of this storage holds whole: a SMALLINT 32,767, an INTEGER
// 2,147,483,647, a BIGINT 9,223,372,036,854,775,807.
int digitsOf(unsigned sqlType)
{
    switch (sqlType) {
    case SQL_SHORT:
        return 4;
    case SQL_LONG:
        return 9;
    default:
        return Decimal::kMaxDigits;
    }
}

RowLayout layoutOf(IMessageMetadata* meta)
{
    Status st;
    const unsigned n = meta->getCount(&st);
    std::vector<Column> columns;
    columns.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
        Column c;
        c.name = QString::fromUtf8(meta->getAlias(&st, i)).trimmed();
        c.relation = QString::fromUtf8(meta->getRelation(&st, i)).trimmed();
        c.field = QString::fromUtf8(meta->getField(&st, i)).trimmed();
        c.sqlType = meta->getType(&st, i) & ~1u;
        const int scale = meta->getScale(&st, i);
        c.type = columnTypeOf(c.sqlType, scale);
        c.scale = scale < 0 ? -scale : 0;
        c.precision = digitsOf(c.sqlType);
        c.length = meta->getLength(&st, i);
        c.offset = meta->getOffset(&st, i);
        c.nullOffset = meta->getNullOffset(&st, i);
        c.nullable = meta->isNullable(&st, i);
        // Two select-list items of one name (A.CODIGO, B.CODIGO) are told apart as CODIGO, CODIGO_1.
        const QString base = c.name;
        for (int k = 1;; ++k) {
            const bool taken = std::any_of(columns.begin(), columns.end(), [&](const Column& o) {
                return o.name.compare(c.name, Qt::CaseInsensitive) == 0;
            });
            if (!taken)
                break;
            c.name = base + QLatin1Char('_') + QString::number(k);
        }
        columns.push_back(std::move(c));
    }
    return RowLayout(std::move(columns), meta->getMessageLength(&st));
}

// An input message built from the values themselves: each parameter is described by the type of
// the value given, and the server converts it to the column's type (reporting its own errors).
class InputMessage {
public:
    InputMessage(IAttachment* attachment, ITransaction* tx, IStatement* stmt, const Values& params)
    {
        Status st;
        FbRef<IMessageMetadata> declared(stmt->getInputMetadata(&st));
        const unsigned n = declared->getCount(&st);
        if (n != params.size())
            throw DbError(QStringLiteral("O comando espera %1 parâmetro(s) e recebeu %2.").arg(n).arg(params.size()),
                          -804);
        if (n == 0)
            return;
        FbRef<IMetadataBuilder> builder(declared->getBuilder(&st));
        std::vector<QByteArray> texts(n);
        for (unsigned i = 0; i < n; ++i)
            describe(builder.get(), i, params[i], texts[i]);
        meta_ = FbRef<IMessageMetadata>(builder->getMetadata(&st));
        buffer_.assign(meta_->getMessageLength(&st), 0);
        for (unsigned i = 0; i < n; ++i)
            fill(attachment, tx, i, params[i], texts[i]);
    }
    InputMessage(const InputMessage&) = delete;
    InputMessage& operator=(const InputMessage&) = delete;

    IMessageMetadata* meta() const { return meta_.get(); }
    unsigned char* data() { return buffer_.empty() ? nullptr : buffer_.data(); }

private:
    static void setType(IMetadataBuilder* b, unsigned i, unsigned type, unsigned length, int scale)
    {
        Status st;
        b->setType(&st, i, type | 1u);
        b->setLength(&st, i, length);
        b->setScale(&st, i, scale);
        b->setSubType(&st, i, 0);
    }

    static void describe(IMetadataBuilder* b, unsigned i, const Value& v, QByteArray& text)
    {
        Status st;
        if (const auto* s = std::get_if<QString>(&v)) {
            text = win1252::encode(*s);
            setType(b, i, SQL_VARYING, unsigned(std::max<qsizetype>(1, text.size())), 0);
            b->setCharSet(&st, i, kWin1252CharSet);
        } else if (std::holds_alternative<qint64>(v)) {
            setType(b, i, SQL_INT64, 8, 0);
        } else if (const auto* d = std::get_if<Decimal>(&v)) {
            setType(b, i, SQL_INT64, 8, -d->scale);
        } else if (std::holds_alternative<double>(v)) {
            setType(b, i, SQL_DOUBLE, 8, 0);
        } else if (std::holds_alternative<QDate>(v)) {
            setType(b, i, SQL_TYPE_DATE, 4, 0);
        } else if (std::holds_alternative<QTime>(v)) {
            setType(b, i, SQL_TYPE_TIME, 4, 0);
        } else if (std::holds_alternative<QDateTime>(v)) {
            setType(b, i, SQL_TIMESTAMP, 8, 0);
        } else if (std::holds_alternative<QByteArray>(v)) {
            setType(b, i, SQL_BLOB, 8, 0);
        } else {
            // NULL: any type will do; a short text converts to every column type.
            setType(b, i, SQL_VARYING, 1, 0);
            b->setCharSet(&st, i, kWin1252CharSet);
        }
    }

    void fill(IAttachment* attachment, ITransaction* tx, unsigned i, const Value& v, const QByteArray& text)
    {
        Status st;
        unsigned char* p = buffer_.data() + meta_->getOffset(&st, i);
        store<qint16>(buffer_.data() + meta_->getNullOffset(&st, i), isNull(v) ? -1 : 0);
        if (const auto* s = std::get_if<QString>(&v)) {
            Q_UNUSED(s);
            store<quint16>(p, quint16(text.size()));
            std::memcpy(p + 2, text.constData(), std::size_t(text.size()));
        } else if (const auto* n = std::get_if<qint64>(&v)) {
            store<qint64>(p, *n);
        } else if (const auto* d = std::get_if<Decimal>(&v)) {
            store<qint64>(p, d->units);
        } else if (const auto* f = std::get_if<double>(&v)) {
            store<double>(p, *f);
        } else if (const auto* date = std::get_if<QDate>(&v)) {
            store<ISC_DATE>(p, fbtime::toIscDate(*date));
        } else if (const auto* time = std::get_if<QTime>(&v)) {
            store<ISC_TIME>(p, fbtime::toIscTime(*time));
        } else if (const auto* ts = std::get_if<QDateTime>(&v)) {
            ISC_TIMESTAMP t;
            t.timestamp_date = fbtime::toIscDate(ts->date());
            t.timestamp_time = fbtime::toIscTime(ts->time());
            store<ISC_TIMESTAMP>(p, t);
        } else if (const auto* bytes = std::get_if<QByteArray>(&v)) {
            ISC_QUAD id{};
            FbRef<IBlob> blob(attachment->createBlob(&st, tx, &id, 0, nullptr));
            for (qsizetype pos = 0; pos < bytes->size(); pos += 32768) {
                const auto len = unsigned(std::min<qsizetype>(32768, bytes->size() - pos));
                blob->putSegment(&st, len, bytes->constData() + pos);
            }
            blob.end([&](IBlob* b) { b->close(&st); });
            store<ISC_QUAD>(p, id);
        }
    }

    FbRef<IMessageMetadata> meta_;
    std::vector<unsigned char> buffer_;
};

QByteArray readBlob(IAttachment* attachment, ITransaction* tx, ISC_QUAD id)
{
    Status st;
    FbRef<IBlob> blob(attachment->openBlob(&st, tx, &id, 0, nullptr));
    QByteArray out;
    char chunk[32768];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
        if (rc == IStatus::RESULT_NO_DATA)
            break;
        out.append(chunk, got);
    }
    blob.end([&](IBlob* b) { b->close(&st); });
    return out;
}

// Marks a call of a connection to a server in progress for the call watch; the calls to a local
// file are not watched, and cost no more than they did.
class WatchedCall {
public:
    WatchedCall(const void* connection, bool throughServer)
    {
        if (throughServer)
            busy_.emplace(connection);
    }

private:
    std::optional<callwatch::Busy> busy_;
};

} // namespace

// ---------------------------------------------------------------------------------------------

FbCursor::FbCursor(FbConnection& connection, FbRef<ITransaction> transaction, bool ownsTransaction,
                   FbRef<IStatement> statement, FbRef<IMessageMetadata> metadata, FbRef<IResultSet> resultSet,
                   RowLayout layout, QString sql, Values params)
    : connection_(&connection), transaction_(std::move(transaction)), ownsTransaction_(ownsTransaction),
      statement_(std::move(statement)), metadata_(std::move(metadata)), resultSet_(std::move(resultSet)),
      status_(master()->getStatus()), layout_(std::move(layout)), buffer_(layout_.messageLength(), 0),
      sql_(std::move(sql)), params_(std::move(params))
{
    connection_->cursors_.push_back(this);
}

FbCursor::~FbCursor()
{
    try {
        close();
    } catch (const DbError&) {
        // Closing a read-only cursor can only fail when the connection is already gone.
    }
    if (connection_)
        std::erase(connection_->cursors_, this);
}

void FbCursor::releaseHandles(bool lost)
{
    lost_ = lost_ || (lost && resultSet_);
    resultSet_.reset();
    metadata_.reset();
    statement_.reset();
    transaction_.reset();
}

bool FbCursor::fetch()
{
    return fetchInto(buffer_.data());
}

bool FbCursor::fetchInto(unsigned char* message)
{
    if (!resultSet_)
        return false;
    WatchedCall watched(connection_, connection_->throughServer_);
    try {
        ThrowStatusWrapper st(status_.get());
        if (resultSet_->fetchNext(&st, message) == IStatus::RESULT_OK) {
            ++fetched_;
            return true;
        }
    } catch (const FbException& e) {
        ServerError error = errorOf(e);
        // The server went away: this cursor will never fetch again.
        if (dberror::connectionLost(error))
            releaseHandles(true);
        throw error;
    }
    close();
    return false;
}

Value FbCursor::value(int column) const
{
    const Column& c = layout_.at(column);
    if (c.type == ColumnType::Blob && !message::isNull(c, row()))
        return blob(column);
    return message::read(c, row());
}

QByteArray FbCursor::blob(int column) const
{
    return blobOf(row(), column);
}

QByteArray FbCursor::blobOf(const unsigned char* rowData, int column) const
{
    const Column& c = layout_.at(column);
    if (message::isNull(c, rowData) || !transaction_)
        return {};
    ISC_QUAD id;
    std::memcpy(&id, rowData + c.offset, sizeof id);
    return withServerErrors([&] { return readBlob(connection_->attachment_.get(), transaction_.get(), id); });
}

void FbCursor::close()
{
    if (!transaction_ && !statement_)
        return;
    WatchedCall watched(connection_, connection_->throughServer_);
    try {
        Status st;
        resultSet_.end([&](IResultSet* rs) { rs->close(&st); });
        metadata_.reset();
        statement_.end([&](IStatement* s) { s->free(&st); });
        if (ownsTransaction_)
            transaction_.end([&](ITransaction* tx) { tx->commit(&st); });
        else
            transaction_.reset(); // the unit of work's: the unit commits it
    } catch (const FbException& e) {
        releaseHandles(false);
        raise(e);
    }
}

// ---------------------------------------------------------------------------------------------

FbConnection::FbConnection(Params params) : params_(std::move(params)) {}

FbConnection::~FbConnection()
{
    close();
    for (FbCursor* cursor : cursors_)
        cursor->connection_ = nullptr;
}

void FbConnection::setParams(const Params& params)
{
    close();
    params_ = params;
}

QString FbConnection::defaultUser()
{
    const QString user = qEnvironmentVariable("ISC_USER");
    return user.isEmpty() ? QStringLiteral("SYSDBA") : user;
}

QString FbConnection::defaultPassword()
{
    return qEnvironmentVariable("ISC_PASSWORD");
}

namespace {

// The tags a connection block may carry beyond the usual ones.
struct BlockOptions {
    bool create = false;
    int pageSize = 0;
    int forcedWrites = -1;  // -1 leaves the database's setting alone
    int connectTimeout = 0; // seconds; 0 takes attachTimeoutSeconds()
    QString role;
};

// A call that lost its connection makes it again within what is left of its time (see
// reconnecting); 0 when no call limits the attachments made on this thread.
thread_local int attachTimeoutLimit = 0;

int attachTimeoutSeconds()
{
    return attachTimeoutLimit > 0 ? attachTimeoutLimit : connectionpolicy::connectTimeoutSeconds();
}

// Limits the connect timeout of the attachments made on this thread while it lives.
class AttachWithin {
public:
    explicit AttachWithin(int seconds) : previous_(std::exchange(attachTimeoutLimit, seconds)) {}
    ~AttachWithin() { attachTimeoutLimit = previous_; }
    AttachWithin(const AttachWithin&) = delete;
    AttachWithin& operator=(const AttachWithin&) = delete;

private:
    int previous_;
};

FbRef<IXpbBuilder> connectionBlock(const FbConnection::Params& p, const BlockOptions& options)
{
    Status st;
    FbRef<IXpbBuilder> dpb(master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    const QByteArray user = win1252::encode(p.user);
    const QByteArray password = win1252::encode(p.password);
    if (!user.isEmpty())
        dpb->insertString(&st, isc_dpb_user_name, user.constData());
    if (!password.isEmpty())
        dpb->insertString(&st, isc_dpb_password, password.constData());
    if (!options.role.isEmpty())
        dpb->insertString(&st, isc_dpb_sql_role_name, win1252::encode(options.role).constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, "WIN1252");
    dpb->insertInt(&st, isc_dpb_sql_dialect, int(kDialect));
    // A server that does not answer is given up after this many seconds, and an idle connection
    // whose other end went away is found out by the keep-alive packets.
    const int timeout = options.connectTimeout > 0 ? options.connectTimeout : attachTimeoutSeconds();
    if (timeout > 0)
        dpb->insertInt(&st, isc_dpb_connect_timeout, timeout);
    dpb->insertInt(&st, isc_dpb_dummy_packet_interval, kKeepAliveSeconds);
    if (options.create) {
        dpb->insertInt(&st, isc_dpb_page_size, options.pageSize);
        dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
    }
    if (options.forcedWrites >= 0)
        dpb->insertInt(&st, isc_dpb_force_write, options.forcedWrites);
    return dpb;
}

// Attaches to (or creates) a database with the given block options; throws DbError.
FbRef<IAttachment> attachWith(const FbConnection::Params& params, const BlockOptions& options)
{
    const QByteArray name = win1252::encode(params.database);
    return withServerErrors([&] {
        FbRef<IProvider> provider(master()->getDispatcher());
        FbRef<IXpbBuilder> dpb = connectionBlock(params, options);
        Status st;
        return FbRef<IAttachment>(
            options.create
                ? provider->createDatabase(&st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st))
                : provider->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st)));
    });
}

void detachOrThrow(FbRef<IAttachment> attachment)
{
    withServerErrors([&] {
        Status st;
        attachment.end([&](IAttachment* a) { a->detach(&st); });
    });
}

void detachQuietly(FbRef<IAttachment>& attachment)
{
    endQuietly(attachment, [](IAttachment* a, CheckStatusWrapper* st) { a->detach(st); });
}

} // namespace

namespace {

std::atomic<int> connectTimeout = connectionpolicy::kDefaultConnectTimeoutSeconds;
std::atomic<int> unansweredCall = connectionpolicy::kDefaultUnansweredCallSeconds;

// A unit of work whose connection was lost: none of it reached the database.
ServerError lostWork()
{
    return ServerError(QStringLiteral("A conexão com o servidor de banco de dados foi perdida; "
                                      "o trabalho em andamento foi desfeito e nada dele foi gravado."),
                       DbError::kCannotOpen, {isc_network_error});
}

// Frees the prepared statements; one the server cannot free any more (its attachment is gone) is
// released on this side only.
void freeAll(std::unordered_map<QString, FbRef<IStatement>>& statements)
{
    for (auto& [sql, statement] : statements)
        endQuietly(statement, [](IStatement* s, CheckStatusWrapper* st) { s->free(st); });
    statements.clear();
}

// The errors of a server that did not answer a new connection; the client library reports one
// that kept silent until the time ran out as a rejected connection.
bool silentServer(const DbError& e)
{
    return dberror::connectionLost(e) || dberror::hasCode(e, isc_connect_reject);
}

// Whether the server of `params` answers a new connection (asked by the call watch, on its own
// thread: the attachment made here is its own).
bool serverAnswers(const FbConnection::Params& params)
{
    try {
        BlockOptions options;
        options.connectTimeout = connectionpolicy::probeTimeoutSeconds();
        detachOrThrow(attachWith(params, options));
        return true;
    } catch (const DbError& e) {
        return !silentServer(e);
    }
}

// "host/port" of "host/port:path" (or of "host:path"); empty for a local file.
QString serverOf(const QString& database)
{
    const qsizetype colon = database.indexOf(QLatin1Char(':'));
    if (colon <= 1) // no host, or a drive letter
        return {};
    return database.left(colon);
}

} // namespace

namespace connectionpolicy {

void setConnectTimeoutSeconds(int seconds)
{
    connectTimeout = seconds;
}

int connectTimeoutSeconds()
{
    return connectTimeout;
}

void setUnansweredCallSeconds(int seconds)
{
    unansweredCall = seconds;
}

int unansweredCallSeconds()
{
    return unansweredCall;
}

int probeTimeoutSeconds()
{
    return std::max(1, (connectTimeout - unansweredCall) / 2);
}

int reconnectTimeoutSeconds(qint64 elapsedMillis)
{
    const qint64 usedSeconds = (elapsedMillis + 999) / 1000;
    return int(std::max<qint64>(1, connectTimeout - usedSeconds - 1));
}

} // namespace connectionpolicy

// A server that does not answer is given up after the connect timeout, with a message naming it.
void FbConnection::open()
{
    if (attachment_)
        return;
    if (workDepth_ > 0 && workDoomed_)
        throw lostWork();
    QElapsedTimer clock;
    clock.start();
    dbactivity::Call call;
    try {
        BlockOptions options;
        options.role = role_;
        attachment_ = attachWith(params_, options);
        throughServer_ = !serverOf(params_.database).isEmpty();
        if (throughServer_)
            callwatch::watch(this, attachment_.get(), [params = params_] { return serverAnswers(params); });
    } catch (const DbError& e) {
        const QString server = serverOf(params_.database);
        const int timeout = attachTimeoutSeconds();
        const bool gaveUp = timeout > 0 && clock.elapsed() >= (timeout - 1) * 1000;
        if (server.isEmpty() || !gaveUp || !silentServer(e))
            throw;
        // Named with the whole connect timeout: a connection made again after a call was given up
        // only had what was left of it.
        throw ServerError(QStringLiteral("O servidor de banco de dados \"%1\" não respondeu em %2 segundos.")
                              .arg(server)
                              .arg(connectionpolicy::connectTimeoutSeconds()),
                          DbError::kCannotOpen, dberror::codes(e));
    }
}

void FbConnection::createDatabase(const Params& params, int pageSize, bool forcedWrites)
{
    BlockOptions options;
    options.create = true;
    options.pageSize = pageSize;
    options.forcedWrites = forcedWrites ? 1 : 0;
    detachOrThrow(attachWith(params, options));
}

void FbConnection::setForcedWrites(const Params& params, bool forced)
{
    BlockOptions options;
    options.forcedWrites = forced ? 1 : 0;
    detachOrThrow(attachWith(params, options));
}

void FbConnection::freeStatements()
{
    freeAll(statements_);
}

void FbConnection::releaseCursors(bool lost)
{
    for (FbCursor* cursor : cursors_)
        cursor->releaseHandles(lost);
}

// A connection closed with cursors still open stops them where they are.
void FbConnection::close()
{
    if (!attachment_)
        return;
    callwatch::unwatch(this);
    releaseCursors(false);
    if (work_) {
        rollbackQuietly(work_);
        workDepth_ = 0;
    }
    freeStatements();
    detachQuietly(attachment_);
}

// The attachment is gone with the server's connection: the cursors stop where they are, and a
// unit of work that used it is doomed (its statements are gone, and its commit must fail).
void FbConnection::dropDeadAttachment()
{
    if (!attachment_)
        return;
    callwatch::unwatch(this);
    releaseCursors(true);
    if (work_) {
        rollbackQuietly(work_);
        workDoomed_ = true;
    }
    freeStatements();
    detachQuietly(attachment_);
}

// Runs a call; when the server went away, drops the dead attachment and runs it once more on a
// new one. Work whose commit may have reached the server is never sent again blindly, nor any
// part of a unit of work: the caller decides. The connection is made again within what is left of
// the connect timeout since the call began, so that the clerk hears of a silent server within that
// time, with the notice on screen meanwhile.
template <typename Call> auto FbConnection::reconnecting(Call call)
{
    dbactivity::Call busy;
    QElapsedTimer clock;
    clock.start();
    {
        callwatch::Busy watched(this);
        try {
            return call();
        } catch (const DbError& e) {
            if (!dberror::connectionLost(e))
                throw;
            dropDeadAttachment();
            if (dberror::outcomeUnknown(e) || workDepth_ > 0)
                throw;
        }
    }
    dbactivity::Notice notice(
        QStringLiteral("A conexão com o servidor de banco de dados foi perdida. Reconectando..."));
    AttachWithin limit(connectionpolicy::reconnectTimeoutSeconds(clock.elapsed()));
    callwatch::Busy watched(this);
    return call();
}

// The transaction one call runs in: the unit of work's while one is open, else one of its own,
// which `commit` commits and which is rolled back when the call ends without it.
class FbConnection::CallTransaction {
public:
    CallTransaction(FbConnection& connection, bool readOnly) : readOnly_(readOnly)
    {
        if (connection.workDepth_ > 0 && !connection.work_)
            throw lostWork();
        owned_ = !connection.work_;
        tx_ = owned_ ? connection.startTransaction(readOnly) : FbRef<ITransaction>::shared(connection.work_.get());
    }
    ~CallTransaction()
    {
        if (owned_)
            rollbackQuietly(tx_);
    }
    CallTransaction(const CallTransaction&) = delete;
    CallTransaction& operator=(const CallTransaction&) = delete;

    ITransaction* get() const { return tx_.get(); }
    bool owned() const { return owned_; }

    // Commits a transaction of its own; the unit of work commits its own. A transaction that wrote
    // and lost the connection while committing may or may not be stored: the error says so.
    void commit()
    {
        if (!owned_)
            return;
        try {
            Status st;
            tx_.end([&](ITransaction* tx) { tx->commit(&st); });
        } catch (const FbException& e) {
            rollbackQuietly(tx_);
            ServerError error = errorOf(e);
            if (!readOnly_ && dberror::connectionLost(error))
                error.setOutcomeUnknown();
            throw error;
        }
    }

    // Hands the transaction to a cursor, which commits it (or lets go of the unit's) when it closes.
    FbRef<ITransaction> handOver() { return std::move(tx_); }

private:
    FbRef<ITransaction> tx_;
    bool owned_ = false;
    bool readOnly_;
};

void FbConnection::dropDatabase()
{
    open();
    freeStatements();
    releaseCursors(false);
    callwatch::unwatch(this);
    withServerErrors([&] {
        Status st;
        attachment_.end([&](IAttachment* a) { a->dropDatabase(&st); });
    });
}

FbRef<ITransaction> FbConnection::startTransaction(bool readOnly)
{
    open();
    Status st;
    FbRef<IXpbBuilder> tpb(master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, lockWait_ ? isc_tpb_wait : isc_tpb_nowait);
    tpb->insertTag(&st, readOnly ? isc_tpb_read : isc_tpb_write);
    return FbRef<ITransaction>(attachment_->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st)));
}

void FbConnection::beginWork()
{
    if (workDepth_++ > 0)
        return;
    workDoomed_ = false;
    try {
        work_ = withServerErrors([&] { return startTransaction(false); });
    } catch (...) {
        workDepth_ = 0;
        throw;
    }
}

void FbConnection::commitWork()
{
    if (workDepth_ == 0)
        return;
    if (--workDepth_ > 0)
        return;
    FbRef<ITransaction> tx = std::move(work_);
    if (workDoomed_ || !tx) {
        rollbackQuietly(tx);
        throw DbError(QStringLiteral("Uma parte do trabalho falhou; nada foi gravado."), 0);
    }
    dbactivity::Call busy;
    callwatch::Busy watched(this);
    try {
        Status st;
        tx.end([&](ITransaction* t) { t->commit(&st); });
    } catch (const FbException& e) {
        rollbackQuietly(tx);
        ServerError error = errorOf(e);
        if (dberror::connectionLost(error)) {
            error.setOutcomeUnknown();
            dropDeadAttachment();
        }
        throw error;
    }
}

void FbConnection::rollbackWork()
{
    if (workDepth_ == 0)
        return;
    if (--workDepth_ > 0) {
        workDoomed_ = true;
        return;
    }
    rollbackQuietly(work_);
}

FbRef<IStatement> FbConnection::prepared(ITransaction* tx, const QString& sql)
{
    if (const auto cached = statements_.find(sql); cached != statements_.end())
        return FbRef<IStatement>::shared(cached->second.get());
    Status st;
    const QByteArray text = win1252::encode(sql);
    FbRef<IStatement> s(attachment_->prepare(&st, tx, unsigned(text.size()), text.constData(), kDialect,
                                             IStatement::PREPARE_PREFETCH_METADATA));
    if (s->getType(&st) == isc_info_sql_stmt_ddl)
        return s;
    if (statements_.size() >= kStatementCacheLimit)
        freeStatements();
    return FbRef<IStatement>::shared(statements_.emplace(sql, std::move(s)).first->second.get());
}

unsigned FbConnection::execute(const QString& sql, const Values& params)
{
    dbactivity::statementSent(sql);
    return reconnecting([&] {
        return withServerErrors([&] {
            CallTransaction tx(*this, false);
            Status st;
            FbRef<IStatement> s = prepared(tx.get(), sql);
            InputMessage in(attachment_.get(), tx.get(), s.get(), params);
            s->execute(&st, tx.get(), in.meta(), in.data(), nullptr, nullptr);
            const auto affected = unsigned(s->getAffectedRecords(&st));
            tx.commit();
            return affected;
        });
    });
}

void FbConnection::executeMany(const QString& sql, const std::vector<Values>& rows)
{
    dbactivity::statementSent(sql);
    reconnecting([&] {
        withServerErrors([&] {
            CallTransaction tx(*this, false);
            Status st;
            FbRef<IStatement> s = prepared(tx.get(), sql);
            for (const Values& params : rows) {
                InputMessage in(attachment_.get(), tx.get(), s.get(), params);
                s->execute(&st, tx.get(), in.meta(), in.data(), nullptr, nullptr);
            }
            tx.commit();
        });
    });
}

std::unique_ptr<FbCursor> FbConnection::openCursor(const QString& sql, const Values& params)
{
    dbactivity::statementSent(sql);
    return reconnecting([&] {
        return withServerErrors([&] {
            CallTransaction tx(*this, true);
            Status st;
            // A cursor gets a statement of its own: two cursors may run the same text at once.
            const QByteArray text = win1252::encode(sql);
            FbRef<IStatement> s(attachment_->prepare(&st, tx.get(), unsigned(text.size()), text.constData(), kDialect,
                                                     IStatement::PREPARE_PREFETCH_METADATA));
            FbRef<IMessageMetadata> out(s->getOutputMetadata(&st));
            RowLayout layout = layoutOf(out.get());
            InputMessage in(attachment_.get(), tx.get(), s.get(), params);
            FbRef<IResultSet> rs(s->openCursor(&st, tx.get(), in.meta(), in.data(), out.get(), 0));
            const bool owned = tx.owned();
            return std::unique_ptr<FbCursor>(new FbCursor(*this, tx.handOver(), owned, std::move(s), std::move(out),
                                                          std::move(rs), std::move(layout), sql, params));
        });
    });
}

std::unique_ptr<FbCursor> FbConnection::reopen(const FbCursor& lost)
{
    auto cursor = openCursor(lost.sql_, lost.params_);
    while (cursor->fetched_ < lost.fetched_ && cursor->fetch()) {
    }
    return cursor;
}

Values FbConnection::executeRow(const QString& sql, const Values& params)
{
    auto cursor = openCursor(sql, params);
    Values row;
    if (cursor->fetch())
        for (int i = 0; i < cursor->layout().count(); ++i)
            row.push_back(cursor->value(i));
    cursor->close();
    return row;
}

RowLayout FbConnection::describe(const QString& sql)
{
    return reconnecting([&] {
        return withServerErrors([&] {
            CallTransaction tx(*this, true);
            Status st;
            FbRef<IStatement> s = prepared(tx.get(), sql);
            FbRef<IMessageMetadata> out(s->getOutputMetadata(&st));
            RowLayout layout = layoutOf(out.get());
            tx.commit();
            return layout;
        });
    });
}
