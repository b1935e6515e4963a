#include "entry/ui/HeaderEntry.h"

#include "data/CachedDataset.h"
#include "entry/HeaderCascade.h"
#include "entry/ui/SupplierLookup.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "shell/Dialogs.h"
#include "widgets/DBEdit.h"
#include "widgets/DBNavigator.h"
#include "widgets/DatasetActions.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FieldText.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QKeyEvent>

#include <exception>

namespace {

constexpr int kSavedTextLength = 40;
constexpr int kNumberLength = 10;

const QRect kHeaderGeometry(0, 0, 622, 78);

using panelparts::fieldEdit;
using panelparts::tryFocus;

// An item listed under the new invoice's own number, supplier code and issue date: the list may
// still hold the items of the invoice that was current before.
bool isNewInvoiceItem(const CachedDataset& items, int row, const CachedDataset& nf)
{
    if (nf.asText(QStringLiteral("NOTAFISCAL")).isEmpty() || nf.asText(QStringLiteral("CODIGOFORNECEDOR")).isEmpty())
        return false;
    for (const char* column : {"NOTAFISCAL", "CODIGOFORNECEDOR", "DATA"}) {
        const QString name = QLatin1String(column);
        if (items.textAt(row, items.fieldIndex(name)) != nf.asText(name))
            return false;
    }
    return true;
}

} // namespace

const QString HeaderEntry::kDropStoredItemsQuestion =
    QStringLiteral("Os itens já gravados desta nova Nota Fiscal serão excluídos.\rCancelar a Nota Fiscal assim mesmo?");

QString HeaderEntry::DeleteQuestion(const CachedDataset& invoice)
{
    const QString date = QStringLiteral("DATA");
    return QStringLiteral("Excluir a Nota Fiscal ") + invoice.asText(QStringLiteral("NOTAFISCAL")) +
           QStringLiteral(" do fornecedor ") + invoice.asText(QStringLiteral("FORNECEDOR")) +
           QStringLiteral(", emitida em ") +
           (invoice.isNull(date) ? QString() : invoice.asDate(date).toString(QStringLiteral("dd/MM/yyyy"))) +
           QStringLiteral("?");
}

const QString HeaderEntry::kEditModeMessage =
    QStringLiteral("Para alterar os dados deste registro, primeiro\rdê um clique no sétimo botão do Navegador para\r"
                   "colocar o arquivo em modo de edição.");

HeaderEntry::HeaderEntry(const EntryData& dm, WindowState& window, QWidget* parent) : QWidget(parent), window_(window)
{
    setObjectName(QStringLiteral("headerEntry"));
    setGeometry(kHeaderGeometry);
    buildFields();
    lookup_ = new SupplierLookup(window, *DBEditForn, parent);
    connect(lookup_, &SupplierLookup::itemGridWanted, this, &HeaderEntry::itemGridWanted);
    connect(lookup_, &SupplierLookup::exitEnabled, this, &HeaderEntry::exitEnabled);
    connect(lookup_, &SupplierLookup::numberTaken, this, [this] { correctNumber(); });
    attachDataModule(dm);
}

void HeaderEntry::buildFields()
{
    DBNavigator5 = new DBNavigator(this);
    DBNavigator5->setObjectName(QStringLiteral("DBNavigator5"));
    DBNavigator5->setGeometry(6, 4, 234, 25);

    panelparts::label(this, QStringLiteral("Data Emissão"), 6, 34);
    DBEditData = fieldEdit(this, QStringLiteral("DBEditData"), QStringLiteral("DATA"), QRect(6, 50, 84, 22),
                           FieldFormat::date());
    panelparts::label(this, QStringLiteral("Data Recebimento"), 98, 34);
    DBEdit6 = fieldEdit(this, QStringLiteral("DBEdit6"), QStringLiteral("DATARECEBIM"), QRect(98, 50, 100, 22),
                        FieldFormat::date());
    panelparts::label(this, QStringLiteral("Nota Fiscal"), 206, 34);
    DBEditNotaFiscal =
        fieldEdit(this, QStringLiteral("DBEditNotaFiscal"), QStringLiteral("NOTAFISCAL"), QRect(206, 50, 96, 22));
    panelparts::label(this, QStringLiteral("Fornecedor"), 310, 34);
    DBEditForn = fieldEdit(this, QStringLiteral("DBEditForn"), QStringLiteral("FORNECEDOR"), QRect(310, 50, 300, 22));
    setTabOrder(DBEditData, DBEdit6);
    setTabOrder(DBEdit6, DBEditNotaFiscal);
    setTabOrder(DBEditNotaFiscal, DBEditForn);
}

