#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

// Every message box, Yes/No question and file dialog of the program goes through here. The window
// installs Qt's dialogs (widgets/QtDialogs.h), the command-line tools a console of their own, and
// tests a `RecordingDialogs` that keeps the texts and gives scripted answers. Until something is
// installed, messages go to the log and every question is answered No. In message texts "\r" is
// a line break.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void showMessage(const QString& text) = 0;
    virtual bool askYesNo(const QString& text) = 0;
    // The same question with "Não" as the default answer (Enter answers No): for what cannot be undone.
    virtual bool askYesNoDefaultNo(const QString& text) { return askYesNo(text); }
    // Empty when the user cancels.
    virtual QString askOpenFileName(const QString& caption, const QString& filter) = 0;
    // The same, the dialog opening in `folder` (the current folder when it is empty).
    virtual QString askOpenFileNameIn(const QString& caption, const QString& filter, const QString& folder)
    {
        (void)folder;
        return askOpenFileName(caption, filter);
    }

    static Dialogs& current();
    // Takes ownership; nullptr restores the default (see `setDefault`).
    static void install(std::unique_ptr<Dialogs> dialogs);
    // What `install(nullptr)` and a program that installed nothing get.
    using Factory = std::unique_ptr<Dialogs> (*)();
    static void setDefault(Factory factory);
};

void ShowMessage(const QString& text);
bool AskYesNo(const QString& text);
bool AskYesNoDefaultNo(const QString& text);
QString AskOpenFileName(const QString& caption, const QString& filter);
QString AskOpenFileName(const QString& caption, const QString& filter, const QString& folder);

// For tests: records what was shown and answers from queues (Yes and an empty file name when the
// queues run dry).
class RecordingDialogs : public Dialogs {
public:
    void showMessage(const QString& text) override { messages.append(text); }
    bool askYesNo(const QString& text) override
    {
        questions.append(text);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool askYesNoDefaultNo(const QString& text) override
    {
        defaultNoQuestions.append(text);
        return askYesNo(text);
    }
    QString askOpenFileNameIn(const QString& caption, const QString& filter, const QString& folder) override
    {
        fileFolders.append(folder);
        return askOpenFileName(caption, filter);
    }
    QString askOpenFileName(const QString& caption, const QString&) override
    {
        fileCaptions.append(caption);
        if (fileNames.empty())
            return {};
        const QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }

    QStringList messages;
    QStringList questions;
    QStringList defaultNoQuestions; // also in `questions`
    QStringList fileCaptions;
    QStringList fileFolders; // the folder each file dialog opened in
    std::deque<bool> answers;
    std::deque<QString> fileNames;
};
