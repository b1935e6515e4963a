#include "entry/ui/ProductOptions.h"

#include "data/CachedDataset.h"
#include "entry/ItemEntryValues.h"
#include "entry/SupplyProducts.h"
#include "entry/ui/KeyLine.h"
#include "purchase/WindowState.h"
#include "widgets/DBGrid.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

namespace {

const QRect kPanelGeometry(5, 31, 623, 410);

QLabel* text(const QString& t)
{
    return new QLabel(t);
}

bool inside(const QWidget* panel, const QWidget* w)
{
    return w && (w == panel || panel->isAncestorOf(w));
}

} // namespace

ProductOptions::ProductOptions(WindowState& window, ItemEntryValues& values, QWidget* parent)
    : QFrame(parent), window_(window), values_(values)
{
    buildPanel();
}

void ProductOptions::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    GradeOpCompras->setDataSource(&dm.DS_CompNomes);
    connect(BotEnterComp, &QPushButton::clicked, this, &ProductOptions::TakeProduct);
    connect(BotEscCompras, &QPushButton::clicked, this, &ProductOptions::CloseOptions);
    connect(&dm.CompNomes, &CachedDataset::currentRowChanged, this, &ProductOptions::showHighlightedProduct);
    connect(&dm.CompNomes, &CachedDataset::closed, this, &ProductOptions::showHighlightedProduct);
    connect(qApp, &QApplication::focusChanged, this, &ProductOptions::focusMoved);
}

void ProductOptions::buildPanel()
{
    QFrame* panel = this;
    panelparts::framePanel(panel, QStringLiteral("PainelOpCompras"), kPanelGeometry);
    panelparts::titleBar(panel, QStringLiteral("PainelOpComprasTitulo"),
                         QStringLiteral("Opções de produtos mais próximos"));

    GradeOpCompras = new DBGrid(panel);
    GradeOpCompras->setObjectName(QStringLiteral("GradeOpCompras"));
    GradeOpCompras->setColumns({{QStringLiteral("CODIGO"), QStringLiteral("Código"), 100, {}, {}, true},
                                {QStringLiteral("COMPONENTE"), QStringLiteral(" Descrição"), 374, {}, {}, true},
                                {QStringLiteral("FABRICANTE"), QStringLiteral("Fabricante"), 260, {}, {}, true}});
    GradeOpCompras->setGridReadOnly(true);
    GradeOpCompras->setSelectionBehavior(QAbstractItemView::SelectRows);
    GradeOpCompras->setGeometry(8, 26, panel->width() - 16, 206);

    buildProductData();

    BotEnterComp = panelparts::button(panel, QStringLiteral("BotEnterComp"), QStringLiteral("Enter"));
    BotEscCompras = panelparts::button(panel, QStringLiteral("BotEscCompras"), QStringLiteral("Esc"));
    KeyLine(panel, QRect(8, 374, panel->width() - 16, 26),
            {text(QStringLiteral("Tecle")), BotEnterComp, text(QStringLiteral("para confirmar ou")), BotEscCompras,
             text(QStringLiteral("para cancelar"))});
    keyroles::setDefaultButton(panel, BotEnterComp);
    keyroles::setCancelButton(panel, BotEscCompras);
}

// The highlighted product's data, each value after its label, three to a line.
void ProductOptions::buildProductData()
{
    grp1 = new QGroupBox(QStringLiteral(" Dados do Componente / Produto "), this);
    grp1->setObjectName(QStringLiteral("grp1"));
    grp1->setGeometry(8, 238, width() - 16, 128);
    auto* layout = new QGridLayout(grp1);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    // Three label and value pairs to a line; a value may span the pairs to its right.
    struct Item {
        const char* label;
        const char* field;
        int line, pair, valueSpan;
    };
    const Item items[] = {
        {"Componente:", "COMPONENTE", 0, 0, 5},
        {"Fabricante:", "FABRICANTE", 1, 0, 3},
        {"Fornecedor:", "FORNECEDOR", 1, 2, 1},
        {"Densidade:", "DENSIDADE", 2, 0, 1},
        {"F. Correção:", "FATORCORRECAO", 2, 1, 1},
        {"Lista:", "LISTA", 2, 2, 1},
        {"DCB:", "DCB", 3, 0, 1},
        {"Dosagem Min:", "DOSAGEMMIN", 3, 1, 1},
        {"Dosagem Máx:", "DOSAGEMMAX", 3, 2, 1},
    };
    for (const Item& item : items) {
        auto* value = new QLabel(grp1);
        value->setObjectName(QStringLiteral("grp1") + QLatin1String(item.field));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(new QLabel(QString::fromUtf8(item.label), grp1), item.line, item.pair * 2);
        layout->addWidget(value, item.line, item.pair * 2 + 1, 1, item.valueSpan);
        productData_.emplace_back(value, QLatin1String(item.field));
    }
    for (int column : {1, 3, 5})
        layout->setColumnStretch(column, 1);
}

