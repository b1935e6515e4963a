#include "entry/ui/UnitOptions.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "entry/ui/KeyLine.h"
#include "purchase/WindowState.h"
#include "widgets/DBGrid.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QRect kPanelGeometry(360, 45, 217, 356);
const int kTypedUnitLength = 4;
const QString kUnit = QStringLiteral("UNIDADE");

QLabel* text(const QString& t)
{
    return new QLabel(t);
}

} // namespace

UnitOptions::UnitOptions(WindowState& window, QWidget* parent) : QFrame(parent), window_(window)
{
    buildPanel();
}

void UnitOptions::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    GradeOpUnidades->setDataSource(&dm.DS_Unidades);
    connect(BotEnterUnidades, &QPushButton::clicked, this, [this] { TakeUnit(true); });
    connect(BotEscUnidades, &QPushButton::clicked, this, [this] { TakeUnit(false); });
}

void UnitOptions::buildPanel()
{
    QFrame* panel = this;
    panelparts::framePanel(panel, QStringLiteral("PainelOpUnidades"), kPanelGeometry);
    panelparts::titleBar(panel, QStringLiteral("PainelOpUnidadesTitulo"), QStringLiteral("Unidades Existentes"));
    auto* prompt = new QLabel(QStringLiteral("Selecione\na unidade\ndesejada."), panel);
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setGeometry(8, 26, panel->width() - 16, 50);

    GradeOpUnidades = new DBGrid(panel);
    GradeOpUnidades->setObjectName(QStringLiteral("GradeOpUnidades"));
    GradeOpUnidades->setColumns({{kUnit, QStringLiteral("Unidade"), 160, {}, {}, true}});
    GradeOpUnidades->setGridReadOnly(true);
    GradeOpUnidades->setSelectionBehavior(QAbstractItemView::SelectRows);
    GradeOpUnidades->setGeometry(8, 80, panel->width() - 16, 206);

    BotEnterUnidades = panelparts::button(panel, QStringLiteral("BotEnterUnidades"), QStringLiteral("Enter"));
    BotEscUnidades = panelparts::button(panel, QStringLiteral("BotEscUnidades"), QStringLiteral("Esc"));
    KeyLine(panel, QRect(8, 292, panel->width() - 16, 26),
            {text(QStringLiteral("Tecle")), BotEnterUnidades, text(QStringLiteral("para confirmar."))});
    KeyLine(panel, QRect(8, 322, panel->width() - 16, 26),
            {text(QStringLiteral("Tecle")), BotEscUnidades, text(QStringLiteral("para abandonar."))});
    keyroles::setDefaultButton(panel, BotEnterUnidades);
    keyroles::setCancelButton(panel, BotEscUnidades);
}

void UnitOptions::CheckItemUnit()
{
    CachedDataset& items = dm_->Compras;
    const QString unit = ascii::lower(items.asText(kUnit)).left(kTypedUnitLength);
    try {
        items.edit();
    } catch (const std::exception&) {
        // The row may not take an edit now; the unit is written all the same where it can be.
    }
    items.setText(kUnit, unit);
    CachedDataset& units = dm_->Unidades;
    units.open();
    units.findNearest({Value{unit}});
    if (units.asText(kUnit) != unit)
        ShowUnitOptions();
    else
        items.setText(kUnit, unit);
}

void UnitOptions::ShowUnitOptions()
{
    window_.DisableMainButtons();
    raise();
    show();
    GradeOpUnidades->setFocus(Qt::OtherFocusReason);
}

void UnitOptions::TakeUnit(bool backToItemGrid)
{
    CachedDataset& items = dm_->Compras;
    CachedDataset& units = dm_->Unidades;
    items.edit();
    if (units.isOpen() && !units.isEmpty())
        items.setText(kUnit, units.asText(kUnit));
    hide();
    emit unitTaken();
    if (backToItemGrid)
        emit itemGridWanted();
}
