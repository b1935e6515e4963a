#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Small NF-e documents for the tests: an authorised invoice (`nfeProc` wrapping `NFe` and its
// protocol) of layout 4.00 with the values the reader takes, each of which a test may change. The
// access key is made from the document's own fields, with its check digit, unless a test writes
// one; the protocol carries that key. Items carry their lots as raw XML (`med` or `rastro`
// elements), so a test can write any shape. `signedByIssuer` signs `infNFe` with a throw-away
// certificate whose name is `kSampleSigner`.
struct SampleNfeItem {
    QString cProd; // empty: the item's number
    QString xProd = QStringLiteral("PRODUTO DE TESTE");
    QString cEAN = QStringLiteral("7890000000017");
    QString uCom = QStringLiteral("UN");
    QString qCom = QStringLiteral("2.0000");
    QString vUnCom = QStringLiteral("10.0000000000");
    QString vProd;                        // empty: qCom × vUnCom to the cent
    QString indTot = QStringLiteral("1"); // "0": not part of the invoice's total
    QString lots; // inner XML of `prod` after the values: "<med>...</med>", "<rastro>...</rastro>"
};

// One `cobr/dup` instalment.
struct SampleDup {
    QString nDup;
    QString dVenc;
    QString vDup;
};

// The certificate that signs a sample: its subject's common name and, when not empty, the CNPJ of
// its subject alternative name (OID 2.16.76.1.3.3, as in an ICP-Brasil e-CNPJ).
struct SampleSigner {
    QString commonName;
    QString alternativeCnpj;
};

struct SampleNfe {
    QString encoding = QStringLiteral("UTF-8");
    bool wrapped = true; // `nfeProc` around `NFe`; false: `NFe` is the root
    QString beforeNFe;   // raw XML inside the root, before `NFe`
    QString cUF = QStringLiteral("32");
    QString cNF = QStringLiteral("14870773");
    QString mod = QStringLiteral("55");
    QString tpEmis = QStringLiteral("1");
    QString tpAmb = QStringLiteral("1"); // in `ide` and in the protocol
    QString nNF = QStringLiteral("1234");
    QString serie = QStringLiteral("1");
    QString natOp = QStringLiteral("VENDA DE MERCADORIA");
    QString dEmi;                                                // layout 2.00
    QString dhEmi = QStringLiteral("2024-04-05T10:20:00-03:00"); // layouts 3.10 and 4.00
    QString CNPJ = QStringLiteral("05125726000255");
    QString xNome = QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA");
    QString xFant = QStringLiteral("BOA VIDA");
    QString vProd; // empty: the sum of the items' `vProd`
    QString vNF = QStringLiteral("20.00");
    bool withIde = true, withEmit = true, withTotal = true;
    std::vector<SampleNfeItem> items = {SampleNfeItem{}};
    QString betweenItems;        // raw XML between the `det` elements
    std::vector<SampleDup> dups; // `cobr` with these `dup` when not empty
    QString Id;                  // `infNFe/@Id`; empty: "NFe" and the key of the fields above

    bool withProtocol = true; // `protNFe` after `NFe` (only in `nfeProc`)
    QString chNFe;            // empty: the key
    QString cStat = QStringLiteral("100");
    QString xMotivo = QStringLiteral("Autorizado o uso da NF-e");
    // The protocol's `digVal`; null: the signature's own DigestValue (none when unsigned).
    QString digVal;

    bool signedByIssuer = false;
    SampleSigner signer; // empty common name: `kSampleSigner`

    // The 44 digits of the key the fields make, its check digit computed.
    QString key() const;
    QByteArray xml() const;
    QString billing() const; // `cobr` of `dups`
    // Writes the document into `folder` and returns its path.
    QString writeTo(const QString& folder, const QString& fileName = QStringLiteral("nfe.xml")) const;
};

inline const QString kSampleSigner = QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA:05125726000255");

// Signs the invoice element of an NF-e (the `infNFe` whose `Id` is `id`) as an issuer does: an
// enveloped signature with C14N, SHA-1 and RSA-SHA1, and the certificate in `KeyInfo`. The key and
// the self-signed certificate are made once per test run with the openssl tool.
QByteArray SignSampleNfe(const QByteArray& xml, const QString& id, const SampleSigner& signer = {});
// The DigestValue of a signed sample.
QString SampleDigestValue(const QByteArray& signedXml);

// A `med` element of layouts up to 3.10, and a `rastro` element of layout 4.00.
QString SampleMed(const QString& nLote, const QString& qLote, const QString& dFab, const QString& dVal);
QString SampleRastro(const QString& nLote, const QString& qLote, const QString& dFab, const QString& dVal);
