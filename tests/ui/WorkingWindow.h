#pragma once

#include "data/DataModule.h"
#include "data/SessionState.h"
#include "shell/WorkQueries.h"
#include "shell/ui/FormCompras.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"

#include <QFrame>
#include <QtTest>

#include <memory>

// The invoice window on a fresh database, as a clerk finds it after logging in: the datasets
// opened with the queries of the start-up, the work area shown and the header locked. Messages
// and questions go to a recorder (`dialogs()`), which answers Yes unless told otherwise.
//
// Put the rows a test needs into the database (`sql()`) before calling `startWork()`.
class WorkingWindow {
public:
    WorkingWindow()
    {
        session.CurrentUserName = QStringLiteral("MARIA");
        session.WorkstationCode = QStringLiteral("01");
        session.StoreCnpj = QStringLiteral("11222333000181");
        session.DefaultStockLocation = QStringLiteral("Almoxarifado");
        session.FinancialAccess = true;
        form = std::make_unique<TFormCompras>(session);
        dm = std::make_unique<TDM>(db.sharedParams(), db.workstationParams(), session, *form);
        form->attachDataModule(*dm);
    }

    FbConnection& sql() { return db.connection(); }
    RecordingDialogs& dialogs() { return scripted.recorder(); }

    // Opens the work datasets, goes to the last invoice and shows the work area; true once the
    // window is active.
    bool startWork()
    {
        dm->Componentes.close();
        dm->Componentes.setCommandText(workqueries::componentes());
        dm->NFiscal.close();
        dm->NFiscal.setCommandText(workqueries::nfiscal());
        dm->NFiscal.open();
        dm->Componentes.open();
        dm->Unidades.open();
        dm->Compras.close();
        dm->Compras.setCommandText(workqueries::compras());
        dm->Compras.open();
        dm->NFiscal.last();

        form->PainelCompras->setGeometry(form->centralWidget()->rect());
        form->PainelCompras->show();
        form->PainelDetalhes->show();
        form->EnableMainButtons();
        form->LockInvoiceFields();
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    TestDatabase db;
    ScriptedDialogs scripted;
    SessionState session;
    std::unique_ptr<TFormCompras> form;
    std::unique_ptr<TDM> dm;
};
