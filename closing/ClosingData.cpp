#include "closing/ClosingData.h"

#include "purchase/DataModule.h"

ClosingData::ClosingData(TDM& dm)
    : NFiscal(dm.NFiscal), Compras(dm.Compras), Movest(dm.Movest), EstLote(dm.EstLote), Componentes(dm.Componentes),
      SQLConnection1(dm.SQLConnection1)
{
}

SqlCommand ClosingData::command() const
{
    return SqlCommand(QStringLiteral("Closing"), SQLConnection1);
}
