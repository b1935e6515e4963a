#include "entry/ui/ItemGrid.h"

#include "data/AsciiCase.h"
#include "purchase/DataModule.h"
#include "data/Formats.h"
#include "purchase/SessionState.h"
#include "entry/ItemEntryValues.h"
#include "entry/StockLocation.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/ProductOptions.h"
#include "entry/ui/UnitOptions.h"
#include "shell/ui/FormCompras.h"
#include "widgets/DBGrid.h"
#include "shell/Dialogs.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FocusColours.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

const QString ItemGrid::kQuantityMessage = QStringLiteral(
    "Este campo não pode ser alterado. Para mudar a quantidade, exclua o registro anterior e inclua um novo.");
const QString ItemGrid::kInvalidPriceMessage = QStringLiteral("Valor inválido na coluna de Preço Unitário");
const QString ItemGrid::kStockLocationMessage =
    QStringLiteral("Usando o mouse, clique no campo LOCAL ESTOQUE e selecione um dos locais válidos para este "
                   "campo. Depois tecle <ENTER>");

namespace {

const int kProductColumnWidth = 220;
const int kLastWalkedColumn = ItemGrid::Validade;
const QColor kMaroon(128, 0, 0);
const QString kProduct = QStringLiteral("COMPONENTE");
const QString kCode = QStringLiteral("CODIGO");
const QString kQuantity = QStringLiteral("QUANTIDADE");
const QString kUnit = QStringLiteral("UNIDADE");
const QString kPrice = QStringLiteral("PRECOUNITR");
const QString kLineTotal = QStringLiteral("SALDO");
const QString kLocation = QStringLiteral("LABORATORIO");
const QString kStatus = QStringLiteral("SITUACAO");

// The unit price as the price cell shows it, formatted "0.00"; nullopt when the cell is empty.
std::optional<QString> priceText(const CachedDataset& items)
{
    if (items.isNull(kPrice))
        return std::nullopt;
    return formats::fixed2(items.asFloat(kPrice));
}

// The hint panel has the width of the screens: its caption shrinks to fit it.
void fitCaption(QLabel& caption, int width)
{
    QFont font = caption.font();
    font.setBold(false);
    while (QFontMetrics(font).horizontalAdvance(caption.text()) > width && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    caption.setFont(font);
}

} // namespace

ItemGrid::ItemGrid(TFormCompras& form, TDM& dm, ItemEntryValues& values, ProductOptions& products, UnitOptions& units,
                   CostDetails& cost)
    : form_(form), dm_(dm), session_(dm.session()), values_(values), products_(products), units_(units), cost_(cost)
{
    DBGrid* grid = form_.DBGrid1;
    connect(grid, &DBGrid::columnEntered, this, &ItemGrid::EnterItemColumn);
    connect(grid, &DBGrid::columnExited, this, &ItemGrid::LeaveItemColumn);
    connect(grid, &DBGrid::exited, this, &ItemGrid::CheckStockLocation);
    connect(grid, &DBGrid::rowLeaving, this, &ItemGrid::LeaveItemRow);
    connect(&dm_.Compras, &CachedDataset::currentRowChanged, this, &ItemGrid::CaptureEnteredValues);
    grid->keyHook = [this](QKeyEvent& e) { return handleKey(e); };
    form_.PainelAlertaCusto->installEventFilter(this);
    paintExpiredRows();
    buildContextMenu();
}

ItemGrid::~ItemGrid()
{
    form_.DBGrid1->keyHook = nullptr;
    form_.DBGrid1->setCellColours(nullptr);
}

// ---- columns

void ItemGrid::EnterItemColumn(int column)
{
    CachedDataset& items = dm_.Compras;
    if (column == Componente) {
        form_.DBGrid1->setColumnWidth(Componente, kProductColumnWidth);
        values_.EnteredProductText = items.isOpen() ? items.asText(kProduct) : QString();
    }
    // The other cells of a row are out of reach until its product is filled.
    if (!items.isOpen() || items.asText(kProduct).isEmpty()) {
        form_.DBGrid1->setSelectedIndex(Componente);
        return;
    }
    if (column == PrecoUnitR) {
        showPriceHint();
        values_.EnteredPriceText = priceText(items).value_or(formats::fixed2(0));
    } else if (column == Quantidade) {
        values_.EnteredQuantity = items.asFloat(kQuantity);
        cost_.ShowItemCostPerUnit();
    }
}

// The cell editor, painted in the focus colour, closes with the column it belongs to.
void ItemGrid::LeaveItemColumn(int column)
{
    if (!dm_.Compras.isOpen())
        return;
    if (column == Laboratorio)
        form_.DBGrid1->setColumnWidth(Componente, kProductColumnWidth);
    if (column == Quantidade)
        QuantityRule();
    if (column == Unidade) {
        units_.CheckItemUnit();
        cost_.ShowItemCostPerUnit();
    }
    if (column == PrecoUnitR)
        PriceRule();
    UpdateLineTotal();
    if (column == Componente && productNeedsLookUp())
        products_.FindItemProduct();
}

// Walking through the product cell of an item that has its product changes nothing: its purchase
// unit may differ from the product's stock unit.
bool ItemGrid::productNeedsLookUp() const
{
    const CachedDataset& items = dm_.Compras;
    return items.asText(kProduct) != values_.EnteredProductText || items.asText(kCode).isEmpty();
}

// A quantity can be typed only while it is 0 or empty.
void ItemGrid::QuantityRule()
{
    CachedDataset& items = dm_.Compras;
    if (values_.EnteredQuantity == 0 || items.asFloat(kQuantity) == values_.EnteredQuantity)
        return;
    ShowMessage(kQuantityMessage);
    try {
        items.edit();
        items.setFloat(kQuantity, values_.EnteredQuantity);
    } catch (const std::exception&) {
        items.cancel();
    }
}

// With the automatic price update on, a changed price becomes the product's cost.
void ItemGrid::PriceRule()
{
    if (!session_.AutoPriceUpdate)
        return;
    const std::optional<QString> typed = priceText(dm_.Compras);
    if (!typed) {
        ShowMessage(kInvalidPriceMessage);
        return;
    }
    if (*typed == values_.EnteredPriceText)
        return;
    cost_.UpdateProductCost();
    cost_.ShowItemCostPerUnit();
}

void ItemGrid::UpdateLineTotal()
{
    CachedDataset& items = dm_.Compras;
    items.edit();
    items.setFloat(kLineTotal, items.asFloat(kQuantity) * items.asFloat(kPrice));
}

// Moving to another row leaves the quantity or price cell as surely as leaving its column: the
// rule runs on the row being left, before it is saved.
void ItemGrid::LeaveItemRow()
{
    const CachedDataset& items = dm_.Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    const int column = form_.DBGrid1->selectedIndex();
    if (column == Quantidade)
        QuantityRule();
    else if (column == PrecoUnitR)
        PriceRule();
}

// The values the product, quantity and price cells compare with belong to the item that is current.
void ItemGrid::CaptureEnteredValues()
{
    const CachedDataset& items = dm_.Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    values_.EnteredQuantity = items.asFloat(kQuantity);
    values_.EnteredPriceText = priceText(items).value_or(formats::fixed2(0));
    values_.EnteredProductText = items.asText(kProduct);
}

void ItemGrid::showPriceHint()
{
    const QString unit = dm_.Compras.asText(kUnit);
    if (unit.isEmpty())
        return;
    auto* caption = form_.PainelAlertaCusto->findChild<QLabel*>();
    caption->setText(QStringLiteral("Informe o Preço de Aquisição de 1 ") + unit);
    fitCaption(*caption, form_.PainelAlertaCusto->width() - 8);
    form_.PainelAlertaCusto->raise();
    form_.PainelAlertaCusto->show();
}

// ---- keys

bool ItemGrid::handleKey(QKeyEvent& event)
{
    if (IsEnterKey(event)) {
        ItemEnterKey();
        return true;
    }
    return isEmptyRowDelete(event);
}

// Enter walks from the product to the expiry date and back to the product of the same row; the
// columns after the expiry date keep the cursor.
void ItemGrid::ItemEnterKey()
{
    DBGrid* grid = form_.DBGrid1;
    const int column = grid->selectedIndex();
    if (column == PrecoUnitR) {
        form_.PainelAlertaCusto->hide();
        UpdateLineTotal();
    }
    if (column < kLastWalkedColumn)
        grid->setSelectedIndex(column + 1);
    else if (column == kLastWalkedColumn)
        grid->setSelectedIndex(Componente);
}

// An item row whose product cell is empty cannot be deleted through the grid.
bool ItemGrid::isEmptyRowDelete(const QKeyEvent& event) const
{
    const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return event.key() == Qt::Key_Delete && modifiers == Qt::ControlModifier &&
           form_.DBGrid1->selectedIndex() == Componente && form_.DBGrid1->editText().isEmpty();
}

// ---- leaving the grid

void ItemGrid::CheckStockLocation()
{
    CachedDataset& items = dm_.Compras;
    if (!items.isOpen())
        return;
    ShowWindowColour(form_.DBGrid1);
    form_.PainelAlertaCusto->hide();
    // On an invoice without items, editing would add a new item, and the new item takes the focus
    // back into the grid: the clerk could never reach the header again. Such a row is untouched and
    // would be dropped anyway, so none is added.
    if (items.isEmpty())
        return;
    items.edit();
    if (items.state() != CachedDataset::State::Edit)
        return;
    const StockLocationCheck check =
        CheckStockLocationText(session_.StockLocationCount, items.asText(kLocation), dm_.TabLab);
    if (check.location)
        items.setText(kLocation, *check.location);
    if (check.accepted)
        return;
    form_.PainelOpCompras->hide();
    ShowMessage(kStockLocationMessage);
    form_.DBGrid1->setEnabled(true);
    form_.DBGrid1->setFocus(Qt::OtherFocusReason);
    form_.DBGrid1->setSelectedIndex(Laboratorio);
}

// ---- drawing, the price hint, the context menu

void ItemGrid::paintExpiredRows()
{
    form_.DBGrid1->setCellColours([this](int row, int) -> std::optional<CellColours> {
        const CachedDataset& items = dm_.Compras;
        if (!items.isOpen() || !items.hasField(kStatus))
            return std::nullopt;
        if (ascii::upper(items.textAt(row, items.fieldIndex(kStatus))) == QLatin1String("VENCIDO"))
            return CellColours{Qt::white, kMaroon};
        return CellColours{Qt::black, Qt::white};
    });
}

bool ItemGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form_.PainelAlertaCusto && event->type() == QEvent::MouseButtonPress)
        form_.PainelAlertaCusto->hide();
    return false;
}

// The bottom line of the window promises it: a right click on the item list offers "Novo Item",
// which adds an item row as the Insert key does.
void ItemGrid::buildContextMenu()
{
    DBGrid* grid = form_.DBGrid1;
    NovoItem = new QAction(QStringLiteral("Novo Item"), grid);
    NovoItem->setObjectName(QStringLiteral("NovoItem"));
    connect(NovoItem, &QAction::triggered, grid, &DBGrid::appendRow);
    menu_ = new QMenu(grid);
    menu_->setObjectName(QStringLiteral("MenuItens"));
    menu_->addAction(NovoItem);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& at) { menu_->popup(grid->viewport()->mapToGlobal(at)); });
}