void HeaderEntry::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    session_ = &dm.session();
    DBNavigator5->setDataSource(&dm.DS_NFiscal);
    for (DBEdit* edit : {DBEditData, DBEdit6, DBEditNotaFiscal, DBEditForn})
        edit->setDataSource(&dm.DS_NFiscal);
    lookup_->attachDataModule(dm);
    connectFields();
}

void HeaderEntry::setFieldsLocked(bool locked)
{
    DBEditData->setEnabled(true);
    for (DBEdit* edit : {DBEdit6, DBEditNotaFiscal, DBEditForn})
        edit->setEnabled(!locked);
}

bool HeaderEntry::isDateFieldEnabledAndVisible() const
{
    return DBEditData->isEnabled() && DBEditData->isVisible();
}

void HeaderEntry::makeDateFieldWritable()
{
    DBEditData->setReadOnly(false);
}

void HeaderEntry::focusDateField()
{
    DBEditData->setFocus(Qt::OtherFocusReason);
}

void HeaderEntry::continueTabOrderWith(QWidget* next)
{
    setTabOrder(DBEditForn, next);
}

void HeaderEntry::cancelSupplierLookup()
{
    if (lookup_->isVisible())
        lookup_->CancelLookup();
}

void HeaderEntry::connectFields()
{
    const auto guarded = [](auto handler) { return [handler] { RunGuarded(handler); }; };

    DBEditData->installEventFilter(this);
    for (DBEdit* field : {DBEdit6, DBEditNotaFiscal, DBEditForn})
        EnterMovesToNextControl(field);

    connect(DBEditData, &DBEdit::entered, this, guarded([this] { DateFieldEntered(); }));
    connect(DBEditData, &DBEdit::exited, this, guarded([this] { LeaveDateField(); }));
    connect(DBEditNotaFiscal, &DBEdit::entered, this, guarded([this] { CaptureSavedFieldText(); }));
    connect(DBEditNotaFiscal, &DBEdit::exited, this, guarded([this] { LeaveNumberField(); }));
    connect(DBEditForn, &DBEdit::entered, this, guarded([this] { SupplierFieldEntered(); }));
    connect(DBEditForn, &DBEdit::edited, this, guarded([this] { SupplierTyped(); }));
    connect(DBEditForn, &DBEdit::exited, this, guarded([this] { LeaveSupplierField(); }));
    DBNavigator5->deleteQuestion = [this] { return DeleteQuestion(dm_->NFiscal); };
    DBNavigator5->beforeAction = [this](DBNavigator::Button b) {
        if (b == DBNavigator::Insert)
            leaveItemsForTheHeader();
        return b != DBNavigator::Cancel || ConfirmNewInvoiceCancel();
    };
    connect(DBNavigator5, &DBNavigator::clicked, this, [this](DBNavigator::Button b) {
        if (b == DBNavigator::Cancel)
            RunGuarded([this] { HeaderCancelled(); });
        // The new invoice starts in its date, wherever the clerk stood; the new row's empty date
        // replaced the text selected when the field was entered.
        if (b == DBNavigator::Insert && dm_->NFiscal.state() == CachedDataset::State::Insert) {
            tryFocus(DBEditData);
            DBEditData->selectAll();
        }
    });
}

