#include "entry/ui/SupplierLookup.h"

#include "data/CachedDataset.h"
#include "entry/HeaderCascade.h"
#include "entry/ui/KeyLine.h"
#include "entry/ui/SupplierRegistration.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "shell/Dialogs.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const QRect kLookupGeometry(40, 55, 543, 285);
const QString kCleanUpOrderAfterLookup = QStringLiteral(" order by A.NOTAFISCAL");

// One line of the panel's foot: texts with the key buttons between them.
void keyLine(QWidget* panel, int top, std::initializer_list<QWidget*> parts)
{
    KeyLine(panel, QRect(12, top, panel->width() - 24, 26), parts, QSize(64, 24));
}

QLabel* text(const QString& t)
{
    return new QLabel(t);
}

using panelparts::tryFocus;

} // namespace

SupplierLookup::SupplierLookup(WindowState& window, DBEdit& supplierField, QWidget* parent)
    : QFrame(parent), window_(window), supplierField_(supplierField)
{
    buildPanel();
    registration_ = new SupplierRegistration(this);
}

void SupplierLookup::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    session_ = &dm.session();
    GradeClientes->setDataSource(&dm.DS_Fornecedor);
    registration_->attachDataModule(dm);
    connectControls();
}

void SupplierLookup::buildPanel()
{
    QFrame* panel = this;
    panelparts::framePanel(panel, QStringLiteral("PainelCliProcura"), kLookupGeometry);
    panelparts::titleBar(panel, QStringLiteral("PainelCliProcuraTitulo"), QStringLiteral("Relação de Fornecedores"));

    GradeClientes = new DBGrid(panel);
    GradeClientes->setObjectName(QStringLiteral("GradeClientes"));
    GradeClientes->setColumns({{QStringLiteral("NOMEFANTASIA"), QStringLiteral("Fornecedor"), 243, {}, {}, true},
                               {QStringLiteral("NOME"), QStringLiteral("Razão Social"), 245, {}, {}, true}});
    GradeClientes->setGridReadOnly(true);
    GradeClientes->setGeometry(8, 28, panel->width() - 16, 186);

    BotCliEnter = panelparts::button(panel, QStringLiteral("BotCliEnter"), QStringLiteral("Enter"));
    BotCliCancProc = panelparts::button(panel, QStringLiteral("BotCliCancProc"), QStringLiteral("Esc"));
    BotCliInsert = panelparts::button(panel, QStringLiteral("BotCliInsert"), QStringLiteral("Insert"));
    keyLine(panel, 222,
            {text(QStringLiteral("Tecle")), BotCliEnter, text(QStringLiteral("para confirmar ou")), BotCliCancProc,
             text(QStringLiteral("para cancelar"))});
    keyLine(panel, 252,
            {text(QStringLiteral("Tecle")), BotCliInsert, text(QStringLiteral("para Incluir o novo fornecedor."))});
    keyroles::setCancelButton(panel, BotCliCancProc);
}

void SupplierLookup::connectControls()
{
    GradeClientes->keyHook = [this](QKeyEvent& e) {
        if (IsEnterKey(e)) {
            SelectSupplier();
            return true;
        }
        if (e.key() == Qt::Key_Insert && e.modifiers() == Qt::NoModifier) {
            registration_->StartSupplierRegistration(supplierField_.text());
            return true;
        }
        return false;
    };
    connect(BotCliEnter, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            SelectSupplier();
            emit exitEnabled(true);
            dm_->Fornecedor.close();
        });
    });
    connect(BotCliCancProc, &QPushButton::clicked, this, [this] { RunGuarded([this] { CancelLookup(); }); });
    connect(BotCliInsert, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { registration_->StartSupplierRegistration(supplierField_.text()); }); });
    connect(registration_, &SupplierRegistration::registrationOpen, this,
            [this](bool open) { setButtonsEnabled(!open); });
    connect(registration_, &SupplierRegistration::listWanted, this,
            [this] { GradeClientes->setFocus(Qt::OtherFocusReason); });
    connect(registration_, &SupplierRegistration::supplierSaved, this, &SupplierLookup::SelectSupplier);
    // The data module told the clerk why; the header keeps the supplier it had.
    connect(registration_, &SupplierRegistration::refused, this, [this] { CancelLookup(); });
    connect(registration_, &SupplierRegistration::dropped, this, [this] { emit exitEnabled(false); });
    connect(qApp, &QApplication::focusChanged, this, &SupplierLookup::focusMoved);
}

void SupplierLookup::setButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {BotCliEnter, BotCliCancProc, BotCliInsert})
        b->setEnabled(enabled);
}

// The list read afresh in name order: the NF-e import may have left it in another order.
void SupplierLookup::openSupplierList()
{
    CachedDataset& suppliers = dm_->Fornecedor;
    suppliers.close();
    suppliers.setCommandText(EntryData::standingQuery(QStringLiteral("Fornecedor")));
    suppliers.open();
}

