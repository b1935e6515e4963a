// The purchase search panel, the invoice table and the sort buttons of the invoice header.

#include "purchase/DataModule.h"
#include "search/PurchaseSearch.h"
#include "search/ui/InvoiceTablePanel.h"
#include "search/ui/PurchaseSearchPanel.h"
#include "widgets/CoveringPanels.h"
#include "widgets/UnhandledError.h"
#include "window/FormCompras.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <memory>

namespace {

// Just after the end of the header label's text, whatever the screen's font makes its width.
QPoint besideLabel(QWidget* area, const QString& text)
{
    for (const QLabel* label : area->findChildren<QLabel*>())
        if (label->text() == text)
            return label->mapTo(area, QPoint(label->fontMetrics().horizontalAdvance(text) + 1, -2));
    return {};
}

} // namespace

void TFormCompras::buildSearch()
{
    TDM& dm = *dm_;
    auto* search = new PurchaseSearchPanel(centralWidget(), dm, *this);
    auto* table = new InvoiceTablePanel(centralWidget(), dm, *this);
    PainelPesquisaCompras = search;
    TabelaNFiscais = table;
    coveringpanels::add(search);
    coveringpanels::add(table);

    connect(Etiqueta1, &QAction::triggered, search, &PurchaseSearchPanel::openPanel);
    connect(BotPesquisaCompras, &QPushButton::clicked, search, &PurchaseSearchPanel::openPanel);
    connect(abela1, &QAction::triggered, table, &InvoiceTablePanel::toggle);
    connect(BotTabCompras, &QPushButton::clicked, table, &InvoiceTablePanel::toggle);
    connect(search, &PurchaseSearchPanel::opened, table, &QWidget::hide);
    connect(table, &InvoiceTablePanel::opened, search, &QWidget::hide);

    // Small buttons beside the header labels re-order the invoice list.
    auto sorter = std::make_shared<PurchaseSearch>(dm);
    struct Sort {
        const char* name;
        const char* label;
        InvoiceOrder order;
        const char* tip;
    };
    const Sort sorts[] = {
        {"SpeedButton1", "Data Emissão", InvoiceOrder::DateNumberSupplier, "Ordenar por data de emissão"},
        {"SpeedButton5", "Nota Fiscal", InvoiceOrder::NumberSupplier, "Ordenar por nota fiscal"},
        {"SpeedButton3", "Fornecedor", InvoiceOrder::SupplierDateNumber, "Ordenar por fornecedor"},
    };
    for (const Sort& s : sorts) {
        auto* button = new QToolButton(PainelCompras);
        button->setObjectName(QLatin1String(s.name));
        button->setArrowType(Qt::DownArrow);
        button->setToolTip(QString::fromUtf8(s.tip));
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(QRect(besideLabel(PainelCompras, QString::fromUtf8(s.label)), QSize(16, 16)));
        const InvoiceOrder order = s.order;
        connect(button, &QToolButton::clicked, this,
                [sorter, order] { RunGuarded([&] { sorter->sortInvoices(order); }); });
    }
}
