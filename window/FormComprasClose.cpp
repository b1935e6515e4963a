// Closing the window: the reminder of an invoice not yet in accounts payable, the pending changes
// posted, the in-use stamp removed and the datasets closed; and the same close when the system
// asks the program to end, with nobody there to answer.
#include "window/FormCompras.h"

#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "entry/ui/ItemGrid.h"
#include "payments/Payables.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/ErrorLog.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <functional>

namespace {

const QString kNotInPayables =
    QStringLiteral("ATENÇÃO: Esta Nota Fiscal ainda não foi incluída no \"Contas a Pagar\".\rDeseja fazer isso agora?");
const QString kSpecifyPaymentForm =
    QStringLiteral("Especifique a \"FORMA DE PAGAMENTO\" e acione o botão \"INCLUIR NO CONTAS A PAGAR\".");
const QString kCheckPaymentForm =
    QStringLiteral("Confira a \"FORMA DE PAGAMENTO\" e acione o botão \"INCLUIR NO CONTAS A PAGAR\".");

const QString kUnseenMessage = QStringLiteral("Programa encerrado pelo sistema; mensagem não vista: ");
const QString kUnansweredQuestion =
    QStringLiteral("Programa encerrado pelo sistema; pergunta sem resposta (tomada como Não): ");
const QString kNotSaved = QStringLiteral("Programa encerrado pelo sistema; alterações não gravadas: ");
// How often the ending looks whether the dialogs it dismissed have returned.
constexpr int kUnwindCheckMs = 10;

// Nobody is there to read or answer: messages go to the log and every question is answered No.
class UnattendedDialogs : public Dialogs {
public:
    explicit UnattendedDialogs(std::function<void(const QString&)> log) : log_(std::move(log)) {}
    void showMessage(const QString& text) override { log_(kUnseenMessage + text); }
    bool askYesNo(const QString& text) override
    {
        log_(kUnansweredQuestion + text);
        return false;
    }
    QString askOpenFileName(const QString&, const QString&) override { return {}; }

private:
    std::function<void(const QString&)> log_;
};

// Pop-up menus and modal dialogs are dismissed as Esc dismisses them (a question answered No).
void dismissOpenDialogs()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
}

bool isChanging(const CachedDataset& ds)
{
    return ds.state() == CachedDataset::State::Edit || ds.state() == CachedDataset::State::Insert;
}

void postIfChanging(CachedDataset& ds)
{
    if (isChanging(ds))
        ds.post();
}

bool invoiceInPayables(TDM& dm, const QString& grossValueText)
{
    if (grossValueText.isEmpty() || !dm.NFiscal.isOpen())
        return true;
    return IsInvoiceInPayables(dm.SQLConnection1, grossValueText, dm.NFiscal.asText(QStringLiteral("NOTAFISCAL")),
                               dm.NFiscal.asText(QStringLiteral("FORNECEDOR")));
}

} // namespace

// An error while deciding keeps the window open, as any event that fails.
void TFormCompras::closeEvent(QCloseEvent* event)
{
    bool closes = false;
    RunGuarded([this, &closes] { closes = FormClose(); });
    if (closes)
        event->accept();
    else
        event->ignore();
}

// What the clerk left open is settled first, as the keys would settle it: an open supplier
// lookup is cancelled (Esc) and the text typed in an item cell is written. A text the cell refuses
// keeps the window open, with the text in its cell to correct.
bool TFormCompras::FormClose()
{
    if (!dm_)
        return true;
    if (!refusedByGuard_ && PainelCompras->isVisible()) {
        headerEntry_->cancelSupplierLookup();
        if (!itemEntry_->grid->commitTypedCell() && !terminating_)
            return false;
    }
    const bool remind = !refusedByGuard_ && !closingWithoutReminder_;
    if (remind && !invoiceInPayables(*dm_, DBEdit1->text()) && AskYesNo(kNotInPayables)) {
        ShowMessage(DBComboBox1->currentText().isEmpty() ? kSpecifyPaymentForm : kCheckPaymentForm);
        postIfChanging(dm_->NFiscal);
        DBComboBox1->setEnabled(true);
        if (DBComboBox1->isVisible())
            DBComboBox1->setFocus(Qt::OtherFocusReason);
        return false;
    }
    endClose();
    return true;
}

void TFormCompras::endClose()
{
    TDM& dm = *dm_;
    try {
        postIfChanging(dm.NFiscal);
        postIfChanging(dm.Compras);
    } catch (const std::exception& e) {
        // The window closes all the same; ending unattended, the log keeps what was lost.
        if (terminating_)
            logUnattended(kNotSaved + ErrorText(e));
    }
    Timer2->stop();
    Timer3->stop();
    if (!refusedByGuard_)
        QFile::remove(productfolder::inUseStamp());
    for (CachedDataset* ds :
         {&dm.Compras, &dm.CompNomes, &dm.Componentes, &dm.Periodo, &dm.SinonPesq, &dm.Unidades, &dm.NFiscal})
        ds->close();
}

void TFormCompras::endOnTerminationSignal()
{
    if (terminating_)
        return;
    terminating_ = true;
    Dialogs::install(std::make_unique<UnattendedDialogs>([this](const QString& text) { logUnattended(text); }));
    finishTermination();
}

// A dismissed dialog returns to the handler that opened it once its event loop unwinds; the window
// closes from the outermost loop, so that no handler goes on over closed datasets.
void TFormCompras::finishTermination()
{
    dismissOpenDialogs();
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(kUnwindCheckMs, this, &TFormCompras::finishTermination);
        return;
    }
    closingWithoutReminder_ = true;
    close();
    QCoreApplication::exit(0);
}

void TFormCompras::logUnattended(const QString& text) const
{
    try {
        AppendErrorLog(productfolder::errorLog(), session_.CurrentUserName, session_.WorkstationCode, text);
    } catch (const std::exception&) {
        // Nowhere left to tell it.
    }
}
