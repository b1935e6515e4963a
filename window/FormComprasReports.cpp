// The report entries of the main menu: labels of the current invoice ("Etiquetas") and the
// expiry listing over the workstation's period ("Vencimentos").
#include "window/FormCompras.h"

#include "purchase/DataModule.h"
#include "reports/ReportData.h"
#include "reports/ReportModule.h"
#include "reports/ui/ExpiryPanel.h"
#include "reports/ui/PeriodPanel.h"
#include "shell/Dialogs.h"
#include "widgets/DBEdit.h"
#include "widgets/UnhandledError.h"

#include <QAction>

void TFormCompras::buildReports(TRM& rm)
{
    TDM& dm = *dm_;
    PainelPeriodo4->setDataSource(&dm.DS_Periodo);
    PainelVencimentos->setDataSource(&dm.DS_Vencimentos);
    auto hideSearchPanels = [this] {
        TabelaNFiscais->hide();
        PainelPesquisaCompras->hide();
    };

    connect(Etiquetas1, &QAction::triggered, this, [this, &dm, &rm, hideSearchPanels] {
        RunGuarded([&] {
            hideSearchPanels();
            dm.qryRotulos.close();
            // Without an invoice and its date there is no statement to run.
            if (!dm.NFiscal.isOpen() || dm.NFiscal.isEmpty() || dm.NFiscal.isNull(QStringLiteral("DATA"))) {
                ShowMessage(QStringLiteral("Não há nota fiscal para imprimir as etiquetas."));
                return;
            }
            reports::PrepareRotulos(dm, dm.NFiscal.asDate(QStringLiteral("DATA")),
                                    headerField("DBEditNotaFiscal")->text(), headerField("DBEditForn")->text());
            rm.closeProject();
            rm.executeReport(reports::kRotulos);
        });
    });

    connect(Vencimentos1, &QAction::triggered, this, [this, &dm, hideSearchPanels] {
        RunGuarded([&] {
            hideSearchPanels();
            reports::OpenPeriodo(dm);
            DisableMainButtons();
            PainelPeriodo4->open();
        });
    });

    connect(PainelPeriodo4, &PeriodPanel::relatorioClicked, this, [this, &dm, &rm] {
        RunGuarded([&] {
            if (!reports::Calcula_Vencimentos_SQL(dm))
                return;
            PainelVencimentos->open();
            PainelPeriodo4->hide();
            rm.closeProject();
            rm.executeReport(reports::kVencimentos);
        });
    });

    connect(PainelPeriodo4, &PeriodPanel::cancelarClicked, this, [this, &dm] {
        RunGuarded([&] {
            reports::CancelPeriodo(dm);
            EnableMainButtons();
            PainelPeriodo4->hide();
            focusDateFieldIfUsable();
        });
    });

    connect(PainelVencimentos, &ExpiryPanel::closed, this, [this] { EnableMainButtons(); });
}
