#include "data/CachedDataset.h"

#include "data/AsciiCase.h"
#include "data/CachedDatasetImpl.h"
#include "data/DbError.h"
#include "data/FieldValue.h"
#include "data/ServerError.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// A new row refused as a duplicate gets fresh keys for this long before the refusal stands.
constexpr qint64 kKeyRedrawMillis = 5000;
// The longest pause between two draws; the pause is random, so that workstations drawing at the
// same moment part ways.
constexpr int kLongestRedrawPauseMillis = 80;
// A redraw skips up to this many values past the greatest + 1 for each refusal so far, and never
// more than the widest skip.
constexpr int kRedrawSkipStep = 32;
constexpr int kWidestRedrawSkip = 1024;

} // namespace

CachedDataset::Impl::Impl(CachedDataset& owner, QString name_, FbConnection& connection_, QString table_,
                          WriteMode mode_, QStringList keyColumns_, QStringList requiredColumns_)
    : q(owner), name(std::move(name_)), connection(connection_), table(std::move(table_)), mode(mode_),
      keyColumns(std::move(keyColumns_)), requiredColumns(std::move(requiredColumns_))
{
}

void CachedDataset::Impl::fire(const Event& event)
{
    if (event)
        event(q);
}

void CachedDataset::Impl::requireOpen() const
{
    if (state == State::Inactive)
        throw DatasetError(QStringLiteral("O conjunto de dados %1 está fechado.").arg(name));
}

void CachedDataset::Impl::requireEditing() const
{
    requireOpen();
    if (state != State::Edit && state != State::Insert)
        throw DatasetError(QStringLiteral("O conjunto de dados %1 não está em modo de edição ou inclusão.").arg(name));
}

int CachedDataset::Impl::column(const QString& fieldName) const
{
    requireOpen();
    const auto it = columnByName.constFind(ascii::upper(fieldName));
    if (it == columnByName.constEnd())
        throw std::out_of_range(QStringLiteral("%1: campo '%2' não encontrado.").arg(name, fieldName).toStdString());
    return *it;
}

Value CachedDataset::Impl::currentValue(int col) const
{
    if (current < 0 || current >= int(rows.size()))
        return std::monostate{};
    if (state == State::Edit || state == State::Insert)
        if (const Value* v = editing.find(col))
            return *v;
    return rows[std::size_t(current)].current(layout, col);
}

void CachedDataset::Impl::setState(State s)
{
    if (state == s)
        return;
    state = s;
    emit q.stateChanged(s);
}

void CachedDataset::Impl::setCurrent(int row)
{
    const bool changed = row != current;
    current = row;
    if (changed)
        emit q.currentRowChanged(row);
}

void CachedDataset::Impl::checkBrowseMode()
{
    if (state != State::Edit && state != State::Insert)
        return;
    q.updateRecord();
    if (modified)
        q.post();
    else
        q.cancel();
}

void CachedDataset::Impl::checkRequired() const
{
    for (const QString& required : requiredColumns) {
        const auto it = columnByName.constFind(ascii::upper(required));
        if (it == columnByName.constEnd())
            continue;
        if (::isNull(currentValue(*it)))
            throw DbError(QStringLiteral("O campo \"%1\" precisa ser preenchido.").arg(layout.at(*it).name),
                          DbError::kRequiredNull);
    }
}

void CachedDataset::Impl::storeEditing()
{
    CachedRow& row = rows[std::size_t(current)];
    const bool isNew = state == State::Insert;
    if (isNew || !editing.isEmpty()) {
        RowChanges& changes = row.ensureChanges();
        if (changes.status == RowStatus::Unchanged) {
            changes.status = isNew ? RowStatus::Inserted : RowStatus::Modified;
            changes.sequence = nextSequence++;
        }
        changes.pending.merge(editing);
    }
    editing.clear();
    modified = false;
    setState(State::Browse);
    emit q.rowChanged(current);
    placeInOrder();
}

