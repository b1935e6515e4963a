#include "reports/ui/ExpiryPanel.h"

#include "data/CachedDataset.h"
#include "widgets/DBGrid.h"
#include "widgets/GridColumn.h"
#include "widgets/KeyRoles.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QRect kGeometry(6, 34, 778, 372);

std::vector<GridColumn> listingColumns()
{
    const FieldFormat date = FieldFormat::date();
    return {
        {QStringLiteral("VALIDADE"), QStringLiteral("Validade"), 62, {}, date, true},
        {QStringLiteral("COMPONENTE"), QStringLiteral("Descrição do Produto"), 220, {}, {}, true},
        {QStringLiteral("DCB"), QStringLiteral("DCB"), 50, {}, {}, true},
        {QStringLiteral("LOTE"), QStringLiteral("Lote"), 80, {}, {}, true},
        {QStringLiteral("QUANTIDADE"), QStringLiteral("Qtde."), 56, {}, {}, true},
        {QStringLiteral("UNIDADE"), QStringLiteral("Unid"), 36, {}, {}, true},
        {QStringLiteral("FORNECEDOR"), QStringLiteral("Fornecedor"), 150, {}, {}, true},
        {QStringLiteral("NOTAFISCAL"), QStringLiteral("Nota Fiscal"), 70, {}, {}, true},
    };
}

} // namespace

ExpiryPanel::ExpiryPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelVencimentos"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(kGeometry);

    auto* title = new QLabel(QStringLiteral("Produtos com vencimento no período"), this);
    title->setObjectName(QStringLiteral("PainelVencimentosTitulo"));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Highlight);
    title->setForegroundRole(QPalette::HighlightedText);
    title->setGeometry(2, 2, kGeometry.width() - 4, 20);

    DBGrid4 = new DBGrid(this);
    DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
    DBGrid4->setColumns(listingColumns());
    DBGrid4->setGridReadOnly(true);
    DBGrid4->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid4->setGeometry(8, 26, kGeometry.width() - 16, kGeometry.height() - 70);

    BitBtn7 = new QPushButton(QStringLiteral("Voltar"), this);
    BitBtn7->setObjectName(QStringLiteral("BitBtn7"));
    BitBtn7->setGeometry((kGeometry.width() - 90) / 2, kGeometry.height() - 36, 90, 28);
    keyroles::setCancelButton(this, BitBtn7);

    connect(BitBtn7, &QPushButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    hide();
}

void ExpiryPanel::setDataSource(DataSource* vencimentos)
{
    DBGrid4->setDataSource(vencimentos);
}

void ExpiryPanel::open()
{
    setGeometry(kGeometry);
    show();
    raise();
    DBGrid4->setFocus(Qt::OtherFocusReason);
}