void ProductOptions::showHighlightedProduct()
{
    const CachedDataset& products = dm_->CompNomes;
    const bool shown = products.isOpen() && !products.isEmpty();
    for (auto& [label, field] : productData_)
        label->setText(shown ? products.asText(field) : QString());
}

namespace {

// A new row takes the product's unit; a row that already holds one (an NF-e item bought by the box,
// a row whose product is corrected) keeps it: its quantity and price are in that unit.
void TakeUnitUnlessHeld(CachedDataset& items, const CachedDataset& products)
{
    if (items.asText(QStringLiteral("UNIDADE")).trimmed().isEmpty())
        items.setText(QStringLiteral("UNIDADE"), products.asText(QStringLiteral("UNID")));
}

} // namespace

void ProductOptions::FindItemProduct()
{
    CachedDataset& items = dm_->Compras;
    emit searching(true);
    auto endSearching = qScopeGuard([this] { emit searching(false); });

    const QString typed = items.asText(QStringLiteral("COMPONENTE"));
    values_.SearchedProductName = ProductSearchName(typed);
    CachedDataset& products = dm_->Componentes;
    if (FindSupplyProduct(products, typed)) {
        items.setText(QStringLiteral("COMPONENTE"), products.asText(QStringLiteral("COMPONENTE")));
        items.setText(QStringLiteral("CODIGO"), products.asText(QStringLiteral("CODIGO")));
        TakeUnitUnlessHeld(items, products);
        return;
    }
    endSearching.dismiss();
    emit searching(false);
    ShowProductOptions(values_.SearchedProductName);
}

void ProductOptions::ShowProductOptions(const QString& name)
{
    window_.DisableMainButtons();
    CachedDataset& products = dm_->CompNomes;
    products.close();
    products.setCommandText(supplyproducts::optionsList());
    products.open();
    products.findNearest({Value{name}});
    raise();
    show();
    GradeOpCompras->setFocus(Qt::OtherFocusReason);
    GradeOpCompras->setSelectedIndex(0);
}

void ProductOptions::TakeProduct()
{
    CachedDataset& items = dm_->Compras;
    const CachedDataset& products = dm_->CompNomes;
    try {
        items.edit();
    } catch (const std::exception&) {
        // The fields are written where the row allows it.
    }
    if (products.isOpen() && !products.isEmpty()) {
        items.setText(QStringLiteral("COMPONENTE"), products.asText(QStringLiteral("COMPONENTE")));
        items.setText(QStringLiteral("CODIGO"), products.asText(QStringLiteral("CODIGO")));
        items.setText(QStringLiteral("CODIGOFORNECEDOR"), dm_->NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR")));
        TakeUnitUnlessHeld(items, products);
    }
    hidePanel();
}

// Nothing is taken: the item keeps the text typed, without product code and unit (an item that
// had a product no longer belongs to it).
void ProductOptions::CloseOptions()
{
    CachedDataset& items = dm_->Compras;
    try {
        items.edit();
        items.clear(QStringLiteral("CODIGO"));
        items.clear(QStringLiteral("UNIDADE"));
    } catch (const std::exception&) {
        // An item that cannot be edited keeps its fields.
    }
    hidePanel();
}

void ProductOptions::hidePanel()
{
    dm_->CompNomes.close();
    hide();
    emit itemGridWanted();
}

void ProductOptions::focusMoved(QWidget* from, QWidget* to)
{
    if (inside(this, from) && to && !inside(this, to))
        window_.EnableMainButtons();
}
