#pragma once

#include "entry/EntryData.h"

#include <QFrame>
#include <QHash>

#include <optional>

class DBEdit;
class QPushButton;

// The quick registration of a new supplier from the supplier lookup (`PainelResumoCliente`):
// trade name, legal name and CNPJ. The names are put into the house style when they are left, and
// a text longer than the register keeps is cut there with a word to the clerk;
// "Salvar" stores a complete supplier under the next free code and takes it into the header,
// "Cancela" drops it. An incomplete supplier is not stored and not taken: the clerk is back in
// the lookup, to pick a supplier or register one again. A supplier the database refuses is not
// taken either: the header keeps the supplier it had.
class SupplierRegistration : public QFrame {
    Q_OBJECT

public:
    static const QString kIncompleteMessage;
    // "<field> tem N caracteres ...": a text typed longer than its column, and what was kept of it.
    static QString textCutMessage(const QString& field, int typedLength, int width, const QString& kept);
    // What the clerk reads when the database refuses the new supplier, its reason after it.

    // The registration stands inside the lookup `parent`, over its list.
    explicit SupplierRegistration(QWidget* parent);

    void attachDataModule(const EntryData& dm);

    // A new supplier, its trade name the one typed into the header.
    void StartSupplierRegistration(const QString& typedName);
    void SaveNewSupplier();
    void DropNewSupplier();

signals:
    // The registration opened (true) or closed (false): the lookup's own buttons wait meanwhile.
    void registrationOpen(bool open);
    // The panel is about to close: the focus goes back to the lookup's list.
    void listWanted();
    // A complete supplier was stored: the lookup takes it into the header.
    void supplierSaved();
    // The database refused the new supplier (the clerk was told why): nothing was stored, and the
    // header goes back to the supplier it had.
    void refused();
    // The new supplier was dropped: the window's exit button stays off while the lookup is open.
    void dropped();

private:
    void buildPanel();
    void connectControls();
    void fitOnLeaving(DBEdit* field, const QString& caption, bool normalize);
    void hidePanel();
    bool isComplete() const;

    std::optional<EntryData> dm_;
    DBEdit* DBEditNomeCliente; // NOMEFANTASIA
    DBEdit* DBEdit4;           // NOME
    DBEdit* DBEdit5;           // CNPJ
    QPushButton* BotOKResCliente;
    QPushButton* BotCancResCliente;
    QHash<const DBEdit*, QString> typed_; // the whole text typed, before the field cut it
};
