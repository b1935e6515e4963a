#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets (or unsets) an environment variable for the life of the object and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : ScopedEnv(name) { qputenv(name, value); }
    static ScopedEnv unset(const char* name)
    {
        ScopedEnv env(name);
        qunsetenv(name);
        return env;
    }
    ~ScopedEnv()
    {
        if (name_ == nullptr)
            return;
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(ScopedEnv&& other) noexcept : name_(other.name_), had_(other.had_), old_(other.old_)
    {
        other.name_ = nullptr;
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ScopedEnv& operator=(ScopedEnv&&) = delete;

private:
    explicit ScopedEnv(const char* name) : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {}

    const char* name_;
    bool had_;
    QByteArray old_;
};
