#include "nfe/ui/NfeImportPanel.h"
#include "tests/support/NfeSample.h"
#include "tests/ui/WorkingWindow.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Q_DECLARE_METATYPE(SampleNfe)

// The NF-e import as the clerk uses it: "Importar NF-e", the file dialog, the panel with what was
// read, the receipt date, the import, and the window left on the new invoice.
class TestNfePanel : public QObject {
    Q_OBJECT

    std::unique_ptr<WorkingWindow> w;

    TFormCompras& form() { return *w->form; }
    QWidget* panel() { return form().findChild<QWidget*>(QStringLiteral("Painel_NFe")); }
    template <typename T = QWidget> T* control(const char* name) { return panel()->findChild<T*>(QLatin1String(name)); }
    QString label(const char* name) { return control<QLabel>(name)->text(); }
    QPushButton* button(const char* name) { return control<QPushButton>(name); }
    qint64 count(const QString& sql) { return std::get<qint64>(w->sql().executeRow(sql).front()); }

    // A signed 4.00 invoice: gloves in two lots (`rastro`) and one syringe.
    QString writeInvoice()
    {
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        SampleNfeItem gloves;
        gloves.xProd = QStringLiteral("LUVA DE PROCEDIMENTO M");
        gloves.qCom = QStringLiteral("5.0000");
        gloves.vUnCom = QStringLiteral("3.00");
        gloves.lots = SampleRastro(QStringLiteral("LV1"), QStringLiteral("2.000"), QStringLiteral("2024-01-01"),
                                   QStringLiteral("2027-01-01")) +
                      SampleRastro(QStringLiteral("LV2"), QStringLiteral("3.000"), QStringLiteral("2024-02-01"),
                                   QStringLiteral("2027-02-01"));
        SampleNfeItem syringe;
        syringe.xProd = QStringLiteral("SERINGA 5ML");
        syringe.cEAN = QStringLiteral("7890000000024");
        syringe.qCom = QStringLiteral("10");
        syringe.vUnCom = QStringLiteral("0.50");
        nfe.items = {gloves, syringe};
        return nfe.writeTo(w->db.productFolder());
    }

