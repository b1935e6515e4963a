#include "entry/ui/ItemGrid.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/Formats.h"
#include "entry/ItemEntryValues.h"
#include "entry/StockLocation.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/ProductOptions.h"
#include "entry/ui/UnitOptions.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FieldText.h"
#include "widgets/FocusColours.h"
#include "widgets/GridColumn.h"
#include "widgets/PanelParts.h"

#include <algorithm>

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
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

const QRect kGridGeometry(6, 80, 778, 280);
const QRect kPriceHintGeometry(545, 37, 232, 32);
constexpr int kPriceHintGap = 2;
constexpr double kGridFontPoints = 7.5;
constexpr double kGridTitleFontPoints = 7.0;
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

// The item grid's columns: field, title and width as the item screen gives them.
std::vector<GridColumn> itemGridColumns()
{
    const FieldFormat date = FieldFormat::date();
    const FieldFormat money = FieldFormat::money();
    return {
        {QStringLiteral("COMPONENTE"), QStringLiteral("Descrição do Produto"), 220, {}, {}, false},
        {QStringLiteral("QUANTIDADE"), QStringLiteral("Qtde."), 49, {}, {}, false},
        {QStringLiteral("UNIDADE"), QStringLiteral("Unid"), 32, {}, {}, false},
        {QStringLiteral("PRECOUNITR"), QStringLiteral("Pr. Unit"), 48, {}, money, false},
        {QStringLiteral("SALDO"), QStringLiteral("Pr. Total"), 56, {}, money, false},
        {QStringLiteral("LABORATORIO"), QStringLiteral("Local Estoque"), 74, {}, {}, false},
        {QStringLiteral("LOTE"), QStringLiteral("Lote"), 70, {}, {}, false},
        {QStringLiteral("SITUACAO"),
         QStringLiteral("Situação"),
         52,
         {QStringLiteral("Estoque"), QStringLiteral("Quarent."), QStringLiteral("Vencido")},
         {},
         false},
        {QStringLiteral("FABRICACAO"), QStringLiteral("Data Fabric."), 62, {}, date, false},
        {QStringLiteral("VALIDADE"), QStringLiteral("Data Valid."), 56, {}, date, false},
        {QStringLiteral("DENSIDADE"), QStringLiteral("Densidade"), 56, {}, {}, false},
        {QStringLiteral("FATORCORRECAO"), QStringLiteral("Fator Correção"), 77, {}, {}, false},
        {QStringLiteral("FATORDILUICAO"), QStringLiteral("Fator Diluição"), 70, {}, {}, false},
        {QStringLiteral("FABRICANTE"), QStringLiteral("Fabricante"), 0, {}, {}, false},
    };
}

} // namespace

ItemGrid::ItemGrid(ItemEntryValues& values, ProductOptions& products, UnitOptions& units, CostDetails& cost,
                   QWidget* parent)
    : QWidget(parent), values_(values), products_(products), units_(units), cost_(cost)
{
    setObjectName(QStringLiteral("itemGrid"));
    setGeometry(kGridGeometry);
    buildGrid();
    PainelAlertaCusto =
        panelparts::captionPanel(parent, QStringLiteral("PainelAlertaCusto"),
                                 QStringLiteral("Informe o Preço de aquisição de 1 ml"), kPriceHintGeometry);
    buildContextMenu();
}

void ItemGrid::buildGrid()
{
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    // No caption stands by the grid; its columns are named by their titles.
    DBGrid1->setAccessibleName(QStringLiteral("Itens da Nota Fiscal"));
    DBGrid1->setColumns(itemGridColumns());
    DBGrid1->setTabLeavesGrid(true);
    // Titles such as "Local Estoque", and dates, must fit the narrow columns.
    QFont cellFont = DBGrid1->font();
    cellFont.setPointSizeF(kGridFontPoints);
    DBGrid1->setFont(cellFont);
    QFont titleFont = DBGrid1->horizontalHeader()->font();
    titleFont.setPointSizeF(kGridTitleFontPoints);
    DBGrid1->horizontalHeader()->setFont(titleFont);
    DBGrid1->setGeometry(rect());
    setFocusProxy(DBGrid1);
}

