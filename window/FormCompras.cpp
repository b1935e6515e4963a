#include "window/FormCompras.h"

#include "entry/ui/CostDetails.h"
#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "entry/ui/ItemGrid.h"
#include "entry/ui/ProductOptions.h"
#include "payments/ui/InstalmentPanel.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "widgets/AccessibleNames.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kActivityInterval = 60000;
constexpr int kStampInterval = 30000;
constexpr int kFrameBorder = 4;
constexpr int kTitleBarHeight = 23;

void setAllEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets)
        w->setEnabled(enabled);
}

// Centres a window of the given outer size on the screen it will open on.
void centreOnScreen(QWidget& window, QSize outer)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

} // namespace

TFormCompras::TFormCompras(TDM& dm, TRM& rm, QWidget* parent) : QMainWindow(parent), dm_(&dm), session_(dm.session())
{
    setObjectName(QStringLiteral("FormCompras"));
    setWindowTitle(QStringLiteral(" Notas Fiscais de Compras"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));

    // Screen readers and automation find each control by the name its caption gives it.
    accessiblenames::nameControlsWhenShown();
    applyScreenFont();
    buildMenu();
    buildPainelCompras();
    buildLoginPanel();

    // The outer size (800 × 560) is fixed; the window proper is what a usual frame leaves of it.
    setFixedSize(kOuterWidth - 2 * kFrameBorder, kOuterHeight - kTitleBarHeight - 2 * kFrameBorder);
    centreOnScreen(*this, {kOuterWidth, kOuterHeight});

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(kActivityInterval);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(kStampInterval);
    connectLifeHandlers();
    connectLoginHandlers();
    connectEntryPanels();

    bindTotals();
    buildClosing();
    buildPayments();
    buildNfe();
    buildSearch();
    buildReports(rm);
    listenToRules();
}

// While the window is taken apart its controls lose the focus one by one: no panel may follow the
// focus then, and no control may reach the window, which is no longer one (a payment form left by
// the focus would otherwise call back into it).
TFormCompras::~TFormCompras()
{
    disconnectLoginHandlers();
    for (QObject* child : findChildren<QObject*>()) {
        disconnect(qApp, nullptr, child, nullptr);
        disconnect(child, nullptr, this, nullptr);
    }
}

void TFormCompras::bindTotals()
{
    for (DBEdit* edit : {DBEdit1, DBEdit2, DBEdit3})
        edit->setDataSource(&dm_->DS_NFiscal);
    DBComboBox1->setDataSource(&dm_->DS_NFiscal);
}

// The rules tell what the clerk is to see; the window shows it while it lives.
void TFormCompras::listenToRules()
{
    DatasetRules& rules = dm_->rules();
    ruleListeners_.push_back(rules.modeChanged.add([this](InvoiceMode from, InvoiceMode to) { followMode(from, to); }));
    ruleListeners_.push_back(rules.messageRaised.add([](const QString& text) { ShowMessage(text); }));
    ruleListeners_.push_back(rules.itemAdded.add([this] { itemEntry_->grid->selectFirstColumnAndFocus(); }));
    ruleListeners_.push_back(rules.itemScrolled.add([this] { itemEntry_->ShowItemCostPerUnit(); }));
    ruleListeners_.push_back(rules.instalmentsChanged.add([this] { PainelFormaPag->RecalcInstalmentBalance(); }));
}

// Editing the header begins from browsing (or before the work area, for a new invoice): the main
// buttons wait, the invoice fields open and the issue date takes the focus. Editing ends in
// browsing: the buttons come back, the fields lock and the focus goes back to the issue date.
// The tax panel locks and unlocks the window itself.
void TFormCompras::followMode(InvoiceMode from, InvoiceMode to)
{
    if (to == InvoiceMode::EditingHeader && (from == InvoiceMode::Browsing || from == InvoiceMode::Starting)) {
        DisableMainButtons();
        UnlockInvoiceFields();
        headerEntry_->makeDateFieldWritable();
        focusDateFieldIfUsable();
    } else if (from == InvoiceMode::EditingHeader && to == InvoiceMode::Browsing) {
        EnableMainButtons();
        LockInvoiceFields();
        headerEntry_->focusDateField();
    }
}

DBEdit* TFormCompras::headerField(const char* name) const
{
    return headerEntry_->findChild<DBEdit*>(QLatin1String(name));
}

// The hand-overs between the panels, and what they ask of the window's own controls.
void TFormCompras::connectEntryPanels()
{
    ItemGrid* grid = itemEntry_->grid;
    connect(headerEntry_, &HeaderEntry::dateFieldEntered, grid, &ItemGrid::hidePriceHint);
    connect(headerEntry_, &HeaderEntry::itemGridWanted, grid, &ItemGrid::takeFocus);
    connect(headerEntry_, &HeaderEntry::exitEnabled, BotSairCompras, &QWidget::setEnabled);
    connect(itemEntry_->products, &ProductOptions::searching, this, &TFormCompras::showSearching);
}

// The notice is painted at once: the look-up that follows holds the event loop.
void TFormCompras::showSearching(bool running)
{
    if (!running) {
        Painel_Procurando->hide();
        return;
    }
    Painel_Procurando->raise();
    Painel_Procurando->show();
    Painel_Procurando->repaint();
}

void TFormCompras::LockInvoiceFields()
{
    headerEntry_->setFieldsLocked(true);
    itemEntry_->grid->setGridEnabled(false);
    setAllEnabled({DBEdit1, DBEdit2, DBEdit3, BotFecharNF}, false);
}

void TFormCompras::UnlockInvoiceFields()
{
    headerEntry_->setFieldsLocked(false);
    itemEntry_->grid->setGridEnabled(true);
    setAllEnabled({DBEdit1, DBEdit2, DBEdit3, DBComboBox1}, true);
}

void TFormCompras::DisableMainButtons()
{
    setAllEnabled({BotSairCompras, BotTabCompras, BotPesquisaCompras, BotVencimentos, BotMalaDireta}, false);
}

void TFormCompras::EnableMainButtons()
{
    setAllEnabled({BotSairCompras, BotTabCompras, BotPesquisaCompras, BotVencimentos, BotMalaDireta}, true);
    itemEntry_->cost->setCostUpdateEnabled(true);
}

void TFormCompras::focusDateFieldIfUsable()
{
    if (headerEntry_->isDateFieldEnabledAndVisible())
        headerEntry_->focusDateField();
}
