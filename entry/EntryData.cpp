#include "entry/EntryData.h"

#include "purchase/DataModule.h"

EntryData::EntryData(TDM& dm)
    : NFiscal(dm.NFiscal), Compras(dm.Compras), Compras2(dm.Compras2), Componentes(dm.Componentes),
      CompNomes(dm.CompNomes), Fornecedor(dm.Fornecedor), Unidades(dm.Unidades), TabFormP(dm.TabFormP),
      TabLab(dm.TabLab), DS_NFiscal(dm.DS_NFiscal), DS_Compras(dm.DS_Compras), DS_CompNomes(dm.DS_CompNomes),
      DS_Fornecedor(dm.DS_Fornecedor), DS_Unidades(dm.DS_Unidades), SQLConnection1(dm.SQLConnection1), dataModule(dm)
{
}

SessionState& EntryData::session() const
{
    return dataModule.session();
}

DatasetRules& EntryData::rules() const
{
    return dataModule.rules();
}

unsigned EntryData::execute(const QString& sql) const
{
    return SQLConnection1.execute(sql);
}

QString EntryData::standingQuery(const QString& datasetName)
{
    return TDM::standingQuery(datasetName);
}
