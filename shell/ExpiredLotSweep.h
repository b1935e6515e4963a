#pragma once

#include <QDate>
#include <QString>

#include <functional>

class CachedDataset;

// The start-up sweep over the purchased lots of resale and compounding products (`Compras2` with
// its standing query, narrowed to the lots the sweep can change). A lot past its expiry date (an empty date counts as
// long past) whose status is empty or "EM USO" (any letter case) becomes "Vencido" and is counted; then a lot whose
// status is still empty becomes "Estoque". Each change is written to the database at once.
//
// `progress` (may be empty) hears of every row walked: (rows done, rows in all).
using SweepProgress = std::function<void(int done, int total)>;
int SweepExpiredLots(CachedDataset& compras2, const QDate& today, const SweepProgress& progress = {});

// The statement the sweep gives `Compras2`.
QString ExpiredLotCandidatesQuery();

// The message that reports how many expired lots the sweep marked (shown when there is any).
QString ExpiredLotsMessage(int count);
