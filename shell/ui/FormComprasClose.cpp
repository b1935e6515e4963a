// Closing the window: the reminder of an invoice not yet in accounts payable, the pending changes
// posted, the in-use stamp removed and the datasets closed.
#include "shell/ui/FormCompras.h"

#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "entry/ui/ItemGrid.h"
#include "payments/Payables.h"
#include "purchase/DataModule.h"
#include "shell/Dialogs.h"
#include "shell/ProductFolder.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/UnhandledError.h"

#include <QCloseEvent>
#include <QFile>
#include <QTimer>

namespace {

const QString kNotInPayables =
    QStringLiteral("ATENÇÃO: Esta Nota Fiscal ainda não foi incluída no \"Contas a Pagar\".\rDeseja fazer isso agora?");
const QString kSpecifyPaymentForm =
    QStringLiteral("Especifique a \"FORMA DE PAGAMENTO\" e acione o botão \"INCLUIR NO CONTAS A PAGAR\".");
const QString kCheckPaymentForm =
    QStringLiteral("Confira a \"FORMA DE PAGAMENTO\" e acione o botão \"INCLUIR NO CONTAS A PAGAR\".");

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
        if (!itemEntry_->grid->commitTypedCell())
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
    } catch (const std::exception&) {
        // The window closes all the same.
    }
    Timer2->stop();
    Timer3->stop();
    if (!refusedByGuard_)
        QFile::remove(productfolder::inUseStamp());
    for (CachedDataset* ds :
         {&dm.Compras, &dm.CompNomes, &dm.Componentes, &dm.Periodo, &dm.SinonPesq, &dm.Unidades, &dm.NFiscal})
        ds->close();
}
