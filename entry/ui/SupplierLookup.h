#pragma once

#include "entry/EntryData.h"

#include <QFrame>
#include <QPointer>
#include <QString>

#include <optional>

class DBEdit;
class DBGrid;
class QAbstractButton;
class QPushButton;
class SupplierRegistration;
class WindowState;
struct SessionState;

// The supplier of the invoice header, found by its trade name: a single supplier of exactly that
// name is taken at once; otherwise the lookup `PainelCliProcura` lists the suppliers from the
// nearest name on, to pick one (Enter), cancel (Esc) or register a new one (Insert, in
// `PainelResumoCliente`). Taking a supplier writes its name and code into the header, carries
// the name over to the items of a recorded invoice and moves on to the item grid.
class SupplierLookup : public QFrame {
    Q_OBJECT

public:
    // `supplierField` is the header's supplier field, where the name is typed and where Esc returns.
    SupplierLookup(WindowState& window, DBEdit& supplierField, QWidget* parent);

    void attachDataModule(const EntryData& dm);

    void ResolveSupplier();
    void ShowSupplierLookup();
    void SelectSupplier();
    void CancelLookup();

    // The name the supplier field held when it was entered; Esc puts it back.
    QString SupplierRestoreName;

signals:
    // The clerk goes on in the item grid, on its first column when `firstColumn`.
    void itemGridWanted(bool firstColumn);
    // The window's exit button follows the lookup: off while a new supplier is dropped, on again
    // when the lookup is confirmed or cancelled.
    void exitEnabled(bool enabled);
    // The supplier taken already has an invoice of this number: the clerk corrects the number.
    void numberTaken();

private:
    void buildPanel();
    void connectControls();
    void focusMoved(QWidget* from, QWidget* to);
    void LookupEntered();
    void LookupLeft();
    void closeLookup(bool toItemGrid);
    void takeSupplier(const QString& name, const QString& code);
    void EnterItemGrid();
    void openSupplierList();
    void setButtonsEnabled(bool enabled);

    WindowState& window_;
    DBEdit& supplierField_;
    std::optional<EntryData> dm_;
    SessionState* session_ = nullptr;
    DBGrid* GradeClientes;
    QPushButton* BotCliEnter;
    QPushButton* BotCliCancProc;
    QPushButton* BotCliInsert;
    SupplierRegistration* registration_;
    bool inLookup_ = false;
    QString lookupOldName_;
    QString lookupOldCode_;
    QPointer<QAbstractButton> windowCancelButton_;
};
