#pragma once

// Shows the clerk what the database layer is doing.
// - The wait cursor while a call runs. The window cannot paint while a call waits on the server,
//   but the cursor is drawn by the display itself: set when the call begins, it stays visible
//   however long the call takes (a quick call ends before anyone sees it).
// - The layer's notices (the connection being made again) over the active window, painted at once,
//   before the work they announce holds the window.
void InstallDatabaseActivityDisplay();
