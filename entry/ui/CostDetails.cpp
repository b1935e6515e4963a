#include "entry/ui/CostDetails.h"

#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "entry/ItemEntryValues.h"
#include "entry/ProductCost.h"
#include "shell/ui/FormCompras.h"
#include "widgets/DBGrid.h"
#include "shell/Dialogs.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

const QString CostDetails::kAccessDenied = QStringLiteral(
    "Acesso negado. Você precisa ter permissão para acessar o módulo financeiro para executar este procedimento.");
const QString CostDetails::kConfirmation =
    QStringLiteral("Tem certeza que deseja alterar o custo unitário do produto?");
const QString CostDetails::kDone = QStringLiteral("Procedimento concluído com sucesso.");

namespace {

const int kCodeLength = 13;
const int kNameLength = 80;

} // namespace

CostDetails::CostDetails(TFormCompras& form, TDM& dm, ItemEntryValues& values)
    : form_(form), dm_(dm), session_(dm.session()), values_(values)
{
    connect(form_.BotAtuaCustoUnit, &QPushButton::clicked, this, &CostDetails::AtuaCustoUnitClicked);
}

void CostDetails::ShowItemCostPerUnit()
{
    CachedDataset& items = dm_.Compras;
    const QString product = items.isOpen() ? items.asText(QStringLiteral("COMPONENTE")) : QString();
    if (product.isEmpty()) {
        form_.DBGrid1->setSelectedIndex(0);
        return;
    }
    const auto shown = ItemCostPerUnit(dm_.Componentes, dm_.TabFormP, product, items.asText(QStringLiteral("UNIDADE")));
    if (!shown)
        return; // not a product of the catalogue: the label keeps what it showed
    form_.PainelDetalhes->show();
    values_.ConversionMultiplier = shown->multiplier;
    form_.LabelCustoUnit->setText(shown->text);
}

bool CostDetails::hasCurrentItem() const
{
    return dm_.Compras.isOpen() && !dm_.Compras.isEmpty();
}

void CostDetails::UpdateProductCost()
{
    if (!hasCurrentItem())
        return;
    CachedDataset& items = dm_.Compras;
    const QString code = items.asText(QStringLiteral("CODIGO")).left(kCodeLength);
    const QString name = items.asText(QStringLiteral("COMPONENTE")).left(kNameLength);
    const CostUpdate result = ::UpdateProductCost(
        dm_.Componentes, code, name, items.asFloat(QStringLiteral("PRECOUNITR")), values_.ConversionMultiplier);
    if (result == CostUpdate::NotFound)
        ShowMessage(ProductNotFoundMessage(name, code));
}

void CostDetails::AtuaCustoUnitClicked()
{
    if (!session_.FinancialAccess) {
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
