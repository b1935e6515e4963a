// Totals, the tax panel and closing the invoice into stock: the totals fields of the work area,
// the receipt-date rule, the tax panel `PainelOutrasDespesas` and "Fechar Nota Fiscal".
#include "window/FormCompras.h"

#include "closing/InvoiceTotals.h"
#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "closing/ui/TaxPanel.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "shell/Dialogs.h"
#include "widgets/CoveringPanels.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kRequiredField = QStringLiteral("Campo de preenchimento obrigatório: Favor corrigir");

bool canTakeFocus(const QWidget* w)
{
    return w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

// The clerk waits with the busy cursor while the invoice is entered into stock.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void TFormCompras::buildClosing()
{
    auto* panel = new TaxPanel(*this, dm_->rules(), PainelCompras);
    panel->setDataSource(&dm_->DS_NFiscal);
    PainelOutrasDespesas = panel;
    coveringpanels::add(panel);

    // The control of the work area, or of the tax panel, that stands for a place of the totals.
    const auto controlOf = [this, panel](TotalsNext next) -> QWidget* {
        switch (next) {
        case TotalsNext::PaymentForm:
            return DBComboBox1;
        case TotalsNext::IssueDate:
            return headerField("DBEditData");
        case TotalsNext::DiscountOnInvoice:
            return DBEdit2;
        default:
            return panel->control(next);
        }
    };
    // Recomputes the totals, then moves the focus to the first place of the step's list whose
    // control can take it.
    const auto focusAfter = [controlOf](TotalsStep step) {
        for (const TotalsNext next : FocusAfterTotals(step)) {
            QWidget* target = controlOf(next);
            if (canTakeFocus(target)) {
                target->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    };
    const auto recalc = [this, focusAfter](TotalsStep step) {
        RecalcInvoiceTotals(*dm_);
        focusAfter(step);
    };

    connect(BitBtn4, &QPushButton::clicked, panel, [panel] { RunGuarded([panel] { panel->Open(); }); });
    // A field is left while the focus moves: an error is reported once the move is over.
    const auto recalcOnExit = [recalc](TotalsStep step) {
        try {
            recalc(step);
        } catch (const std::exception&) {
            ReportLater(std::current_exception());
        }
    };
    connect(panel, &TaxPanel::totalsFieldLeft, this, recalcOnExit);
    connect(panel, &TaxPanel::returnedToInvoice, this, [this] {
        BotFecharNF->setEnabled(true);
        BotFecharNF->setFocus(Qt::OtherFocusReason);
    });

    // Gross and net value are never typed: entering them hands the focus to the discount.
    for (DBEdit* total : {DBEdit1, DBEdit3})
        connect(total, &DBEdit::entered, this, [this] {
            if (canTakeFocus(DBEdit2))
                DBEdit2->setFocus(Qt::OtherFocusReason);
        });
    // Enter in the discount field of the work area moves on to the payment form.
    OnEnterKey(DBEdit2, DBEdit2, [this] {
        for (QWidget* next : std::initializer_list<QWidget*>{DBComboBox1, headerField("DBEditData")})
            if (canTakeFocus(next)) {
                next->setFocus(Qt::OtherFocusReason);
                return;
            }
    });
    // Locking the invoice fields takes the focus away too: that is no leaving by the clerk.
    connect(DBEdit2, &DBEdit::exited, this, [this, recalcOnExit] {
        if (DBEdit2->isEnabled())
            recalcOnExit(TotalsStep::DiscountOnInvoice);
    });

    // The receipt date is required while the header is being entered.
    connect(headerField("DBEdit6"), &DBEdit::exited, this, [this] {
        const CachedDataset& nf = dm_->NFiscal;
        const bool editing = nf.state() == CachedDataset::State::Edit || nf.state() == CachedDataset::State::Insert;
        if (!editing || !headerField("DBEdit6")->isEnabled() || !headerField("DBEdit6")->isVisible() ||
            !nf.isNull(QStringLiteral("DATARECEBIM")))
            return;
        headerField("DBEdit6")->setFocus(Qt::OtherFocusReason);
        headerField("DBEdit6")->selectAll(); // what is typed next replaces the empty mask
        QTimer::singleShot(0, this, [] { ShowMessage(kRequiredField); });
    });

    connect(BotFecharNF, &QPushButton::clicked, this, [this, focusAfter] {
        RunGuarded([&] {
            StockClosing closing;
            {
                BusyCursor busy;
                closing = CloseInvoice(*dm_, StockEntryLog(productfolder::stockEntryLog()));
            }
            focusAfter(TotalsStep::Closing);
            ShowMessage(ClosingMessage(closing));
            DBComboBox1->setEnabled(true);
        });
    });
}
