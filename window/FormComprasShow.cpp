// The window's start: the sequence run once when it is first shown, activation, the single-module
// guard and the timers that keep the stamp and the activity file fresh.
#include "window/FormCompras.h"
#include "window/LoginPanel.h"

#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemEntry.h"
#include "entry/ui/ItemGrid.h"
#include "platform/ProductFolder.h"
#include "platform/TextFiles.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/ExpiredLotSweep.h"
#include "shell/InUseStamp.h"
#include "shell/LogonUser.h"
#include "shell/StartUpLists.h"
#include "shell/WorkQueries.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/KeyRoles.h"
#include "widgets/UnhandledError.h"
#include "widgets/WindowColour.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace {

// The steps of the start, for a technician checking an installation (off unless asked for:
// QT_LOGGING_RULES="korvanis.startup.info=true" korvanis).
Q_LOGGING_CATEGORY(lcStartUp, "korvanis.startup", QtWarningMsg)

constexpr int kUserNameChars = 60;
// From this many rows on, the sweep shows how far it has come.
constexpr int kRowsForProgressBar = 200;

const QString kAnotherModuleRunning = QStringLiteral(
    "Você tentou executar mais de um módulo do KORVANIS ao mesmo tempo.\rEste sistema foi projetado para executar "
    "somente um módulo de cada \rvez no mesmo computador. Este módulo será finalizado.");

} // namespace

void TFormCompras::connectLifeHandlers()
{
    connect(Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(BotSairCompras, &QPushButton::clicked, this, [this] { RunGuarded([this] { BotSairComprasClick(); }); });
    connect(Sair1, &QAction::triggered, this, [this] { RunGuarded([this] { Sair1Click(); }); });
    Timer3->start();
}

// The start-up sequence runs once the window is on the screen, so that its messages and the
// sweep's "Aguarde..." appear over it.
void TFormCompras::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_ || event->spontaneous())
        return;
    shown_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            RunGuarded([this] { FormShow(); });
            startUpRan_ = true;
        },
        Qt::QueuedConnection);
}

void TFormCompras::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunGuarded([this] { FormActivate(); });
}

void TFormCompras::FormActivate()
{
    // The column lists of ESTLOTE, MOVEST and COMPONEN are constants of the program.
    Painel_Procurando->setGeometry(184, 144, 417, 57);
}

void TFormCompras::FormShow()
{
    TDM& dm = *dm_;
    fillStartUpLists();
    if (!passSingleModuleGuard())
        return;
    PainelCompras->setGeometry(0, 0, 622, 445);
    PainelCompras->setGeometry(centralWidget()->rect()); // it fills the client area
    LockInvoiceFields();
    session_.LastSupplierCode = LastSupplierCodeOf(dm);
    DBComboBox1->clear();
    DBComboBox1->addItems(PaymentFormEntries(dm));
    PaintInWindowColour(PainelCompras, session_.WindowColour);
    PaintInWindowColour(centralWidget(), session_.WindowColour);
    PainelCompras->show();
    openWorkDatasets();
    PainelCompras->hide();
    itemEntry_->cost->hide();
    DisableMainButtons();
    showLoginPanel();

    dm.NFiscal.last();
    DisableMainButtons();
    LockInvoiceFields();
    const bool hasItems = !dm.Compras.isEmpty();
    const Values lastItemInvoice = {dm.Compras.value(QStringLiteral("DATA")),
                                    dm.Compras.value(QStringLiteral("NOTAFISCAL")),
                                    dm.Compras.value(QStringLiteral("FORNECEDOR"))};
    const int expired = sweepExpiredLots();
    if (hasItems)
        dm.NFiscal.locate(lastItemInvoice);
    if (expired > 0)
        ShowMessage(ExpiredLotsMessage(expired));
    EnableMainButtons();
    LockInvoiceFields();
    DBEdit1->setVisible(true);
    DBEdit2->setVisible(true);
}

