#include "data/CachedDataset.h"

#include "data/CachedDatasetImpl.h"
#include "data/FieldValue.h"
#include "data/ServerError.h"

#include <algorithm>

namespace {

// Rows fetched at a time when a move goes back past the first fetched row.
constexpr int kBackBatch = 64;

} // namespace

// ---- fetching

// Keeps the row fetched into the store's next slot.
CachedRow CachedDataset::Impl::keepFetched(const FbCursor& from)
{
    CachedRow row;
    row.message = store.keepNext();
    // A blob is read now, while the cursor's transaction still lives.
    for (int col : blobColumns)
        if (!message::isNull(from.layout().at(col), row.message))
            row.ensureChanges().stored.set(col, from.blobOf(row.message, col));
    return row;
}

// Fetches up to `count` more rows (all of them when negative); returns how many came.
// A cursor opened inside a unit of work lives in the unit's transaction and ends with it: its rows
// are read at once, while it stands.
int CachedDataset::Impl::firstFetchCount() const
{
    return connection.inWork() ? -1 : 1;
}

// Fetches the next row of a cursor into `into`. One whose connection was lost reads on from where it stopped, on
// a new connection: the rows it had not given yet are not taken for the end of the list.
bool CachedDataset::Impl::fetchFrom(std::unique_ptr<FbCursor>& from, unsigned char* into)
{
    try {
        if (from->fetchInto(into))
            return true;
    } catch (const DbError& e) {
        if (!dberror::connectionLost(e))
            throw;
    }
    if (!from->lost())
        return false;
    from = connection.reopen(*from);
    return from->fetchInto(into);
}

int CachedDataset::Impl::fetchRows(int count)
{
    const int first = int(rows.size());
    while (moreAfter() && (count < 0 || int(rows.size()) - first < count)) {
        if (!cursor) {
            cursor = connection.openCursor(forwardStages.front().sql, forwardStages.front().params);
            forwardStages.erase(forwardStages.begin());
        }
        if (!fetchFrom(cursor, store.nextSlot())) {
            cursor.reset();
            continue;
        }
        CachedRow row = keepFetched(*cursor);
        if (inServerOrder && lastFetched && serverOrderBroken(lastFetched, row.message))
            inServerOrder = false;
        lastFetched = row.message;
        if (!firstFetched)
            firstFetched = row.message;
        rows.push_back(std::move(row));
    }
    const int fetched = int(rows.size()) - first;
    if (fetched > 0)
        emit q.rowsFetched(first, int(rows.size()) - 1);
    return fetched;
}

// Fetches up to `count` rows before the first fetched one (all of them when negative); they take
// their places at the front, and the current row moves down with them. Returns how many came.
int CachedDataset::Impl::fetchBack(int count)
{
    std::vector<CachedRow> got;
    while (moreBefore() && (count < 0 || int(got.size()) < count)) {
        if (!backCursor) {
            backCursor = connection.openCursor(backStages.front().sql, backStages.front().params);
            backStages.erase(backStages.begin());
        }
        if (!fetchFrom(backCursor, store.nextSlot())) {
            backCursor.reset();
            continue;
        }
        CachedRow row = keepFetched(*backCursor);
        if (inServerOrder && firstFetched && serverOrderBroken(row.message, firstFetched))
            inServerOrder = false;
        firstFetched = row.message;
        if (!lastFetched)
            lastFetched = row.message;
        got.push_back(std::move(row));
    }
    if (got.empty())
        return 0;
    const int n = int(got.size());
    rows.insert(rows.begin(), std::make_move_iterator(got.rbegin()), std::make_move_iterator(got.rend()));
    if (current >= 0)
        current += n;
    if (rowBeforeInsert >= 0)
        rowBeforeInsert += n;
    emit q.rowsFetchedBefore(n);
    if (current >= 0)
        emit q.currentRowChanged(current);
    return n;
}

void CachedDataset::Impl::fetchUntilCount(int count)
{
    if (int(rows.size()) < count)
        fetchRows(count - int(rows.size()));
}

// ---- order

