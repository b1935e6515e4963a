#pragma once

#include <QString>

// The product folder holds the files that the product's modules share on one workstation: the
// in-use stamp, the activity file, the stock-entry log, the client-library location file, the
// report project and the embedded databases. It is the folder named by KORVANIS_DIR, or
// ~/.local/share/korvanis when that is unset.
namespace productfolder {

// The folder itself, without a trailing separator.
QString path();

QString inUseStamp();            // Em_Uso.txt
QString activityFile();          // ULTATIV.KVX
QString stockEntryLog();         // LOGESTLOTE.TXT
QString clientLibraryLocation(); // CaminhoGDS.txt
QString reportProject();         // rpt/rptNFiscal.xml
QString errorLog();              // erros.log
QString sharedDatabase();        // dados/korvanis.bd
QString workstationDatabase();   // interfac/korvanis.bd

// The embedded engine keeps its lock files in /tmp/firebird, which a process that is not root may
// not be allowed to write. When FIREBIRD_LOCK is unset and that folder is not writable, points
// FIREBIRD_LOCK at a folder inside the product folder (created when missing). Must run before the
// first attachment. Returns the lock folder in use when it was changed, else an empty text.
QString useOwnLockFolderIfNeeded(const QString& defaultLockFolder = QStringLiteral("/tmp/firebird"));

} // namespace productfolder
