#include "shell/QtTranslations.h"

#include <QCoreApplication>
#include <QtTest>

// Qt's own texts - the standard buttons of its dialogs, the edit fields' context menu - speak
// Brazilian Portuguese once the program has installed Qt's translations.
class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    void qtSpeaksPortuguese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("portuguese");
        QTest::newRow("dialog button") << "QPlatformTheme"
                                       << "Cancel"
                                       << "Cancelar";
        QTest::newRow("context menu") << "QLineEdit"
                                      << "Select All"
                                      << "Selecionar tudo";
    }
    void qtSpeaksPortuguese()
    {
        QFETCH(QString, context);
        QFETCH(QString, english);
        QFETCH(QString, portuguese);
        static const bool installed = InstallQtTranslations(*QCoreApplication::instance());
        QVERIFY(installed);
        QCOMPARE(QCoreApplication::translate(context.toLatin1().constData(), english.toLatin1().constData()),
                 portuguese);
    }
};

QTEST_GUILESS_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
