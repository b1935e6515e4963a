#pragma once

// Shows the wait cursor while the database layer works. The window cannot paint while a call
// waits on the server, but the cursor is drawn by the display itself: set when the call begins, it
// stays visible however long the call takes (a quick call ends before anyone sees it).
void InstallDatabaseWaitCursor();
