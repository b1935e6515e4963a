// Where the controls of the invoice window stand. Sizes and places are those of the screens;
// what the screens leave free is laid out to fit the 800 × 560 window.
#include "window/FormCompras.h"
#include "window/LoginPanel.h"

#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "entry/ui/ItemGrid.h"
#include "nfe/ui/NfeImportPanel.h"
#include "payments/ui/InstalmentPanel.h"
#include "reports/ui/ExpiryPanel.h"
#include "reports/ui/PeriodPanel.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/FieldText.h"
#include "widgets/FocusColours.h"
#include "widgets/PanelParts.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr double kScreenFontPoints = 8.0;
constexpr double kHintFontPoints = 7.5;

QFrame* newPanel(QWidget* parent, const QString& name, const QRect& geometry = {})
{
    auto* panel = new QFrame(parent);
    panelparts::framePanel(panel, name, geometry);
    return panel;
}

QLabel* newLabel(QWidget* parent, const QString& text, int left, int top, const QString& name = {})
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

// The screens' sizes were made for a compact 8-point font: with it, captions and column titles fit
// the widths the screens give.
void TFormCompras::applyScreenFont()
{
    QFont screenFont = font();
    screenFont.setPointSizeF(kScreenFontPoints);
    setFont(screenFont);
}

// Alt with the underlined letter opens each entry of the menu; the letters are the window's own
// (Alt+N closes the invoice, Alt+E imports an NF-e).
void TFormCompras::buildMenu()
{
    QMenuBar* bar = menuBar();
    auto add = [](QMenuBar* menu, const QString& name, const QString& text) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        return action;
    };
    Etiqueta1 = add(bar, QStringLiteral("Etiqueta1"), QStringLiteral("&Pesquisa"));
    abela1 = add(bar, QStringLiteral("abela1"), QStringLiteral("&Tabela"));
    QMenu* reports = bar->addMenu(QStringLiteral("&Relatórios"));
    reports->setObjectName(QStringLiteral("Relatorios1"));
    Etiquetas1 = reports->addAction(QStringLiteral("Etiquetas"));
    Etiquetas1->setObjectName(QStringLiteral("Etiquetas1"));
    Vencimentos1 = reports->addAction(QStringLiteral("Vencimentos"));
    Vencimentos1->setObjectName(QStringLiteral("Vencimentos1"));
    Sair1 = add(bar, QStringLiteral("Sair1"), QStringLiteral("&Sair"));
    // Nobody reads or prints anything before logging in: the menu answers from the login on.
    bar->setEnabled(false);
}

void TFormCompras::buildLoginPanel()
{
    PainelLogin = new LoginPanel(centralWidget());
}

void TFormCompras::buildPainelCompras()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("AreaCliente"));
    setCentralWidget(central);
    PainelCompras = newPanel(central, QStringLiteral("PainelCompras"), QRect(0, 0, 622, 445));
    headerEntry_ = new HeaderEntry(*dm_, *this, PainelCompras);
    itemEntry_ = std::make_unique<ItemEntry>(*dm_, *this, PainelCompras, this);
    buildTotals();
    buildCommandButtons();
    buildSmallPanels();
    buildSubsystemPanels();
    chainTabOrder();
}

// Tab walks the header, the item grid and the totals.
void TFormCompras::chainTabOrder()
{
    QWidget* grid = itemEntry_->grid->focusProxy();
    headerEntry_->continueTabOrderWith(grid);
    setTabOrder(grid, DBEdit1);
    setTabOrder(DBEdit1, DBEdit2);
    setTabOrder(DBEdit2, DBEdit3);
    setTabOrder(DBEdit3, DBComboBox1);
}

void TFormCompras::buildTotals()
{
    newLabel(PainelCompras, QStringLiteral("Total da Nota"), 214, 366);
    DBEdit1 = panelparts::fieldEdit(PainelCompras, QStringLiteral("DBEdit1"), QStringLiteral("VALBRUTO"),
                                    QRect(214, 382, 100, 22), FieldFormat::money());
    newLabel(PainelCompras, QStringLiteral("Descontos"), 322, 366);
    DBEdit2 = panelparts::fieldEdit(PainelCompras, QStringLiteral("DBEdit2"), QStringLiteral("DESCONTOTOTAL"),
                                    QRect(322, 382, 100, 22), FieldFormat::money());
    newLabel(PainelCompras, QStringLiteral("Valor Líquido"), 430, 366);
    DBEdit3 = panelparts::fieldEdit(PainelCompras, QStringLiteral("DBEdit3"), QStringLiteral("VALLIQUIDO"),
                                    QRect(430, 382, 100, 22), FieldFormat::money());
    for (DBEdit* readOnlyTotal : {DBEdit1, DBEdit3}) {
        readOnlyTotal->setReadOnly(true);
        readOnlyTotal->setStyleSheet(QStringLiteral("background-color: silver; color: black;"));
    }
    newLabel(PainelCompras, QStringLiteral(" Forma de Pagamento  "), 538, 366);
    DBComboBox1 = new DBComboBox(PainelCompras);
    DBComboBox1->setObjectName(QStringLiteral("DBComboBox1"));
    DBComboBox1->setDataField(QStringLiteral("FORMAPAGTO"));
    DBComboBox1->setGeometry(538, 382, 246, 22);
}