void ItemGrid::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    session_ = &dm.session();
    DBGrid* grid = DBGrid1;
    grid->setDataSource(&dm.DS_Compras);
    connect(grid, &DBGrid::columnEntered, this, &ItemGrid::EnterItemColumn);
    connect(grid, &DBGrid::columnExited, this, &ItemGrid::LeaveItemColumn);
    connect(grid, &DBGrid::exited, this, &ItemGrid::CheckStockLocation);
    connect(grid, &DBGrid::rowLeaving, this, &ItemGrid::LeaveItemRow);
    connect(&dm.Compras, &CachedDataset::currentRowChanged, this, &ItemGrid::CaptureEnteredValues);
    grid->keyHook = [this](QKeyEvent& e) { return handleKey(e); };
    // The defaults of a new item are no typing: a row without its product is one nobody typed into.
    grid->isUntouchedRow = [](const CachedDataset& items) { return items.asText(kProduct).isEmpty(); };
    PainelAlertaCusto->installEventFilter(this);
    paintExpiredRows();
}

// ---- what the window and the other panels ask

void ItemGrid::setStockLocations(const QStringList& locations)
{
    DBGrid1->setPickList(Laboratorio, locations);
}

void ItemGrid::setGridEnabled(bool enabled)
{
    DBGrid1->setEnabled(enabled);
}

void ItemGrid::movePriceHint(const QPoint& at)
{
    PainelAlertaCusto->move(at);
}

void ItemGrid::hidePriceHint()
{
    PainelAlertaCusto->hide();
}

void ItemGrid::selectProductColumn()
{
    DBGrid1->setSelectedIndex(Componente);
}

void ItemGrid::selectFirstColumnAndFocus()
{
    DBGrid1->setSelectedIndex(0);
    DBGrid1->setFocus(Qt::OtherFocusReason);
    DBGrid1->setSelectedIndex(0);
}

