#pragma once

#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "reports/ReportModule.h"
#include "shell/WorkQueries.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "window/FormCompras.h"

#include <QFrame>
#include <QtTest>

#include <memory>

// The invoice window on a fresh database, built as the program builds it (the data module, the
// report module, the window on them), as a clerk finds it after logging in: the window's own
// start-up run (datasets opened, the last invoice current, the expired-lot sweep), then the work
// area shown as a successful login shows it, with this fixture's login identity. The product
// folder is the test database's folder. Messages and questions go to a recorder (`dialogs()`),
// which answers Yes unless told otherwise.
//
// Put the rows a test needs into the database (`sql()`) before calling `startWork()`.
class WorkingWindow {
public:
    WorkingWindow()
    {
        session.CurrentUserName = kUser;
        session.WorkstationCode = QStringLiteral("01");
        session.StoreCnpj = QStringLiteral("11222333000181");
        session.DefaultStockLocation = QStringLiteral("Almoxarifado");
        session.FinancialAccess = true;
        dm = testdm::open(db, session);
        rm = std::make_unique<TRM>(*dm, session);
        form = std::make_unique<TFormCompras>(*dm, *rm);
    }

    FbConnection& sql() { return db.connection(); }
    RecordingDialogs& dialogs() { return scripted.recorder(); }

    // Shows the window and lets its start-up run (to the login panel, or to its refusal); true
    // once the start-up has run.
    bool startUp()
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitFor([this] { return form->startUpRan(); });
    }

    // Runs the start-up and enters the work area as a successful login does; true once the window
    // is active and the work area shown.
    bool startWork()
    {
        if (!startUp() || !QTest::qWaitForWindowActive(form.get()))
            return false;
        form->enterWorkArea();
        session.CurrentUserName = kUser;
        return form->PainelCompras->isVisible();
    }

    inline static const QString kUser = QStringLiteral("MARIA");

    TestDatabase db;
    ScopedEnv productFolder{"KORVANIS_DIR", db.productFolder().toLocal8Bit()};
    ScriptedDialogs scripted;
    SessionState session;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TRM> rm;
    std::unique_ptr<TFormCompras> form;
};