void SupplierLookup::ResolveSupplier()
{
    const QString typed = supplierField_.text();
    if (typed.isEmpty())
        return;
    CachedDataset& suppliers = dm_->Fornecedor;
    openSupplierList();
    suppliers.findNearest({typed});
    const QString name = QStringLiteral("NOMEFANTASIA");
    if (suppliers.isEmpty() || suppliers.asText(name) != typed) {
        ShowSupplierLookup();
        return;
    }
    // Exact: taken only when the next supplier has another name. Past the last row there is no
    // next one, so the last supplier in name order always goes through the lookup.
    const int match = suppliers.currentRow();
    suppliers.next();
    const bool unique = suppliers.asText(name) != typed;
    suppliers.moveTo(match);
    if (!unique) {
        ShowSupplierLookup();
        return;
    }
    takeSupplier(suppliers.asText(name), suppliers.asText(QStringLiteral("CODIGO")));
    EnterItemGrid();
    suppliers.close();

    auto& saved = session_->SavedFieldText;
    const QString newName = dm_->NFiscal.asText(QStringLiteral("FORNECEDOR"));
    const QString newCode = dm_->NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR"));
    const bool cascades = newName != saved.supplier && !saved.supplier.isEmpty() && !session_->InsertingInvoice;
    if (cascades) {
        CascadeHeaderChange(*dm_, HeaderColumn::Supplier,
                            {saved.date, saved.number, saved.supplier, saved.supplierCode}, newName, kHeaderKeyOrder,
                            kHeaderKeyOrder, newCode);
        emit itemGridWanted(false);
    }
    if (!cascades && TellTakenInvoiceNumber(dm_->dataModule))
        emit numberTaken();
    session_->InsertingInvoice = false;
    saved.supplier = newName;
    saved.supplierCode = newCode;
}

void SupplierLookup::ShowSupplierLookup()
{
    show();
    raise();
    window_.DisableMainButtons();
    tryFocus(GradeClientes);
}

// The header takes the supplier's stored spelling and code.
void SupplierLookup::takeSupplier(const QString& name, const QString& code)
{
    CachedDataset& nf = dm_->NFiscal;
    nf.edit();
    nf.setText(QStringLiteral("FORNECEDOR"), name);
    nf.setText(QStringLiteral("CODIGOFORNECEDOR"), code);
}

// On to the first column of the item grid; an invoice without items gets its first item row.
void SupplierLookup::EnterItemGrid()
{
    emit itemGridWanted(true);
    try {
        if (dm_->Compras.isOpen() && dm_->Compras.isEmpty())
            dm_->Compras.append();
    } catch (const std::exception&) {
        // The clerk adds the row with Insert.
    }
}

void SupplierLookup::SelectSupplier()
{
    CachedDataset& suppliers = dm_->Fornecedor;
    if (!suppliers.isOpen() || suppliers.isEmpty())
        return; // nothing highlighted
    takeSupplier(suppliers.asText(QStringLiteral("NOMEFANTASIA")), suppliers.asText(QStringLiteral("CODIGO")));
    closeLookup(true);
    EnterItemGrid();
}

void SupplierLookup::CancelLookup()
{
    CachedDataset& nf = dm_->NFiscal;
    nf.edit();
    nf.setText(QStringLiteral("FORNECEDOR"), SupplierRestoreName);
    closeLookup(false);
    emit exitEnabled(true);
    dm_->Fornecedor.close();
}

// The focus goes where the clerk continues before the panel is hidden, so that it does not pass
// through other fields on its way.
void SupplierLookup::closeLookup(bool toItemGrid)
{
    if (toItemGrid)
        emit itemGridWanted(true);
    else
        tryFocus(&supplierField_);
    hide();
    if (inLookup_)
        LookupLeft();
}

void SupplierLookup::focusMoved(QWidget* from, QWidget* to)
{
    QWidget* panel = this;
    const auto inPanel = [panel](const QWidget* w) { return w && panel->isAncestorOf(w); };
    if (to && inPanel(to) && !inLookup_)
        RunGuarded([this] { LookupEntered(); });
    else if (inLookup_ && inPanel(from) && to && !inPanel(to) && to->window() == panel->window())
        RunGuarded([this] { LookupLeft(); });
}

void SupplierLookup::LookupEntered()
{
    inLookup_ = true;
    lookupOldName_ = session_->SavedFieldText.supplier;
    lookupOldCode_ = session_->SavedFieldText.supplierCode;
    windowCancelButton_ = keyroles::cancelButton(window());
    keyroles::setCancelButton(window(), nullptr);
    window_.DisableMainButtons();
    tryFocus(GradeClientes);
    GradeClientes->setSelectedIndex(0);
}

void SupplierLookup::LookupLeft()
{
    inLookup_ = false;
    keyroles::setCancelButton(window(), windowCancelButton_);
    const QString newName = dm_->NFiscal.asText(QStringLiteral("FORNECEDOR"));
    const QString newCode = dm_->NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR"));
    const bool cascades = newName != lookupOldName_ && !lookupOldName_.isEmpty() && !session_->InsertingInvoice;
    if (cascades) {
        const auto& saved = session_->SavedFieldText;
        CascadeHeaderChange(*dm_, HeaderColumn::Supplier, {saved.date, saved.number, lookupOldName_, lookupOldCode_},
                            newName, kCleanUpOrderAfterLookup, kHeaderKeyOrder, newCode);
        emit itemGridWanted(true);
    }
    if (!cascades && newName != lookupOldName_ && TellTakenInvoiceNumber(dm_->dataModule))
        emit numberTaken();
    session_->InsertingInvoice = false;
    session_->SavedFieldText.supplier = newName;
    session_->SavedFieldText.supplierCode = newCode;
}
