#pragma once

#include <QObject>

class DBEdit;
class QPushButton;
class SupplierLookup;
class TDM;
class TFormCompras;

// The quick registration of a new supplier from the supplier lookup (`PainelResumoCliente`):
// trade name, legal name and CNPJ. The names are put into the house style when they are left;
// "Salvar" stores a complete supplier under the next free code and takes it into the header,
// "Cancela" drops it. An incomplete supplier is not stored and not taken: the clerk is back in
// the lookup, to pick a supplier or register one again.
class SupplierRegistration : public QObject {
    Q_OBJECT

public:
    static const QString kIncompleteMessage;

    SupplierRegistration(TFormCompras& form, TDM& dm, SupplierLookup& lookup);

    void StartSupplierRegistration();
    void SaveNewSupplier();
    void DropNewSupplier();

    DBEdit* DBEditNomeCliente; // NOMEFANTASIA
    DBEdit* DBEdit4;           // NOME
    DBEdit* DBEdit5;           // CNPJ
    QPushButton* BotOKResCliente;
    QPushButton* BotCancResCliente;

private:
    void buildPanel();
    void connectControls();
    void normalizeOnLeaving(DBEdit* field);
    void setLookupButtonsEnabled(bool enabled);
    void hidePanel();
    bool isComplete() const;

    TFormCompras& form_;
    TDM& dm_;
    SupplierLookup& lookup_;
};
