#pragma once

#include "shell/Dialogs.h"

#include <memory>

// For user-interface tests: while it lives, every message and question goes to a recorder that
// keeps the texts and answers from a script; the Qt dialogs come back when it goes.
class ScriptedDialogs {
public:
    ScriptedDialogs()
    {
        auto recorder = std::make_unique<RecordingDialogs>();
        recorder_ = recorder.get();
        Dialogs::install(std::move(recorder));
    }
    ~ScriptedDialogs() { Dialogs::install(nullptr); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    RecordingDialogs& recorder() const { return *recorder_; }

private:
    RecordingDialogs* recorder_;
};
