#pragma once

#include "data/Value.h"
#include "nfe/NfeDocument.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

// The supply product whose bar code (DCB) an item carries.
struct NfeProduct {
    bool found = false;
    QString codigo; // the product's CODIGO in the catalogue
    QString componente;
    QString fabricante;
};
using NfeProductLookup = std::function<NfeProduct(const QString& barCode)>;

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

struct NfeRows {
    NfeHeaderRow header;
    std::vector<NfeItemRow> items;
    int unrecognised = 0;
    QStringList adjusted; // one line per item whose texts were changed to fit the database
};

// A value of the NF-e that cannot be written; the message names the item and the value.
class NfeValueError : public std::runtime_error {
public:
    explicit NfeValueError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The rows an NF-e becomes: products recognised by bar code, each such item carrying its
// product's code and name as the catalogue writes them (an item not recognised has no product code
// until the clerk identifies its product, and keeps the NF-e's description), units mapped ("gr" is "g", "lt" is
// "l", "mil" is "un" with quantities times 1,000 and prices divided by 1,000), expiry 730 days
// after `today` when the NF-e gives none, texts fit for their columns, items numbered "0001",
// "0002"... Throws NfeValueError on a date or number that does not convert.
NfeRows BuildNfeRows(const NfeDocument& doc, const QString& receiptDate, const QDate& today,
                     const NfeProductLookup& lookup);
