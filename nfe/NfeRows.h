#pragma once

#include "data/Value.h"
#include "nfe/NfeDocument.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

// The supply product of an item: the one remembered for the supplier's own code, else the one whose
// bar code (DCB) the item carries.
struct NfeProduct {
    enum class Match { None, SupplierCode, BarCode };
    bool found = false;
    Match match = Match::None;
    QString codigo; // the product's CODIGO in the catalogue
    QString componente;
    QString fabricante;
    // By supplier code: the supplier's unit the factor holds for, the unit the items are kept in,
    // and how many of it one supplier unit holds.
    QString uCom;
    QString unidade;
    Decimal fator{1, 0};
};
using NfeProductLookup = std::function<NfeProduct(const NfeItem& item)>;

// The values of the NFISCAL row, in the order of its INSERT.
struct NfeHeaderRow {
    QDate data;
    QDate dataRecebim;
    QString notaFiscal;
    QString fornecedor;
    QString codigoFornecedor;
    Value valBruto, descontoTotal, outrosImp, valLiquido, icms, ipi; // NULL when the NF-e has none
    QString tipoOperacao;
    QString serie;
    QString entradaSaida;
};

// The values of one COMPRAS row: one per lot of an item.
struct NfeItemRow {
    // Where the row came from: the supplier's code and unit, and the lot's quantity in that unit.
    QString cProd;
    QString uCom;
    Decimal quantidadeNfe;
    QString codigo;
    QString fabricante;
    QString componente;
    QString responsavel;
    Decimal precoUnit;
    Decimal quantidade;
    QString unidade;
    Decimal saldo;
    QString lote;
    QDate fabricacao;
    QDate validade;
};

// One PAGDIVER row from a `cobr/dup` of the NF-e.
struct NfeInstalmentRow {
    int ordem = 0;
    QDate data;
    Decimal valor;
};

struct NfeRows {
    NfeHeaderRow header;
    std::vector<NfeItemRow> items;
    int unrecognised = 0;
    int bySupplierCode = 0;
    int byBarCode = 0;
    QStringList adjusted; // one line per item whose texts were changed to fit the database
    // The supplier's instalments (`cobr/dup`) when they add up to the net value (`vNF`) to the
    // cent; then the invoice's payment form is "Datas e valores diversos". `instalmentNote` tells
    // the clerk what became of them (empty when the NF-e has none).
    std::vector<NfeInstalmentRow> instalments;
    QString instalmentNote;
};

// A value of the NF-e that cannot be written; the message names the item and the value.
class NfeValueError : public std::runtime_error {
public:
    explicit NfeValueError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The rows an NF-e becomes: products recognised by the supplier's code or by bar code (an item
// recognised by the supplier's code in the unit the factor holds for has its quantity and price
// converted to the remembered unit, so that quantity × price is still the line value), each such item carrying its
// product's code and name as the catalogue writes them (an item not recognised has no product code
// until the clerk identifies its product, and keeps the NF-e's description), units mapped ("gr" is "g", "lt" is
// "l", "mil" is "un" with quantities times 1,000 and prices divided by 1,000), expiry 730 days
// after `today` when the NF-e gives none, texts fit for their columns, items numbered "0001",
// "0002"... Throws NfeValueError on a date or number that does not convert.
NfeRows BuildNfeRows(const NfeDocument& doc, const QString& receiptDate, const QDate& today,
                     const NfeProductLookup& lookup);
