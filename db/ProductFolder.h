#pragma once

#include <QString>

// The product folder of a workstation ("C:\KORVANIS" on Windows): KORVANIS_DIR, or
// ~/.local/share/korvanis when it is unset. The embedded databases live inside it.
namespace product {

QString folder();
// <folder>/dados/korvanis.bd: the shared database opened by the embedded engine.
QString sharedDatabasePath(const QString& folder);
// <folder>/interfac/korvanis.bd: the workstation database opened by the embedded engine.
QString workstationDatabasePath(const QString& folder);

// The embedded engine keeps its lock files in /tmp/firebird; a user who cannot write there gets a
// lock folder inside the product folder (FIREBIRD_LOCK), set before the first attachment.
void prepareEmbeddedEngine(const QString& folder);

} // namespace product
