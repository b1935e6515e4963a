#include "entry/ui/CostDetails.h"

#include "data/CachedDataset.h"
#include "entry/ProductCost.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "widgets/PanelParts.h"

#include <QLabel>
#include <QPushButton>

const QString CostDetails::kAccessDenied = QStringLiteral(
    "Acesso negado. Você precisa ter permissão para acessar o módulo financeiro para executar este procedimento.");
const QString CostDetails::kConfirmation =
    QStringLiteral("Tem certeza que deseja alterar o custo unitário do produto?");
const QString CostDetails::kDone = QStringLiteral("Procedimento concluído com sucesso.");

namespace {

const QRect kPanelGeometry(4, 368, 199, 112);
const int kCodeLength = 13;
const int kNameLength = 80;

} // namespace

CostDetails::CostDetails(QWidget* parent) : QFrame(parent)
{
    buildPanel();
}

void CostDetails::buildPanel()
{
    panelparts::framePanel(this, QStringLiteral("PainelDetalhes"), kPanelGeometry);
    QLabel* heading = panelparts::label(this, QStringLiteral("Cadastro de Produtos"), 8, 6);
    heading->setObjectName(QStringLiteral("PainelDetalhesTitulo"));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    heading->adjustSize();
    panelparts::label(this, QStringLiteral("Custo Unit.R$ :"), 8, 34);
    LabelCustoUnit = panelparts::label(this, QString(), 100, 34);
    LabelCustoUnit->setObjectName(QStringLiteral("LabelCustoUnit"));
    LabelCustoUnit->setFixedWidth(92);
    BotAtuaCustoUnit = new QPushButton(QStringLiteral("Atualizar Custo Unit. R$"), this);
    BotAtuaCustoUnit->setObjectName(QStringLiteral("BotAtuaCustoUnit"));
    BotAtuaCustoUnit->setGeometry(8, 70, 183, 28);
}

void CostDetails::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    session_ = &dm.session();
    connect(BotAtuaCustoUnit, &QPushButton::clicked, this, &CostDetails::AtuaCustoUnitClicked);
}

void CostDetails::setCostUpdateEnabled(bool enabled)
{
    BotAtuaCustoUnit->setEnabled(enabled);
}

// The label names the cost of the current item's product only: an item without a product, or
// with one the catalogue does not hold, shows no cost rather than the one shown before.
void CostDetails::ShowItemCostPerUnit()
{
    CachedDataset& items = dm_->Compras;
    const QString product = items.isOpen() ? items.asText(QStringLiteral("COMPONENTE")) : QString();
    if (product.isEmpty()) {
        LabelCustoUnit->clear();
        emit productColumnWanted();
        return;
    }
    const auto shown =
        ItemCostPerUnit(dm_->Componentes, dm_->TabFormP, product, items.asText(QStringLiteral("UNIDADE")));
    if (!shown) {
        LabelCustoUnit->clear();
        return;
    }
    show();
    LabelCustoUnit->setText(shown->text);
}

bool CostDetails::hasCurrentItem() const
{
    return dm_->Compras.isOpen() && !dm_->Compras.isEmpty();
}

void CostDetails::UpdateProductCost()
{
    if (!hasCurrentItem())
        return;
    CachedDataset& items = dm_->Compras;
    const QString code = items.asText(QStringLiteral("CODIGO")).left(kCodeLength);
    const QString name = items.asText(QStringLiteral("COMPONENTE")).left(kNameLength);
    const CostUpdate result =
        ::UpdateProductCost(dm_->Componentes, dm_->TabFormP, code, name, items.asText(QStringLiteral("UNIDADE")),
                            items.asFloat(QStringLiteral("PRECOUNITR")));
    if (result == CostUpdate::NotFound)
        ShowMessage(ProductNotFoundMessage(name, code));
}

void CostDetails::AtuaCustoUnitClicked()
{
    if (!session_->FinancialAccess) {
        ShowMessage(kAccessDenied);
        return;
    }
    if (!hasCurrentItem())
        return;
    if (!AskYesNo(kConfirmation))
        return;
    UpdateProductCost();
    ShowItemCostPerUnit();
    ShowMessage(kDone);
}