// True when two messages, fetched one after the other, come in an order that is not ours.
bool CachedDataset::Impl::serverOrderBroken(const unsigned char* before, const unsigned char* after) const
{
    for (int i = 0; i < order.size(); ++i) {
        const Column& c = layout.at(order.columns()[std::size_t(i)].column);
        const int r = order.compare(i, KeyAtom::fromMessage(c, before), KeyAtom::fromMessage(c, after));
        if (r != 0)
            return r > 0;
    }
    return false;
}

KeyAtom CachedDataset::Impl::atomOf(const CachedRow& row, int keyIndex, QByteArray& storage) const
{
    const int col = order.columns()[std::size_t(keyIndex)].column;
    if (row.readsFromMessage(col))
        return KeyAtom::fromMessage(layout.at(col), row.message);
    return KeyAtom::fromValue(row.current(layout, col), storage);
}

int CachedDataset::Impl::compareRows(const CachedRow& a, const CachedRow& b) const
{
    QByteArray sa;
    QByteArray sb;
    for (int i = 0; i < order.size(); ++i) {
        const int c = order.compare(i, atomOf(a, i, sa), atomOf(b, i, sb));
        if (c != 0)
            return c;
    }
    return 0;
}

int CachedDataset::Impl::compareToProbe(const CachedRow& row, const KeyProbe& probe) const
{
    QByteArray storage;
    for (std::size_t i = 0; i < probe.size(); ++i) {
        const int c = order.compare(int(i), atomOf(row, int(i), storage), probe.atoms()[i]);
        if (c != 0)
            return c;
    }
    return 0;
}

// Search values in the types of the key columns. An empty text searches for NULL, which is how
// an empty text is stored.
Values CachedDataset::Impl::probeOf(const Values& keyValues) const
{
    if (order.isEmpty())
        throw DatasetError(QStringLiteral("O conjunto de dados %1 não tem ordem para pesquisar.").arg(name));
    if (keyValues.empty() || int(keyValues.size()) > order.size())
        throw DatasetError(QStringLiteral("A pesquisa em %1 pede %2 valor(es); a ordem tem %3 coluna(s).")
                               .arg(name)
                               .arg(keyValues.size())
                               .arg(order.size()));
    Values probe;
    for (std::size_t i = 0; i < keyValues.size(); ++i) {
        const Column& c = layout.at(order.columns()[i].column);
        if (c.type == ColumnType::Text) {
            const QString text = field::toText(keyValues[i]);
            probe.push_back(text.isEmpty() ? Value{} : Value{text});
        } else {
            probe.push_back(field::forColumn(keyValues[i], c));
        }
    }
    return probe;
}

// The first row whose key is not below the probe, fetching rows until one passes it.
int CachedDataset::Impl::lowerBound(const KeyProbe& probe)
{
    for (int batch = 16; inServerOrder && moreBefore() && (rows.empty() || compareToProbe(rows.front(), probe) >= 0);
         batch = std::min(batch * 2, 4096))
        fetchBack(batch);
    // Rows come in batches that grow, so that a far key costs few round trips and a near one
    // fetches little beyond it.
    for (int batch = 16; inServerOrder && moreAfter() && (rows.empty() || compareToProbe(rows.back(), probe) < 0);
         batch = std::min(batch * 2, 4096))
        fetchRows(batch);
    if (!inServerOrder) {
        // The server's order is not ours: look at every row, in the order they stand.
        fetchBack(-1);
        fetchRows(-1);
        const auto it =
            std::find_if(rows.begin(), rows.end(), [&](const CachedRow& r) { return compareToProbe(r, probe) >= 0; });
        return int(it - rows.begin());
    }
    const auto it = std::partition_point(rows.begin(), rows.end(),
                                         [&](const CachedRow& r) { return compareToProbe(r, probe) < 0; });
    return int(it - rows.begin());
}

