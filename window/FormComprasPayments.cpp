// The payment form of the invoice and its way to accounts payable: the payment-form combo, the
// instalment panel and "Incluir no Contas a Pagar".
#include "window/FormCompras.h"

#include "payments/IncludeInPayables.h"
#include "payments/ui/InstalmentPanel.h"
#include "purchase/DataModule.h"
#include "shell/Dialogs.h"
#include "widgets/CoveringPanels.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FocusColours.h"
#include "widgets/UnhandledError.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kNotClosed = QStringLiteral("A Nota Fiscal não foi fechada ainda.");
const QString kNoPaymentForm = QStringLiteral("Primeiro, especifique a forma de pagamento.");

template <typename Handler> auto guarded(Handler handler)
{
    return [handler] { RunGuarded(handler); };
}

} // namespace

void TFormCompras::buildPayments()
{
    coveringpanels::add(PainelFormaPag);

    const auto showInstalments = [this] { PainelFormaPag->ShowCustomInstalments(DBComboBox1->currentText()); };
    connect(DBComboBox1, &DBComboBox::entered, this, guarded(showInstalments));
    connect(DBComboBox1, &DBComboBox::edited, this, guarded(showInstalments));
    // Enter in the payment-form combo is swallowed and sends the focus to the invoice date.
    const auto toInvoiceDate = [this] { headerField("DBEditData")->setFocus(Qt::OtherFocusReason); };
    OnEnterKey(DBComboBox1, DBComboBox1, toInvoiceDate);
    OnEnterKey(DBComboBox1, DBComboBox1->lineEdit(), toInvoiceDate);
    connect(DBComboBox1, &DBComboBox::exited, this, guarded([this] {
                ShowWindowColour(DBComboBox1);
                // The instalment panel took the focus: the invoice stays as the panel left it.
                if (PainelFormaPag->isVisible())
                    return;
                LockInvoiceFields();
                EnableMainButtons();
                if (headerField("DBEditData")->isEnabled() && headerField("DBEditData")->isVisible())
                    headerField("DBEditData")->setFocus(Qt::OtherFocusReason);
            }));

    connect(BitBtn8, &QPushButton::clicked, this, guarded([this] { BitBtn8Click(); }));
    connect(PainelFormaPag, &InstalmentPanel::instalmentsConfirmed, this, [this] {
        BitBtn8->setEnabled(true);
        BitBtn8->setFocus(Qt::OtherFocusReason);
    });
    connect(PainelFormaPag, &InstalmentPanel::closedWithoutChange, this,
            [this] { headerField("DBEditData")->setFocus(Qt::OtherFocusReason); });
    connect(PainelFormaPag, &InstalmentPanel::customFormDropped, this, guarded([this] {
                // The first regular payment form; none when the list holds only the custom entry.
                CachedDataset& invoice = dm_->NFiscal;
                invoice.edit();
                const QString form = DBComboBox1->count() > 1 ? DBComboBox1->itemText(1) : QString();
                DBComboBox1->setCurrentText(form);
                invoice.setText(QStringLiteral("FORMAPAGTO"), form);
                invoice.post();
                invoice.edit();
                DBComboBox1->setFocus(Qt::OtherFocusReason);
            }));
}

void TFormCompras::BitBtn8Click()
{
    try {
        CachedDataset& invoice = dm_->NFiscal;
        if (invoice.state() == CachedDataset::State::Edit || invoice.state() == CachedDataset::State::Insert)
            invoice.post();
    } catch (const std::exception&) {
        // The inclusion reads the invoice as it stands.
    }
    if (DBEdit1->text().isEmpty()) {
        ShowMessage(kNotClosed);
        return;
    }
    if (DBComboBox1->currentText().isEmpty()) {
        ShowMessage(kNoPaymentForm);
        DBComboBox1->setEnabled(true);
        DBComboBox1->setFocus(Qt::OtherFocusReason);
        return;
    }
    IncludeInPayables(*dm_);
}
