#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class DBGrid;
class QAbstractButton;
class QPushButton;
class SupplierRegistration;
class TDM;
class TFormCompras;
struct SessionState;

// The supplier of the invoice header, found by its trade name: a single supplier of exactly that
// name is taken at once; otherwise the lookup `PainelCliProcura` lists the suppliers from the
// nearest name on, to pick one (Enter), cancel (Esc) or register a new one (Insert, in
// `PainelResumoCliente`). Taking a supplier writes its name and code into the header, carries
// the name over to the items of a recorded invoice and moves on to the item grid.
class SupplierLookup : public QObject {
    Q_OBJECT

public:
    SupplierLookup(TFormCompras& form, TDM& dm);
    ~SupplierLookup() override;

    void ResolveSupplier();
    void ShowSupplierLookup();
    void SelectSupplier();
    void CancelLookup();

    SupplierRegistration& registration() { return *registration_; }

    // The name the supplier field held when it was entered; Esc puts it back.
    QString SupplierRestoreName;

    // Inside `PainelCliProcura`.
    DBGrid* GradeClientes;
    QPushButton* BotCliEnter;
    QPushButton* BotCliCancProc;
    QPushButton* BotCliInsert;

private:
    void buildPanel();
    void connectControls();
    void focusMoved(QWidget* from, QWidget* to);
    void LookupEntered();
    void LookupLeft();
    void closeLookup(QWidget* focusTo);
    void takeSupplier(const QString& name, const QString& code);
    void EnterItemGrid();
    void openSupplierList();

    TFormCompras& form_;
    TDM& dm_;
    SessionState& session_;
    std::unique_ptr<SupplierRegistration> registration_;
    bool inLookup_ = false;
    QString lookupOldName_;
    QString lookupOldCode_;
    QPointer<QAbstractButton> windowCancelButton_;
};
