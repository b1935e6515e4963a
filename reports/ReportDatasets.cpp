#include "reports/ReportDatasets.h"

#include "purchase/DataModule.h"

ReportDatasets::ReportDatasets(TDM& dm)
    : Periodo(dm.Periodo), qryVencimentos(dm.qryVencimentos), qryRotulos(dm.qryRotulos)
{
}
