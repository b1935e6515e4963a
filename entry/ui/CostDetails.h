#pragma once

#include <QObject>

class TDM;
class TFormCompras;
struct ItemEntryValues;
struct SessionState;

// The product details of the current item (`PainelDetalhes`): its cost per purchase unit in
// `LabelCustoUnit`, and the button `BotAtuaCustoUnit` that writes the item's price back into the
// product as its cost.
class CostDetails : public QObject {
    Q_OBJECT

public:
    static const QString kAccessDenied;
    static const QString kConfirmation;
    static const QString kDone;

    CostDetails(TFormCompras& form, TDM& dm, ItemEntryValues& values);

    void ShowItemCostPerUnit();
    // The current item's unit price becomes its product's cost; a product not in the catalogue is
    // reported. Without a current item there is nothing to do.
    void UpdateProductCost();

private:
    void AtuaCustoUnitClicked();
    bool hasCurrentItem() const;

    TFormCompras& form_;
    TDM& dm_;
    SessionState& session_;
    ItemEntryValues& values_;
};
