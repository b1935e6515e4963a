#include "payments/PaymentsData.h"

#include "purchase/DataModule.h"

PaymentsData::PaymentsData(TDM& dm)
    : NFiscal(dm.NFiscal), PagDiver(dm.PagDiver), ContasP(dm.ContasP), DS_NFiscal(dm.DS_NFiscal),
      DS_PagDiver(dm.DS_PagDiver), SQLConnection1(dm.SQLConnection1), session(dm.session())
{
}

SqlCommand PaymentsData::command() const
{
    return SqlCommand(QStringLiteral("Payments"), SQLConnection1);
}