void TFormCompras::fillStartUpLists()
{
    const QStringList locations = StockLocationNames(*dm_);
    itemEntry_->grid->setStockLocations(locations);
    session_.StockLocationCount = int(locations.size());
    session_.SavedFieldText.date.clear();
    session_.InsertingInvoice = false;
    itemEntry_->grid->movePriceHint(QPoint(268, 104));
}

// Another module of the product started on this workstation moments ago: this one ends, and the
// stamp stays with the module that is running.
bool TFormCompras::passSingleModuleGuard()
{
    if (stamp::check(productfolder::inUseStamp()) == stamp::Verdict::Live) {
        refusedByGuard_ = true;
        ShowMessage(kAnotherModuleRunning);
        close();
        return false;
    }
    // A product folder that cannot be written leaves nothing to work with: one message, and the
    // program ends.
    try {
        WriteInUseStamp();
    } catch (const FileError& e) {
        refusedByGuard_ = true;
        ShowMessage(QStringLiteral("A pasta do produto \"%1\" não pode ser gravada: o programa será encerrado.\r\r%2")
                        .arg(QDir::toNativeSeparators(productfolder::path()), e.message()));
        close();
        return false;
    }
    Timer2->start();
    return true;
}

void TFormCompras::openWorkDatasets()
{
    TDM& dm = *dm_;
    dm.Componentes.close();
    dm.Componentes.setCommandText(workqueries::componentes());
    dm.NFiscal.close();
    dm.NFiscal.setCommandText(workqueries::nfiscal());
    dm.NFiscal.open();
    dm.Componentes.open();
    dm.Unidades.open();
    dm.Compras.close();
    dm.Compras.setCommandText(workqueries::compras());
    dm.Compras.open();
}

void TFormCompras::showLoginPanel()
{
    session_.CurrentUserName = GetLogonUserName().left(kUserNameChars);
    PainelLogin->showFor(session_.CurrentUserName);
    keyroles::setCancelButton(this, PainelLogin->cancelButton());
    qCInfo(lcStartUp, "Identificação do Usuário: aguardando o login");
}

// The work area is hidden behind the login panel at this point, so "Aguarde..." stands in the
// client area itself, where the work area would put it.
int TFormCompras::sweepExpiredLots()
{
    QWidget* home = PainelAguarde->parentWidget();
    PainelAguarde->setParent(centralWidget());
    PainelAguarde->setGeometry(40, 116, 380, 41);
    PainelAguarde->show();
    PainelAguarde->raise();
    PainelAguarde->repaint();
    struct PutBack {
        QFrame* panel;
        QWidget* home;
        QProgressBar* bar;
        ~PutBack()
        {
            panel->hide();
            bar->hide();
            panel->setParent(home);
        }
    } putBack{PainelAguarde, home, ProgressAguarde};

    const int count = SweepExpiredLots(dm_->Compras2, QDate::currentDate(),
                                       [this](int done, int total) { showSweepProgress(done, total); });
    dm_->Compras2.close();
    return count;
}

void TFormCompras::showSweepProgress(int done, int total)
{
    if (total < kRowsForProgressBar)
        return;
    if (done == 1) {
        ProgressAguarde->setRange(0, total);
        ProgressAguarde->show();
    }
    const int step = std::max(1, total / 100);
    if (done % step == 0 || done == total) {
        ProgressAguarde->setValue(done);
        PainelAguarde->repaint();
    }
}

void TFormCompras::WriteInUseStamp()
{
    stamp::write(productfolder::inUseStamp());
}

void TFormCompras::Timer2Timer()
{
    if (!RunGuarded([this] { WriteInUseStamp(); }))
        Timer2->stop();
}

// A file that cannot be written is reported once, and the timer stays stopped.
void TFormCompras::Timer3Timer()
{
    Timer3->stop();
    if (RunGuarded([] { WriteActivityFile(productfolder::activityFile()); }))
        Timer3->start();
}

void TFormCompras::BotSairComprasClick()
{
    close();
}

// "Sair" closes the window whatever the state of the hidden button it stands for.
void TFormCompras::Sair1Click()
{
    BotSairComprasClick();
}
