#include "shell/ui/FormCompras.h"

#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/DBNavigator.h"
#include "shell/Dialogs.h"

#include <QAction>
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

TFormCompras::TFormCompras(SessionState& session, QWidget* parent) : QMainWindow(parent), session_(session)
{
    setObjectName(QStringLiteral("FormCompras"));
    setWindowTitle(QStringLiteral(" Notas Fiscais de Compras"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));

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
}

TFormCompras::~TFormCompras()
{
    disconnectLoginHandlers();
}

void TFormCompras::attachDataModule(TDM& dm)
{
    dm_ = &dm;
    DBNavigator5->setDataSource(&dm.DS_NFiscal);
    for (DBEdit* edit : {DBEditData, DBEdit6, DBEditNotaFiscal, DBEditForn, DBEdit1, DBEdit2, DBEdit3})
        edit->setDataSource(&dm.DS_NFiscal);
    DBComboBox1->setDataSource(&dm.DS_NFiscal);
    DBGrid1->setDataSource(&dm.DS_Compras);
    headerEntry_ = std::make_unique<HeaderEntry>(*this, dm);
    itemEntry_ = std::make_unique<ItemEntry>(*this, dm);
}

void TFormCompras::LockInvoiceFields()
{
    DBEditData->setEnabled(true);
    setAllEnabled({DBEdit6, DBEditNotaFiscal, DBEditForn, DBGrid1, DBEdit1, DBEdit2, DBEdit3, BotFecharNF}, false);
}

void TFormCompras::UnlockInvoiceFields()
{
    setAllEnabled({DBEditData, DBEdit6, DBEditNotaFiscal, DBEditForn, DBGrid1, DBEdit1, DBEdit2, DBEdit3, DBComboBox1},
                  true);
}

void TFormCompras::DisableMainButtons()
{
    setAllEnabled({BotSairCompras, BotTabCompras, BotPesquisaCompras, BotVencimentos, BotMalaDireta}, false);
}

void TFormCompras::EnableMainButtons()
{
    setAllEnabled({BotSairCompras, BotTabCompras, BotPesquisaCompras, BotVencimentos, BotMalaDireta, BotAtuaCustoUnit},
                  true);
}

bool TFormCompras::isPainelComprasVisible() const
{
    return PainelCompras->isVisible();
}

bool TFormCompras::isPainelOutrasDespesasVisible() const
{
    return PainelOutrasDespesas->isVisible();
}

bool TFormCompras::isDateFieldEnabledAndVisible() const
{
    return DBEditData->isEnabled() && DBEditData->isVisible();
}

void TFormCompras::makeDateFieldWritable()
{
    DBEditData->setReadOnly(false);
}

void TFormCompras::focusDateField()
{
    DBEditData->setFocus(Qt::OtherFocusReason);
}

void TFormCompras::selectItemGridFirstColumn()
{
    DBGrid1->setSelectedIndex(0);
    DBGrid1->setFocus(Qt::OtherFocusReason);
    DBGrid1->setSelectedIndex(0);
}

QString TFormCompras::editValRestText() const
{
    // The instalment panel is not part of this window yet: no remaining amount to show.
    return {};
}

void TFormCompras::ShowItemCostPerUnit()
{
    if (itemEntry_)
        itemEntry_->ShowItemCostPerUnit();
}

void TFormCompras::RecalcInstalmentBalance() {}

void TFormCompras::showMessage(const QString& text)
{
    ShowMessage(text);
}
