#pragma once

#include <QObject>

class DBGrid;
class QPushButton;
class TDM;
class TFormCompras;

// The unit typed into an item, checked against the known units (UNIDADES), and the panel
// `PainelOpUnidades` that offers the nearest known unit when the typed one is not among them.
class UnitOptions : public QObject {
    Q_OBJECT

public:
    UnitOptions(TFormCompras& form, TDM& dm);

    // Stores the item's unit in lower case; a unit not in UNIDADES opens the panel on the nearest one.
    void CheckItemUnit();
    void ShowUnitOptions();

    DBGrid* GradeOpUnidades;
    QPushButton* BotEnterUnidades;
    QPushButton* BotEscUnidades;

private:
    void buildPanel();
    // The highlighted unit goes into the item; Enter then returns to the item grid, Esc leaves the
    // focus where it lands.
    void TakeUnit(bool backToItemGrid);

    TFormCompras& form_;
    TDM& dm_;
};
