#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

class TestDataModule : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    SessionState session;
    std::unique_ptr<TDM> dm;

private slots:
    // One database for the whole test: the cases before the last only read it.
    void initTestCase()
    {
        db = std::make_unique<TestDatabase>();
        dm = testdm::open(*db, session);
    }
    void cleanupTestCase()
    {
        dm.reset();
        db.reset();
    }

    void everyStandingQueryOpensInItsOrder_data()
    {
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QString>("order");
        QTest::newRow("NFiscal") << "NFiscal"
                                 << "DATA NOTAFISCAL FORNECEDOR";
        QTest::newRow("Compras") << "Compras"
                                 << "";
        QTest::newRow("Compras2") << "Compras2"
                                  << "";
        QTest::newRow("Movest") << "Movest"
                                << "ESTACAO CODCOMPRA DATA LOTE FORNECEDOR DESCRICAO";
        QTest::newRow("EstLote") << "EstLote"
                                 << "";
        QTest::newRow("Fornecedor") << "Fornecedor"
                                    << "NOMEFANTASIA";
        QTest::newRow("Componentes") << "Componentes"
                                     << "";
        QTest::newRow("CompNomes") << "CompNomes"
                                   << "";
        QTest::newRow("SinonPesq") << "SinonPesq"
                                   << "";
        QTest::newRow("Unidades") << "Unidades"
                                  << "UNIDADE";
        QTest::newRow("TabFormP") << "TabFormP"
                                  << "";
        QTest::newRow("CotDolar") << "CotDolar"
                                  << "";
        QTest::newRow("Usuarios") << "Usuarios"
                                  << "USUARIO";
        QTest::newRow("Estacoes") << "Estacoes"
                                  << "ESTACAO";
        QTest::newRow("TabLab") << "TabLab"
                                << "LABORATORIO";
        QTest::newRow("Periodo") << "Periodo"
                                 << "";
        QTest::newRow("FormasPG") << "FormasPG"
                                  << "DESCRICAO";
        QTest::newRow("ContasP") << "ContasP"
                                 << "VENCIMENTO";
        QTest::newRow("PagDiver") << "PagDiver"
                                  << "ORDEM";
        QTest::newRow("qryVencimentos") << "qryVencimentos"
                                        << "VALIDADE COMPONENTE";
        QTest::newRow("qryRotulos") << "qryRotulos"
                                    << "COMPONENTE";
    }
    void everyStandingQueryOpensInItsOrder()
    {
        QFETCH(QString, dataset);
        QFETCH(QString, order);
        CachedDataset* ds = dm->dataset(dataset);
        QVERIFY(ds);
        ds->open();
        QVERIFY(ds->isEmpty());
        QCOMPARE(ds->orderColumns().join(u' '), order);
        // Every key and required column is a column of the result.
        for (const QString& c : ds->keyColumns() + ds->requiredColumns())
            QVERIFY2(ds->hasField(c), qPrintable(c));
        ds->close();
    }

    void dataSourcesEditByThemselvesExceptTheItems()
    {
        QVERIFY(!dm->DS_Compras.autoEdit());
        QCOMPARE(dm->DS_Compras.dataset(), &dm->Compras);
        QVERIFY(dm->DS_NFiscal.autoEdit());
        QCOMPARE(dm->DS_Compon.dataset(), &dm->Componentes);
        QCOMPARE(dm->DS_Vencimentos.dataset(), &dm->qryVencimentos);
        QCOMPARE(dm->Periodo.connection().params().database, db->workstationParams().database);
    }

    void joinedItemsWriteOnlyTheirOwnColumns()
    {
        FbConnection& c = db->connection();
        c.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('7', 'ALCOOL', 'REV')"));
        c.execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, COMPONENTE, CODIGO, "
                                 "CODIGOFORNECEDOR) values ('01', 1, '01/15/24', '123', 'ALCOOL', '7', '0001')"));
        CachedDataset& ds = dm->Compras2;
        ds.open();
        QCOMPARE(ds.asText(QStringLiteral("CODIGO_1")), QStringLiteral("7"));
        ds.edit();
        ds.setText(QStringLiteral("SITUACAO"), QStringLiteral("Vencido"));
        ds.setText(QStringLiteral("GRUPO"), QStringLiteral("SUP"));
        ds.post();
        QCOMPARE(ds.applyUpdates(), 0);
        QCOMPARE(std::get<QString>(c.executeRow(QStringLiteral("select SITUACAO from COMPRAS")).front()),
                 QStringLiteral("Vencido"));
        QCOMPARE(std::get<QString>(c.executeRow(QStringLiteral("select GRUPO from COMPONEN")).front()),
                 QStringLiteral("REV"));
    }
};

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_datamodule.moc"
