#pragma once

class FbConnection;

// The purchase search panel on the large database: a keystroke in each search field, Enter in
// each, a key-down in the grids, opening the panel, the sort buttons; and the product options
// list of the item grid opened on the nearest name.
void measurePurchaseSearch(FbConnection& c);