// A posted row whose key no longer fits between its neighbours moves to its place in the order.
void CachedDataset::Impl::placeInOrder()
{
    if (order.isEmpty() || !inServerOrder || current < 0)
        return;
    const auto at = std::size_t(current);
    if (at + 1 == rows.size())
        fetchRows(1); // the row that follows, to know whether this one is still in place
    const bool afterPrevious = at == 0 || compareRows(rows[at - 1], rows[at]) <= 0;
    const bool beforeNext = at + 1 == rows.size() || compareRows(rows[at], rows[at + 1]) <= 0;
    if (afterPrevious && beforeNext)
        return;
    if (!afterPrevious && moreBefore())
        fetchBack(-1); // its place may be among the rows not fetched yet (the row's index moves down)
    CachedRow moving = std::move(rows[std::size_t(current)]);
    rows.erase(rows.begin() + current);
    while (moreAfter() && (rows.empty() || compareRows(rows.back(), moving) <= 0))
        fetchRows(1);
    const auto place = std::upper_bound(rows.begin(), rows.end(), moving,
                                        [&](const CachedRow& a, const CachedRow& b) { return compareRows(a, b) < 0; });
    const int to = int(place - rows.begin());
    rows.insert(place, std::move(moving));
    emit q.rowsReset();
    setCurrent(to);
}

// ---- moves

void CachedDataset::Impl::moveWithEvents(int row, bool endAfter)
{
    fire(q.beforeScroll);
    setCurrent(row);
    atStart = row <= 0 && !moreBefore();
    atEnd = endAfter || rows.empty();
    fire(q.afterScroll);
}

void CachedDataset::first()
{
    d->requireOpen();
    d->checkBrowseMode();
    if (d->moreBefore()) {
        if (d->canReposition())
            d->readFromStart();
        else
            d->fetchBack(-1);
    }
    d->moveWithEvents(d->rows.empty() ? -1 : 0);
}

void CachedDataset::next()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fire(beforeScroll);
    const int wanted = d->current + 1;
    d->fetchUntilCount(wanted + 1);
    if (wanted < int(d->rows.size())) {
        d->setCurrent(wanted);
        d->atStart = false;
        d->atEnd = false;
    } else {
        d->atEnd = true;
    }
    d->fire(afterScroll);
}

void CachedDataset::prior()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fire(beforeScroll);
    if (d->current == 0)
        d->fetchBack(kBackBatch);
    if (d->current > 0) {
        d->setCurrent(d->current - 1);
        d->atEnd = false;
        d->atStart = false;
    } else {
        d->atStart = true;
    }
    d->fire(afterScroll);
}

void CachedDataset::last()
{
    d->requireOpen();
    d->checkBrowseMode();
    if (d->moreAfter() && d->canReposition())
        d->readFromEnd();
    else
        d->fetchRows(-1);
    d->moveWithEvents(int(d->rows.size()) - 1);
    d->atStart = d->rows.empty();
}

void CachedDataset::moveTo(int row)
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fetchUntilCount(row + 1);
    d->moveWithEvents(std::clamp(row, std::min(0, int(d->rows.size()) - 1), int(d->rows.size()) - 1));
}

bool CachedDataset::eof() const
{
    return d->atEnd || d->rows.empty();
}

bool CachedDataset::bof() const
{
    return d->atStart || d->rows.empty();
}

bool CachedDataset::isEmpty() const
{
    return d->rows.empty();
}

int CachedDataset::recordCount()
{
    fetchAll();
    return int(d->rows.size());
}

int CachedDataset::currentRow() const
{
    return d->current;
}

int CachedDataset::fetchedRowCount() const
{
    return int(d->rows.size());
}

bool CachedDataset::allFetched() const
{
    return !d->moreAfter() && !d->moreBefore();
}

bool CachedDataset::hasRowsAfter() const
{
    return d->moreAfter();
}

bool CachedDataset::hasRowsBefore() const
{
    return d->moreBefore();
}

void CachedDataset::fetchMoreBefore(int rows)
{
    if (rows > 0)
        d->fetchBack(rows);
}

void CachedDataset::setReadAroundKey(bool on)
{
    d->aroundKey = on;
}

bool CachedDataset::readsAroundKey() const
{
    return d->aroundKey;
}

void CachedDataset::fetchMore(int rows)
{
    if (rows > 0)
        d->fetchRows(rows);
}

