#pragma once

#include "shell/Dialogs.h"

// Qt's own dialogs, parented to the active window.
class QtDialogs : public Dialogs {
public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    bool askYesNoDefaultNo(const QString& text) override;
    QString askOpenFileName(const QString& caption, const QString& filter) override;
    QString askOpenFileNameIn(const QString& caption, const QString& filter, const QString& folder) override;

    // Makes Qt's dialogs what the program shows from now on, and after every `install(nullptr)`.
    static void makeDefault();
};
