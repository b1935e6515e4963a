#pragma once

class QCoreApplication;

// Qt's own texts (file and print dialogs, the edit fields' context menus, standard buttons) in
// Brazilian Portuguese, like the rest of the window: the translations Qt installs for pt_BR
// (Debian: qt6-translations-l10n). Returns false when they are not installed; Qt then speaks
// English and the program goes on.
bool InstallQtTranslations(QCoreApplication& app);