void CachedDataset::fetchAll()
{
    d->fetchBack(-1);
    d->fetchRows(-1);
}

std::size_t CachedDataset::memoryHeld() const
{
    std::size_t bytes = d->store.bytesHeld() + (d->rows.capacity() + d->deleted.capacity()) * sizeof(CachedRow);
    for (const auto* list : {&d->rows, &d->deleted})
        for (const CachedRow& row : *list)
            if (row.changes)
                bytes += sizeof(RowChanges) +
                         (row.changes->stored.entries().capacity() + row.changes->pending.entries().capacity()) *
                             sizeof(std::pair<int, Value>);
    return bytes;
}

// ---- searches

bool CachedDataset::locate(const Values& keyValues)
{
    d->requireOpen();
    d->checkBrowseMode();
    const Values values = d->probeOf(keyValues);
    const KeyProbe probe(values);
    if (d->canReposition() && !d->answerFetched(probe)) {
        if (!d->exactExists(values))
            return false;
        d->readAround(values);
        d->moveWithEvents(0);
        return true;
    }
    const int at = d->lowerBound(probe);
    if (at >= int(d->rows.size()) || d->compareToProbe(d->rows[std::size_t(at)], probe) != 0)
        return false;
    d->moveWithEvents(at);
    return true;
}

bool CachedDataset::findNearest(const Values& keyValues)
{
    d->requireOpen();
    d->checkBrowseMode();
    const Values values = d->probeOf(keyValues);
    const KeyProbe probe(values);
    if (d->canReposition() && !d->answerFetched(probe)) {
        d->readAround(values);
        if (!d->rows.empty()) {
            d->moveWithEvents(0);
            return true;
        }
        d->fetchBack(1); // every row comes before the probe: stand on the last one
        if (d->rows.empty())
            return false;
        d->moveWithEvents(0, true);
        return false;
    }
    const int at = d->lowerBound(probe);
    if (d->rows.empty())
        return false;
    if (at >= int(d->rows.size())) {
        d->moveWithEvents(int(d->rows.size()) - 1, true);
        return false;
    }
    d->moveWithEvents(at);
    return true;
}

// ---- refresh

std::vector<int> CachedDataset::Impl::identityColumns() const
{
    std::vector<int> out;
    if (mode == WriteMode::KeyColumns)
        for (const QString& key : keyColumns) {
            const int col = layout.indexOf(key);
            if (col >= 0)
                out.push_back(col);
        }
    if (out.empty())
        for (int i = 0; i < layout.count(); ++i)
            if (layout.at(i).type != ColumnType::Blob)
                out.push_back(i);
    return out;
}

// The row of the new result that is the row that stood current before; -1 when it is gone.
int CachedDataset::Impl::findSameRow(const Values& identity, const std::vector<int>& columns, const Values& orderValues)
{
    auto matches = [&](const CachedRow& row) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (!(row.current(layout, columns[i]) == identity[i]))
                return false;
        return true;
    };
    int at = 0;
    const KeyProbe probe(orderValues);
    if (!orderValues.empty() && inServerOrder) {
        at = lowerBound(probe);
        for (;; ++at) {
            fetchUntilCount(at + 1);
            if (at >= int(rows.size()) || compareToProbe(rows[std::size_t(at)], probe) != 0)
                break;
            if (matches(rows[std::size_t(at)]))
                return at;
        }
        if (inServerOrder)
            return -1;
        at = 0;
    }
    for (;; ++at) {
        fetchUntilCount(at + 1);
        if (at >= int(rows.size()))
            return -1;
        if (matches(rows[std::size_t(at)]))
            return at;
    }
}

void CachedDataset::refresh()
{
    d->requireOpen();
    d->fire(beforeRefresh);
    d->requireOpen();
    d->checkBrowseMode();
    if (pendingChanges() > 0)
        throw DatasetError(
            QStringLiteral("Há alterações de %1 ainda não gravadas no banco de dados; grave-as antes de atualizar.")
                .arg(d->name));
    d->rereadKeepingRow();
}