void TFormCompras::buildCommandButtons()
{
    BitBtn4 = panelparts::button(PainelCompras, QStringLiteral("BitBtn4"),
                                 QStringLiteral("Impostos, &Desp. e Descontos"), QRect(214, 412, 170, 28));
    BotFecharNF = panelparts::button(PainelCompras, QStringLiteral("BotFecharNF"),
                                     QStringLiteral("Fechar &Nota Fiscal"), QRect(388, 412, 130, 28));
    BitBtn8 = panelparts::button(PainelCompras, QStringLiteral("BitBtn8"), QStringLiteral("&Incluir no Contas a Pagar"),
                                 QRect(522, 412, 160, 28));
    BitBtn15 = panelparts::button(PainelCompras, QStringLiteral("BitBtn15"), QStringLiteral("Importar NF-&e"),
                                  QRect(686, 412, 98, 28));
    BitBtn15->setToolTip(QStringLiteral("Importar Nota Fiscal Eletrônica (NF-e)"));

    const QRect offScreen(0, 0, 0, 0);
    BotSairCompras =
        panelparts::button(PainelCompras, QStringLiteral("BotSairCompras"), QStringLiteral("&Sair"), offScreen);
    BotTabCompras =
        panelparts::button(PainelCompras, QStringLiteral("BotTabCompras"), QStringLiteral("&Tabela"), offScreen);
    BotPesquisaCompras =
        panelparts::button(PainelCompras, QStringLiteral("BotPesquisaCompras"), QStringLiteral("&Pesquisa"), offScreen);
    BotVencimentos =
        panelparts::button(PainelCompras, QStringLiteral("BotVencimentos"), QStringLiteral("&Vencimentos"), offScreen);
    BotMalaDireta =
        panelparts::button(PainelCompras, QStringLiteral("BotMalaDireta"), QStringLiteral("Mala Direta"), offScreen);
    for (QPushButton* hidden : {BotSairCompras, BotTabCompras, BotPesquisaCompras, BotVencimentos, BotMalaDireta})
        hidden->hide();

    // The two hint lines at the foot of the work area.
    auto hintLine = [this](const QString& name, const QString& text, int top) {
        auto* label = new QLabel(text, PainelCompras);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPointSizeF(kHintFontPoints);
        label->setFont(font);
        label->setGeometry(0, top, 790, 14);
        return label;
    };
    HintInsert =
        hintLine(QStringLiteral("HintInsert"),
                 QStringLiteral("  Para inserir um novo produto tecle \"Insert\" ou clique com o botão direito "
                                "na lista de itens da nota e selecione a opção \"Novo Item\"."),
                 482);
    HintTaxes = hintLine(QStringLiteral("HintTaxes"),
                         QStringLiteral("  Antes de fechar a nota fiscal, dê um clique no botão \"Impostos e "
                                        "Despesas\" e informe os dados solicitados"),
                         496);
}

void TFormCompras::buildSmallPanels()
{
    PainelAguarde = panelparts::captionPanel(PainelCompras, QStringLiteral("PainelAguarde"),
                                             QStringLiteral("Aguarde..."), QRect(40, 116, 380, 41));
    // Shown under the caption only while the sweep walks many rows.
    ProgressAguarde = new QProgressBar(PainelAguarde);
    ProgressAguarde->setObjectName(QStringLiteral("ProgressAguarde"));
    ProgressAguarde->setGeometry(8, 24, 364, 12);
    ProgressAguarde->setTextVisible(false);
    ProgressAguarde->hide();
    Painel_Procurando = panelparts::captionPanel(PainelCompras, QStringLiteral("Painel_Procurando"),
                                                 QStringLiteral("Procurando componente. Por favor, aguarde..."),
                                                 QRect(184, 144, 417, 57));
}

void TFormCompras::buildSubsystemPanels()
{
    PainelFormaPag = new InstalmentPanel(*dm_, *this, PainelCompras);
    Painel_NFe = new NfeImportPanel(PainelCompras);
    PainelVencimentos = new ExpiryPanel(PainelCompras);
    PainelPeriodo4 = new PeriodPanel(PainelCompras);
}
