#include "closing/ui/TaxPanel.h"

#include "purchase/DatasetRules.h"
#include "purchase/WindowState.h"
#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FieldText.h"
#include "widgets/KeyRoles.h"
#include "widgets/UnhandledError.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>

namespace {

const QRect kPlace(4, 2, 786, 510);
constexpr int kTitleHeight = 22;
constexpr int kFieldHeight = 22;
constexpr int kLabelGap = 16;

QLabel* addLabel(QWidget* parent, const QString& text, int left, int top, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(left, top);
    label->adjustSize();
    return label;
}

void showReadOnly(DBEdit* edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setStyleSheet(QStringLiteral("background-color: silver;"));
}

} // namespace

TaxPanel::TaxPanel(WindowState& window, DatasetRules& rules, QWidget* parent)
    : QFrame(parent), window_(window), rules_(rules)
{
    setObjectName(QStringLiteral("PainelOutrasDespesas"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(kPlace);
    hide();

    auto* title = new QLabel(QStringLiteral("Impostos, Outras Despesas e Desconto"), this);
    title->setObjectName(QStringLiteral("PainelOutrasDespesasTitulo"));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Highlight);
    title->setForegroundRole(QPalette::HighlightedText);
    title->setGeometry(2, 2, kPlace.width() - 4, kTitleHeight);

    buildInvoiceLine();
    buildFields();
    buildTotals();

    BitBtn6 = new QPushButton(QStringLiteral("Voltar"), this);
    BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
    BitBtn6->setGeometry(660, 462, 100, 30);
    keyroles::setCancelButton(this, BitBtn6);
    connect(BitBtn6, &QPushButton::clicked, this, [this] { RunGuarded([this] { Close(); }); });

    for (qsizetype i = 0; i + 1 < tabOrder_.size(); ++i)
        setTabOrder(tabOrder_.at(i), tabOrder_.at(i + 1));
    setTabOrder(tabOrder_.back(), BitBtn6);
}

DBEdit* TaxPanel::addField(const QString& name, const QString& column, const QString& caption, int left, int top,
                           int width, bool money)
{
    if (!caption.isEmpty())
        addLabel(this, caption, left, top);
    auto* edit = new DBEdit(this);
    edit->setObjectName(name);
    edit->setDataField(column);
    if (money)
        edit->setFieldFormat(FieldFormat::money());
    edit->setGeometry(left, top + kLabelGap, width, kFieldHeight);
    fields_ << edit;
    return edit;
}

// The invoice the panel belongs to, read-only.
void TaxPanel::buildInvoiceLine()
{
    const int top = 34;
    addLabel(this, QStringLiteral("Nota Fiscal:"), 20, top + 3);
    DBEdit* number =
        addField(QStringLiteral("DBEditNFNotaFiscal"), QStringLiteral("NOTAFISCAL"), {}, 90, top - 16, 100, false);
    addLabel(this, QStringLiteral("Fornecedor:"), 210, top + 3);
    DBEdit* supplier =
        addField(QStringLiteral("DBEditNFFornecedor"), QStringLiteral("FORNECEDOR"), {}, 282, top - 16, 300, false);
    addLabel(this, QStringLiteral("Data:"), 600, top + 3);
    DBEdit* date = addField(QStringLiteral("DBEditNFData"), QStringLiteral("DATA"), {}, 636, top - 16, 90, false);
    date->setFieldFormat(FieldFormat::date());
    for (DBEdit* e : {number, supplier, date})
        showReadOnly(e);
}

// The fields in the order the clerk walks them.
void TaxPanel::buildFields()
{
    addLabel(this, QStringLiteral("Dados da Nota"), 20, 70, true);
    DBEdit* cfop =
        addField(QStringLiteral("DBEdit10"), QStringLiteral("CFOP"), QStringLiteral("CFOP"), 20, 88, 70, false);
    cfop->setToolTip(QStringLiteral("Código Fiscal de Operações e Prestações - 4 dígitos"));
    tabOrder_ << cfop
              << addField(QStringLiteral("DBEdit21"), QStringLiteral("SERIE"), QStringLiteral("Série"), 110, 88, 50,
                          false)
              << addField(QStringLiteral("DBEdit22"), QStringLiteral("TIPOOPERACAO"),
                          QStringLiteral("Natureza Operação"), 180, 88, 140, false);

    addLabel(this, QStringLiteral("Despesas"), 20, 140, true);
    tabOrder_ << addField(QStringLiteral("DBEdit12"), QStringLiteral("FRETE"), QStringLiteral("Frete"), 20, 158, 110)
              << addField(QStringLiteral("DBEdit20"), QStringLiteral("SEGURO"), QStringLiteral("Seguro"), 150, 158, 110)
              << addField(QStringLiteral("DBEdit16"), QStringLiteral("IRRF"), QStringLiteral("IRRF"), 280, 158, 110)
              << addField(QStringLiteral("DBEdit19"), QStringLiteral("OUTRASDESP"), QStringLiteral("Outras Despesas"),
                          410, 158, 110);

    addLabel(this, QStringLiteral("IPI"), 20, 210, true);
    tabOrder_ << addField(QStringLiteral("DBEdit15"), QStringLiteral("IPI"), QStringLiteral("IPI"), 20, 228, 70);
    addLabel(this, QStringLiteral("%"), 94, 247);
    tabOrder_ << addField(QStringLiteral("DBEdit23"), QStringLiteral("VALORIPI"), QStringLiteral("Valor IPI"), 150, 228,
                          110)
              << addField(QStringLiteral("DBEdit18"), QStringLiteral("ISENTOIPI"), QStringLiteral("Isento IPI"), 280,
                          228, 110);

    addLabel(this, QStringLiteral("ICMS"), 20, 280, true);
    tabOrder_ << addField(QStringLiteral("DBEdit7"), QStringLiteral("ALIQUOTAICMS"), QStringLiteral("Aliquota ICMS"),
                          20, 298, 70);
    addLabel(this, QStringLiteral("%"), 94, 317);
    tabOrder_ << addField(QStringLiteral("DBEdit8"), QStringLiteral("BASEICMS"), QStringLiteral("Base ICMS"), 150, 298,
                          110)
              << addField(QStringLiteral("DBEdit13"), QStringLiteral("ICMS"), QStringLiteral("Valor ICMS"), 280, 298,
                          110)
              << addField(QStringLiteral("DBEdit11"), QStringLiteral("DIFERENCAICMS"), QStringLiteral("Diferença ICMS"),
                          410, 298, 110)
              << addField(QStringLiteral("DBEdit17"), QStringLiteral("ISENTOICMS"), QStringLiteral("Isento ICMS"), 540,
                          298, 110)
              << addField(QStringLiteral("DBEdit9"), QStringLiteral("BASEICMS_ST"),
                          QStringLiteral("Base ICMS Subst.Trib."), 20, 350, 130)
              << addField(QStringLiteral("DBEdit14"), QStringLiteral("ICMS_RETIDO_ST"),
                          QStringLiteral("ICMS retido S.T."), 170, 350, 110);

    addLabel(this, QStringLiteral("Desconto"), 20, 402, true);
    tabOrder_ << addField(QStringLiteral("DBEdit24"), QStringLiteral("DESCONTOTOTAL"), QStringLiteral("Desconto"), 20,
                          420, 110);

    for (DBEdit* field : tabOrder_) {
        EnterMovesToNextControl(field);
        if (const std::optional<TotalsStep> left = TotalsStepOf(field->objectName()))
            connect(field, &DBEdit::exited, this, [this, step = *left] { emit totalsFieldLeft(step); });
    }
}

// Gross and net value: results, never typed.
void TaxPanel::buildTotals()
{
    DBEdit* gross =
        addField(QStringLiteral("DBEdit26"), QStringLiteral("VALBRUTO"), QStringLiteral("Valor Bruto:"), 410, 420, 110);
    DBEdit* net = addField(QStringLiteral("DBEdit25"), QStringLiteral("VALLIQUIDO"), QStringLiteral("Valor Líquido:"),
                           540, 420, 110);
    for (DBEdit* e : {gross, net})
        showReadOnly(e);
}

void TaxPanel::setDataSource(DataSource* source)
{
    for (DBEdit* field : fields_)
        field->setDataSource(source);
}

std::optional<TotalsStep> TaxPanel::TotalsStepOf(const QString& fieldName)
{
    static const QHash<QString, TotalsStep> steps = {
        {QStringLiteral("DBEdit12"), TotalsStep::Freight},  {QStringLiteral("DBEdit20"), TotalsStep::Insurance},
        {QStringLiteral("DBEdit16"), TotalsStep::Irrf},     {QStringLiteral("DBEdit19"), TotalsStep::OtherExpenses},
        {QStringLiteral("DBEdit23"), TotalsStep::IpiValue}, {QStringLiteral("DBEdit14"), TotalsStep::IcmsWithheld},
        {QStringLiteral("DBEdit24"), TotalsStep::Discount},
    };
    const auto found = steps.constFind(fieldName);
    return found == steps.constEnd() ? std::nullopt : std::optional<TotalsStep>(*found);
}

QWidget* TaxPanel::control(TotalsNext next) const
{
    const auto named = [this](const char* name) { return findChild<QWidget*>(QLatin1String(name)); };
    switch (next) {
    case TotalsNext::Insurance:
        return named("DBEdit20");
    case TotalsNext::Irrf:
        return named("DBEdit16");
    case TotalsNext::OtherExpenses:
        return named("DBEdit19");
    case TotalsNext::IpiRate:
        return named("DBEdit15");
    case TotalsNext::IpiExempt:
        return named("DBEdit18");
    case TotalsNext::Discount:
        return named("DBEdit24");
    case TotalsNext::BackToInvoice:
        return BitBtn6;
    case TotalsNext::PaymentForm:
    case TotalsNext::IssueDate:
    case TotalsNext::DiscountOnInvoice:
        return nullptr;
    }
    return nullptr;
}

void TaxPanel::Open()
{
    setGeometry(kPlace);
    show();
    raise();
    rules_.setMode(InvoiceMode::Taxes); // before the focus leaves the work area
    tabOrder_.front()->setFocus(Qt::OtherFocusReason);
    window_.LockInvoiceFields();
    window_.DisableMainButtons();
}

void TaxPanel::Close()
{
    // The mode goes first and the panel is hidden next: the field being left recomputes the totals
    // as the focus goes, out of the tax panel's mode, and must find none of the panel's fields to
    // hand the focus on to.
    rules_.leaveTaxes();
    hide();
    window_.UnlockInvoiceFields();
    window_.EnableMainButtons();
    emit returnedToInvoice();
}
