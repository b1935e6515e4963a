#include "search/ui/InvoiceTablePanel.h"

#include "data/CachedDataset.h"
#include "purchase/WindowState.h"
#include "widgets/DBGrid.h"
#include "widgets/EnterAsTab.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QRect kPanelGeometry(2, 2, 627, 441);

} // namespace

InvoiceTablePanel::InvoiceTablePanel(QWidget* parent, SearchData dm, WindowState& window)
    : QFrame(parent), window_(window)
{
    setObjectName(QStringLiteral("TabelaNFiscais"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    buildPanel(dm);
    connect(BitBtn5, &QPushButton::clicked, this, &InvoiceTablePanel::closeTable);
    DBGrid2->keyHook = [this](QKeyEvent& e) {
        if (!IsEnterKey(e))
            return false;
        BitBtn5->setFocus(Qt::OtherFocusReason);
        return true;
    };
    connect(qApp, &QApplication::focusChanged, this, &InvoiceTablePanel::focusMoved);
    hide();
}

void InvoiceTablePanel::buildPanel(const SearchData& dm)
{
    setGeometry(kPanelGeometry);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    auto* title = new QLabel(QStringLiteral("Listagem das Notas Fiscais"), this);
    title->setObjectName(QStringLiteral("TituloTabela"));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Highlight);
    title->setForegroundRole(QPalette::HighlightedText);
    layout->addWidget(title);

    DBGrid2 = new DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setColumns({
        {QStringLiteral("DATA"), QStringLiteral(" Data"), 71, {}, FieldFormat::date(), true},
        {QStringLiteral("NOTAFISCAL"), QStringLiteral(" Nota Fiscal"), 100, {}, {}, true},
        {QStringLiteral("FORNECEDOR"), QStringLiteral(" Fornecedor"), 225, {}, {}, true},
        {QStringLiteral("VALBRUTO"), QStringLiteral(" Val. Bruto R$"), 90, {}, FieldFormat::money(), true},
        {QStringLiteral("DESCONTOTOTAL"), QStringLiteral(" Desc. R$"), 70, {}, FieldFormat::money(), true},
        {QStringLiteral("VALLIQUIDO"), QStringLiteral(" Val. Líq. R$"), 80, {}, FieldFormat::money(), true},
        {QStringLiteral("DATARECEBIM"), QStringLiteral("Data Recebim."), 0, {}, FieldFormat::date(), true},
    });
    DBGrid2->setGridReadOnly(true);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setDataSource(&dm.DS_NFiscal);
    layout->addWidget(DBGrid2, 1);

    BitBtn5 = new QPushButton(QStringLiteral("&Fechar"), this);
    BitBtn5->setObjectName(QStringLiteral("BitBtn5"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BitBtn5);
    layout->addLayout(bottom);
}

void InvoiceTablePanel::toggle()
{
    if (isVisible()) {
        closeTable();
        return;
    }
    setGeometry(parentWidget() ? parentWidget()->rect().adjusted(2, 2, -2, -2) : kPanelGeometry);
    show();
    raise();
    emit opened();
    window_.DisableMainButtons();
    DBGrid2->setFocus(Qt::OtherFocusReason);
}

void InvoiceTablePanel::closeTable()
{
    window_.EnableMainButtons();
    hide();
}

// Leaving the grid goes to "&Fechar"; leaving "&Fechar" goes to the invoice date field.
void InvoiceTablePanel::focusMoved(QWidget* from, QWidget* to)
{
    if (!from || !to || from == to || to->window() != window())
        return;
    const bool fromGrid = from == DBGrid2 || DBGrid2->isAncestorOf(from);
    if (fromGrid && to != BitBtn5 && BitBtn5->isVisible() && BitBtn5->isEnabled() && !DBGrid2->isAncestorOf(to)) {
        BitBtn5->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (from == BitBtn5 && to != DBGrid2)
        RunGuarded([this] { window_.focusDateFieldIfUsable(); });
}
