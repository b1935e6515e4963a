#include "shell/LogonUser.h"

#include <pwd.h>
#include <unistd.h>

QString GetLogonUserName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}
