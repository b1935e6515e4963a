#include "data/FbConnection.h"

#include "data/CallWatch.h"
#include "data/ConnectionPolicy.h"
#include "data/DbActivity.h"
#include "data/DbError.h"
#include "data/ServerError.h"
#include "data/Win1252.h"

#include <QElapsedTimer>
#include <QMultiHash>
#include <QSet>

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
        IMessageMetadata* declared = stmt->getInputMetadata(&st);
        const unsigned n = declared->getCount(&st);
        if (n != params.size()) {
            declared->release();
            throw DbError(QStringLiteral("O comando espera %1 parâmetro(s) e recebeu %2.").arg(n).arg(params.size()),
                          -804);
        }
        if (n == 0) {
            declared->release();
            return;
        }
        IMetadataBuilder* builder = declared->getBuilder(&st);
        declared->release();
        std::vector<QByteArray> texts(n);
        for (unsigned i = 0; i < n; ++i)
            describe(builder, i, params[i], texts[i]);
        meta_ = builder->getMetadata(&st);
        builder->release();
        buffer_.assign(meta_->getMessageLength(&st), 0);
        for (unsigned i = 0; i < n; ++i)
            fill(attachment, tx, i, params[i], texts[i]);
    }
    ~InputMessage()
    {
        if (meta_)
            meta_->release();
    }
    InputMessage(const InputMessage&) = delete;
    InputMessage& operator=(const InputMessage&) = delete;

    IMessageMetadata* meta() const { return meta_; }
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
            IBlob* blob = attachment->createBlob(&st, tx, &id, 0, nullptr);
            for (qsizetype pos = 0; pos < bytes->size(); pos += 32768) {
                const auto len = unsigned(std::min<qsizetype>(32768, bytes->size() - pos));
                blob->putSegment(&st, len, bytes->constData() + pos);
            }
            blob->close(&st);
            store<ISC_QUAD>(p, id);
        }
    }

    IMessageMetadata* meta_ = nullptr;
    std::vector<unsigned char> buffer_;
};

void rollbackQuietly(ITransaction* tx)
{
    if (!tx)
        return;
    CheckStatusWrapper st(master()->getStatus());
    tx->rollback(&st);
    if (st.getState() & IStatus::STATE_ERRORS)
        tx->release();
    st.dispose();
}

QByteArray readBlob(IAttachment* attachment, ITransaction* tx, ISC_QUAD id)
{
    Status st;
    IBlob* blob = attachment->openBlob(&st, tx, &id, 0, nullptr);
    QByteArray out;
    char chunk[32768];
    for (;;) {
        unsigned got = 0;
        const int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
        if (rc == IStatus::RESULT_NO_DATA)
            break;
        out.append(chunk, got);
    }
    blob->close(&st);
    return out;
}

// The cursors open on each connection: when the server goes away, they stop where they are (their
// handles went with the attachment).
QMultiHash<const FbConnection*, FbCursor*>& openCursors()
{
    static QMultiHash<const FbConnection*, FbCursor*> cursors;
    return cursors;
}

QSet<const FbCursor*>& staleCursors()
{
    static QSet<const FbCursor*> cursors;
    return cursors;
}

} // namespace

// ---------------------------------------------------------------------------------------------

FbCursor::FbCursor(FbConnection& connection, ITransaction* transaction, bool ownsTransaction, IStatement* statement,
                   IResultSet* resultSet, IMessageMetadata* metadata, RowLayout layout, QString sql, Values params)
    : connection_(connection), transaction_(transaction), ownsTransaction_(ownsTransaction), statement_(statement),
      resultSet_(resultSet), metadata_(metadata), layout_(std::move(layout)), buffer_(layout_.messageLength(), 0),
      sql_(std::move(sql)), params_(std::move(params))
{
    openCursors().insert(&connection_, this);
}

FbCursor::~FbCursor()
{
    openCursors().remove(&connection_, this);
    if (staleCursors().remove(this))
        forgetHandles();
    try {
        close();
    } catch (const DbError&) {
        // Closing a read-only cursor can only fail when the connection is already gone.
    }
}

// The attachment went away under this cursor: its handles are gone with it, and so are the rows it
// had not fetched yet.
void FbCursor::forgetHandles()
{
    lost_ = lost_ || resultSet_ != nullptr;
    resultSet_ = nullptr;
    statement_ = nullptr;
    transaction_ = nullptr;
}

