#pragma once

#include "shell/SessionData.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

struct SessionState;

// The stock location (TABLAB.LABORATORIO) of the store with this CNPJ; empty when it has none.
QString StockLocationOfStore(SessionData dm, const QString& cnpj);

// What binding the logged-in user to his workstation came to.
struct WorkstationBinding {
    QString databaseName; // ESTACOES.DATBASNAM; empty when no workstation could be identified
    QString caption;      // the window caption naming user, workstation and store; empty without a row
    QStringList messages; // to show the clerk, in order
};

// Finds the workstation of `session.CurrentUserName` (letter case not counting), takes its code,
// store CNPJ and the store's stock location into the session, and marks it in use (EMUSO "S",
// ATCAIXA with the time of this login).
WorkstationBinding IdentifyWorkstation(SessionData dm, SessionState& session,
                                       const QDateTime& now = QDateTime::currentDateTime());
