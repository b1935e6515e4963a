#pragma once

#include "data/CachedDataset.h"
#include "entry/EntryData.h"

#include <QString>

class CachedDataset;

// The header column whose change the items of a recorded invoice follow.
enum class HeaderColumn { Date, Number, Supplier };

// An invoice's key as its items carry it: the date (short date text), number and supplier name;
// and the header's supplier code, which tells this supplier's items from those of another
// supplier with the same trade name.
struct HeaderKey {
    QString date;
    QString number;
    QString supplier;
    QString supplierCode;
};

// The order in which the working copy of the items is read by default.
inline const QString kHeaderKeyOrder = QStringLiteral(" order by A.DATA, A.NOTAFISCAL, A.FORNECEDOR");

// The statement of the items' working copy `Compras2`: every item of a supply product (group
// SUP) with its product, narrowed by `condition` (" AND ..." or empty), then `orderClause`.
QString ItemWorkingCopyQuery(const QString& condition, const QString& orderClause);

// Writes the item row the clerk typed but has not stored yet (the grid leaves a new row unstored
// when the focus goes to the header), so that closing the item list does not lose it: the row is
// posted and the item rule writes it. A new row without a product holds nothing but its defaults
// and cannot be stored: it is dropped, as is an edited row nothing was changed in.
void StoreTypedItem(CachedDataset& items);

// A change of number or supplier that the invoice's rows cannot follow; the header has been given
// back its old value.
class HeaderChangeRefused : public DatasetError {
public:
    using DatasetError::DatasetError;
};

inline const QString kPayablesTakenOverMessage = QStringLiteral(
    "Esta Nota Fiscal já está no \"Contas a Pagar\" e o setor financeiro já movimentou uma de suas contas.\r"
    "O número e o fornecedor desta nota não podem mais ser alterados.");

// Carries a changed header value over to the items, each change written at once:
// - clean-up (through `Compras2`): every SUP item whose changed column is empty is deleted,
//   whichever invoice it is of;
// - update: every item (of any product, or of none) with the three old key values receives
//   `newValue` in the changed column (a supplier change also gives `newSupplierCode` to those of
//   them that carry the old supplier code, so that they stay in their invoice's item list, which
//   selects by number and supplier code; an item of another supplier with the same trade name
//   keeps its code). A row that cannot be changed is left as it was.
// - a new number or supplier also reaches the invoice's custom instalments (PAGDIVER) and its
//   payables still "Atualizado (pagar)", whose description names both.
// A new number or supplier is refused (HeaderChangeRefused, nothing changed, the header given back
// its old value) when another invoice of the supplier carries the number, or when a payable of the
// invoice has been taken over by the finance module.
// An item typed but not stored yet is stored first (`StoreTypedItem`), so that it follows too.
// Afterwards `Compras` is opened again with the items of the current invoice (its query rebuilt
// from the header's number and supplier code) and put into edit when it holds items.
void CascadeHeaderChange(const EntryData& dm, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                         const QString& cleanUpOrder, const QString& updateOrder, const QString& newSupplierCode = {});
