#pragma once

#include "entry/EntryData.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class CostDetails;
class DBGrid;
class ProductOptions;
class QAction;
class QFrame;
class QKeyEvent;
class QMenu;
class UnitOptions;
struct ItemEntryValues;
struct SessionState;

// The item grid `DBGrid1`: what runs when a column is entered or left, the Enter walk through the
// columns, the guard that keeps an empty row from being deleted, the stock-location check when the
// grid is left, the colours of expired rows, the purchase-price hint `PainelAlertaCusto` and the
// "Novo Item" context menu.
class ItemGrid : public QWidget {
    Q_OBJECT

public:
    // Columns of the grid by their field.
    enum Column {
        Componente = 0,
        Quantidade = 1,
        Unidade = 2,
        PrecoUnitR = 3,
        Laboratorio = 5,
        Fabricacao = 8,
        Validade = 9,
    };
    static const QString kQuantityMessage;
    static const QString kInvalidPriceMessage;
    static const QString kStockLocationMessage;

    // The grid stands in the work area `parent`, under the header.
    ItemGrid(ItemEntryValues& values, ProductOptions& products, UnitOptions& units, CostDetails& cost, QWidget* parent);

    void attachDataModule(const EntryData& dm);

    void EnterItemColumn(int column);
    void LeaveItemColumn(int column);
    void CheckStockLocation();

    // What the window and the other panels ask of the grid.
    void setStockLocations(const QStringList& locations);
    void setGridEnabled(bool enabled);
    void movePriceHint(const QPoint& at);
    void hidePriceHint();
    void selectProductColumn();
    // Selects the first column, focuses the grid and selects the first column again.
    void selectFirstColumnAndFocus();
    void focusGrid();
    // Writes the text typed in the open cell into its item; false when the cell refused it (the
    // message was shown, the text stays in the cell).
    bool commitTypedCell();
    // The grid takes the focus if it can, on its first column when `firstColumn`.
    void takeFocus(bool firstColumn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrid();
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
    void placePriceHint();
    void buildContextMenu();
    void paintExpiredRows();

    ItemEntryValues& values_;
    ProductOptions& products_;
    UnitOptions& units_;
    CostDetails& cost_;
    std::optional<EntryData> dm_;
    SessionState* session_ = nullptr;
    DBGrid* DBGrid1;
    QFrame* PainelAlertaCusto;
    QAction* NovoItem;
    QMenu* menu_;
};