bool FbCursor::fetch()
{
    if (staleCursors().remove(this))
        forgetHandles();
    if (!resultSet_)
        return false;
    // Watched only through a server: the fetches of a local file cost no more than they did.
    std::optional<callwatch::Busy> watched;
    if (connection_.throughServer_)
        watched.emplace(&connection_);
    try {
        Status st;
        if (resultSet_->fetchNext(&st, buffer_.data()) == IStatus::RESULT_OK) {
            ++fetched_;
            return true;
        }
    } catch (const FbException& e) {
        ServerError error = errorOf(e);
        // The server went away: this cursor will never fetch again; its handles are left behind.
        if (dberror::connectionLost(error))
            forgetHandles();
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
    if (message::isNull(c, rowData) || !transaction_ || staleCursors().contains(this))
        return {};
    ISC_QUAD id;
    std::memcpy(&id, rowData + c.offset, sizeof id);
    try {
        return readBlob(connection_.attachment_, transaction_, id);
    } catch (const FbException& e) {
        raise(e);
    }
}

void FbCursor::close()
{
    if (staleCursors().remove(this))
        forgetHandles();
    callwatch::Busy watched(&connection_);
    try {
        Status st;
        if (resultSet_) {
            IResultSet* rs = resultSet_;
            resultSet_ = nullptr;
            rs->close(&st);
        }
        if (metadata_) {
            metadata_->release();
            metadata_ = nullptr;
        }
        if (statement_) {
            IStatement* s = statement_;
            statement_ = nullptr;
            s->free(&st);
        }
        if (transaction_) {
            ITransaction* tx = transaction_;
            transaction_ = nullptr;
            if (ownsTransaction_)
                tx->commit(&st);
        }
    } catch (const FbException& e) {
        raise(e);
    }
}

// ---------------------------------------------------------------------------------------------

FbConnection::FbConnection(Params params) : params_(std::move(params)) {}

FbConnection::~FbConnection()
{
    close();
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

IXpbBuilder* connectionBlock(const FbConnection::Params& p, const BlockOptions& options)
{
    Status st;
    IXpbBuilder* dpb = master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
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
IAttachment* attachWith(const FbConnection::Params& params, const BlockOptions& options)
{
    const QByteArray name = win1252::encode(params.database);
    IXpbBuilder* dpb = nullptr;
    IProvider* provider = master()->getDispatcher();
    try {
        Status st;
        dpb = connectionBlock(params, options);
        IAttachment* att =
            options.create
                ? provider->createDatabase(&st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st))
                : provider->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
        provider->release();
        return att;
    } catch (const FbException& e) {
        if (dpb)
            dpb->dispose();
        provider->release();
        raise(e);
    }
}

void detachOrThrow(IAttachment* attachment)
{
    try {
        Status st;
        attachment->detach(&st);
    } catch (const FbException& e) {
        attachment->release();
        raise(e);
    }
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
void freeAll(QHash<QString, IStatement*>& statements)
{
    CheckStatusWrapper st(master()->getStatus());
    for (IStatement* s : std::as_const(statements)) {
        s->free(&st);
        if (st.getState() & IStatus::STATE_ERRORS)
            s->release();
        st.init();
    }
    statements.clear();
    st.dispose();
}

// Drops an attachment the server no longer knows. A unit of work that used it is doomed: its
// statements are gone, and its commit must fail.
void dropDeadAttachment(const FbConnection* connection, IAttachment*& attachment,
                        QHash<QString, IStatement*>& statements, ITransaction*& work, bool& workDoomed)
{
    if (!attachment)
        return;
    callwatch::unwatch(connection);
    for (FbCursor* cursor : openCursors().values(connection))
        staleCursors().insert(cursor);
    if (work) {
        rollbackQuietly(std::exchange(work, nullptr));
        workDoomed = true;
    }
    freeAll(statements);
    CheckStatusWrapper st(master()->getStatus());
    attachment->detach(&st);
    if (st.getState() & IStatus::STATE_ERRORS)
        attachment->release();
    attachment = nullptr;
    st.dispose();
}

// Runs a call; when the server went away, drops the dead attachment and runs it once more on a
// new one. Work whose commit may have reached the server is never sent again blindly, nor any
// part of a unit of work: the caller decides. The connection is made again within what is left of
// the connect timeout since the call began, so that the clerk hears of a silent server within that
// time, with the notice on screen meanwhile.
template <typename Call, typename Drop>
auto reconnecting(const FbConnection* connection, Call call, Drop drop, const int& workDepth)
{
    dbactivity::Call busy;
    QElapsedTimer clock;
    clock.start();
    {
        callwatch::Busy watched(connection);
        try {
            return call();
        } catch (const DbError& e) {
            if (!dberror::connectionLost(e))
                throw;
            drop();
            if (dberror::outcomeUnknown(e) || workDepth > 0)
                throw;
        }
    }
    dbactivity::Notice notice(
        QStringLiteral("A conexão com o servidor de banco de dados foi perdida. Reconectando..."));
    AttachWithin limit(connectionpolicy::reconnectTimeoutSeconds(clock.elapsed()));
    callwatch::Busy watched(connection);
    return call();
}

// Commits a statement's own transaction. The connection lost on the way, nobody can tell whether
// the statement is stored: the error says so.
void commitOwn(ITransaction* tx)
{
    try {
        Status st;
        tx->commit(&st);
    } catch (const FbException& e) {
        rollbackQuietly(tx);
        ServerError error = errorOf(e);
        if (dberror::connectionLost(error))
            error.setOutcomeUnknown();
        throw error;
    }
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
            callwatch::watch(this, attachment_, [params = params_] { return serverAnswers(params); });
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

void FbConnection::close()
{
    if (!attachment_)
        return;
    callwatch::unwatch(this);
    if (work_) {
        rollbackQuietly(std::exchange(work_, nullptr));
        workDepth_ = 0;
    }
    freeStatements();
    CheckStatusWrapper st(master()->getStatus());
    attachment_->detach(&st);
    if (st.getState() & IStatus::STATE_ERRORS)
        attachment_->release();
    attachment_ = nullptr;
    st.dispose();
}

void FbConnection::dropDatabase()
{
    open();
    freeStatements();
    callwatch::unwatch(this);
    try {
        Status st;
        attachment_->dropDatabase(&st);
        attachment_ = nullptr;
    } catch (const FbException& e) {
        raise(e);
    }
}

ITransaction* FbConnection::startTransaction(bool readOnly)
{
    open();
    Status st;
    IXpbBuilder* tpb = master()->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
    tpb->insertTag(&st, isc_tpb_read_committed);
    tpb->insertTag(&st, isc_tpb_rec_version);
    tpb->insertTag(&st, lockWait_ ? isc_tpb_wait : isc_tpb_nowait);
    tpb->insertTag(&st, readOnly ? isc_tpb_read : isc_tpb_write);
    ITransaction* tx = attachment_->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
    tpb->dispose();
    return tx;
}

ITransaction* FbConnection::transactionFor(bool readOnly, bool& owned)
{
    if (workDepth_ > 0 && !work_)
        throw lostWork();
    owned = work_ == nullptr;
    return owned ? startTransaction(readOnly) : work_;
}

void FbConnection::beginWork()
{
    if (workDepth_++ > 0)
        return;
    workDoomed_ = false;
    try {
        work_ = startTransaction(false);
    } catch (const FbException& e) {
        workDepth_ = 0;
        raise(e);
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
    ITransaction* tx = std::exchange(work_, nullptr);
    if (workDoomed_ || !tx) {
        rollbackQuietly(tx);
        throw DbError(QStringLiteral("Uma parte do trabalho falhou; nada foi gravado."), 0);
    }
    dbactivity::Call busy;
    callwatch::Busy watched(this);
    try {
        Status st;
        tx->commit(&st);
    } catch (const FbException& e) {
        rollbackQuietly(tx);
        ServerError error = errorOf(e);
        if (dberror::connectionLost(error)) {
            error.setOutcomeUnknown();
            dropDeadAttachment(this, attachment_, statements_, work_, workDoomed_);
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
    rollbackQuietly(std::exchange(work_, nullptr));
}

IStatement* FbConnection::prepared(ITransaction* tx, const QString& sql)
{
    if (IStatement* s = statements_.value(sql))
        return s;
    Status st;
    const QByteArray text = win1252::encode(sql);
    IStatement* s = attachment_->prepare(&st, tx, unsigned(text.size()), text.constData(), kDialect,
                                         IStatement::PREPARE_PREFETCH_METADATA);
    const unsigned type = s->getType(&st);
    if (type == isc_info_sql_stmt_ddl)
        return s; // caller frees it
    if (statements_.size() >= kStatementCacheLimit) {
        for (IStatement* old : std::as_const(statements_))
            old->free(&st);
        statements_.clear();
    }
    statements_.insert(sql, s);
    return s;
}

unsigned FbConnection::execute(const QString& sql, const Values& params)
{
    dbactivity::statementSent(sql);
    const auto once = [&]() -> unsigned {
        ITransaction* tx = nullptr;
        bool owned = false;
        try {
            tx = transactionFor(false, owned);
            Status st;
            IStatement* s = prepared(tx, sql);
            const bool cached = statements_.contains(sql);
            InputMessage in(attachment_, tx, s, params);
            s->execute(&st, tx, in.meta(), in.data(), nullptr, nullptr);
            const auto affected = unsigned(s->getAffectedRecords(&st));
            if (!cached)
                s->free(&st);
            if (owned)
                commitOwn(std::exchange(tx, nullptr));
            return affected;
        } catch (const FbException& e) {
            if (owned)
                rollbackQuietly(tx);
            raise(e);
        } catch (...) {
            if (owned)
                rollbackQuietly(tx);
            throw;
        }
    };
    return reconnecting(
        this, once, [this] { dropDeadAttachment(this, attachment_, statements_, work_, workDoomed_); }, workDepth_);
}

void FbConnection::executeMany(const QString& sql, const std::vector<Values>& rows)
{
    dbactivity::statementSent(sql);
    const auto once = [&]() -> int {
        ITransaction* tx = nullptr;
        bool owned = false;
        try {
            tx = transactionFor(false, owned);
            Status st;
            IStatement* s = prepared(tx, sql);
            for (const Values& params : rows) {
                InputMessage in(attachment_, tx, s, params);
                s->execute(&st, tx, in.meta(), in.data(), nullptr, nullptr);
            }
            if (!statements_.contains(sql))
                s->free(&st);
            if (owned)
                commitOwn(std::exchange(tx, nullptr));
        } catch (const FbException& e) {
            if (owned)
                rollbackQuietly(tx);
            raise(e);
        } catch (...) {
            if (owned)
                rollbackQuietly(tx);
            throw;
        }
        return 0;
    };
    reconnecting(
        this, once, [this] { dropDeadAttachment(this, attachment_, statements_, work_, workDoomed_); }, workDepth_);
}

std::unique_ptr<FbCursor> FbConnection::openCursor(const QString& sql, const Values& params)
{
    dbactivity::statementSent(sql);
    const auto once = [&]() -> std::unique_ptr<FbCursor> {
        ITransaction* tx = nullptr;
        IStatement* s = nullptr;
        bool owned = false;
        try {
            tx = transactionFor(true, owned);
            Status st;
            // A cursor gets a statement of its own: two cursors may run the same text at once.
            const QByteArray text = win1252::encode(sql);
            s = attachment_->prepare(&st, tx, unsigned(text.size()), text.constData(), kDialect,
                                     IStatement::PREPARE_PREFETCH_METADATA);
            IMessageMetadata* out = s->getOutputMetadata(&st);
            RowLayout layout = layoutOf(out);
            InputMessage in(attachment_, tx, s, params);
            IResultSet* rs = s->openCursor(&st, tx, in.meta(), in.data(), out, 0);
            return std::unique_ptr<FbCursor>(
                new FbCursor(*this, tx, owned, s, rs, out, std::move(layout), sql, params));
        } catch (const FbException& e) {
            if (s)
                s->release();
            if (owned)
                rollbackQuietly(tx);
            raise(e);
        } catch (...) {
            if (s)
                s->release();
            if (owned)
                rollbackQuietly(tx);
            throw;
        }
    };
    return reconnecting(
        this, once, [this] { dropDeadAttachment(this, attachment_, statements_, work_, workDoomed_); }, workDepth_);
}

std::unique_ptr<FbCursor> FbConnection::reopen(const FbCursor& lost)
{
    auto cursor = openCursor(lost.sql_, lost.params_);
    while (cursor->fetched_ < lost.fetched_ && cursor->fetch()) {
    }
    return cursor;
}

// A statement with "returning" writes: its answer lost during the commit, it is not run again.
Values FbConnection::executeRow(const QString& sql, const Values& params)
{
    auto cursor = openCursor(sql, params);
    Values row;
    if (cursor->fetch())
        for (int i = 0; i < cursor->layout().count(); ++i)
            row.push_back(cursor->value(i));
    try {
        cursor->close();
    } catch (ServerError& e) {
        if (dberror::connectionLost(e))
            e.setOutcomeUnknown();
        throw;
    }
    return row;
}

RowLayout FbConnection::describe(const QString& sql)
{
    const auto once = [&]() -> RowLayout {
        ITransaction* tx = nullptr;
        bool owned = false;
        try {
            tx = transactionFor(true, owned);
            Status st;
            IStatement* s = prepared(tx, sql);
            IMessageMetadata* out = s->getOutputMetadata(&st);
            RowLayout layout = layoutOf(out);
            out->release();
            if (owned)
                tx->commit(&st);
            return layout;
        } catch (const FbException& e) {
            if (owned)
                rollbackQuietly(tx);
            raise(e);
        }
    };
    return reconnecting(
        this, once, [this] { dropDeadAttachment(this, attachment_, statements_, work_, workDoomed_); }, workDepth_);
}