void ItemGrid::focusGrid()
{
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

bool ItemGrid::commitTypedCell()
{
    return DBGrid1->commitTyping();
}

void ItemGrid::takeFocus(bool firstColumn)
{
    if (firstColumn)
        DBGrid1->setSelectedIndex(0);
    panelparts::tryFocus(DBGrid1);
}

// ---- columns

void ItemGrid::EnterItemColumn(int column)
{
    CachedDataset& items = dm_->Compras;
    if (column == Componente) {
        DBGrid1->setColumnWidth(Componente, kProductColumnWidth);
        values_.EnteredProductText = items.isOpen() ? items.asText(kProduct) : QString();
    }
    // The other cells of a row are out of reach until its product is filled.
    if (!items.isOpen() || items.asText(kProduct).isEmpty()) {
        DBGrid1->setSelectedIndex(Componente);
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
// The rules of a column belong to the row being left: a new row without its product (Insert
// pressed in a column, which then moves to the product) has nothing to check.
void ItemGrid::LeaveItemColumn(int column)
{
    const CachedDataset& items = dm_->Compras;
    if (!items.isOpen())
        return;
    if (column != Componente && items.state() == CachedDataset::State::Insert && items.asText(kProduct).isEmpty())
        return;
    if (column == Laboratorio)
        DBGrid1->setColumnWidth(Componente, kProductColumnWidth);
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
    const CachedDataset& items = dm_->Compras;
    return items.asText(kProduct) != values_.EnteredProductText || items.asText(kCode).isEmpty();
}

// A quantity can be typed only while it is 0 or empty.
void ItemGrid::QuantityRule()
{
    CachedDataset& items = dm_->Compras;
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
    if (!session_->AutoPriceUpdate)
        return;
    const std::optional<QString> typed = priceText(dm_->Compras);
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
    CachedDataset& items = dm_->Compras;
    items.edit();
    items.setValue(kLineTotal, DatasetRules::ItemLineTotal(items));
}

// Moving to another row leaves the quantity or price cell as surely as leaving its column: the
// rule runs on the row being left, before it is saved.
void ItemGrid::LeaveItemRow()
{
    const CachedDataset& items = dm_->Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    const int column = DBGrid1->selectedIndex();
    if (column == Quantidade)
        QuantityRule();
    else if (column == PrecoUnitR)
        PriceRule();
}

// The values the product, quantity and price cells compare with belong to the item that is current.
void ItemGrid::CaptureEnteredValues()
{
    const CachedDataset& items = dm_->Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    values_.EnteredQuantity = items.asFloat(kQuantity);
    values_.EnteredPriceText = priceText(items).value_or(formats::fixed2(0));
    values_.EnteredProductText = items.asText(kProduct);
}

void ItemGrid::showPriceHint()
{
    const QString unit = dm_->Compras.asText(kUnit);
    if (unit.isEmpty())
        return;
    auto* caption = PainelAlertaCusto->findChild<QLabel*>();
    caption->setText(QStringLiteral("Informe o Preço de Aquisição de 1 ") + unit);
    fitCaption(*caption, PainelAlertaCusto->width() - 8);
    placePriceHint();
    PainelAlertaCusto->raise();
    PainelAlertaCusto->show();
}

// The hint stands under the row being typed, or over it when the row is near the grid's foot:
// never on the row itself, whose price cell the clerk is typing into.
void ItemGrid::placePriceHint()
{
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid())
        return;
    QWidget* area = PainelAlertaCusto->parentWidget();
    const QRect row = DBGrid1->visualRect(current);
    const QPoint rowTop = DBGrid1->viewport()->mapTo(area, row.topLeft());
    const QPoint rowBottom = DBGrid1->viewport()->mapTo(area, row.bottomLeft());
    const QRect grid(DBGrid1->mapTo(area, QPoint(0, 0)), DBGrid1->size());
    const int height = PainelAlertaCusto->height();
    int top = rowBottom.y() + kPriceHintGap;
    if (top + height > grid.bottom())
        top = rowTop.y() - kPriceHintGap - height;
    const int left =
        std::clamp(rowTop.x(), grid.left(), std::max(grid.left(), grid.right() - PainelAlertaCusto->width()));
    PainelAlertaCusto->move(left, top);
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
    DBGrid* grid = DBGrid1;
    const int column = grid->selectedIndex();
    if (column == PrecoUnitR) {
        PainelAlertaCusto->hide();
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
           DBGrid1->selectedIndex() == Componente && DBGrid1->editText().isEmpty();
}

// ---- leaving the grid

void ItemGrid::CheckStockLocation()
{
    CachedDataset& items = dm_->Compras;
    if (!items.isOpen())
        return;
    ShowWindowColour(DBGrid1);
    PainelAlertaCusto->hide();
    // On an invoice without items, editing would add a new item, and the new item takes the focus
    // back into the grid: the clerk could never reach the header again. Such a row is untouched and
    // would be dropped anyway, so none is added.
    if (items.isEmpty())
        return;
    items.edit();
    // A new row is checked as a saved one is, once it has its product: without one it holds
    // nothing typed yet and goes away.
    const bool newRow = items.state() == CachedDataset::State::Insert;
    if (newRow ? items.asText(kProduct).isEmpty() : items.state() != CachedDataset::State::Edit)
        return;
    const StockLocationCheck check =
        CheckStockLocationText(session_->StockLocationCount, items.asText(kLocation), dm_->TabLab);
    if (check.location)
        items.setText(kLocation, *check.location);
    if (check.accepted)
        return;
    products_.hide();
    ShowMessage(kStockLocationMessage);
    DBGrid1->setEnabled(true);
    DBGrid1->setFocus(Qt::OtherFocusReason);
    DBGrid1->setSelectedIndex(Laboratorio);
}

// ---- drawing, the price hint, the context menu

void ItemGrid::paintExpiredRows()
{
    DBGrid1->setCellColours([this](int row, int) -> std::optional<CellColours> {
        const CachedDataset& items = dm_->Compras;
        if (!items.isOpen() || !items.hasField(kStatus))
            return std::nullopt;
        if (ascii::upper(items.textAt(row, items.fieldIndex(kStatus))) == QLatin1String("VENCIDO"))
            return CellColours{Qt::white, kMaroon};
        return CellColours{Qt::black, Qt::white};
    });
}

bool ItemGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PainelAlertaCusto && event->type() == QEvent::MouseButtonPress)
        PainelAlertaCusto->hide();
    return false;
}

// The bottom line of the window promises it: a right click on the item list offers "Novo Item",
// which adds an item row as the Insert key does.
void ItemGrid::buildContextMenu()
{
    DBGrid* grid = DBGrid1;
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
