#pragma once

#include <QObject>

#include <vector>

class DBGrid;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class TDM;
class TFormCompras;
struct ItemEntryValues;

// The product of an item: the text typed into the product cell looked up among the supply
// products, and the panel `PainelOpCompras` that offers the nearest products by name when the
// look-up finds none.
class ProductOptions : public QObject {
    Q_OBJECT

public:
    ProductOptions(TFormCompras& form, TDM& dm, ItemEntryValues& values);

    // Takes the product whose DCB code or name was typed, or opens the options panel near the name.
    void FindItemProduct();
    void ShowProductOptions(const QString& name);

    DBGrid* GradeOpCompras;
    QGroupBox* grp1;
    QPushButton* BotEnterComp;
    QPushButton* BotEscCompras;

private:
    void buildPanel();
    void buildProductData();
    void showHighlightedProduct();
    void TakeProduct();
    void CloseOptions();
    void hidePanel();
    void focusMoved(QWidget* from, QWidget* to);

    TFormCompras& form_;
    TDM& dm_;
    ItemEntryValues& values_;
    // The group box's value labels and the field each shows.
    std::vector<std::pair<QLabel*, QString>> productData_;
};