// Enter in the date field walks on while the header is being edited; while browsing it tells how
// to start editing.
bool HeaderEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != DBEditData || event->type() != QEvent::KeyPress || !IsEnterKey(*static_cast<QKeyEvent*>(event)))
        return false;
    if (isHeaderBeingEdited()) {
        FocusNextControl(DBEditData);
        return true;
    }
    ShowMessage(kEditModeMessage);
    return false;
}

// The items are left (their typing ended, their checks run) before a new invoice starts, so that
// nothing they do afterwards takes the new invoice's focus or posts it.
void HeaderEntry::leaveItemsForTheHeader()
{
    if (!isAncestorOf(QApplication::focusWidget()))
        tryFocus(DBEditData);
}

bool HeaderEntry::isHeaderBeingEdited() const
{
    return DBEditNotaFiscal->isEnabled();
}

void HeaderEntry::CaptureSavedFieldText()
{
    const CachedDataset& nf = dm_->NFiscal;
    const bool onInvoice = nf.isOpen() && nf.currentRow() >= 0;
    const auto text = [&](const char* column) {
        return onInvoice ? nf.asText(QLatin1String(column)).left(kSavedTextLength) : QString();
    };
    session_->SavedFieldText = {text("DATA"), text("NOTAFISCAL"), text("FORNECEDOR"), text("CODIGOFORNECEDOR")};
    if (failedLookupOfCurrentInvoice()) {
        session_->SavedFieldText.supplier = failedSupplierLookup_->supplier;
        session_->SavedFieldText.supplierCode = failedSupplierLookup_->supplierCode;
    }
}

bool HeaderEntry::failedLookupOfCurrentInvoice() const
{
    const CachedDataset& nf = dm_->NFiscal;
    return failedSupplierLookup_ && nf.isOpen() && nf.currentRow() >= 0 &&
           nf.asInteger(QStringLiteral("CODIGO")) == failedSupplierLookup_->invoiceCode;
}

void HeaderEntry::DateFieldEntered()
{
    emit dateFieldEntered();
    CaptureSavedFieldText();
    DBEditData->selectAll();
}

void HeaderEntry::SupplierFieldEntered()
{
    CaptureSavedFieldText();
    lookup_->SupplierRestoreName = session_->SavedFieldText.supplier;
    supplierFieldActive_ = true;
}

// The name typed replaces the stored one only when the field is left: until then the row still
// holds the name to go back to.
void HeaderEntry::SupplierTyped()
{
    if (!supplierFieldActive_)
        return;
    window_.DisableMainButtons();
    lookup_->SupplierRestoreName = dm_->NFiscal.asText(QStringLiteral("FORNECEDOR"));
}

void HeaderEntry::LeaveDateField()
{
    if (!isHeaderBeingEdited())
        return;
    auto& saved = session_->SavedFieldText;
    const QString date = dm_->NFiscal.asText(QStringLiteral("DATA"));
    if (date != saved.date && !saved.date.isEmpty() && !session_->InsertingInvoice) {
        CascadeHeaderChange(*dm_, HeaderColumn::Date,
                            {saved.date, DBEditNotaFiscal->text(), DBEditForn->text(), saved.supplierCode}, date,
                            kHeaderKeyOrder, kHeaderKeyOrder);
        tryFocus(DBEditNotaFiscal);
    }
    session_->InsertingInvoice = false;
    saved.date = date.left(kSavedTextLength);
}

// Back to the number to correct it, its text selected.
void HeaderEntry::correctNumber()
{
    tryFocus(DBEditNotaFiscal);
    DBEditNotaFiscal->selectAll();
}

