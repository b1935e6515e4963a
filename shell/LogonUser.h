#pragma once

#include <QString>

// The login name of the user who owns this process, as the operating system knows it.
QString GetLogonUserName();
