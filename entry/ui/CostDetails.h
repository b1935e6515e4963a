#pragma once

#include "entry/EntryData.h"

#include <QFrame>

#include <optional>

class QLabel;
class QPushButton;
struct SessionState;

// The product details of the current item (`PainelDetalhes`): its cost per purchase unit in
// `LabelCustoUnit`, and the button `BotAtuaCustoUnit` that writes the item's price back into the
// product as its cost.
class CostDetails : public QFrame {
    Q_OBJECT

public:
    static const QString kAccessDenied;
    static const QString kConfirmation;
    static const QString kDone;

    explicit CostDetails(QWidget* parent);

    void attachDataModule(const EntryData& dm);

    void ShowItemCostPerUnit();
    // The current item's unit price becomes its product's cost; a product not in the catalogue is
    // reported. Without a current item there is nothing to do.
    void UpdateProductCost();
    // The button goes with the window's main buttons.
    void setCostUpdateEnabled(bool enabled);

signals:
    // The current item has no product yet: the item grid goes back to its product column.
    void productColumnWanted();

private:
    void buildPanel();
    void AtuaCustoUnitClicked();
    bool hasCurrentItem() const;

    std::optional<EntryData> dm_;
    SessionState* session_ = nullptr;
    QLabel* LabelCustoUnit;
    QPushButton* BotAtuaCustoUnit;
};
