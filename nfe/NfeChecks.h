#pragma once

#include <QString>
#include <QStringView>

struct NfeDocument;

// What every authorised NF-e carries and the import checks before it believes the file: the
// access key and the authorisation protocol. Each check gives the refusal the clerk is told, or an
// empty text when the document passes.

// The check digit of the first 43 digits of an access key: modulo 11 with weights 2 to 9 from the
// right, 0 when the remainder is 0 or 1. -1 when the text is not 43 digits.
int NfeKeyCheckDigit(QStringView first43);

// `infNFe/@Id` must be "NFe" and 44 digits whose last is the check digit of the others, and the
// fields the key holds (state, year and month of issue, issuer's CNPJ, model 55, series, number,
// emission type, random code) must be the document's.
QString NfeAccessKeyProblem(const NfeDocument& doc);

// A file with `protNFe` must carry the protocol of this invoice (`chNFe` equal to the key) with an
// authorised status (100, or 150 when authorised out of time). A file without one passes here; the
// importer asks the clerk about it.
QString NfeProtocolProblem(const NfeDocument& doc);

// The key's 44 digits, without the "NFe" prefix.
QString NfeKeyDigits(const NfeDocument& doc);
