#pragma once

#include "purchase/InvoiceMode.h"
#include "purchase/Listeners.h"
#include "purchase/WindowState.h"

#include <QMainWindow>

#include <memory>
#include <vector>

class DBComboBox;
class DBEdit;
class DBGrid;
class DBNavigator;
class ExpiryPanel;
class HeaderEntry;
class InstalmentPanel;
class LoginPanel;
class ItemEntry;
class NfeImportPanel;
class PeriodPanel;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
struct SessionState;
class TDM;
class TRM;

// The invoice window. Every control carries the name the screens give it, as member and as
// objectName, so that handlers read like the behaviour they implement and tests find them with
// findChild. Every panel is hidden when the window is created; code places and shows them.
//
// The window composes the panels: the invoice header (`HeaderEntry`, with the supplier lookup)
// and the items (`ItemEntry`: the item grid, the product and unit options, the product details)
// own their controls and reach the window through `WindowState` and their signals.
//
// The window is built on the data module and the report module, with every panel in its place
// and bound to its data; it follows the mode of the dataset rules (`InvoiceMode`) and shows what
// they tell the clerk.
class TFormCompras : public QMainWindow, public WindowState {
    Q_OBJECT

public:
    static constexpr int kOuterWidth = 800;
    static constexpr int kOuterHeight = 560;

    TFormCompras(TDM& dm, TRM& rm, QWidget* parent = nullptr);
    ~TFormCompras() override;

    TDM* dataModule() const { return dm_; }
    SessionState& session() const { return session_; }

    // Window-state routines.
    void LockInvoiceFields() override;
    void UnlockInvoiceFields() override;
    void DisableMainButtons() override;
    void EnableMainButtons() override;
    void focusDateFieldIfUsable() override;

    // The window's life: shown once (the start-up sequence), activated, closed.
    void FormShow();
    void FormActivate();
    // Whether the window may close (false keeps it open: the accounts-payable reminder was answered Yes).
    bool FormClose();
    // The system asks the program to end (SIGTERM, SIGINT): dialogs left open are dismissed, no
    // question is asked, what the clerk typed is posted as on a normal close, and what cannot be
    // stored or shown is written to erros.log; then the program ends.
    void endOnTerminationSignal();
    void WriteInUseStamp();
    void Timer2Timer();
    void Timer3Timer();
    void BotSairComprasClick();
    void Sair1Click();
    // The start-up sequence has run (to its end, or up to a refusal or an error).
    bool startUpRan() const { return startUpRan_; }
    // Another module was running: this one ends and leaves that module's stamp in place.
    bool refusedByGuard() const { return refusedByGuard_; }

    // Payments: "Incluir no Contas a Pagar".
    void BitBtn8Click();

    // What a successful login shows: the work area, with the main actions enabled.
    void enterWorkArea();

    // Main menu.
    QAction* Etiqueta1;    // "Pesquisa"
    QAction* abela1;       // "Tabela"
    QAction* Etiquetas1;   // "Relatórios" > "Etiquetas"
    QAction* Vencimentos1; // "Relatórios" > "Vencimentos"
    QAction* Sair1;        // "Sair"

    // The invoice work area and what it holds besides the header and the items.
    QFrame* PainelCompras;
    DBEdit* DBEdit1; // gross value
    DBEdit* DBEdit2; // discount
    DBEdit* DBEdit3; // net value
    DBComboBox* DBComboBox1;
    QPushButton* BitBtn4;     // "Impostos, Desp. e Descontos"
    QPushButton* BotFecharNF; // "Fechar &Nota Fiscal"
    QPushButton* BitBtn8;     // "Incluir no Contas a Pagar"
    QPushButton* BitBtn15;    // "Importar &NF-e"
    QLabel* HintInsert;
    QLabel* HintTaxes;

    // The main command buttons: always hidden, the menu stands for them.
    QPushButton* BotSairCompras;
    QPushButton* BotTabCompras;
    QPushButton* BotPesquisaCompras;
    QPushButton* BotVencimentos;
    QPushButton* BotMalaDireta;

    // Small panels of the work area.
    QFrame* PainelAguarde;
    QProgressBar* ProgressAguarde; // in PainelAguarde, while the sweep walks many rows
    QFrame* Painel_Procurando;

    // The subsystems' panels.
    QFrame* PainelOutrasDespesas;
    InstalmentPanel* PainelFormaPag;
    NfeImportPanel* Painel_NFe;
    ExpiryPanel* PainelVencimentos;
    PeriodPanel* PainelPeriodo4;
    QFrame* PainelPesquisaCompras;
    QFrame* TabelaNFiscais;

    // The in-use stamp refreshed every 30 seconds while the module runs.
    QTimer* Timer2;
    // The activity file, every 60 seconds.
    QTimer* Timer3;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Login.
    void PainelLoginEnter();
    void BotOkSenhaClick();
    void BotCancSenhaClick();

    void applyScreenFont();
    void connectLifeHandlers();
    void connectLoginHandlers();
    void disconnectLoginHandlers();
    bool passSingleModuleGuard();
    void fillStartUpLists();
    void openWorkDatasets();
    void showLoginPanel();
    int sweepExpiredLots();
    void showSweepProgress(int done, int total);
    void endClose();
    void finishTermination();
    void logUnattended(const QString& text) const;

    void buildMenu();
    void buildLoginPanel();
    void buildPainelCompras();
    void buildTotals();
    void buildCommandButtons();
    void buildSmallPanels();
    void buildSubsystemPanels();
    void bindTotals();
    void buildClosing();
    void buildPayments();
    void buildNfe();
    void buildSearch();
    void buildReports(TRM& rm);
    void chainTabOrder();
    void listenToRules();
    // What the window does when the rules change the invoice's mode.
    void followMode(InvoiceMode from, InvoiceMode to);
    // A field of the invoice header, by its name (DBEditData, DBEdit6, DBEditNotaFiscal, DBEditForn).
    DBEdit* headerField(const char* name) const;
    void connectEntryPanels();
    void showSearching(bool running);

    TDM* dm_;
    SessionState& session_;
    std::vector<ListenerHandle> ruleListeners_;
    HeaderEntry* headerEntry_ = nullptr;
    std::unique_ptr<ItemEntry> itemEntry_;
    bool shown_ = false;
    bool startUpRan_ = false;
    bool refusedByGuard_ = false;
    bool closingWithoutReminder_ = false;
    bool terminating_ = false;
    LoginPanel* PainelLogin = nullptr;
};
