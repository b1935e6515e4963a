#pragma once

class FbConnection;

// Closing an invoice: the totals recomputed, a new 100-item invoice entered into stock, and the
// same invoice closed again (every item already entered).
void measureClosing(FbConnection& c);
