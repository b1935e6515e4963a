#include "platform/TerminationSignals.h"
#include "tests/support/TestDatabase.h"

#include <QTimer>
#include <QtTest>

#include <csignal>

class TestTerminationSignals : public QObject {
    Q_OBJECT

private slots:
    void terminationSignalEndsTheEventLoopDespiteFirebirdsHandler_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void terminationSignalEndsTheEventLoopDespiteFirebirdsHandler()
    {
        QFETCH(int, signal);
        TestDatabase db; // the first attachment installs the client library's handlers
        QuitOnTerminationSignals();
        bool signalled = false;
        QTimer::singleShot(0, [&] {
            signalled = true;
            std::raise(signal);
        });
        // Without our handler the loop would go on; this guard ends a failing run.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(30000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(signalled);
        // The database is still usable: the program closes it in order on the way out.
        QVERIFY(db.connection().isOpen());
        db.connection().executeRow(QStringLiteral("select 1 from rdb$database"));
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
