#pragma once

// Reading and importing a 100-item NF-e, from the file to the result message with the invoice
// list positioned, on the database of the product folder.
void measureNfeImport();
