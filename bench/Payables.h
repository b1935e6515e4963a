#pragma once

class FbConnection;

// "Incluir no Contas a Pagar" for a 12-instalment payment form, and opening the instalment panel,
// on the invoices of a large database.
void measurePayables(FbConnection& c);
