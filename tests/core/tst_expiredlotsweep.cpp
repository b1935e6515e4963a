#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/ExpiredLotSweep.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

namespace {

const QDate kToday(2026, 3, 4);

} // namespace

// The start-up sweep over the purchased lots of resale and compounding products.
class TestExpiredLotSweep : public QObject {
    Q_OBJECT

private slots:
    void statusAfterTheSweep_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QDate>("expiry"); // null: no expiry date
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("counted");

        const QDate past = kToday.addDays(-1);
        QTest::newRow("expired, no status") << "REV" << past << ""
                                            << "Vencido" << 1;
        QTest::newRow("expired, in use") << "PRP" << past << "EM USO"
                                         << "Vencido" << 1;
        QTest::newRow("expired, in use, lower case") << "REV" << past << "em Uso"
                                                     << "Vencido" << 1;
        QTest::newRow("no expiry date, no status") << "REV" << QDate() << ""
                                                   << "Vencido" << 1;
        QTest::newRow("expired, in stock") << "REV" << past << "Estoque"
                                           << "Estoque" << 0;
        QTest::newRow("expired, in quarantine") << "REV" << past << "Quarent."
                                                << "Quarent." << 0;
        QTest::newRow("expires today, no status") << "REV" << kToday << ""
                                                  << "Estoque" << 0;
        QTest::newRow("not expired, in use") << "PRP" << kToday.addDays(30) << "EM USO"
                                             << "EM USO" << 0;
        QTest::newRow("supply product: not swept") << "SUP" << past << ""
                                                   << "" << 0;
        // The server finds the candidates, comparing as it does (trailing blanks not counting); the
        // rules still decide on each row as before.
        QTest::newRow("expired, a blank status") << "REV" << past << " "
                                                 << " " << 0;
        QTest::newRow("expired, in use with a trailing blank") << "REV" << past << "EM USO "
                                                               << "EM USO " << 0;
    }

    void statusAfterTheSweep()
    {
        QFETCH(QString, group);
        QFETCH(QDate, expiry);
        QFETCH(QString, status);
        QFETCH(QString, expected);
        QFETCH(int, counted);

        TestDatabase db;
        db.connection().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('P1', "
                                               "'PRODUTO', ?)"),
                                {group});
        db.connection().execute(
            QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, COMPONENTE, "
                           "CODIGOFORNECEDOR, CODIGO, VALIDADE, SITUACAO) values ('01', 1, '01/15/24', '10', "
                           "'PRODUTO', '0001', 'P1', ?, ?)"),
            {expiry.isValid() ? Value(expiry) : Value(), status.isEmpty() ? Value() : Value(status)});

        SessionState session;
        const auto module = testdm::open(db, session);
        TDM& dm = *module;
        QCOMPARE(SweepExpiredLots(dm.Compras2, kToday), counted);
        const Values row = db.connection().executeRow(QStringLiteral("select SITUACAO from COMPRAS"));
        QCOMPARE(isNull(row.at(0)) ? QString() : std::get<QString>(row.at(0)), expected);
    }

    // Only the lots the sweep can change are read: those without a status and those in use. Lots
    // in stock, in quarantine or already expired are left to the server.
    void progressHearsOfEveryCandidate()
    {
        TestDatabase db;
        db.connection().execute(
            QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('P1', 'PRODUTO', 'REV')"));
        const struct {
            const char* status;
            const char* expiry;
        } lots[] = {{nullptr, "12/31/30"},  {"Estoque", nullptr}, {"EM USO", "01/01/20"}, {"Quarent.", "01/01/20"},
                    {"Em uso", "12/31/30"}, {"Vencido", nullptr}, {"", "12/31/30"}};
        int code = 0;
        for (const auto& lot : lots)
            db.connection().execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, "
                                                   "COMPONENTE, CODIGOFORNECEDOR, CODIGO, SITUACAO, VALIDADE) values "
                                                   "('01', ?, '01/15/24', '10', 'PRODUTO', '0001', 'P1', ?, ?)"),
                                    {qint64(++code), lot.status ? Value(QString::fromLatin1(lot.status)) : Value(),
                                     lot.expiry ? Value(QString::fromLatin1(lot.expiry)) : Value()});
        SessionState session;
        const auto module = testdm::open(db, session);
        TDM& dm = *module;
        QList<QPair<int, int>> heard;
        QCOMPARE(SweepExpiredLots(dm.Compras2, kToday, [&](int done, int total) { heard.append({done, total}); }), 1);
        QCOMPARE(heard, (QList<QPair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    }
};

QTEST_GUILESS_MAIN(TestExpiredLotSweep)
#include "tst_expiredlotsweep.moc"
