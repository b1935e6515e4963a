#include "shell/SessionData.h"

#include "purchase/DataModule.h"

SessionData::SessionData(TDM& dm)
    : Estacoes(dm.Estacoes), TabLab(dm.TabLab), Fornecedor(dm.Fornecedor), FormasPG(dm.FormasPG),
      SQLConnection1(dm.SQLConnection1)
{
}