void HeaderEntry::LeaveNumberField()
{
    auto& saved = session_->SavedFieldText;
    const QString previousNumber = saved.number;
    const QString number = dm_->NFiscal.asText(QStringLiteral("NOTAFISCAL")).left(kNumberLength);
    const bool cascades = number != saved.number && !saved.number.isEmpty() && !session_->InsertingInvoice;
    if (cascades) {
        CascadeHeaderChange(*dm_, HeaderColumn::Number, {saved.date, saved.number, saved.supplier, saved.supplierCode},
                            number, kHeaderKeyOrder, kHeaderKeyOrder);
        tryFocus(DBEditForn);
    }
    session_->InsertingInvoice = false;
    saved.number = number;
    if (!cascades && number != previousNumber && TellTakenInvoiceNumber(dm_->dataModule))
        correctNumber();
}

// A look-up that failed is made again by leaving the field, even with its text unchanged.
void HeaderEntry::LeaveSupplierField()
{
    supplierFieldActive_ = false;
    const bool retry = failedLookupOfCurrentInvoice();
    if (!retry && dm_->NFiscal.asText(QStringLiteral("FORNECEDOR")) == session_->SavedFieldText.supplier)
        return;
    const auto& saved = session_->SavedFieldText;
    const FailedSupplierLookup before{dm_->NFiscal.asInteger(QStringLiteral("CODIGO")), saved.supplier,
                                      saved.supplierCode};
    try {
        lookup_->ResolveSupplier();
    } catch (...) {
        failedSupplierLookup_ = before;
        throw;
    }
    failedSupplierLookup_.reset();
}

// A new invoice is not stored until its header is posted, but its items are stored as they are
// typed: cancelling it would leave them under no invoice. The clerk is asked first; on Yes the
// item being typed is dropped and the stored ones deleted, on No the invoice stays as it is.
bool HeaderEntry::ConfirmNewInvoiceCancel()
{
    const CachedDataset& nf = dm_->NFiscal;
    CachedDataset& items = dm_->Compras;
    if (nf.state() != CachedDataset::State::Insert || !items.isOpen())
        return true;
    const int typedRow = items.state() == CachedDataset::State::Insert ? items.currentRow() : -1;
    bool anyStored = false;
    for (int row = 0; row < items.fetchedRowCount() && !anyStored; ++row)
        anyStored = row != typedRow && isNewInvoiceItem(items, row, nf);
    if (anyStored && !AskYesNo(kDropStoredItemsQuestion))
        return false;
    if (IsEditing(items))
        items.cancel();
    items.first();
    while (!items.isEmpty() && !items.eof()) {
        if (isNewInvoiceItem(items, items.currentRow(), nf))
            items.remove(); // each deletion is written by the item rule
        else
            items.next();
    }
    return true;
}

// A cancelled header goes back to browsing, on the invoice that is current again, with its items.
// An item already typed is kept, as every item is written at once; should it not be storable, the
// cancel is completed all the same and its error reported afterwards.
void HeaderEntry::HeaderCancelled()
{
    CachedDataset& nf = dm_->NFiscal;
    if (nf.state() != CachedDataset::State::Browse)
        return;
    session_->InsertingInvoice = false;
    std::exception_ptr itemError;
    try {
        StoreTypedItem(dm_->Compras);
    } catch (const std::exception&) {
        itemError = std::current_exception();
    }
    // With no invoice left the number and code read empty: the list opens empty, as on scrolling.
    dm_->Compras.close();
    dm_->Compras.setCommandText(
        InvoiceItemsQuery(nf.asText(QStringLiteral("NOTAFISCAL")), nf.asText(QStringLiteral("CODIGOFORNECEDOR"))));
    dm_->Compras.open();
    if (dm_->rules().mode() == InvoiceMode::EditingHeader)
        dm_->rules().setMode(InvoiceMode::Browsing);
    window_.EnableMainButtons();
    window_.LockInvoiceFields();
    tryFocus(DBEditData);
    if (itemError)
        std::rethrow_exception(itemError);
}
