#include "shell/ExpiredLotSweep.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/DataModule.h"

namespace {

const QString kStatus = QStringLiteral("SITUACAO");
const QString kExpiry = QStringLiteral("VALIDADE");

bool isExpired(const CachedDataset& lot, const QDate& today)
{
    return lot.isNull(kExpiry) || today > lot.asDate(kExpiry);
}

void setStatus(CachedDataset& lot, const QString& status)
{
    lot.edit();
    lot.setText(kStatus, status);
    lot.post();
    if (lot.applyUpdates() > 0)
        throw DbError(lot.lastApplyError(), lot.lastApplyErrorCode());
}

} // namespace

// The lots the rules can change: those with no status (a blank counts as none) and those in use;
// the rules still decide on each row. The server finds them through the index on upper(SITUACAO)
// and joins each to its product, so the sweep reads a handful of rows instead of every lot ever
// bought. That index holds few distinct values, and the optimizer would rather walk every resale
// and compounding product's lots; comparing the lot's product code as an expression leaves it
// the one good way in.
QString ExpiredLotCandidatesQuery()
{
    const QString standing = TDM::standingQuery(QStringLiteral("Compras2"));
    return standing.left(standing.indexOf(QStringLiteral(" WHERE "))) +
           QStringLiteral(" WHERE B.CODIGO = A.CODIGO || '' AND (B.GRUPO = 'REV' OR B.GRUPO = 'PRP') AND "
                          "(upper(A.SITUACAO) IS NULL OR upper(A.SITUACAO) = '' OR upper(A.SITUACAO) = 'EM USO')");
}

int SweepExpiredLots(CachedDataset& compras2, const QDate& today, const SweepProgress& progress)
{
    try {
        schema::createMissingIndexes(compras2.connection());
    } catch (const DbError&) {
        // Without the index (no right to create it, the table in use) the server reads every lot:
        // slower, with the same result.
    }
    try {
        schema::createMissingAccess(compras2.connection(), QStringLiteral("shared-access.sql"));
    } catch (const DbError&) {
        // Only the administrator may create them (embedded, or korvanis-admin on the server).
    }
    compras2.close();
    compras2.setCommandText(ExpiredLotCandidatesQuery());
    compras2.open();
    const int total = progress ? compras2.recordCount() : 0;
    compras2.first();
    int count = 0;
    int done = 0;
    while (!compras2.eof()) {
        const QString status = ascii::upper(compras2.asText(kStatus));
        if (isExpired(compras2, today) && (status == QLatin1String("EM USO") || status.isEmpty())) {
            setStatus(compras2, QStringLiteral("Vencido"));
            ++count;
        }
        if (compras2.asText(kStatus).isEmpty())
            setStatus(compras2, QStringLiteral("Estoque"));
        if (progress)
            progress(++done, total);
        compras2.next();
    }
    return count;
}

QString ExpiredLotsMessage(int count)
{
    return QStringLiteral("Foi feita a identificação e o registro automático de ") + QString::number(count) +
           QStringLiteral(" lotes vencidos que não haviam sido utilizados ainda.");
}