void CachedDataset::Impl::resetCache()
{
    cursor.reset();
    backCursor.reset();
    forwardStages.clear();
    backStages.clear();
    firstFetched = nullptr;
    rows.clear();
    deleted.clear();
    editing.clear();
    modified = false;
    current = -1;
    atEnd = atStart = true;
    inServerOrder = true;
    lastFetched = nullptr;
    store.reset(layout.messageLength());
}

// Writes one pending change; false when the database refused it (the first error is kept).
// A change whose last commit lost its answer is looked for in the database first: written
// again blindly, an insert would be stored twice (under a fresh key).
bool CachedDataset::Impl::writeChange(CachedRow& row, bool removal)
{
    RowChanges& c = *row.changes;
    bool writing = false;
    try {
        if (c.outcomeUnknown && settleUnknownWrite(row, removal)) {
            // Stored before the connection went: nothing more to write.
        } else if (removal) {
            writing = true;
            if (c.status != RowStatus::Inserted) // a new row never stored has nothing to delete
                writer.remove(connection, row);
        } else {
            writing = true;
            if (c.status == RowStatus::Inserted)
                insertWithFreshKeys(row);
            else
                writer.update(connection, row);
        }
    } catch (const DbError& e) {
        // Only a write keeps what it sent; a failed look-up leaves the earlier write to settle.
        if (writing && dberror::outcomeUnknown(e)) {
            c.outcomeUnknown = true;
            c.unknownWasRemoval = removal;
            c.unknownSent = c.pending;
        }
        if (lastErrorCode == 0 && lastError.isEmpty()) {
            lastError = e.message();
            lastErrorCode = e.sqlcode();
            ServerError failure(e.message(), e.sqlcode(), dberror::codes(e));
            if (dberror::outcomeUnknown(e))
                failure.setOutcomeUnknown();
            lastFailure = failure;
        }
        return false;
    }
    c.outcomeUnknown = false;
    c.unknownSent.clear();
    // Written: what was pending is now what the database holds.
    c.stored.merge(c.pending);
    c.pending.clear();
    c.status = RowStatus::Unchanged;
    c.sequence = 0;
    return true;
}

// The row's last write lost its answer, and the clerk may have changed or deleted the row since.
// The row as that write left it is looked for in the database. Found, it is what the database
// holds: only what changed since is written (by its stored key), or the row deleted. Not found,
// nothing reached the database and the change is written as it stands. True when nothing remains
// to be written.
bool CachedDataset::Impl::settleUnknownWrite(CachedRow& row, bool removal)
{
    RowChanges& c = *row.changes;
    if (c.unknownWasRemoval)
        return writer.isStored(connection, row, true);
    std::swap(c.pending, c.unknownSent);
    bool stored = false;
    try {
        stored = writer.isStored(connection, row, false);
    } catch (...) {
        std::swap(c.pending, c.unknownSent);
        throw;
    }
    std::swap(c.pending, c.unknownSent);
    if (!stored)
        return false;
    ColumnValues changedSince;
    for (const auto& [column, value] : c.pending.entries()) {
        const Value* sent = c.unknownSent.find(column);
        if (!sent || !(*sent == value))
            changedSince.set(column, value);
    }
    c.stored.merge(c.unknownSent);
    c.pending = std::move(changedSince);
    c.unknownSent.clear();
    c.outcomeUnknown = false;
    if (c.status == RowStatus::Inserted)
        c.status = RowStatus::Modified;
    return !removal && c.pending.isEmpty();
}