    void openFile(const QString& path)
    {
        w->dialogs().fileNames.push_back(path);
        form().BitBtn15->click();
    }

private slots:
    void init()
    {
        w = std::make_unique<WorkingWindow>();
        w->sql().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB, FABRICANTE) "
                         "values ('S5', 'SERINGA DESCARTAVEL 5 ML', 'SUP', '7890000000024', 'Injex')");
        QVERIFY(w->startWork());
    }
    void cleanup() { w.reset(); }

    void importsAnInvoiceWithLots()
    {
        openFile(writeInvoice());
        QVERIFY(panel()->isVisible());
        QCOMPARE(control<QLineEdit>("Edit1")->text(), w->db.productFolder() + QStringLiteral("/nfe.xml"));
        QCOMPARE(label("lblNFiscal"), QStringLiteral("1234"));
        QCOMPARE(label("lblData"), QStringLiteral("05/04/2024"));
        QCOMPARE(label("lblFornecedor"), QStringLiteral("BOA VIDA"));
        QCOMPARE(label("lblTotalNFe"), QStringLiteral("R$ 20,00"));
        QCOMPARE(label("lblItensNFe"),
                 QStringLiteral("2 (0 reconhecido(s) pelo código do fornecedor, 1 pelo código de barras)"));
        QCOMPARE(label("lblAssinatura"), kSampleSigner);
        QCOMPARE(w->dialogs().questions, QStringList{});
        QVERIFY(button("BitBtn16")->isEnabled());
        auto* receipt = control<QLineEdit>("MaskEdit1");
        QCOMPARE(receipt->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));
        QTRY_VERIFY(receipt->hasFocus());
        panel()->grab().save(QDir::temp().filePath(QStringLiteral("nfe-panel.png")));

        QTest::keyClick(receipt, Qt::Key_Return);
        QTRY_VERIFY(button("BitBtn16")->hasFocus());
        QTest::keyClick(button("BitBtn16"), Qt::Key_Return);

        QVERIFY(!panel()->isVisible());
        QVERIFY(w->dialogs().messages.last().startsWith(QStringLiteral("ATENÇÃO: \r1) Um item da Nota Fiscal")));
        QCOMPARE(form().findChild<DBEdit*>("DBEditNotaFiscal")->text(), QStringLiteral("1234"));
        QCOMPARE(form().findChild<DBEdit*>("DBEditForn")->text(), QStringLiteral("Distribuidora Boa Vida Ltda"));
        QCOMPARE(form().DBEdit1->text(), QStringLiteral("20,00"));
        QCOMPARE(form().DBEdit3->text(), QStringLiteral("20,00"));
        QCOMPARE(w->dm->Compras.recordCount(), 3);
        QCOMPARE(count("select count(*) from COMPRAS where SALDO in (6, 9, 5)"), 3);
        form().grab().save(QDir::temp().filePath(QStringLiteral("nfe-window.png")));
    }

    void cancelling()
    {
        // The file dialog cancelled: the panel stays open, nothing to import yet.
        form().BitBtn15->click();
        QVERIFY(panel()->isVisible());
        QVERIFY(!button("BitBtn16")->isEnabled());
        QTest::keyClick(button("BitBtn17"), Qt::Key_Escape);
        QVERIFY(!panel()->isVisible());
        QTRY_VERIFY(form().BitBtn15->hasFocus());
        QCOMPARE(count("select count(*) from NFISCAL"), 0);
    }

    void readingAnImportedFileAgain()
    {
        const QString path = writeInvoice();
        openFile(path);
        button("BitBtn16")->click();
        openFile(path);
        QCOMPARE(w->dialogs().messages.last(), QStringLiteral("Nota Fiscal já cadastrada no KORVANIS."));
        QVERIFY(!panel()->isVisible());
        QVERIFY(!button("BitBtn16")->isEnabled());
        QCOMPARE(count("select count(*) from NFISCAL"), 1);
    }

    // A file without protocol or signature: the question about it comes with the invoice it is
    // about already on the panel.
    void questionsComeWithTheInvoiceShown_data()
    {
        QTest::addColumn<bool>("withProtocol");
        QTest::addColumn<bool>("signedByIssuer");
        QTest::newRow("no protocol") << false << true;
        QTest::newRow("no signature") << true << false;
    }
    void questionsComeWithTheInvoiceShown()
    {
        QFETCH(bool, withProtocol);
        QFETCH(bool, signedByIssuer);
        struct LabelsAtQuestion : RecordingDialogs {
            std::function<QString()> labels;
            QStringList seen;
            bool askYesNo(const QString& text) override
            {
                seen << labels();
                return RecordingDialogs::askYesNo(text);
            }
        };
        auto dialogs = std::make_unique<LabelsAtQuestion>();
        LabelsAtQuestion& asked = *dialogs;
        asked.labels = [this] {
            return QStringList{label("lblNFiscal"), label("lblData"), label("lblFornecedor"), label("lblTotalNFe")}
                .join(u'|');
        };
        asked.answers = {false};
        Dialogs::install(std::move(dialogs));
        SampleNfe nfe;
        nfe.withProtocol = withProtocol;
        nfe.signedByIssuer = signedByIssuer;
        asked.fileNames.push_back(nfe.writeTo(w->db.productFolder()));
        form().BitBtn15->click();
        QCOMPARE(asked.questions.size(), 1);
        QCOMPARE(asked.seen, QStringList{"1234|05/04/2024|BOA VIDA|R$ 20,00"});
        QVERIFY(!button("BitBtn16")->isEnabled());
        QCOMPARE(count("select count(*) from NFISCAL"), 0);
    }

    // A file read and then refused (by a check, or by the clerk's answer) leaves no number, date,
    // issuer or total on the panel, as if it could be imported.
    void aRefusedFileLeavesNothingShown_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        nfe.tpAmb = QStringLiteral("2");
        QTest::newRow("test environment") << nfe;
        nfe = SampleNfe{};
        QTest::newRow("unsigned, not confirmed") << nfe;
    }
    void aRefusedFileLeavesNothingShown()
    {
        QFETCH(SampleNfe, nfe);
        openFile(writeInvoice());
        QCOMPARE(label("lblNFiscal"), QStringLiteral("1234"));
        w->dialogs().answers = {false};
        openFile(nfe.writeTo(w->db.productFolder(), QStringLiteral("recusada.xml")));
        for (const char* name : {"lblNFiscal", "lblData", "lblFornecedor", "lblTotalNFe", "lblItensNFe"})
            QCOMPARE(label(name), QString());
        QVERIFY(!button("BitBtn16")->isEnabled());
    }

    // The file dialog opens where the settings say the NF-e files arrive.
    void theFileDialogOpensInTheInbox()
    {
        w->session.NfeInboxFolder = w->db.productFolder();
        form().BitBtn15->click();
        QCOMPARE(w->dialogs().fileFolders, QStringList{w->db.productFolder()});
    }

    void aFileThatIsNoNfe()
    {
        openFile(writeInvoice());
        QFile file(w->db.productFolder() + QStringLiteral("/outro.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?><NFe><infNFe/></NFe>");
        file.close();
        openFile(file.fileName());
        QCOMPARE(w->dialogs().messages.last(), QStringLiteral("Erro no XML. <infNFe>"));
        QVERIFY(panel()->isVisible());
        QCOMPARE(label("lblAssinatura"), QString());
        // The invoice read before is not left ready to import in place of this one.
        QVERIFY(!button("BitBtn16")->isEnabled());
    }
};

QTEST_MAIN(TestNfePanel)
#include "tst_nfepanel.moc"
