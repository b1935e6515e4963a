#include "entry/ui/HeaderEntry.h"

#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "entry/HeaderCascade.h"
#include "entry/ui/SupplierLookup.h"
#include "shell/ui/FormCompras.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/DBNavigator.h"
#include "shell/Dialogs.h"
#include "widgets/EnterAsTab.h"
#include "widgets/UnhandledError.h"

#include <QFrame>
#include <QKeyEvent>

#include <exception>

namespace {

constexpr int kSavedTextLength = 40;
constexpr int kNumberLength = 10;

// Moving the focus after a cascade is a courtesy: a field that cannot take it is left alone.
void tryFocus(QWidget* w)
{
    if (w->isVisible() && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
}

} // namespace

const QString HeaderEntry::kEditModeMessage =
    QStringLiteral("Para alterar os dados deste registro, primeiro\rdê um clique no sétimo botão do Navegador para\r"
                   "colocar o arquivo em modo de edição.");

HeaderEntry::HeaderEntry(TFormCompras& form, TDM& dm)
    : QObject(&form), form_(form), dm_(dm), session_(dm.session()), lookup_(std::make_unique<SupplierLookup>(form, dm))
{
    connectFields();
}

HeaderEntry::~HeaderEntry() = default;

void HeaderEntry::connectFields()
{
    const auto guarded = [](auto handler) { return [handler] { RunGuarded(handler); }; };

    form_.DBEditData->installEventFilter(this);
    for (DBEdit* field : {form_.DBEdit6, form_.DBEditNotaFiscal, form_.DBEditForn})
        EnterMovesToNextControl(field);

    connect(form_.DBEditData, &DBEdit::entered, this, guarded([this] { DateFieldEntered(); }));
    connect(form_.DBEditData, &DBEdit::exited, this, guarded([this] { LeaveDateField(); }));
    connect(form_.DBEditNotaFiscal, &DBEdit::entered, this, guarded([this] { CaptureSavedFieldText(); }));
    connect(form_.DBEditNotaFiscal, &DBEdit::exited, this, guarded([this] { LeaveNumberField(); }));
    connect(form_.DBEditForn, &DBEdit::entered, this, guarded([this] { SupplierFieldEntered(); }));
    connect(form_.DBEditForn, &DBEdit::edited, this, guarded([this] { SupplierTyped(); }));
    connect(form_.DBEditForn, &DBEdit::exited, this, guarded([this] { LeaveSupplierField(); }));
    connect(form_.DBNavigator5, &DBNavigator::clicked, this, [this](DBNavigator::Button b) {
        if (b == DBNavigator::Cancel)
            RunGuarded([this] { HeaderCancelled(); });
        // The new row's empty date replaced the text selected when the field was entered.
        if (b == DBNavigator::Insert && form_.DBEditData->hasFocus())
            form_.DBEditData->selectAll();
    });
}

// Enter in the date field walks on while the header is being edited; while browsing it tells how
// to start editing.
bool HeaderEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != form_.DBEditData || event->type() != QEvent::KeyPress ||
        !IsEnterKey(*static_cast<QKeyEvent*>(event)))
        return false;
    if (isHeaderBeingEdited()) {
        FocusNextControl(form_.DBEditData);
        return true;
    }
    ShowMessage(kEditModeMessage);
    return false;
}

bool HeaderEntry::isHeaderBeingEdited() const
{
    return form_.DBEditNotaFiscal->isEnabled();
}

void HeaderEntry::CaptureSavedFieldText()
{
    const CachedDataset& nf = dm_.NFiscal;
    const bool onInvoice = nf.isOpen() && nf.currentRow() >= 0;
    const auto text = [&](const char* column) {
        return onInvoice ? nf.asText(QLatin1String(column)).left(kSavedTextLength) : QString();
    };
    session_.SavedFieldText = {text("DATA"), text("NOTAFISCAL"), text("FORNECEDOR"), text("CODIGOFORNECEDOR")};
}

void HeaderEntry::DateFieldEntered()
{
    form_.PainelAlertaCusto->hide();
    CaptureSavedFieldText();
    form_.DBEditData->selectAll();
}

void HeaderEntry::SupplierFieldEntered()
{
    CaptureSavedFieldText();
    lookup_->SupplierRestoreName = session_.SavedFieldText.supplier;
    supplierFieldActive_ = true;
}

// The name typed replaces the stored one only when the field is left: until then the row still
// holds the name to go back to.
void HeaderEntry::SupplierTyped()
{
    if (!supplierFieldActive_)
        return;
    form_.DisableMainButtons();
    lookup_->SupplierRestoreName = dm_.NFiscal.asText(QStringLiteral("FORNECEDOR"));
}

void HeaderEntry::LeaveDateField()
{
    if (!isHeaderBeingEdited())
        return;
    auto& saved = session_.SavedFieldText;
    const QString date = dm_.NFiscal.asText(QStringLiteral("DATA"));
    if (date != saved.date && !saved.date.isEmpty() && !session_.InsertingInvoice) {
        CascadeHeaderChange(dm_, HeaderColumn::Date,
                            {saved.date, form_.DBEditNotaFiscal->text(), form_.DBEditForn->text(), saved.supplierCode},
                            date, kHeaderKeyOrder, kHeaderKeyOrder);
        tryFocus(form_.DBEditNotaFiscal);
    }
    session_.InsertingInvoice = false;
    saved.date = date.left(kSavedTextLength);
}

void HeaderEntry::LeaveNumberField()
{
    auto& saved = session_.SavedFieldText;
    const QString number = dm_.NFiscal.asText(QStringLiteral("NOTAFISCAL")).left(kNumberLength);
    if (number != saved.number && !saved.number.isEmpty() && !session_.InsertingInvoice) {
        CascadeHeaderChange(dm_, HeaderColumn::Number, {saved.date, saved.number, saved.supplier, saved.supplierCode},
                            number, kHeaderKeyOrder, kHeaderKeyOrder);
        tryFocus(form_.DBEditForn);
    }
    session_.InsertingInvoice = false;
    saved.number = number;
}

void HeaderEntry::LeaveSupplierField()
{
    supplierFieldActive_ = false;
    if (dm_.NFiscal.asText(QStringLiteral("FORNECEDOR")) != session_.SavedFieldText.supplier)
        lookup_->ResolveSupplier();
}

// A cancelled header goes back to browsing, on the invoice that is current again, with its items.
// An item already typed is kept, as every item is written at once; should it not be storable, the
// cancel is completed all the same and its error reported afterwards.
void HeaderEntry::HeaderCancelled()
{
    CachedDataset& nf = dm_.NFiscal;
    if (nf.state() != CachedDataset::State::Browse)
        return;
    session_.InsertingInvoice = false;
    std::exception_ptr itemError;
    try {
        StoreTypedItem(dm_.Compras);
    } catch (const std::exception&) {
        itemError = std::current_exception();
    }
    // With no invoice left the number and code read empty: the list opens empty, as on scrolling.
    dm_.Compras.close();
    dm_.Compras.setCommandText(
        InvoiceItemsQuery(nf.asText(QStringLiteral("NOTAFISCAL")), nf.asText(QStringLiteral("CODIGOFORNECEDOR"))));
    dm_.Compras.open();
    form_.EnableMainButtons();
    form_.LockInvoiceFields();
    tryFocus(form_.DBEditData);
    if (itemError)
        std::rethrow_exception(itemError);
}
