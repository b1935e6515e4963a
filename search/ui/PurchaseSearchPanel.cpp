#include "search/ui/PurchaseSearchPanel.h"

#include "data/CachedDataset.h"
#include "purchase/WindowState.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

const QRect kPanelGeometry(0, 0, 630, 445);

bool inside(const QWidget* panel, const QWidget* w)
{
    return w && (w == panel || panel->isAncestorOf(w));
}

} // namespace

PurchaseSearchPanel::PurchaseSearchPanel(QWidget* parent, SearchData dm, WindowState& window)
    : QFrame(parent), window_(window), search_(dm)
{
    setObjectName(QStringLiteral("PainelPesquisaCompras"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    buildPanel(dm);
    connectColumns();
    connect(&dm.NFiscal, &CachedDataset::currentRowChanged, this, [this] {
        for (DBGrid* grid : {GradeData, GradeForn})
            if (grid->hasFocus())
                followFromGrid(grid);
    });
    connect(&dm.Compras2, &CachedDataset::currentRowChanged, this, [this] {
        for (DBGrid* grid : {GradeComp, GradeValid, GradeLote})
            if (grid->hasFocus())
                followFromGrid(grid);
    });
    connect(qApp, &QApplication::focusChanged, this, &PurchaseSearchPanel::focusMoved);
    hide();
}

PurchaseSearchPanel::Column PurchaseSearchPanel::addColumn(const QString& buttonName, const QString& caption,
                                                           const QString& fieldName, const QString& gridName,
                                                           const QString& dataField, const QString& title,
                                                           bool dateField)
{
    Column c{new QPushButton(caption, this), new QLineEdit(this), new DBGrid(this)};
    c.button->setObjectName(buttonName);
    c.button->setFocusPolicy(Qt::NoFocus);
    c.field->setObjectName(fieldName);
    c.field->installEventFilter(this);
    c.grid->setObjectName(gridName);
    c.grid->setColumns({{dataField, title, 0, {}, dateField ? FieldFormat::date() : FieldFormat{}, true}});
    c.grid->setGridReadOnly(true);
    c.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    c.grid->setTabLeavesGrid(true); // Tab goes on to the next control, not to the next row
    c.grid->horizontalHeader()->setStretchLastSection(true);
    columns_.push_back(c);
    return c;
}

void PurchaseSearchPanel::buildPanel(const SearchData& dm)
{
    setGeometry(kPanelGeometry);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->setSpacing(4);
    layout->addWidget(
        panelparts::titleBar(this, QStringLiteral("TituloPesquisa"), QStringLiteral("Pesquisa de Notas Fiscais")));

    const Column date = addColumn(QStringLiteral("BotOrdData"), QStringLiteral("Data"), QStringLiteral("PesqData"),
                                  QStringLiteral("GradeData"), QStringLiteral("DATA"), QStringLiteral("DATA"), true);
    const Column number =
        addColumn(QStringLiteral("BitBtn1"), QStringLiteral("Nota Fiscal"), QStringLiteral("EditNotaFiscal"),
                  QStringLiteral("GradeNFiscal"), QStringLiteral("NOTAFISCAL"), QStringLiteral("N.Fiscal"), false);
    const Column supplier =
        addColumn(QStringLiteral("BotFornec"), QStringLiteral("Fornecedores"), QStringLiteral("EditFornecedor"),
                  QStringLiteral("GradeForn"), QStringLiteral("FORNECEDOR"), QStringLiteral("FORNECEDOR"), false);
    const Column product = addColumn(QStringLiteral("BotProdcomp"), QStringLiteral("Produtos / Componentes"),
                                     QStringLiteral("EditComponente"), QStringLiteral("GradeComp"),
                                     QStringLiteral("COMPONENTE"), QStringLiteral("COMPONENTE"), false);
    const Column expiry =
        addColumn(QStringLiteral("BotValid"), QStringLiteral("Validade"), QStringLiteral("EditValidade"),
                  QStringLiteral("GradeValid"), QStringLiteral("VALIDADE"), QStringLiteral("VALIDADE"), true);
    const Column lot = addColumn(QStringLiteral("BotLote"), QStringLiteral("Lote"), QStringLiteral("EditLote"),
                                 QStringLiteral("GradeLote"), QStringLiteral("LOTE"), QStringLiteral("LOTE"), false);
    BotOrdData = date.button, PesqData = date.field, GradeData = date.grid;
    BitBtn1 = number.button, EditNotaFiscal = number.field, GradeNFiscal = number.grid;
    BotFornec = supplier.button, EditFornecedor = supplier.field, GradeForn = supplier.grid;
    BotProdcomp = product.button, EditComponente = product.field, GradeComp = product.grid;
    BotValid = expiry.button, EditValidade = expiry.field, GradeValid = expiry.grid;
    BotLote = lot.button, EditLote = lot.field, GradeLote = lot.grid;
    for (DBGrid* grid : {GradeData, GradeNFiscal, GradeForn})
        grid->setDataSource(&dm.DS_NFiscal);
    for (DBGrid* grid : {GradeComp, GradeValid, GradeLote})
        grid->setDataSource(&dm.DS_Compras2);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    // The product column is the widest: names are long.
    const int stretch[] = {2, 2, 4, 5, 2, 3};
    for (int i = 0; i < int(columns_.size()); ++i) {
        grid->addWidget(columns_[std::size_t(i)].button, 0, i);
        grid->addWidget(columns_[std::size_t(i)].field, 1, i);
        grid->addWidget(columns_[std::size_t(i)].grid, 2, i);
        grid->setColumnStretch(i, stretch[i]);
    }
    layout->addLayout(grid, 1);

    BotSairPesquisa = new QPushButton(QStringLiteral("Fechar painel de pesquisas"), this);
    BotSairPesquisa->setObjectName(QStringLiteral("BotSairPesquisa"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BotSairPesquisa);
    layout->addLayout(bottom);
    keyroles::setCancelButton(this, BotSairPesquisa);
    setTabOrder(EditComponente, GradeComp);
}

void PurchaseSearchPanel::connectColumns()
{
    auto onClick = [this](QPushButton* button, auto action, DBGrid* grid) {
        connect(button, &QPushButton::clicked, this, [action, grid] {
            if (RunGuarded(action))
                grid->setFocus(Qt::OtherFocusReason);
        });
    };
    onClick(
        BotOrdData, [this] { search_.dateButton(PesqData->text()); }, GradeData);
    onClick(
        BitBtn1, [this] { search_.numberButton(); }, GradeNFiscal);
    onClick(
        BotFornec, [this] { search_.supplierButton(); }, GradeForn);
    onClick(
        BotProdcomp, [this] { search_.productButton(); }, GradeComp);
    onClick(
        BotValid, [this] { search_.expiryButton(EditValidade->text()); }, GradeValid);
    onClick(
        BotLote, [this] { search_.lotButton(EditLote->text()); }, GradeLote);

    // The lists follow the typing (the product field waits for Enter).
    auto onTyping = [this](QLineEdit* field, void (PurchaseSearch::*typed)(const QString&)) {
        connect(field, &QLineEdit::textEdited, this,
                [this, typed](const QString& text) { RunGuarded([&] { (search_.*typed)(text); }); });
    };
    onTyping(PesqData, &PurchaseSearch::dateTyped);
    onTyping(EditNotaFiscal, &PurchaseSearch::numberTyped);
    onTyping(EditFornecedor, &PurchaseSearch::supplierTyped);
    onTyping(EditValidade, &PurchaseSearch::expiryTyped);
    onTyping(EditLote, &PurchaseSearch::lotTyped);

    for (const Column& c : columns_) {
        DBGrid* grid = c.grid;
        connect(grid, &QAbstractItemView::clicked, this, [this, grid] { followFromGrid(grid); });
        grid->keyHook = [this, grid](QKeyEvent& e) {
            if (!IsEnterKey(e))
                return false;
            if (grid == GradeComp || grid == GradeValid || grid == GradeLote)
                search_.invoiceFollowsItem();
            BotSairPesquisa->setFocus(Qt::OtherFocusReason);
            return true;
        };
    }
    connect(BotSairPesquisa, &QPushButton::clicked, this, &PurchaseSearchPanel::closePanel);
}

bool PurchaseSearchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && IsEnterKey(*static_cast<QKeyEvent*>(event))) {
        for (const Column& c : columns_)
            if (watched == c.field) {
                enterInField(c.field);
                return true;
            }
    }
    return QFrame::eventFilter(watched, event);
}

void PurchaseSearchPanel::enterInField(QLineEdit* field)
{
    const QString text = field->text();
    bool found = false;
    RunGuarded([&] {
        if (field == PesqData)
            found = search_.dateEntered(text);
        else if (field == EditNotaFiscal)
            found = search_.numberEntered(text);
        else if (field == EditFornecedor)
            found = search_.supplierEntered(text);
        else if (field == EditComponente)
            field->setText(search_.productEntered(text, found));
        else if (field == EditValidade)
            found = search_.expiryEntered(text);
        else if (field == EditLote)
            found = search_.lotEntered(text);
    });
    for (const Column& c : columns_)
        if (c.field == field)
            (found ? static_cast<QWidget*>(c.grid) : field)->setFocus(Qt::OtherFocusReason);
}

// The other side follows the row chosen in a grid (the number grid only on a click).
void PurchaseSearchPanel::followFromGrid(DBGrid* grid)
{
    if (following_ || !isVisible())
        return;
    const QScopedValueRollback guard(following_, true);
    RunGuarded([&] {
        if (grid == GradeData)
            search_.itemsFollowInvoiceDate();
        else if (grid == GradeNFiscal)
            search_.itemsFollowInvoiceNumber();
        else if (grid == GradeForn)
            search_.itemsFollowInvoiceSupplier();
        else
            search_.invoiceFollowsItem();
    });
}

void PurchaseSearchPanel::openPanel()
{
    window_.DisableMainButtons();
    if (parentWidget())
        setGeometry(parentWidget()->rect()); // fills the window
    else
        setGeometry(kPanelGeometry);
    show();
    raise();
    emit opened();
    RunGuarded([this] { search_.openItems(); });
    EditComponente->setFocus(Qt::OtherFocusReason);
}

void PurchaseSearchPanel::closePanel()
{
    window_.EnableMainButtons();
    hide();
    search_.closeItems();
}

// Leaving the panel goes to the invoice date field of the main window.
void PurchaseSearchPanel::focusMoved(QWidget* from, QWidget* to)
{
    // Focus lent to a message box is not the panel being left.
    if (!to || to->window() != window() || !inside(this, from) || inside(this, to))
        return;
    RunGuarded([this] { window_.focusDateFieldIfUsable(); });
}
