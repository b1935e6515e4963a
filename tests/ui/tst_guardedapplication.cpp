#include "widgets/UnhandledError.h"
#include "window/GuardedApplication.h"

#include <QtTest>

#include <stdexcept>

namespace {

// A receiver whose handler fails on a user event.
class Failing : public QObject {
public:
    int handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        throw std::runtime_error("arquivo não encontrado");
    }
};

} // namespace

// An error escaping a handler ends that event only: it is reported and the next event is served.
class TestGuardedApplication : public QObject {
    Q_OBJECT

private slots:
    void errorEndsTheEventOnly()
    {
        QStringList reported;
        SetErrorReporter([&](const std::exception& e) { reported << ErrorText(e); });
        Failing receiver;
        QEvent first(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&receiver, &first));
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        SetErrorReporter({});
        QCOMPARE(receiver.handled, 2);
        QCOMPARE(reported, (QStringList{"arquivo não encontrado", "arquivo não encontrado"}));
    }
};

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guardedapplication.moc"
