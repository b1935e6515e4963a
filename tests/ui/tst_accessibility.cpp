#include "reports/ReportModule.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/AccessibleNames.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

// Screen readers and UI automation reach the window through its accessibility tree: every control
// that can take the focus must have a name there, each grid column its title, and each panel its
// title.
class TestAccessibility : public QObject {
    Q_OBJECT

private:
    static QString describe(QAccessibleInterface* iface)
    {
        const QObject* object = iface->object();
        const QObject* parent = object ? object->parent() : nullptr;
        return QStringLiteral("%1 (%2 em %3, papel %4)")
            .arg(object ? object->objectName() : QStringLiteral("?"),
                 object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"),
                 parent ? parent->objectName() : QStringLiteral("?"))
            .arg(int(iface->role()));
    }

    // The focusable controls without a name, and the grid columns without a title, under `iface`.
    // Grids are not walked cell by cell: an empty cell has no text, and it is the column that
    // names it.
    static void collectUnnamed(QAccessibleInterface* iface, QStringList& unnamed)
    {
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* child = iface->child(i);
            if (!child || child->state().invisible)
                continue;
            if (child->state().focusable && child->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << describe(child);
            if (QAccessibleTableInterface* table = child->tableInterface()) {
                const auto* view = qobject_cast<const QTableView*>(child->object());
                for (int column = 0; column < table->columnCount(); ++column)
                    if (!(view && view->isColumnHidden(column)) && table->columnDescription(column).trimmed().isEmpty())
                        unnamed << describe(child) + QStringLiteral(", coluna %1").arg(column);
                continue;
            }
            collectUnnamed(child, unnamed);
        }
    }

    static QStringList unnamedUnder(QWidget* widget)
    {
        QStringList unnamed;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        if (!iface)
            return {QStringLiteral("sem interface de acessibilidade: ") + widget->objectName()};
        collectUnnamed(iface, unnamed);
        return unnamed;
    }

    static QString nameOf(QWidget* widget)
    {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    }

private slots:
    void theLoginPanelIsNamed()
    {
        WorkingWindow w;
        QVERIFY(w.startUp());
        QVERIFY(w.form->findChild<QWidget*>("PainelLogin")->isVisible());
        QCOMPARE(nameOf(w.form->findChild<QWidget*>("PainelLogin")), QStringLiteral("Identificação do Usuário"));
        const QStringList unnamed = unnamedUnder(w.form->findChild<QWidget*>("PainelLogin"));
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
        QCOMPARE(nameOf(w.form->findChild<QLineEdit*>(QStringLiteral("EditNome"))), QStringLiteral("Nome"));
        QCOMPARE(nameOf(w.form->findChild<QLineEdit*>(QStringLiteral("EditSenhaU"))), QStringLiteral("Senha"));
    }

    void theWorkAreaIsNamed()
    {
        WorkingWindow w;
        QVERIFY(w.startWork());
        const QStringList unnamed = unnamedUnder(w.form.get());
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
        // The hint is the description.
        auto* nfe = w.form->findChild<QPushButton*>(QStringLiteral("BitBtn15"));
        QVERIFY(nfe);
        QCOMPARE(QAccessible::queryAccessibleInterface(nfe)->text(QAccessible::Description), nfe->toolTip());
    }

    // Each panel as it opens over the work area: its title as its name, every control named.
    void everyPanelIsNamed_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("title");
        QTest::newRow("taxes") << "PainelOutrasDespesas"
                               << "Impostos, Outras Despesas e Desconto";
        QTest::newRow("instalments") << "PainelFormaPag"
                                     << "Forma de Pagamento";
        QTest::newRow("NF-e") << "Painel_NFe"
                              << "Importação de Nota Fiscal Eletrônica (NF-e)";
        QTest::newRow("expiry report") << "PainelVencimentos" << QString();
        QTest::newRow("report period") << "PainelPeriodo4" << QString();
        QTest::newRow("search") << "PainelPesquisaCompras"
                                << "Pesquisa de Notas Fiscais";
        QTest::newRow("invoice table") << "TabelaNFiscais"
                                       << "Listagem das Notas Fiscais";
        QTest::newRow("supplier lookup") << "PainelCliProcura"
                                         << "Relação de Fornecedores";
        QTest::newRow("supplier registration") << "PainelResumoCliente"
                                               << "Cadastro de Fornecedor";
        QTest::newRow("product options") << "PainelOpCompras" << QString();
        QTest::newRow("unit options") << "PainelOpUnidades"
                                      << "Unidades Existentes";
        QTest::newRow("product details") << "PainelDetalhes"
                                         << "Cadastro de Produtos";
    }
    void everyPanelIsNamed()
    {
        QFETCH(QString, panel);
        QFETCH(QString, title);
        WorkingWindow w;
        QVERIFY(w.startWork());
        auto* frame = w.form->findChild<QWidget*>(panel);
        QVERIFY2(frame, qPrintable(panel));
        // A panel opens inside another one (the registration inside the supplier lookup).
        for (QWidget* up = frame; up && up != w.form.get(); up = up->parentWidget())
            up->show();
        frame->raise();
        QVERIFY(frame->isVisible());
        const QString name = nameOf(frame);
        QVERIFY2(!name.isEmpty(), qPrintable(panel));
        if (!title.isEmpty())
            QCOMPARE(name, title);
        const QStringList unnamed = unnamedUnder(frame);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char('\n'))));
    }

    // The rules on a small form: a caption beside or above names its control, a symbol button is
    // named by its hint, and a name given by hand stays.
    void namesComeFromTheCaptions()
    {
        accessiblenames::nameControlsWhenShown();
        QWidget form;
        form.resize(400, 200);
        auto* left = new QLabel(QStringLiteral("&Fornecedor:"), &form);
        left->setGeometry(10, 10, 70, 20);
        auto* supplier = new QLineEdit(&form);
        supplier->setGeometry(90, 8, 200, 24);
        auto* above = new QLabel(QStringLiteral("Valor Líquido"), &form);
        above->setGeometry(10, 50, 100, 16);
        auto* net = new QLineEdit(&form);
        net->setGeometry(10, 68, 100, 24);
        auto* far = new QLabel(QStringLiteral("Observação"), &form);
        far->setGeometry(10, 150, 100, 16);
        auto* lonely = new QLineEdit(&form);
        lonely->setGeometry(300, 110, 80, 24);
        auto* symbol = new QToolButton(&form);
        symbol->setText(QStringLiteral("✔"));
        symbol->setToolTip(QStringLiteral("Gravar alterações"));
        symbol->setGeometry(300, 150, 30, 30);
        auto* named = new QLineEdit(&form);
        named->setAccessibleName(QStringLiteral("Dado à mão"));
        named->setGeometry(90, 30, 200, 20);
        form.show();

        QCOMPARE(nameOf(supplier), QStringLiteral("Fornecedor"));
        QCOMPARE(nameOf(net), QStringLiteral("Valor Líquido"));
        QCOMPARE(nameOf(lonely), QString());
        QCOMPARE(nameOf(symbol), QStringLiteral("Gravar alterações"));
        QCOMPARE(nameOf(named), QStringLiteral("Dado à mão"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
