#include "search/SearchData.h"

#include "purchase/DataModule.h"

SearchData::SearchData(TDM& dm)
    : NFiscal(dm.NFiscal), Compras2(dm.Compras2), Componentes(dm.Componentes), SinonPesq(dm.SinonPesq),
      DS_NFiscal(dm.DS_NFiscal), DS_Compras2(dm.DS_Compras2)
{
}