// Two workstations may draw the same greatest + 1 at the same moment; the one refused draws again.
// Many drawing at once would keep refusing one another on the same value (each refusal after a wait
// for the other's commit), so a redraw skips a random number of values past the greatest + 1, more
// as the refusals go on: a gap in the codes costs nothing, a row that cannot be stored does. The
// redraws go on for a few seconds, with a short random pause between them, however many it takes;
// past that the row stays pending, refused.
void CachedDataset::Impl::insertWithFreshKeys(CachedRow& row)
{
    QElapsedTimer clock;
    clock.start();
    for (int attempt = 1;; ++attempt) {
        try {
            // A key drawn by another workstation a moment ago is refused at once: waiting for its
            // commit, many workstations drawing the same key wait on one another in turn.
            std::optional<FbConnection::NoLockWait> noWait;
            if (draw)
                noWait.emplace(connection);
            writer.insert(connection, row);
            return;
        } catch (const DbError& e) {
            const int col = drawColumn.isEmpty() ? -1 : layout.indexOf(drawColumn);
            if (e.sqlcode() != DbError::kDuplicateKey || !draw || col < 0)
                throw;
            if (clock.elapsed() >= kKeyRedrawMillis)
                throw ServerError(QStringLiteral("Outras estações gravaram ao mesmo tempo e não foi possível obter um "
                                                 "código livre para %1 em %2 segundos. O registro continua pendente e "
                                                 "será gravado na próxima gravação.")
                                      .arg(table)
                                      .arg(kKeyRedrawMillis / 1000),
                                  e.sqlcode(), dberror::codes(e));
            const int longest = std::min(kLongestRedrawPauseMillis, 5 * attempt);
            QThread::msleep(unsigned(QRandomGenerator::global()->bounded(1, longest + 1)));
            const int widest = std::min(kWidestRedrawSkip, kRedrawSkipStep * attempt);
            const qint64 skip = QRandomGenerator::global()->bounded(widest + 1);
            row.changes->pending.set(col, field::forColumn(draw(skip), layout.at(col)));
        }
    }
}

// ---------------------------------------------------------------------------------------------

CachedDataset::CachedDataset(QString name, FbConnection& connection, QString table, WriteMode mode,
                             QStringList keyColumns, QStringList requiredColumns, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(*this, name, connection, std::move(table), mode, std::move(keyColumns),
                                                std::move(requiredColumns)))
{
    setObjectName(name);
}

CachedDataset::~CachedDataset() = default;

const QString& CachedDataset::name() const
{
    return d->name;
}

const QString& CachedDataset::table() const
{
    return d->table;
}

FbConnection& CachedDataset::connection() const
{
    return d->connection;
}

CachedDataset::WriteMode CachedDataset::writeMode() const
{
    return d->mode;
}

const QStringList& CachedDataset::keyColumns() const
{
    return d->keyColumns;
}

const QStringList& CachedDataset::requiredColumns() const
{
    return d->requiredColumns;
}

QString CachedDataset::commandText() const
{
    return d->sql;
}

void CachedDataset::setCommandText(const QString& sql)
{
    if (isOpen())
        throw DatasetError(
            QStringLiteral("Feche o conjunto de dados %1 antes de trocar o seu comando SQL.").arg(d->name));
    d->sql = sql;
}

void CachedDataset::open()
{
    if (isOpen())
        return;
    if (d->sql.trimmed().isEmpty())
        throw DatasetError(QStringLiteral("O conjunto de dados %1 não tem comando SQL.").arg(d->name));
    // A list read around a key is read from its start through the statements that walk an index;
    // the query itself is only described here (run as written, a join may sort the whole result).
    std::unique_ptr<FbCursor> cursor;
    if (d->aroundKey)
        d->layout = d->connection.describe(d->sql);
    else
        cursor = d->connection.openCursor(d->sql);
    if (cursor)
        d->layout = cursor->layout();
    d->columnByName.clear();
    for (int i = 0; i < d->layout.count(); ++i)
        d->columnByName.insert(ascii::upper(d->layout.at(i).name), i);
    d->order = SortKey(d->sql, d->layout);
    d->window = KeyWindow::of(d->sql, d->order, d->layout);
    d->blobColumns.clear();
    for (int i = 0; i < d->layout.count(); ++i)
        if (d->layout.at(i).type == ColumnType::Blob)
            d->blobColumns.push_back(i);
    d->writer = RowWriter(d->table, d->layout, d->mode == WriteMode::AllColumns, d->keyColumns);
    d->resetCache();
    if (d->aroundKey && d->window)
        d->forwardStages = d->window->fromStart();
    else
        d->cursor = cursor ? std::move(cursor) : d->connection.openCursor(d->sql);
    d->fetchRows(d->firstFetchCount());
    d->current = d->rows.empty() ? -1 : 0;
    d->atStart = true;
    d->atEnd = d->rows.empty();
    d->state = State::Browse;
    emit opened();
    emit rowsReset();
    emit stateChanged(d->state);
    emit currentRowChanged(d->current);
    d->fire(afterScroll);
}

