#pragma once

#include <QObject>

class CostDetails;
class ProductOptions;
class QAction;
class QKeyEvent;
class QMenu;
class TDM;
class TFormCompras;
class UnitOptions;
struct ItemEntryValues;
struct SessionState;

// The item grid `DBGrid1`: what runs when a column is entered or left, the Enter walk through the
// columns, the guard that keeps an empty row from being deleted, the stock-location check when the
// grid is left, the colours of expired rows, the purchase-price hint `PainelAlertaCusto` and the
// "Novo Item" context menu.
class ItemGrid : public QObject {
    Q_OBJECT

public:
    // Columns of the grid by their field.
    enum Column {
        Componente = 0,
        Quantidade = 1,
        Unidade = 2,
        PrecoUnitR = 3,
        Laboratorio = 5,
        Validade = 9,
    };
    static const QString kQuantityMessage;
    static const QString kInvalidPriceMessage;
    static const QString kStockLocationMessage;

    ItemGrid(TFormCompras& form, TDM& dm, ItemEntryValues& values, ProductOptions& products, UnitOptions& units,
             CostDetails& cost);
    ~ItemGrid() override;

    void EnterItemColumn(int column);
    void LeaveItemColumn(int column);
    void CheckStockLocation();

    QAction* NovoItem;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QKeyEvent& event);
    void ItemEnterKey();
    bool isEmptyRowDelete(const QKeyEvent& event) const;
    bool productNeedsLookUp() const;
    void QuantityRule();
    void PriceRule();
    void UpdateLineTotal();
    void LeaveItemRow();
    void CaptureEnteredValues();
    void showPriceHint();
    void buildContextMenu();
    void paintExpiredRows();

    TFormCompras& form_;
    TDM& dm_;
    SessionState& session_;
    ItemEntryValues& values_;
    ProductOptions& products_;
    UnitOptions& units_;
    CostDetails& cost_;
    QMenu* menu_;
};
