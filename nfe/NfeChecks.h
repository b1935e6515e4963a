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

// An invoice of the test environment (`tpAmb` 2, homologação, in the invoice or its protocol) has
// no fiscal value.
QString NfeEnvironmentProblem(const NfeDocument& doc);

// The items' `vProd` must add up to `ICMSTot/vProd` (an item of `indTot` 0 is left out, as the
// layout says); the refusal names both figures. A document
// without the total passes here (the import stores no gross value then).
QString NfeTotalsProblem(const NfeDocument& doc);

// A signed file with a protocol: the signature's DigestValue must be the protocol's `digVal`, the
// digest of the invoice the tax authority authorised; another one was signed afterwards.
QString NfeDigestProblem(const NfeDocument& doc, const QString& digestValue);

// The signer's certificate must name a CNPJ of the issuer's company (the same first 8 digits as
// `emit/CNPJ`). A certificate that names no CNPJ passes here; the importer asks the clerk.
QString NfeSignerProblem(const NfeDocument& doc);

// The key's 44 digits, without the "NFe" prefix.
QString NfeKeyDigits(const NfeDocument& doc);
