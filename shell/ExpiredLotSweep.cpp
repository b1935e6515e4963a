#include "shell/ExpiredLotSweep.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/DbError.h"

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

int SweepExpiredLots(CachedDataset& compras2, const QDate& today, const SweepProgress& progress)
{
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
