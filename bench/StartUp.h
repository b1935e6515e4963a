#pragma once

#include "data/FbConnection.h"

// The window's start-up up to the login panel, on the data module: the lists, the work queries,
// the last invoice and the expired-lot sweep.
void measureStartUp(const FbConnection::Params& shared, const FbConnection::Params& workstation);
