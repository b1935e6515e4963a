#include "data/UnitOfWork.h"

#include "data/FbConnection.h"

UnitOfWork::UnitOfWork(FbConnection& connection) : connection_(connection)
{
    connection_.beginWork();
}

UnitOfWork::~UnitOfWork()
{
    if (!done_)
        connection_.rollbackWork();
}

void UnitOfWork::commit()
{
    done_ = true;
    connection_.commitWork();
}
