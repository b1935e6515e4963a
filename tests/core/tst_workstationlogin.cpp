#include "admin/Users.h"
#include "data/AsciiCase.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Workstation.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// A user logs in under his name upper-cased A to Z only ("andré" is ANDRé), as his encoded name
// is stored; his workstation row may spell the name in any letter case. The server's upper()
// also upper-cases accented letters, so the workstation is found by the server's upper case on
// both sides, by the login and by korvanis-admin alike.
class TestWorkstationLogin : public QObject {
    Q_OBJECT

private slots:
    void workstationOfTheLoggedInUser_data()
    {
        QTest::addColumn<QString>("stored"); // ESTACOES.USUARIO
        QTest::addColumn<QString>("typed");  // the name typed at the login
        QTest::addColumn<bool>("found");
        QTest::newRow("lower case, accented") << "andré"
                                              << "andré" << true;
        QTest::newRow("stored in upper case") << "ANDRÉ"
                                              << "andré" << true;
        QTest::newRow("typed in upper case") << "andré"
                                             << "ANDRÉ" << true;
        QTest::newRow("mixed case") << "Conceição"
                                    << "conceição" << true;
        QTest::newRow("plain letters") << "maria"
                                       << "Maria" << true;
        QTest::newRow("accent missing is another name") << "andré"
                                                        << "andre" << false;
    }
    void workstationOfTheLoggedInUser()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, found);
        TestDatabase db;
        db.connection().execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO, CNPJ) values "
                                               "('07', 'C:\\KORVANIS\\INTERFAC07\\KORVANIS.BD', ?, '11222333444455')"),
                                {stored});
        SessionState session;
        const auto module = testdm::open(db, session);
        TDM& dm = *module;
        session.CurrentUserName = ascii::upper(typed); // as the login leaves it

        const WorkstationBinding binding = IdentifyWorkstation(dm, session);
        QCOMPARE(!binding.databaseName.isEmpty(), found);
        QCOMPARE(session.WorkstationCode, found ? QStringLiteral("07") : QString());
        QCOMPARE(binding.messages.isEmpty(), found);
        QCOMPARE(users::hasWorkstation(db.connection(), typed), found);
    }

    // The store's stock location is read with a command of its own: a walk over the shared
    // `SQLQuery1` stays open and on its row.
    void sharedCommandKeepsItsWalk()
    {
        TestDatabase db;
        db.connection().execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO, CNPJ) values "
                                               "('07', 'C:\\KORVANIS\\INTERFAC07\\KORVANIS.BD', 'MARIA', "
                                               "'11222333444455')"));
        db.connection().execute(
            QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('CENTRO', '11222333444455')"));
        db.connection().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('FILIAL', NULL)"));
        SessionState session;
        const auto module = testdm::open(db, session);
        TDM& dm = *module;
        session.CurrentUserName = QStringLiteral("MARIA");
        SqlCommand& walk = dm.SQLQuery1;
        walk.setText(QStringLiteral("select LABORATORIO from TABLAB order by LABORATORIO"));
        walk.open();

        IdentifyWorkstation(dm, session);
        QCOMPARE(session.DefaultStockLocation, QStringLiteral("CENTRO"));
        QVERIFY(walk.isOpen());
        QCOMPARE(walk.asText(QStringLiteral("LABORATORIO")), QStringLiteral("CENTRO"));
        walk.next();
        QCOMPARE(walk.asText(QStringLiteral("LABORATORIO")), QStringLiteral("FILIAL"));
        walk.close();
    }
};

QTEST_GUILESS_MAIN(TestWorkstationLogin)
#include "tst_workstationlogin.moc"
