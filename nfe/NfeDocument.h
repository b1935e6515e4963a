#pragma once

#include <QString>

#include <vector>

// One lot of an item: from `prod/med` (layouts up to 3.10) or from each `prod/rastro` (layout
// 4.00). The reader has already applied the defaults: an empty lot reads "-", an empty lot
// quantity the item's `qCom`, an empty manufacturing date the invoice's `dEmi` text.
struct NfeLot {
    QString nLote;
    QString qLote;
    QString dFab;
    QString dVal;
};

// One `det` element: the values the import needs, as the XML holds them.
struct NfeItem {
    QString cProd; // the issuer's own code of the product
    QString xProd;
    QString cEAN;
    QString uCom;
    QString qCom;
    QString vUnCom;
    QString vProd;  // the line's gross value
    QString indTot; // "0": the line's value is not part of the invoice's total of products
    // At least one lot: an item without `med` and without `rastro` has one lot of defaults.
    std::vector<NfeLot> lots;
};

// One instalment of `cobr/dup`: the supplier's own schedule.
struct NfeDup {
    QString nDup;
    QString dVenc;
    QString vDup;
};

// The values of one NF-e that the system reads, as text with a point as decimal separator and
// dates as the XML writes them. An absent element reads as the empty text.
struct NfeDocument {
    // The file it was read from.
    QString path;

    // `infNFe/@Id`, the access key with its "NFe" prefix, and `infNFe/@versao`.
    QString Id;
    QString versao;

    // ide
    QString cUF;
    QString cNF;
    QString natOp;
    QString mod;
    QString serie;
    QString nNF;
    QString dEmi; // `dEmi`, else the whole `dhEmi` (date, time and time zone)
    QString tpNF;
    QString cMunFG;
    QString tpEmis;
    QString tpAmb; // 1 production, 2 homologation (test)

    // emit
    QString CNPJ;
    QString xNome;
    QString xFant; // without trailing blanks; `xNome` when empty
    QString xLgr;
    QString nro;
    QString xCpl;
    QString xBairro;
    QString CEP;
    QString fone;
    QString IE;

    // total/ICMSTot
    QString vICMS;
    QString vProd;
    QString vDesc;
    QString vIPI;
    QString vOutro;
    QString vNF;

    // The authorisation protocol `protNFe/infProt`, when the file carries one.
    bool hasProtocol = false;
    QString chNFe;
    QString cStat;
    QString xMotivo;
    QString nProt;
    QString digVal;    // the DigestValue of the `infNFe` the tax authority authorised
    QString protTpAmb; // the protocol's environment

    // `cobr/dup`, in document order.
    std::vector<NfeDup> dups;

    // The items in document order, at most `kMaxItems`; `detCount` counts every `det` of the
    // walk, so a document with more than the limit is recognised.
    static constexpr int kMaxItems = 300;
    // The layout allows at most 500 `rastro` lots in one item.
    static constexpr int kMaxLots = 500;
    std::vector<NfeItem> items;
    int detCount = 0;
    int ItemCount() const { return static_cast<int>(items.size()); }
    bool tooManyItems() const { return detCount > kMaxItems; }

    // The digital signature of `infNFe`, set by the import's checks: whether the file carries one
    // that verifies, and the signer's name from its certificate.
    bool isSigned = false;
    QString signer;
    QString signerCnpj; // the CNPJ the signer's certificate names; empty when it names none

    // The supplier under which the invoice is recorded; empty when the supplier step failed.
    QString NfeSupplierName;
    QString NfeSupplierCode;
};
