#include "purchase/SessionState.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBNavigator.h"

#include "widgets/DBGrid.h"
#include "window/FormCompras.h"
#include <QLineEdit>
#include <QToolButton>

#include <QFrame>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

// The invoice window as created: names, hidden panels, the item grid's columns and the
// window-state routines, which every other screen relies on.
class TestFormCompras : public QObject {
    Q_OBJECT

private slots:
    void everyPanelIsHiddenAtCreation()
    {
        WorkingWindow window;
        TFormCompras& form = *window.form;
        const QStringList panels = {
            "PainelLogin",       "PainelCompras",     "PainelDetalhes",       "PainelAguarde",
            "PainelAlertaCusto", "Painel_Procurando", "PainelCliProcura",     "PainelResumoCliente",
            "PainelOpCompras",   "PainelOpUnidades",  "PainelOutrasDespesas", "PainelFormaPag",
            "Painel_NFe",        "PainelVencimentos", "PainelPeriodo4",       "PainelPesquisaCompras",
            "TabelaNFiscais"};
        for (const QString& name : panels) {
            auto* panel = form.findChild<QFrame*>(name);
            QVERIFY2(panel, qPrintable(name));
            QVERIFY2(panel->isHidden(), qPrintable(name));
        }
    }

    void menuInItsOrder()
    {
        WorkingWindow window;
        TFormCompras& form = *window.form;
        QStringList texts;
        for (QAction* a : form.menuBar()->actions())
            texts << a->text();
        QCOMPARE(texts, (QStringList{"&Pesquisa", "&Tabela", "&Relatórios", "&Sair"}));
    }

    void itemGridColumns()
    {
        WorkingWindow window;
        TFormCompras& form = *window.form;
        const QStringList titles = {"Descrição do Produto",
                                    "Qtde.",
                                    "Unid",
                                    "Pr. Unit",
                                    "Pr. Total",
                                    "Local Estoque",
                                    "Lote",
                                    "Situação",
                                    "Data Fabric.",
                                    "Data Valid.",
                                    "Densidade",
                                    "Fator Correção",
                                    "Fator Diluição",
                                    "Fabricante"};
        const QList<int> widths = {220, 49, 32, 48, 56, 74, 70, 52, 62, 56, 56, 77, 70, 0};
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(form.findChild<DBGrid*>("DBGrid1")->gridColumn(i).title, titles[i]);
            QCOMPARE(form.findChild<DBGrid*>("DBGrid1")->gridColumn(i).width, widths[i]);
        }
    }

    void passwordShowsHashes()
    {
        WorkingWindow window;
        TFormCompras& form = *window.form;
        form.show();
        QTest::keyClicks(form.findChild<QLineEdit*>("EditSenhaU"), "abc");
        QCOMPARE(form.findChild<QLineEdit*>("EditSenhaU")->displayText(), QStringLiteral("###"));
    }

    void windowStateRoutines()
    {
        WorkingWindow window;
        TFormCompras& form = *window.form;
        const QList<QWidget*> invoiceFields = {form.findChild<DBEdit*>("DBEdit6"),
                                               form.findChild<DBEdit*>("DBEditNotaFiscal"),
                                               form.findChild<DBEdit*>("DBEditForn"),
                                               form.findChild<DBGrid*>("DBGrid1"),
                                               form.DBEdit1,
                                               form.DBEdit2,
                                               form.DBEdit3};
        form.UnlockInvoiceFields();
        for (QWidget* w : invoiceFields)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(form.DBComboBox1 && form.findChild<DBEdit*>("DBEditData")->isEnabled());

        form.LockInvoiceFields();
        for (QWidget* w : invoiceFields)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!form.BotFecharNF->isEnabled());
        QVERIFY(form.findChild<DBEdit*>("DBEditData")->isEnabled());

        const QList<QPushButton*> mainButtons = {form.BotSairCompras, form.BotTabCompras, form.BotPesquisaCompras,
                                                 form.BotVencimentos, form.BotMalaDireta};
        form.findChild<QPushButton*>("BotAtuaCustoUnit")->setEnabled(false);
        form.EnableMainButtons();
        for (QPushButton* b : mainButtons)
            QVERIFY(b->isEnabled() && b->isHidden());
        QVERIFY(form.findChild<QPushButton*>("BotAtuaCustoUnit")->isEnabled());
        form.DisableMainButtons();
        for (QPushButton* b : mainButtons)
            QVERIFY(!b->isEnabled());
        QVERIFY2(form.findChild<QPushButton*>("BotAtuaCustoUnit")->isEnabled(), "the cost button is not a main button");
    }

    // The navigator's insert button starts a new supply invoice and opens the header for typing.
    void navigatorInsertOpensTheHeader()
    {
        WorkingWindow w;
        QVERIFY(w.startWork());
        QVERIFY(!w.form->findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        w.form->findChild<DBNavigator*>("DBNavigator5")->button(DBNavigator::Insert)->click();
        QCOMPARE(w.dm->NFiscal.state(), CachedDataset::State::Insert);
        QCOMPARE(w.dm->NFiscal.asText("GRUPDESP"), QStringLiteral("SUP"));
        QVERIFY(w.form->findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        QVERIFY(!w.form->BotSairCompras->isEnabled());
        QTRY_VERIFY(w.form->findChild<DBEdit*>("DBEditData")->hasFocus());
    }
};

QTEST_MAIN(TestFormCompras)
#include "tst_formcompras.moc"
