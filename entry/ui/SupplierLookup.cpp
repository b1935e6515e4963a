#include "entry/ui/SupplierLookup.h"

#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "entry/HeaderCascade.h"
#include "entry/ui/KeyLine.h"
#include "entry/ui/PanelParts.h"
#include "entry/ui/SupplierRegistration.h"
#include "shell/ui/FormCompras.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QFrame>
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

// Errors while moving the focus are of no consequence: the clerk clicks where he wants to be.
void tryFocus(QWidget* w)
{
    if (w->isVisible() && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
}

} // namespace

SupplierLookup::SupplierLookup(TFormCompras& form, TDM& dm)
    : QObject(&form), form_(form), dm_(dm), session_(dm.session())
{
    buildPanel();
    registration_ = std::make_unique<SupplierRegistration>(form, dm, *this);
    connectControls();
}

SupplierLookup::~SupplierLookup() = default;

void SupplierLookup::buildPanel()
{
    QFrame* panel = form_.PainelCliProcura;
    panel->setGeometry(kLookupGeometry);
    panelparts::titleBar(panel, QStringLiteral("Panel14"), QStringLiteral("Relação de Fornecedores"));

    GradeClientes = new DBGrid(panel);
    GradeClientes->setObjectName(QStringLiteral("GradeClientes"));
    GradeClientes->setColumns({{QStringLiteral("NOMEFANTASIA"), QStringLiteral("Fornecedor"), 243, {}, {}, true},
                               {QStringLiteral("NOME"), QStringLiteral("Razão Social"), 245, {}, {}, true}});
    GradeClientes->setGridReadOnly(true);
    GradeClientes->setGeometry(8, 28, panel->width() - 16, 186);
    GradeClientes->setDataSource(&dm_.DS_Fornecedor);

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
            registration_->StartSupplierRegistration();
            return true;
        }
        return false;
    };
    connect(BotCliEnter, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            SelectSupplier();
            form_.BotSairCompras->setEnabled(true);
            dm_.Fornecedor.close();
        });
    });
    connect(BotCliCancProc, &QPushButton::clicked, this, [this] { RunGuarded([this] { CancelLookup(); }); });
    connect(BotCliInsert, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { registration_->StartSupplierRegistration(); }); });
    connect(qApp, &QApplication::focusChanged, this, &SupplierLookup::focusMoved);
}

// The list read afresh in name order: the NF-e import may have left it in another order.
void SupplierLookup::openSupplierList()
{
    CachedDataset& suppliers = dm_.Fornecedor;
    suppliers.close();
    suppliers.setCommandText(TDM::standingQuery(QStringLiteral("Fornecedor")));
    suppliers.open();
}

void SupplierLookup::ResolveSupplier()
{
    const QString typed = form_.DBEditForn->text();
    if (typed.isEmpty())
        return;
    CachedDataset& suppliers = dm_.Fornecedor;
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

    auto& saved = session_.SavedFieldText;
    const QString newName = dm_.NFiscal.asText(QStringLiteral("FORNECEDOR"));
    const QString newCode = dm_.NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR"));
    if (newName != saved.supplier && !saved.supplier.isEmpty() && !session_.InsertingInvoice) {
        CascadeHeaderChange(dm_, HeaderColumn::Supplier, {saved.date, saved.number, saved.supplier, saved.supplierCode},
                            newName, kHeaderKeyOrder, kHeaderKeyOrder, newCode);
        tryFocus(form_.DBGrid1);
    }
    session_.InsertingInvoice = false;
    saved.supplier = newName;
    saved.supplierCode = newCode;
}

void SupplierLookup::ShowSupplierLookup()
{
    form_.PainelCliProcura->show();
    form_.PainelCliProcura->raise();
    form_.DisableMainButtons();
    tryFocus(GradeClientes);
}

// The header takes the supplier's stored spelling and code.
void SupplierLookup::takeSupplier(const QString& name, const QString& code)
{
    CachedDataset& nf = dm_.NFiscal;
    nf.edit();
    nf.setText(QStringLiteral("FORNECEDOR"), name);
    nf.setText(QStringLiteral("CODIGOFORNECEDOR"), code);
}

// On to the first column of the item grid; an invoice without items gets its first item row.
void SupplierLookup::EnterItemGrid()
{
    form_.DBGrid1->setSelectedIndex(0);
    tryFocus(form_.DBGrid1);
    try {
        if (dm_.Compras.isOpen() && dm_.Compras.isEmpty())
            dm_.Compras.append();
    } catch (const std::exception&) {
        // The clerk adds the row with Insert.
    }
}

void SupplierLookup::SelectSupplier()
{
    CachedDataset& suppliers = dm_.Fornecedor;
    if (!suppliers.isOpen() || suppliers.isEmpty())
        return; // nothing highlighted
    takeSupplier(suppliers.asText(QStringLiteral("NOMEFANTASIA")), suppliers.asText(QStringLiteral("CODIGO")));
    form_.DBGrid1->setSelectedIndex(0);
    closeLookup(form_.DBGrid1);
    EnterItemGrid();
}

void SupplierLookup::CancelLookup()
{
    CachedDataset& nf = dm_.NFiscal;
    nf.edit();
    nf.setText(QStringLiteral("FORNECEDOR"), SupplierRestoreName);
    closeLookup(form_.DBEditForn);
    form_.BotSairCompras->setEnabled(true);
    dm_.Fornecedor.close();
}

// The focus goes where the clerk continues before the panel is hidden, so that it does not pass
// through other fields on its way.
void SupplierLookup::closeLookup(QWidget* focusTo)
{
    tryFocus(focusTo);
    form_.PainelCliProcura->hide();
    if (inLookup_)
        LookupLeft();
}

void SupplierLookup::focusMoved(QWidget* from, QWidget* to)
{
    QWidget* panel = form_.PainelCliProcura;
    const auto inPanel = [panel](const QWidget* w) { return w && panel->isAncestorOf(w); };
    if (to && inPanel(to) && !inLookup_)
        RunGuarded([this] { LookupEntered(); });
    else if (inLookup_ && inPanel(from) && to && !inPanel(to) && to->window() == panel->window())
        RunGuarded([this] { LookupLeft(); });
}

void SupplierLookup::LookupEntered()
{
    inLookup_ = true;
    lookupOldName_ = session_.SavedFieldText.supplier;
    lookupOldCode_ = session_.SavedFieldText.supplierCode;
    windowCancelButton_ = keyroles::cancelButton(&form_);
    keyroles::setCancelButton(&form_, nullptr);
    form_.DisableMainButtons();
    tryFocus(GradeClientes);
    GradeClientes->setSelectedIndex(0);
}

void SupplierLookup::LookupLeft()
{
    inLookup_ = false;
    keyroles::setCancelButton(&form_, windowCancelButton_);
    const QString newName = dm_.NFiscal.asText(QStringLiteral("FORNECEDOR"));
    const QString newCode = dm_.NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR"));
    if (newName != lookupOldName_ && !lookupOldName_.isEmpty() && !session_.InsertingInvoice) {
        const auto& saved = session_.SavedFieldText;
        CascadeHeaderChange(dm_, HeaderColumn::Supplier, {saved.date, saved.number, lookupOldName_, lookupOldCode_},
                            newName, kCleanUpOrderAfterLookup, kHeaderKeyOrder, newCode);
        form_.DBGrid1->setSelectedIndex(0);
        tryFocus(form_.DBGrid1);
    }
    session_.InsertingInvoice = false;
    session_.SavedFieldText.supplier = newName;
    session_.SavedFieldText.supplierCode = newCode;
}
