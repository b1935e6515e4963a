#include "admin/AdminCommands.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "reports/ReportData.h"
#include "reports/ReportError.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "shell/Dialogs.h"
#include "shell/ProductFolder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"

#include <QProcess>
#include <QtTest>

#include <memory>

using namespace reports;

namespace {

// The text of a PDF file as poppler reads it, page by page.
QStringList pdfPages(const QString& file)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished() || pdftotext.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

void writeFile(const QString& name, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A label project of `columns` × `rows` labels to a sheet.
QByteArray labelProject(int columns, int rows)
{
    return QStringLiteral(R"(<projeto>
  <relatorio nome="rpt_Rotulos" tipo="etiquetas" dados="rvdsRotulos" titulo="Etiquetas">
    <folha largura="21" altura="29.7" colunas="%1" linhas="%2" larguraEtiqueta="6.67" alturaEtiqueta="2.54"/>
    <texto x="0.2" y="0.1" tamanho="7">{COMPONENTE}</texto>
    <texto x="0.2" y="0.5" tamanho="6">Lote: {LOTE} Val.: {VALIDADE}</texto>
    <codigoBarras campo="CODIGO" x="0.2" y="1.2" largura="3" altura="0.8"/>
  </relatorio>
</projeto>)")
        .arg(columns)
        .arg(rows)
        .toUtf8();
}

// The listing on a page so short that two lines fit under its header.
QByteArray shortPageListing()
{
    return QByteArrayLiteral(R"(<projeto>
  <relatorio nome="rpt_Vencimentos" tipo="listagem" dados="rvdsVencimentos" periodo="rvdsPeriodo"
             titulo="Vencimentos de {DATAINICIAL} a {DATAFINAL}" agrupar="VALIDADE" rotuloGrupo="Vencimento: ">
    <pagina largura="21" altura="7" margem="1.5" tamanho="8"/>
    <coluna campo="LOTE" titulo="Lote" largura="3"/>
    <coluna campo="COMPONENTE" titulo="Produto" largura="6"/>
  </relatorio>
</projeto>)");
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ScopedEnv> folder;
    std::unique_ptr<ScopedReportRecorder> output;
    SessionState session;
    NoWindow window;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TRM> rm;

    QString pdf() const { return db->productFolder() + QStringLiteral("/saida.pdf"); }

    void item(int code, const QString& number, const QString& supplier, const QString& product, const QString& lot,
              const QString& expiry, const QString& productCode)
    {
        db->connection().execute(
            QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, COMPONENTE, LOTE, "
                           "QUANTIDADE, UNIDADE, VALIDADE, CODIGO, CODIGOFORNECEDOR) values ('01', ?, ?, ?, ?, ?, ?, "
                           "2.5, 'L', ?, ?, '0001')"),
            {qint64(code), QDate(2024, 3, 15), number, supplier, product, lot,
             QDate::fromString(expiry, QStringLiteral("dd/MM/yyyy")), productCode});
    }

    // Invoice 555 of "Química Brasil" has three items, one of them named in other letters than the
    // catalogue ("Glicerina"); invoice 777 has one.
    void threeItemInvoice()
    {
        FbConnection& c = db->connection();
        c.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values "
                                 "('P1', 'ALCOOL ETILICO', 'SUP', '00123')"));
        c.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values "
                                 "('P2', 'GLICERINA', 'SUP', '04521')"));
        c.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values "
                                 "('P3', 'VASELINA', 'SUP', '09876')"));
        const QString supplier = QStringLiteral("Química Brasil");
        item(1, QStringLiteral("555"), supplier, QStringLiteral("ALCOOL ETILICO"), QStringLiteral("L-A1"),
             QStringLiteral("30/06/2025"), QStringLiteral("P1"));
        item(2, QStringLiteral("555"), supplier, QStringLiteral("Glicerina"), QStringLiteral("L-G2"),
             QStringLiteral("31/01/2025"), QStringLiteral("P2"));
        item(3, QStringLiteral("555"), supplier, QStringLiteral("VASELINA"), QStringLiteral("L-V3"),
             QStringLiteral("30/06/2025"), QStringLiteral("P3"));
        item(4, QStringLiteral("777"), QStringLiteral("Outro Fornecedor"), QStringLiteral("GLICERINA"),
             QStringLiteral("L-X9"), QStringLiteral("15/03/2025"), QStringLiteral("P2"));
    }

    void useProject(const QByteArray& xml) { writeFile(productfolder::reportProject(), xml); }

    void labelsOf555()
    {
        PrepareRotulos(*dm, QDate(2024, 3, 15), QStringLiteral("555"), QStringLiteral("QUÍMICA BRASIL"));
        rm->closeProject();
        rm->executeReport(kRotulos);
    }

    void storePeriod(const QDate& start, const QDate& end)
    {
        OpenPeriodo(*dm);
        dm->Periodo.setDate(QStringLiteral("DATAINICIAL"), start);
        dm->Periodo.setDate(QStringLiteral("DATAFINAL"), end);
        QVERIFY(Calcula_Vencimentos_SQL(*dm));
    }

    QStringList lotsOf(CachedDataset& ds)
    {
        QStringList lots;
        for (ds.first(); !ds.eof(); ds.next())
            lots << ds.asText(QStringLiteral("LOTE"));
        return lots;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        folder = std::make_unique<ScopedEnv>("KORVANIS_DIR", db->productFolder().toLocal8Bit());
        output = std::make_unique<ScopedReportRecorder>();
        output->recorder().pdfFile = pdf();
        Dialogs::install(std::make_unique<RecordingDialogs>());
        session.StoreCnpj = QStringLiteral("11222333000181");
        dm = std::make_unique<TDM>(db->sharedParams(), db->workstationParams(), session, window);
        rm = std::make_unique<TRM>(*dm, session);
        rm->clock = [] { return QDateTime(QDate(2024, 4, 2), QTime(9, 30)); };
        QVERIFY(writeDefaultProject(productfolder::reportProject()));
    }

    void cleanup()
    {
        rm.reset();
        dm.reset();
        Dialogs::install(nullptr);
        output.reset();
        folder.reset();
        db.reset();
    }

    // ---- Statements --------------------------------------------------------------------------

    void statementsCarryTheirValuesQuoted()
    {
        QCOMPARE(VencimentosStatement(QDate(2012, 10, 1), QDate(2012, 10, 30)),
                 QStringLiteral("Select Componen.DCB,Compras.* From Compras,Componen where Compras.Validade between "
                                "'10/01/2012' and '10/30/2012' and (Compras.componente = Componen.Componente)Order by "
                                "Validade,Componente"));
        QCOMPARE(RotulosStatement(QDate(2024, 3, 5), QStringLiteral("12'3"), QStringLiteral("D'Ávila é")),
                 QStringLiteral("Select Componen.DCB, Compras.* from Compras, Componen where upper(Compras.Componente) "
                                "= upper(Componen.Componente) and COMPRAS.DATA = '03/05/2024' AND COMPRAS.NOTAFISCAL = "
                                "'12''3' AND Upper(COMPRAS.FORNECEDOR) = Upper('D''ÁVILA é') order by Componente"));
    }

    // ---- Data ----------------------------------------------------------------------------------

    void letterCaseCountsOnTheListingButNotOnTheLabels()
    {
        threeItemInvoice();
        PrepareRotulos(*dm, QDate(2024, 3, 15), QStringLiteral("555"), QStringLiteral("química brasil"));
        QCOMPARE(lotsOf(dm->qryRotulos), (QStringList{"L-A1", "L-G2", "L-V3"}));
        storePeriod(QDate(2025, 1, 1), QDate(2025, 12, 31));
        QCOMPARE(lotsOf(dm->qryVencimentos), (QStringList{"L-X9", "L-A1", "L-V3"}));
    }

    // A two-digit year would reach the server as 1999 for 2099, and the period would list nothing.
    void aFarPeriodReachesTheStatementWhole()
    {
        threeItemInvoice();
        item(5, QStringLiteral("888"), QStringLiteral("Outro Fornecedor"), QStringLiteral("VASELINA"),
             QStringLiteral("L-2080"), QStringLiteral("15/06/2080"), QStringLiteral("P3"));
        item(6, QStringLiteral("888"), QStringLiteral("Outro Fornecedor"), QStringLiteral("VASELINA"),
             QStringLiteral("L-1999"), QStringLiteral("31/12/1999"), QStringLiteral("P3"));
        storePeriod(QDate(2000, 1, 1), QDate(2099, 12, 31));
        QCOMPARE(lotsOf(dm->qryVencimentos), (QStringList{"L-X9", "L-A1", "L-V3", "L-2080"}));
    }

    void thePeriodIsKeptOnTheWorkstation()
    {
        storePeriod(QDate(2012, 10, 1), QDate(2012, 10, 30));
        QVERIFY(!dm->Periodo.isOpen());

        // Another run proposes the stored period; cancelling a change keeps it.
        TDM again(db->sharedParams(), db->workstationParams(), session, window);
        OpenPeriodo(again);
        QCOMPARE(again.Periodo.asDate(QStringLiteral("DATAINICIAL")), QDate(2012, 10, 1));
        again.Periodo.setDate(QStringLiteral("DATAFINAL"), QDate(2013, 1, 1));
        CancelPeriodo(again);
        FbConnection workstation(db->workstationParams());
        QCOMPARE(std::get<qint64>(workstation.executeRow(QStringLiteral("select count(*) from PERIODO")).front()), 1);
        QCOMPARE(std::get<QDate>(workstation.executeRow(QStringLiteral("select DATAFINAL from PERIODO")).front()),
                 QDate(2012, 10, 30));
    }

    void aPeriodWithoutADateIsRefused()
    {
        OpenPeriodo(*dm);
        dm->Periodo.setDate(QStringLiteral("DATAINICIAL"), QDate(2012, 10, 1));
        QVERIFY(!Calcula_Vencimentos_SQL(*dm));
        auto& recorder = static_cast<RecordingDialogs&>(Dialogs::current());
        QCOMPARE(recorder.messages, QStringList{QStringLiteral("Informe a data inicial e a data final do período.")});
        QVERIFY(dm->Periodo.isOpen());
        QVERIFY(!dm->qryVencimentos.isOpen());
    }

    // ---- Labels --------------------------------------------------------------------------------

    void labelsHoldEachItemOfTheInvoice()
    {
        threeItemInvoice();
        useProject(labelProject(2, 1));
        labelsOf555();
        const QStringList pages = pdfPages(pdf());
        QCOMPARE(pages.size(), 2); // two labels to a sheet
        QVERIFY2(pages[0].contains(QStringLiteral("L-A1")) && pages[0].contains(QStringLiteral("30/06/2025")),
                 qPrintable(pages[0]));
        QVERIFY2(pages[0].contains(QStringLiteral("L-G2")) && pages[0].contains(QStringLiteral("31/01/2025")),
                 qPrintable(pages[0]));
        QVERIFY2(pages[1].contains(QStringLiteral("L-V3")) && !pages[1].contains(QStringLiteral("L-A1")),
                 qPrintable(pages[1]));
        QVERIFY(!pages.join(QString()).contains(QStringLiteral("L-X9")));
    }

    void theDefaultSheetShowsEveryFieldOfALabel()
    {
        threeItemInvoice();
        labelsOf555();
        const QStringList pages = pdfPages(pdf());
        QCOMPARE(pages.size(), 1); // 30 labels to a sheet
        for (const char* text : {"ALCOOL ETILICO", "DCB: 00123", "Lote: L-A1", "Validade: 30/06/2025", "Qtde.: 2,5 L",
                                 "Fornecedor: Química Brasil", "NF 555"})
            QVERIFY2(pages[0].contains(QString::fromUtf8(text)), text);
    }

    void anInvoiceWithoutItemsStillRuns()
    {
        PrepareRotulos(*dm, QDate(2024, 3, 15), QStringLiteral("999"), QStringLiteral("NINGUEM"));
        QVERIFY(dm->qryRotulos.isEmpty());
        rm->closeProject();
        rm->executeReport(kRotulos);
        QCOMPARE(output->recorder().pageCounts, QList<int>{0});
        const QStringList pages = pdfPages(pdf());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].trimmed().isEmpty());
    }

    void theNextRunReadsTheChangedProject()
    {
        threeItemInvoice();
        labelsOf555();
        useProject(labelProject(1, 1));
        labelsOf555();
        QCOMPARE(output->recorder().pageCounts, (QList<int>{1, 3}));
    }

    void aProjectThatCannotBeUsedIsReportedWithItsName_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QByteArray() << true << QStringLiteral("não foi encontrado");
        QTest::newRow("not xml") << QByteArray("<projeto><relatorio") << false << QStringLiteral("linha 1");
        QTest::newRow("no such report") << QByteArray("<projeto/>") << false
                                        << QStringLiteral("O relatório rpt_Rotulos não existe");
        QTest::newRow("sheet too small") << labelProject(4, 1) << false << QStringLiteral("não cabem na folha");
        QTest::newRow("bad number") << labelProject(2, 1).replace("6.67", "seis") << false
                                    << QStringLiteral("valor inválido \"seis\"");
    }

    void aProjectThatCannotBeUsedIsReportedWithItsName()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, remove);
        QFETCH(QString, expected);
        if (remove)
            QFile::remove(productfolder::reportProject());
        else
            useProject(xml);
        rm->closeProject();
        try {
            rm->executeReport(kRotulos);
            QFAIL("the report ran");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().contains(productfolder::reportProject()), qPrintable(e.message()));
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
        QVERIFY(output->recorder().titles.isEmpty());
    }

    // ---- Expiry listing ------------------------------------------------------------------------

    void theListingIsGroupedByExpiryWithPageNumbers()
    {
        threeItemInvoice();
        useProject(shortPageListing());
        storePeriod(QDate(2025, 1, 1), QDate(2025, 12, 31));
        rm->closeProject();
        rm->executeReport(kVencimentos);
        const QStringList pages = pdfPages(pdf());
        QCOMPARE(pages.size(), 3);
        const QString all = pages.join(QString());
        QVERIFY(all.indexOf(QStringLiteral("L-X9")) < all.indexOf(QStringLiteral("L-A1")));
        QVERIFY(all.indexOf(QStringLiteral("L-A1")) < all.indexOf(QStringLiteral("L-V3")));
        QVERIFY(!all.contains(QStringLiteral("L-G2")));
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY2(pages[i].contains(QStringLiteral("Página %1 de 3").arg(i + 1)), qPrintable(pages[i]));
            QVERIFY(pages[i].contains(QStringLiteral("Vencimentos de 01/01/2025 a 31/12/2025")));
            QVERIFY(pages[i].contains(QStringLiteral("CNPJ da loja: 11.222.333/0001-81")));
            QVERIFY(pages[i].contains(QStringLiteral("Impresso em 02/04/2024 09:30")));
        }
        QVERIFY(pages[0].contains(QStringLiteral("Vencimento: 15/03/2025")));
        QVERIFY(pages[1].contains(QStringLiteral("Vencimento: 30/06/2025")));
        // The group heading that would stand alone at a page's foot goes to the next page.
        QCOMPARE(all.count(QStringLiteral("Vencimento: ")), 2);
    }

    // ---- Command line --------------------------------------------------------------------------

    void initWritesTheDefaultProjectAndKeepsAnAdjustedOne()
    {
        QTemporaryDir fresh;
        const ScopedEnv here("KORVANIS_DIR", fresh.path().toLocal8Bit());
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        QCOMPARE(admin::run({QStringLiteral("init")}, o, e), 0);
        const ReportProject project = ReportProject::load(productfolder::reportProject());
        QCOMPARE(project.report(kRotulos).sheet.labelsPerPage(), 30);
        QCOMPARE(project.report(kRotulos).sheet.labelWidth, 6.67);
        QCOMPARE(project.report(kVencimentos).kind, Report::Kind::Listing);
        QVERIFY(!writeDefaultProject(productfolder::reportProject()));
    }

    void theCommandLineWritesBothReports()
    {
        threeItemInvoice();
        db->connection().execute(QStringLiteral(
            "insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, GRUPDESP, CODIGOFORNECEDOR) values "
            "('01', 1, '03/15/24', '555', 'Química Brasil', 'SUP', '0001')"));
        db->connection().execute(
            QStringLiteral("insert into ESTACOES (ESTACAO, CNPJ) values ('01', '11222333000181')"));
        rm.reset();
        dm.reset();
        auto run = [](const QStringList& args) {
            QString out;
            QString err;
            QTextStream o(&out);
            QTextStream e(&err);
            const int code = admin::run(args, o, e);
            o.flush();
            e.flush();
            return std::make_tuple(code, out, err);
        };
        const QString labels = db->productFolder() + QStringLiteral("/etiquetas.pdf");
        auto [code, out, err] =
            run({"report", "etiquetas", "--invoice", "555", "--supplier", "QUÍMICA BRASIL", "--pdf", labels});
        QVERIFY2(code == 0, qPrintable(err));
        QVERIFY2(out.contains(QStringLiteral("3 etiqueta(s)")), qPrintable(out));
        QVERIFY(err.contains(QStringLiteral("Gerando página 1")));
        QVERIFY(pdfPages(labels).join(QString()).contains(QStringLiteral("L-G2")));

        const QString listing = db->productFolder() + QStringLiteral("/vencimentos.pdf");
        std::tie(code, out, err) =
            run({"report", "vencimentos", "--from", "01/01/2025", "--to", "31/12/2025", "--pdf", listing});
        QVERIFY2(code == 0, qPrintable(err));
        const QString text = pdfPages(listing).join(QString());
        QVERIFY2(text.contains(QStringLiteral("L-X9")) && text.contains(QStringLiteral("11.222.333/0001-81")),
                 qPrintable(text));

        std::tie(code, out, err) =
            run({"report", "etiquetas", "--invoice", "556", "--supplier", "Química Brasil", "--pdf", labels});
        QCOMPARE(code, 1);
        QVERIFY2(err.contains(QStringLiteral("Não há nota fiscal 556")), qPrintable(err));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
