#pragma once

// The NF-e checks (access key, protocol, signature) on a 100-item NF-e against the read alone, and
// korvanis-admin import-nfe over 100 files of 20 items against a native import of the same files.
void measureNfeChecks();
void measureNfeBatch();
