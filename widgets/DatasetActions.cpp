#include "widgets/DatasetActions.h"

#include "data/CachedDataset.h"
#include "shell/Dialogs.h"

bool IsEditing(const CachedDataset& dataset)
{
    return dataset.state() == CachedDataset::State::Edit || dataset.state() == CachedDataset::State::Insert;
}

bool ConfirmAndDelete(CachedDataset& dataset, const QString& question)
{
    if (!dataset.isOpen() || dataset.isEmpty())
        return false;
    if (!AskYesNoDefaultNo(question))
        return false;
    dataset.remove();
    return true;
}