void CachedDataset::close()
{
    if (!isOpen())
        return;
    d->resetCache();
    d->store.reset(0);
    d->layout = RowLayout();
    d->columnByName.clear();
    d->order = SortKey();
    d->window.reset();
    d->state = State::Inactive;
    emit closed();
    emit stateChanged(d->state);
}

bool CachedDataset::isOpen() const
{
    return d->state != State::Inactive;
}

CachedDataset::State CachedDataset::state() const
{
    return d->state;
}

const RowLayout& CachedDataset::layout() const
{
    return d->layout;
}

QStringList CachedDataset::orderColumns() const
{
    return d->order.names(d->layout);
}

// ---- fields

int CachedDataset::fieldIndex(const QString& name) const
{
    return d->column(name);
}

bool CachedDataset::hasField(const QString& name) const
{
    return d->columnByName.contains(ascii::upper(name));
}

Value CachedDataset::value(const QString& name) const
{
    return d->currentValue(d->column(name));
}

bool CachedDataset::isNull(const QString& name) const
{
    return ::isNull(value(name));
}

QString CachedDataset::asText(const QString& name) const
{
    return field::toText(value(name));
}

qint64 CachedDataset::asInteger(const QString& name) const
{
    return field::toInteger(value(name));
}

double CachedDataset::asFloat(const QString& name) const
{
    return field::toFloat(value(name));
}

QDateTime CachedDataset::asDateTime(const QString& name) const
{
    return field::toDateTime(value(name));
}

QDate CachedDataset::asDate(const QString& name) const
{
    return asDateTime(name).date();
}

void CachedDataset::setValue(const QString& name, const Value& value)
{
    const int col = d->column(name);
    d->requireEditing();
    d->editing.set(col, field::forColumn(value, d->layout.at(col)));
    d->modified = true;
    emit fieldChanged(d->current, col);
}

void CachedDataset::setText(const QString& name, const QString& text)
{
    setValue(name, text);
}

void CachedDataset::setInteger(const QString& name, qint64 value)
{
    setValue(name, value);
}

void CachedDataset::setFloat(const QString& name, double value)
{
    setValue(name, value);
}

void CachedDataset::setDateTime(const QString& name, const QDateTime& value)
{
    setValue(name, value);
}

void CachedDataset::setDate(const QString& name, const QDate& value)
{
    setValue(name, value);
}

void CachedDataset::clear(const QString& name)
{
    setValue(name, std::monostate{});
}

Value CachedDataset::valueAt(int row, int column) const
{
    if (row < 0 || row >= int(d->rows.size()) || column < 0 || column >= d->layout.count())
        return std::monostate{};
    if (row == d->current)
        return d->currentValue(column);
    return d->rows[std::size_t(row)].current(d->layout, column);
}

QString CachedDataset::textAt(int row, int column) const
{
    return field::toText(valueAt(row, column));
}

// ---- changes

void CachedDataset::append()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fire(beforeInsert); // may re-open this dataset (the items of another invoice)
    d->requireOpen();
    d->fetchRows(-1); // the new row comes after the last one
    d->rowBeforeInsert = d->current;
    d->rows.emplace_back();
    d->editing.clear();
    d->modified = false;
    d->atStart = d->atEnd = false;
    emit rowAppended(int(d->rows.size()) - 1);
    d->setCurrent(int(d->rows.size()) - 1);
    d->setState(State::Insert);
    d->fire(afterInsert);
    d->fire(afterScroll);
}

void CachedDataset::edit()
{
    d->requireOpen();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    if (isEmpty()) {
        append();
        return;
    }
    d->fire(beforeEdit);
    d->editing.clear();
    d->modified = false;
    d->setState(State::Edit);
    d->fire(afterEdit);
}

void CachedDataset::post()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    updateRecord();
    d->fire(beforePost);
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    try {
        d->checkRequired();
        d->storeEditing();
    } catch (const std::exception& e) {
        if (onPostError)
            onPostError(*this, e);
        throw;
    }
    d->fire(afterPost);
}

