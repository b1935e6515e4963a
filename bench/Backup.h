#pragma once

#include "data/FbConnection.h"

// `korvanis-admin backup` on the shared database beside a plain `gbak -b` of it, in the same run.
// No connection of this process may hold the database: gbak opens it from a process of its own.
void measureBackup(const FbConnection::Params& shared);