// Reads the query again and stands on the same row as before (by its key columns), or the row
// that took its place.
void CachedDataset::Impl::rereadKeepingRow()
{
    const int oldRow = current;
    const std::vector<int> columns = identityColumns();
    Values identity;
    Values orderValues;
    if (oldRow >= 0) {
        const CachedRow& row = rows[std::size_t(oldRow)];
        for (int col : columns)
            identity.push_back(row.current(layout, col));
        for (const SortColumn& s : order.columns())
            orderValues.push_back(row.current(layout, s.column));
    }
    const bool around = aroundKey && window && !orderValues.empty();
    if (around) {
        readAround(orderValues);
    } else {
        auto fresh = connection.openCursor(sql);
        resetCache();
        cursor = std::move(fresh);
        fetchRows(firstFetchCount());
    }
    int row = oldRow < 0 ? -1 : findSameRow(identity, columns, orderValues);
    if (row < 0 && oldRow >= 0 && around) {
        // Gone: the row that followed it, or the last one.
        if (rows.empty())
            fetchBack(1);
        row = rows.empty() ? -1 : 0;
    } else if (row < 0 && oldRow >= 0) {
        fetchUntilCount(oldRow + 1);
        row = std::min(oldRow, int(rows.size()) - 1);
    }
    if (row < 0 && !rows.empty())
        row = 0;
    current = row;
    atStart = row <= 0 && !moreBefore();
    atEnd = rows.empty();
    emit q.rowsReset();
    emit q.currentRowChanged(row);
}

// ---- reading around a key

// The fetched rows may be dropped and read again from another key: nothing of this dataset is
// waiting to be written, and the server hands the rows over in the order that is searched.
bool CachedDataset::Impl::canReposition() const
{
    return aroundKey && window && inServerOrder && state == State::Browse && deleted.empty() &&
           std::none_of(rows.begin(), rows.end(), [](const CachedRow& r) { return r.isPending(); });
}

// True when the fetched rows alone tell where the probe stands: between two fetched rows, before
// the first row of the whole result, or past its last one.
bool CachedDataset::Impl::answerFetched(const KeyProbe& probe) const
{
    if (rows.empty())
        return !moreAfter() && !moreBefore();
    const auto it = std::partition_point(rows.begin(), rows.end(),
                                         [&](const CachedRow& r) { return compareToProbe(r, probe) < 0; });
    if (it == rows.end())
        return !moreAfter();
    return it != rows.begin() || !moreBefore();
}

// Whether a row holds the probe's values, asked of the server without touching the cache.
bool CachedDataset::Impl::exactExists(const Values& probe)
{
    const std::vector<WindowStatement> from = window->from(probe);
    if (from.empty())
        return false;
    auto c = connection.openCursor(from.front().sql, from.front().params);
    if (!c->fetch())
        return false;
    const KeyProbe keys(probe);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Column& col = layout.at(order.columns()[i].column);
        if (order.compare(int(i), KeyAtom::fromMessage(col, c->row()), keys.atoms()[i]) != 0)
            return false;
    }
    return true;
}

void CachedDataset::Impl::readFrom(std::unique_ptr<FbCursor> forward, std::vector<WindowStatement> forwardRest,
                                   std::vector<WindowStatement> back)
{
    resetCache();
    cursor = std::move(forward);
    forwardStages = std::move(forwardRest);
    backStages = std::move(back);
}

// The fetched rows begin at the probe: the first row at or after it, and none before it yet.
void CachedDataset::Impl::readAround(const Values& probe)
{
    readFrom(nullptr, window->from(probe), window->before(probe));
    fetchRows(1);
    announceRows();
}

void CachedDataset::Impl::readFromStart()
{
    readFrom(nullptr, window->fromStart(), {});
    fetchRows(1);
    announceRows();
}

void CachedDataset::Impl::readFromEnd()
{
    readFrom(nullptr, {}, window->fromEnd());
    fetchBack(1);
    announceRows();
}

// Views start again from the new stretch; the current row is set by the move that follows.
void CachedDataset::Impl::announceRows()
{
    current = -1;
    emit q.rowsReset();
}
