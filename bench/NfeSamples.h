#pragma once

#include "data/FbConnection.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The NF-e files the NF-e benchmarks import: layout 4.00, a consistent access key, an authorised
// protocol, each item in two lots (`rastro`), signed with a throw-away certificate made with the
// openssl tool and the xmlsec1 tool.
namespace benchnfe {

struct Issuer {
    QString cnpj;
    QString name;
};

// A supplier of the database, found by CNPJ at the import.
Issuer anIssuer(FbConnection& c);
// Bar codes of supply products: four of five items are recognised.
std::vector<QString> barCodes(FbConnection& c, int items);

// The document, unsigned, and its `infNFe/@Id`.
QByteArray document(const QString& number, const Issuer& issuer, const std::vector<QString>& codes, int items,
                    QString* id = nullptr);
// The document signed as its issuer signs it; the document unchanged when the tools fail.
QByteArray signedDocument(const QByteArray& xml, const QString& id);

QString writeFile(const QString& folder, const QString& number, const QByteArray& xml);

// The least an import must do: parse the file, look the products up, and write the header and the
// rows in one transaction through prepared statements.
void nativeImport(FbConnection& c, const QString& path);

} // namespace benchnfe
