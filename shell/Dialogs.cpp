#include "shell/Dialogs.h"

#include <QDebug>

namespace {

// Nobody to ask: messages go to the log, questions are answered No, no file is chosen.
class NoDialogs : public Dialogs {
public:
    void showMessage(const QString& text) override { qWarning().noquote() << text; }
    bool askYesNo(const QString& text) override
    {
        qWarning().noquote() << text << "(Não)";
        return false;
    }
    QString askOpenFileName(const QString&, const QString&) override { return {}; }
};

std::unique_ptr<Dialogs> noDialogs()
{
    return std::make_unique<NoDialogs>();
}

Dialogs::Factory& defaultFactory()
{
    static Dialogs::Factory factory = noDialogs;
    return factory;
}

std::unique_ptr<Dialogs>& slot()
{
    static std::unique_ptr<Dialogs> dialogs = defaultFactory()();
    return dialogs;
}

} // namespace

Dialogs& Dialogs::current()
{
    return *slot();
}

void Dialogs::install(std::unique_ptr<Dialogs> dialogs)
{
    slot() = dialogs ? std::move(dialogs) : defaultFactory()();
}

void Dialogs::setDefault(Factory factory)
{
    defaultFactory() = factory ? factory : noDialogs;
}

void ShowMessage(const QString& text)
{
    Dialogs::current().showMessage(text);
}

bool AskYesNo(const QString& text)
{
    return Dialogs::current().askYesNo(text);
}

bool AskYesNoDefaultNo(const QString& text)
{
    return Dialogs::current().askYesNoDefaultNo(text);
}

QString AskOpenFileName(const QString& caption, const QString& filter)
{
    return Dialogs::current().askOpenFileName(caption, filter);
}

QString AskOpenFileName(const QString& caption, const QString& filter, const QString& folder)
{
    return Dialogs::current().askOpenFileNameIn(caption, filter, folder);
}
