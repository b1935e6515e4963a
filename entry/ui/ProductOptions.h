#pragma once

#include "entry/EntryData.h"

#include <QFrame>

#include <optional>
#include <vector>

class DBGrid;
class QGroupBox;
class QLabel;
class QPushButton;
class WindowState;
struct ItemEntryValues;

// The product of an item: the text typed into the product cell looked up among the supply
// products, and the panel `PainelOpCompras` that offers the nearest products by name when the
// look-up finds none.
class ProductOptions : public QFrame {
    Q_OBJECT

public:
    ProductOptions(WindowState& window, ItemEntryValues& values, QWidget* parent);

    void attachDataModule(const EntryData& dm);

    // Takes the product whose DCB code or name was typed, or opens the options panel near the name.
    void FindItemProduct();
    void ShowProductOptions(const QString& name);

signals:
    // The look-up runs (true) or has ended (false): the window shows its "searching" notice
    // meanwhile, painted before the first statement goes to the server.
    void searching(bool running);
    // The panel closed: the clerk goes on in the item grid.
    void itemGridWanted();

private:
    void buildPanel();
    void buildProductData();
    void showHighlightedProduct();
    void TakeProduct();
    void CloseOptions();
    void hidePanel();
    void focusMoved(QWidget* from, QWidget* to);

    WindowState& window_;
    ItemEntryValues& values_;
    std::optional<EntryData> dm_;
    DBGrid* GradeOpCompras;
    QGroupBox* grp1;
    QPushButton* BotEnterComp;
    QPushButton* BotEscCompras;
    // The group box's value labels and the field each shows.
    std::vector<std::pair<QLabel*, QString>> productData_;
};
