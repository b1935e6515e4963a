#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window with two panels. PainelA has a field, a default and a cancel button; PainelB has a
// field and a default button only; the window's cancel button stands outside both.
struct RolesWindow {
    RolesWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        auto panel = [&](const char* name) {
            auto* p = new QWidget(&window);
            p->setObjectName(QLatin1String(name));
            new QVBoxLayout(p);
            layout->addWidget(p);
            return p;
        };
        auto add = [](QWidget* parent, auto* w, const char* name) {
            w->setObjectName(QLatin1String(name));
            parent->layout()->addWidget(w);
            return w;
        };
        QWidget* a = panel("PainelA");
        QWidget* b = panel("PainelB");
        add(a, new QLineEdit, "EditA");
        add(b, new QLineEdit, "EditB");
        keyroles::setDefaultButton(a, add(a, new QPushButton(QStringLiteral("OK")), "BotOkA"));
        keyroles::setCancelButton(a, add(a, new QPushButton(QStringLiteral("Cancela")), "BotCancA"));
        keyroles::setDefaultButton(b, add(b, new QPushButton(QStringLiteral("OK")), "BotOkB"));
        auto* leave = new QPushButton(QStringLiteral("Sair"), &window);
        leave->setObjectName(QStringLiteral("BotSair"));
        layout->addWidget(leave);
        keyroles::setCancelButton(&window, leave);
        for (auto* button : window.findChildren<QPushButton*>())
            QObject::connect(button, &QPushButton::clicked, button,
                             [this, button] { clicked << button->objectName(); });
        window.show();
        active = QTest::qWaitForWindowActive(&window);
    }
    template <typename T = QWidget> T* find(const QString& name) { return window.findChild<T*>(name); }

    QWidget window;
    QStringList clicked;
    bool active = false;
};

} // namespace

class TestKeyRoles : public QObject {
    Q_OBJECT

private slots:
    void keysReachTheRightButton_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QStringList>("disabled");
        QTest::addColumn<QString>("expected");
        const QStringList none;
        QTest::newRow("Enter in A") << "EditA" << int(Qt::Key_Return) << none << none << "BotOkA";
        QTest::newRow("keypad Enter in B") << "EditB" << int(Qt::Key_Enter) << none << none << "BotOkB";
        QTest::newRow("Esc in A") << "EditA" << int(Qt::Key_Escape) << none << none << "BotCancA";
        QTest::newRow("Esc in B: the window's") << "EditB" << int(Qt::Key_Escape) << none << none << "BotSair";
        QTest::newRow("Esc in A, its cancel hidden")
            << "EditA" << int(Qt::Key_Escape) << QStringList{"BotCancA"} << none << "BotSair";
        QTest::newRow("Esc, every cancel hidden")
            << "EditA" << int(Qt::Key_Escape) << QStringList{"BotCancA", "BotSair"} << none << "";
        QTest::newRow("Enter, default hidden") << "EditA" << int(Qt::Key_Return) << QStringList{"BotOkA"} << none << "";
        QTest::newRow("Enter, default disabled")
            << "EditB" << int(Qt::Key_Return) << none << QStringList{"BotOkB"} << "";
        QTest::newRow("Enter on a focused button") << "BotCancA" << int(Qt::Key_Return) << none << none << "BotCancA";
        QTest::newRow("Esc outside the panels") << "BotSair" << int(Qt::Key_Escape) << none << none << "BotSair";
    }
    void keysReachTheRightButton()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QStringList, hidden);
        QFETCH(QStringList, disabled);
        QFETCH(QString, expected);
        RolesWindow w;
        QVERIFY(w.active);
        for (const QString& name : hidden)
            w.find(name)->hide();
        for (const QString& name : disabled)
            w.find(name)->setEnabled(false);
        QWidget* target = w.find(focus);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(w.clicked, expected.isEmpty() ? QStringList() : QStringList{expected});
    }

    void enterMovesToTheNextControlInsteadOfClicking()
    {
        RolesWindow w;
        QVERIFY(w.active);
        auto* editA = w.find<QLineEdit>(QStringLiteral("EditA"));
        EnterMovesToNextControl(editA);
        // EditB is next in tab order after EditA only when the panel's buttons take no Tab.
        for (auto* b : w.window.findChildren<QPushButton*>())
            b->setFocusPolicy(Qt::ClickFocus);
        editA->setFocus();
        QTRY_VERIFY(editA->hasFocus());
        QTest::keyClick(editA, Qt::Key_Return);
        QVERIFY(w.find(QStringLiteral("EditB"))->hasFocus());
        QVERIFY(w.clicked.isEmpty());
        // A disabled control is passed over; with no other control to go to, the focus stays.
        w.find(QStringLiteral("EditB"))->setEnabled(false);
        editA->setFocus();
        QTest::keyClick(editA, Qt::Key_Return);
        QVERIFY(editA->hasFocus());
    }
};

QTEST_MAIN(TestKeyRoles)
#include "tst_keyroles.moc"