void CachedDataset::cancel()
{
    if (d->state == State::Insert) {
        const int removed = d->current;
        d->rows.erase(d->rows.begin() + removed);
        emit rowRemoved(removed);
        const int back = std::min(d->rowBeforeInsert, int(d->rows.size()) - 1);
        d->current = -2; // force the notification
        d->setCurrent(back);
        d->atEnd = d->rows.empty();
    } else if (d->state != State::Edit) {
        return;
    }
    d->editing.clear();
    d->modified = false;
    d->setState(State::Browse);
    if (d->current >= 0)
        emit rowChanged(d->current);
}

void CachedDataset::remove()
{
    d->requireOpen();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw DatasetError(QStringLiteral("Não há registro para excluir em %1.").arg(d->name));
    d->fire(beforeDelete);
    d->requireOpen();
    if (isEmpty())
        return;
    d->editing.clear();
    d->modified = false;
    d->setState(State::Browse);
    const int removed = d->current;
    CachedRow row = std::move(d->rows[std::size_t(removed)]);
    d->rows.erase(d->rows.begin() + removed);
    // A new row whose write lost its answer may be in the database: its deletion is written too.
    if (!row.changes || row.changes->status != RowStatus::Inserted || row.changes->outcomeUnknown) {
        RowChanges& changes = row.ensureChanges();
        changes.pending.clear();
        changes.sequence = d->nextSequence++;
        d->deleted.push_back(std::move(row));
    }
    emit rowRemoved(removed);
    if (removed >= int(d->rows.size()))
        d->fetchRows(1);
    d->current = -2;
    d->setCurrent(std::min(removed, int(d->rows.size()) - 1));
    d->atEnd = d->rows.empty();
    d->atStart = d->current <= 0;
    d->fire(afterDelete);
    d->fire(afterScroll);
}

bool CachedDataset::isModified() const
{
    return d->modified;
}

int CachedDataset::applyUpdates()
{
    d->requireOpen();
    d->checkBrowseMode();
    if (pendingChanges() == 0)
        return 0;
    if (d->mode == WriteMode::ReadOnly)
        throw DatasetError(QStringLiteral("O conjunto de dados %1 é somente para leitura.").arg(d->name));
    // Rows not fetched yet would come back with this dataset's own writes in them: they are all
    // fetched first, except from a list read around a key, which is read again around the current
    // row once written (reading through 50,000 invoices would keep the clerk waiting).
    const bool readAgainAfter = d->aroundKey && d->window && d->inServerOrder;
    if (!readAgainAfter)
        fetchAll();
    d->lastError.clear();
    d->lastErrorCode = 0;
    d->lastFailure.reset();

    struct Change {
        quint64 sequence;
        CachedRow* row;
        bool removal;
    };
    std::vector<Change> changes;
    for (CachedRow& row : d->rows)
        if (row.isPending())
            changes.push_back({row.changes->sequence, &row, false});
    for (CachedRow& row : d->deleted)
        changes.push_back({row.changes->sequence, &row, true});
    std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.sequence < b.sequence; });

    int rejected = 0;
    for (const Change& change : changes)
        if (!d->writeChange(*change.row, change.removal))
            ++rejected;
    std::erase_if(d->deleted, [](const CachedRow& row) { return row.changes->sequence == 0; });
    if (readAgainAfter && pendingChanges() == 0)
        d->rereadKeepingRow();
    return rejected;
}

int CachedDataset::pendingChanges() const
{
    const auto changed =
        std::count_if(d->rows.begin(), d->rows.end(), [](const CachedRow& r) { return r.isPending(); });
    return int(changed) + int(d->deleted.size());
}

QString CachedDataset::lastApplyError() const
{
    return d->lastError;
}

int CachedDataset::lastApplyErrorCode() const
{
    return d->lastErrorCode;
}

ServerError LastApplyFailure(const CachedDataset& dataset)
{
    return dataset.d->lastFailure.value_or(ServerError(QString(), 0, {}));
}

void CachedDataset::setKeyDraw(const QString& column, KeyDraw draw)
{
    d->drawColumn = column;
    d->draw = std::move(draw);
}
