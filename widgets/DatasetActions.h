#pragma once

#include <QString>

class CachedDataset;

// The question asked before a row is deleted through a grid or a navigator.
inline const QString kConfirmDeleteText = QStringLiteral("Excluir o registro?");

// Asks, and on Yes deletes the current row (a new row not yet posted is dropped). Nothing is
// asked of an empty dataset. True when a row went away.
bool ConfirmAndDelete(CachedDataset& dataset, const QString& question = kConfirmDeleteText);

bool IsEditing(const CachedDataset& dataset); // edit or insert
