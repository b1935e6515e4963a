#pragma once

class FbConnection;

// Leaving the product cell of an item: the supply product taken by DCB or name, or the options
// list opened on the nearest name.
void measureProductLookup(FbConnection& c);
