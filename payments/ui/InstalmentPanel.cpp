#include "payments/ui/InstalmentPanel.h"

#include "data/CachedDataset.h"
#include "payments/CustomInstalments.h"
#include "payments/IncludeInPayables.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "shell/Dialogs.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QRect kPanelGeometry(214, 44, 404, 430);
constexpr int kDateColumn = 0;
constexpr int kValueColumn = 1;

const QString kChangeForm = QStringLiteral("Deseja alterar esta forma de pagamento?");

QLabel* newLabel(QWidget* parent, const QString& text, const QRect& geometry, const QString& name = {})
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

} // namespace

InstalmentPanel::InstalmentPanel(PaymentsData dm, WindowState& window, QWidget* parent)
    : QFrame(parent), dm_(dm), window_(window)
{
    setObjectName(QStringLiteral("PainelFormaPag"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(kPanelGeometry);
    buildControls();
    connectControls();
    DBGrid3->setDataSource(&dm.DS_PagDiver);
    DBEdit28->setDataSource(&dm.DS_NFiscal);
    hide();
}

void InstalmentPanel::buildControls()
{
    title_ = newLabel(this, QStringLiteral("Forma de Pagamento"), QRect(2, 2, kPanelGeometry.width() - 4, 22),
                      QStringLiteral("PainelFormaPagTitulo"));
    title_->setAlignment(Qt::AlignCenter);
    title_->setAutoFillBackground(true);
    title_->setBackgroundRole(QPalette::Highlight);
    title_->setForegroundRole(QPalette::HighlightedText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    DBGrid3 = new DBGrid(this);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setGeometry(12, 32, 380, 290);
    FieldFormat twoDecimals;
    twoDecimals.display = FieldFormat::Display::Fixed2;
    DBGrid3->setColumns({{QStringLiteral("DATA"), QStringLiteral("Vencimento"), 150, {}, FieldFormat::date()},
                         {QStringLiteral("VALOR"), QStringLiteral("Valor"), 150, {}, twoDecimals}});

    labelValorTotal_ = newLabel(this, QStringLiteral("Valor Total"), QRect(12, 332, 120, 16));
    DBEdit28 = new DBEdit(this);
    DBEdit28->setObjectName(QStringLiteral("DBEdit28"));
    DBEdit28->setDataField(QStringLiteral("VALLIQUIDO"));
    DBEdit28->setFieldFormat(twoDecimals);
    DBEdit28->setReadOnly(true);
    DBEdit28->setFocusPolicy(Qt::NoFocus);
    DBEdit28->setAlignment(Qt::AlignRight);
    DBEdit28->setGeometry(12, 350, 120, 22);

    Bevel12 = new QFrame(this);
    Bevel12->setObjectName(QStringLiteral("Bevel12"));
    Bevel12->setFrameShape(QFrame::Box);
    Bevel12->setFrameShadow(QFrame::Sunken);
    Bevel12->setGeometry(262, 326, 130, 52);
    LabelRestante =
        newLabel(this, QStringLiteral("Restante"), QRect(268, 332, 118, 16), QStringLiteral("LabelRestante"));
    EditValRest = new QLineEdit(this);
    EditValRest->setObjectName(QStringLiteral("EditValRest"));
    EditValRest->setReadOnly(true);
    EditValRest->setFocusPolicy(Qt::NoFocus);
    EditValRest->setAlignment(Qt::AlignRight);
    EditValRest->setGeometry(268, 350, 118, 22);

    BitBtn2 = panelparts::button(this, QStringLiteral("BitBtn2"), QStringLiteral("Voltar "), QRect(110, 392, 90, 28));
    BitBtn2->setEnabled(false);
    BitBtn3 = panelparts::button(this, QStringLiteral("BitBtn3"), QStringLiteral("Cancelar"), QRect(206, 392, 90, 28));
    keyroles::setDefaultButton(this, BitBtn2);
    keyroles::setCancelButton(this, BitBtn3);
    setTabOrder(DBGrid3, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
}

void InstalmentPanel::connectControls()
{
    DBGrid3->keyHook = [this](QKeyEvent& event) { return gridKey(event); };
    connect(BitBtn2, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn3Click(); }); });
}

void InstalmentPanel::ShowCustomInstalments(const QString& paymentForm)
{
    if (paymentForm != kCustomInstalmentsForm)
        return;
    // Chosen again while the panel is up: the clerk goes on in the grid.
    if (isVisible()) {
        DBGrid3->setFocus(Qt::OtherFocusReason);
        return;
    }
    setGeometry(kPanelGeometry);
    show();
    raise();
    window_.DisableMainButtons();
    dm_.session.InstalmentCounter = instalments::OpenInvoiceInstalments(dm_);
    RecalcInstalmentBalance();
    DBGrid3->setSelectedIndex(kDateColumn);
    DBGrid3->setFocus(Qt::OtherFocusReason);
    if (dm_.PagDiver.isEmpty()) {
        dm_.PagDiver.append();
        DBGrid3->setFocus(Qt::OtherFocusReason);
    }
}

void InstalmentPanel::RecalcInstalmentBalance()
{
    if (!dm_.NFiscal.isOpen())
        return;
    balance_ = instalments::InstalmentBalance(dm_);
    if (balance_.units < 0)
        ShowMessage(instalments::kInstalmentsAboveNetValue);
    EditValRest->setText(instalments::BalanceText(balance_));
    const bool settled = balance_.units == 0;
    BitBtn2->setEnabled(settled);
    for (QWidget* w :
         {static_cast<QWidget*>(LabelRestante), static_cast<QWidget*>(EditValRest), static_cast<QWidget*>(Bevel12)})
        w->setVisible(!settled);
}

void InstalmentPanel::postCurrentInstalment()
{
    try {
        CachedDataset& rows = dm_.PagDiver;
        if (rows.isOpen() &&
            (rows.state() == CachedDataset::State::Edit || rows.state() == CachedDataset::State::Insert))
            rows.post();
    } catch (const std::exception&) {
        // The row stays as typed; the balance tells what is stored.
    }
}

void InstalmentPanel::CloseInstalmentPanel()
{
    postCurrentInstalment();
    dm_.PagDiver.close();
    hide();
    instalments::DeleteUndatedInstalments(dm_);
}

bool InstalmentPanel::gridKey(QKeyEvent& event)
{
    if (!IsEnterKey(event))
        return false;
    RunGuarded([this] {
        if (DBGrid3->selectedIndex() == kValueColumn)
            EnterInValueColumn();
        else
            EnterInDateColumn();
    });
    return true;
}

// Stores the instalment being typed. One the rules refuse is told, stays in the grid and waits
// in `column` to be corrected, "Voltar " off meanwhile: false then.
bool InstalmentPanel::storeTypedInstalment(int column)
{
    try {
        CachedDataset& rows = dm_.PagDiver;
        if (rows.isOpen() &&
            (rows.state() == CachedDataset::State::Edit || rows.state() == CachedDataset::State::Insert))
            rows.post();
    } catch (const DatasetError& refused) {
        ShowMessage(refused.message());
        BitBtn2->setEnabled(false);
        DBGrid3->setSelectedIndex(column);
        return false;
    }
    return true;
}

// A due date before the invoice's issue date is kept only when the clerk confirms it.
bool InstalmentPanel::dueDateAccepted()
{
    if (!instalments::DueBeforeIssue(dm_))
        return true;
    const QString due = dm_.PagDiver.asDate(QStringLiteral("DATA")).toString(QStringLiteral("dd/MM/yyyy"));
    const QString issued = dm_.NFiscal.asDate(QStringLiteral("DATA")).toString(QStringLiteral("dd/MM/yyyy"));
    return AskYesNo(QStringLiteral("O vencimento ") + due + QStringLiteral(" é anterior à data de emissão da Nota ") +
                    QStringLiteral("Fiscal (") + issued + QStringLiteral(").\rConfirma este vencimento?"));
}

void InstalmentPanel::EnterInValueColumn()
{
    if (!storeTypedInstalment(kValueColumn))
        return;
    RecalcInstalmentBalance();
    if (balance_.units != 0) {
        dm_.PagDiver.append();
        DBGrid3->setSelectedIndex(kDateColumn);
        BitBtn2->setEnabled(false);
        return;
    }
    BitBtn2->setEnabled(true);
    BitBtn2->setFocus(Qt::OtherFocusReason);
}

void InstalmentPanel::EnterInDateColumn()
{
    if (!dueDateAccepted() || !storeTypedInstalment(kDateColumn))
        return;
    DBGrid3->setSelectedIndex(kValueColumn);
}

void InstalmentPanel::BitBtn2Click()
{
    if (!BitBtn2->isEnabled())
        return;
    CloseInstalmentPanel();
    window_.EnableMainButtons();
    emit instalmentsConfirmed();
}

void InstalmentPanel::BitBtn3Click()
{
    CachedDataset& rows = dm_.PagDiver;
    try {
        rows.cancel();
    } catch (const std::exception&) {
        // Nothing pending.
    }
    rows.close();
    const bool change = AskYesNo(kChangeForm);
    if (change)
        instalments::DeleteInvoiceInstalments(dm_);
    hide();
    window_.EnableMainButtons();
    if (change)
        emit customFormDropped();
    else
        emit closedWithoutChange();
}
