#include "nfe/NfeData.h"

#include "purchase/DataModule.h"

NfeData::NfeData(TDM& dm)
    : NFiscal(dm.NFiscal), Compras(dm.Compras), Fornecedor(dm.Fornecedor), SQLConnection1(dm.SQLConnection1)
{
}

SqlCommand NfeData::command() const
{
    return SqlCommand(QStringLiteral("NfeImport"), SQLConnection1);
}
