#pragma once

#include "entry/EntryData.h"

#include <QFrame>

#include <optional>

class DBGrid;
class QPushButton;
class WindowState;

// The unit typed into an item, checked against the known units (UNIDADES), and the panel
// `PainelOpUnidades` that offers the nearest known unit when the typed one is not among them.
class UnitOptions : public QFrame {
    Q_OBJECT

public:
    UnitOptions(WindowState& window, QWidget* parent);

    void attachDataModule(const EntryData& dm);

    // Stores the item's unit in lower case; a unit not in UNIDADES opens the panel on the nearest one.
    void CheckItemUnit();
    void ShowUnitOptions();

signals:
    // A unit was confirmed with Enter: the clerk goes on in the item grid.
    void itemGridWanted();
    // The item took the highlighted unit (Enter or Esc).
    void unitTaken();

private:
    void buildPanel();
    // The highlighted unit goes into the item; Enter then returns to the item grid, Esc leaves the
    // focus where it lands.
    void TakeUnit(bool backToItemGrid);

    WindowState& window_;
    std::optional<EntryData> dm_;
    DBGrid* GradeOpUnidades;
    QPushButton* BotEnterUnidades;
    QPushButton* BotEscUnidades;
};
