#include "admin/AdminCommands.h"
#include "data/SqlText.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "reports/ReportData.h"
#include "reports/ReportError.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "shell/Dialogs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QProcess>
#include <QtTest>

#include <memory>

using namespace reports;

namespace {

// The text of a PDF file as poppler reads it, page by page: laid out as printed, or (`raw`) in the
// order it was drawn, each cell's lines one after the other.
QStringList pdfPages(const QString& file, bool raw = false)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {raw ? QStringLiteral("-raw") : QStringLiteral("-layout"), file, QStringLiteral("-")});
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

// The project that init wrote before the listing turned sideways, as it wrote it.
QByteArray formerDefaultProject()
{
    return QByteArrayLiteral(R"xml(<?xml version="1.0" encoding="UTF-8"?>
<!-- Relatórios do módulo de compras. Medidas em centímetros, tamanhos de letra em pontos.
     Nos textos, {CAMPO} é o valor do campo: datas dd/mm/aaaa, números com vírgula. -->
<projeto>
  <!-- Etiquetas dos itens da nota fiscal: folha A4 com 3 × 10 etiquetas de 6,67 × 2,54 cm. -->
  <relatorio nome="rpt_Rotulos" tipo="etiquetas" dados="rvdsRotulos" titulo="Etiquetas">
    <folha largura="21.0" altura="29.7" margemSuperior="2.15" margemEsquerda="0.2"
           colunas="3" linhas="10" larguraEtiqueta="6.67" alturaEtiqueta="2.54"
           espacoHorizontal="0.3" espacoVertical="0"/>
    <texto x="0.2" y="0.12" tamanho="7" negrito="sim">{COMPONENTE}</texto>
    <texto x="0.2" y="0.45" tamanho="6">DCB: {DCB}   Lote: {LOTE}</texto>
    <texto x="0.2" y="0.73" tamanho="6">Validade: {VALIDADE}   Qtde.: {QUANTIDADE} {UNIDADE}</texto>
    <texto x="0.2" y="1.01" tamanho="6">Fornecedor: {FORNECEDOR}</texto>
    <codigoBarras campo="CODIGO" x="0.2" y="1.38" largura="3.6" altura="0.8"/>
    <texto x="4.0" y="1.5" tamanho="6">NF {NOTAFISCAL}</texto>
    <texto x="4.0" y="1.78" tamanho="6">{CODIGO}</texto>
  </relatorio>
  <!-- Produtos comprados que vencem no período, agrupados pela data de vencimento. -->
  <relatorio nome="rpt_Vencimentos" tipo="listagem" dados="rvdsVencimentos" periodo="rvdsPeriodo"
             titulo="Produtos com vencimento de {DATAINICIAL} a {DATAFINAL}"
             agrupar="VALIDADE" rotuloGrupo="Vencimento: ">
    <pagina largura="21.0" altura="29.7" margem="1.5" tamanho="8"/>
    <coluna campo="COMPONENTE" titulo="Produto" largura="6.0"/>
    <coluna campo="DCB" titulo="DCB" largura="1.5"/>
    <coluna campo="LOTE" titulo="Lote" largura="2.4"/>
    <coluna campo="QUANTIDADE" titulo="Qtde." largura="1.6" alinhamento="direita"/>
    <coluna campo="UNIDADE" titulo="Unid." largura="1.0"/>
    <coluna campo="FORNECEDOR" titulo="Fornecedor" largura="3.6"/>
    <coluna campo="NOTAFISCAL" titulo="Nota Fiscal" largura="1.9"/>
  </relatorio>
</projeto>
)xml");
}

QString withoutBlanks(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// The line of the listing that holds `text`.
QString lineHolding(const QStringList& pages, const QString& text)
{
    for (const QString& page : pages)
        for (const QString& line : page.split(QLatin1Char('\n')))
            if (line.contains(text))
                return line;
    return {};
}

// A lot of the expiry listing, its product registered under its own code.
struct Lot {
    QString expiry; // dd/mm/yyyy
    QString lot;
    QString product = QStringLiteral("Talco farmacêutico");
    QString dcb = QStringLiteral("90053");
    QString quantity = QStringLiteral("2.5");
    QString unit = QStringLiteral("kg");
    QString supplier = QStringLiteral("Dipaul");
    QString invoice = QStringLiteral("18452");
};

std::vector<Lot> lotsOn(const QString& expiry, int count)
{
    std::vector<Lot> lots;
    for (int i = 1; i <= count; ++i)
        lots.push_back({expiry, QStringLiteral("L%1").arg(i, 2, 10, QLatin1Char('0'))});
    return lots;
}

// A listing of the default layout and what it must read.
struct ListingCase {
    QDate from;
    QDate to;
    std::vector<Lot> lots;
    std::vector<QStringList> pages; // texts each page holds, page by page
    QStringList absent;             // texts no page holds
    QStringList whole;              // values printed whole (perhaps over several lines)
    bool oneLineRows = true;        // each row on one line: its lot there with its date
};

// The print date of the tests is 02/04/2024.
const QDate kPrintDate(2024, 4, 2);

ListingCase listingCase(const QString& name)
{
    if (name == QLatin1String("a group across a page break")) {
        const QString total = QStringLiteral("Total: 45 lote(s) com vencimento de 01/01/2027 a 31/12/2027");
        return {QDate(2027, 1, 1),
                QDate(2027, 12, 31),
                lotsOn(QStringLiteral("15/07/2027"), 45),
                {{QStringLiteral("Vencimento: 15/07/2027"), QStringLiteral("L01"), QStringLiteral("Página 1 de 2")},
                 {QStringLiteral("Vencimento: 15/07/2027 (cont.)"), QStringLiteral("L45"),
                  QStringLiteral("45 lotes com vencimento em 15/07/2027"), total, QStringLiteral("Página 2 de 2")}},
                {},
                {}};
    }
    if (name == QLatin1String("the widest value of each column")) {
        // The widest characters the listing's font has, as many as each column holds.
        Lot widest{QStringLiteral("31/12/2027"), QString(30, QLatin1Char('@'))};
        widest.product = QString(70, QLatin1Char('W'));
        widest.dcb = QString(15, QLatin1Char('M'));
        widest.quantity = QStringLiteral("9999999999.99999");
        widest.unit = QStringLiteral("ŒŒŒ");
        widest.supplier = QString(40, QChar(0xC6)); // Æ
        widest.invoice = QString(10, QLatin1Char('%'));
        return {QDate(2027, 1, 1),
                QDate(2027, 12, 31),
                {widest},
                {{QStringLiteral("31/12/2027"), QStringLiteral("9999999999,99999")}},
                {QStringLiteral("…")},
                {widest.product, widest.dcb, widest.lot, widest.unit, widest.supplier, widest.invoice},
                false};
    }
    if (name == QLatin1String("a period from 2000 to 2099")) {
        return {QDate(2000, 1, 1),
                QDate(2099, 12, 31),
                {{QStringLiteral("01/01/2000"), QStringLiteral("L-2000")},
                 {QStringLiteral("15/06/2050"), QStringLiteral("L-2050")},
                 {QStringLiteral("31/12/2099"), QStringLiteral("L-2099")}},
                {{QStringLiteral("Produtos com vencimento de 01/01/2000 a 31/12/2099"),
                  QStringLiteral("Total: 3 lote(s) com vencimento de 01/01/2000 a 31/12/2099")}},
                {},
                {}};
    }
    if (name == QLatin1String("single-row groups")) {
        Lot recognised{QStringLiteral("10/01/2027"), QStringLiteral("L-A")};
        recognised.dcb = QStringLiteral("7891234567895"); // a product recognised by its bar code
        recognised.quantity = QStringLiteral("123456.789");
        return {
            QDate(2027, 1, 1),
            QDate(2027, 1, 31),
            {recognised,
             {QStringLiteral("11/01/2027"), QStringLiteral("L-B")},
             {QStringLiteral("12/01/2027"), QStringLiteral("L-C")}},
            {{QStringLiteral("7891234567895"), QStringLiteral("123456,789 kg"), QStringLiteral("Total: 3 lote(s)")}},
            {QStringLiteral("Vencimento:"), QStringLiteral("lotes com vencimento em")},
            {}};
    }
    // A lot already expired.
    return {QDate(2024, 1, 1),
            QDate(2024, 12, 31),
            {{QStringLiteral("01/03/2024"), QStringLiteral("L-OLD")},
             {QStringLiteral("02/04/2024"), QStringLiteral("L-TODAY")},
             {QStringLiteral("01/05/2024"), QStringLiteral("L-NEW")}},
            {{QStringLiteral("Situação")}},
            {},
            {}};
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ScopedEnv> folder;
    std::unique_ptr<ScopedReportRecorder> output;
    SessionState session;
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

    void insertLots(const std::vector<Lot>& lots)
    {
        for (std::size_t i = 0; i < lots.size(); ++i) {
            const Lot& l = lots[i];
            const QString code = QStringLiteral("P%1").arg(i + 1);
            db->connection().execute(
                QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values (?, ?, 'SUP', ?)"),
                {code, l.product, l.dcb});
            db->connection().execute(
                QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, COMPONENTE, "
                               "LOTE, QUANTIDADE, UNIDADE, VALIDADE, CODIGO, CODIGOFORNECEDOR) values ('01', ?, "
                               "'2023-12-01', ?, ?, ?, ?, %1, ?, ?, ?, '0001')")
                    .arg(l.quantity),
                {qint64(i + 1), l.invoice, l.supplier, l.product, l.lot, l.unit,
                 QDate::fromString(l.expiry, QStringLiteral("dd/MM/yyyy")), code});
        }
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
        dm = testdm::open(*db, session);
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
        QVERIFY(VencimentosStatement(QDate(2012, 10, 1), QDate(2012, 10, 30))
                    .contains(QStringLiteral("Compras.Validade between %1 and %2")
                                  .arg(sql::dateLiteral(QDate(2012, 10, 1)), sql::dateLiteral(QDate(2012, 10, 30)))));
        QVERIFY(RotulosStatement(QDate(2024, 3, 5), QStringLiteral("12'3"), QStringLiteral("D'Ávila é"))
                    .endsWith(QStringLiteral("COMPRAS.DATA = %1 AND COMPRAS.NOTAFISCAL = '12''3' AND "
                                             "Upper(COMPRAS.FORNECEDOR) = Upper('D''ÁVILA é') order by "
                                             "Compras.Componente")
                                  .arg(sql::dateLiteral(QDate(2024, 3, 5)))));
    }

    // ---- Data ----------------------------------------------------------------------------------

    // Items are joined to their product by its code: a name in other letters than the catalogue's,
    // a bar code that an earlier import left in CODIGO, or a product not registered keeps its row.
    void everyItemIsListedWhateverTheCatalogueHolds()
    {
        threeItemInvoice();
        db->connection().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values "
                                                "('P4', 'Ácido bórico', 'SUP', '7891234567895')"));
        const QString supplier = QStringLiteral("Química Brasil");
        item(5, QStringLiteral("555"), supplier, QStringLiteral("ACIDO BORICO"), QStringLiteral("L-B5"),
             QStringLiteral("20/05/2025"), QStringLiteral("7891234567895"));
        item(6, QStringLiteral("555"), supplier, QStringLiteral("Produto sem cadastro"), QStringLiteral("L-U6"),
             QStringLiteral("20/05/2025"), QStringLiteral("7890000000000"));
        auto lotsAndDcbs = [this](CachedDataset& ds) {
            QStringList rows;
            for (ds.first(); !ds.eof(); ds.next())
                rows << ds.asText(QStringLiteral("LOTE")) + QLatin1Char('=') + ds.asText(QStringLiteral("DCB"));
            return rows;
        };
        PrepareRotulos(*dm, QDate(2024, 3, 15), QStringLiteral("555"), QStringLiteral("química brasil"));
        QCOMPARE(lotsAndDcbs(dm->qryRotulos),
                 (QStringList{"L-B5=7891234567895", "L-A1=00123", "L-G2=04521", "L-U6=", "L-V3=09876"}));
        storePeriod(QDate(2025, 1, 1), QDate(2025, 12, 31));
        QCOMPARE(lotsAndDcbs(dm->qryVencimentos),
                 (QStringList{"L-G2=04521", "L-X9=04521", "L-B5=7891234567895", "L-U6=", "L-A1=00123", "L-V3=09876"}));
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
        QCOMPARE(lotsOf(dm->qryVencimentos), (QStringList{"L-G2", "L-X9", "L-A1", "L-V3", "L-2080"}));
    }

    void thePeriodIsKeptOnTheWorkstation()
    {
        storePeriod(QDate(2012, 10, 1), QDate(2012, 10, 30));
        QVERIFY(!dm->Periodo.isOpen());

        // Another run proposes the stored period; cancelling a change keeps it.
        const auto module = testdm::open(*db, session);
        TDM& again = *module;
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
        QCOMPARE(pages.size(), 4);
        const QString all = pages.join(QString());
        QVERIFY(all.indexOf(QStringLiteral("L-G2")) < all.indexOf(QStringLiteral("L-X9")));
        QVERIFY(all.indexOf(QStringLiteral("L-X9")) < all.indexOf(QStringLiteral("L-A1")));
        QVERIFY(all.indexOf(QStringLiteral("L-A1")) < all.indexOf(QStringLiteral("L-V3")));
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY2(pages[i].contains(QStringLiteral("Página %1 de 4").arg(i + 1)), qPrintable(pages[i]));
            QVERIFY(pages[i].contains(QStringLiteral("Vencimentos de 01/01/2025 a 31/12/2025")));
            QVERIFY(pages[i].contains(QStringLiteral("CNPJ da loja: 11.222.333/0001-81")));
            QVERIFY(pages[i].contains(QStringLiteral("Impresso em 02/04/2024 09:30")));
        }
        // Without a column of the expiry date, a date of one lot keeps its heading. A heading that
        // would stand alone at a page's foot goes to the next page, and the page that goes on with
        // a group repeats it.
        QVERIFY(pages[0].contains(QStringLiteral("Vencimento: 31/01/2025")));
        QVERIFY(pages[1].contains(QStringLiteral("Vencimento: 15/03/2025")));
        QVERIFY(pages[2].contains(QStringLiteral("Vencimento: 30/06/2025")));
        QVERIFY2(pages[3].contains(QStringLiteral("Vencimento: 30/06/2025 (cont.)")), qPrintable(pages[3]));
        QCOMPARE(all.count(QStringLiteral("Vencimento: ")), 4);
    }

    // The listing of the layout that init writes, read as the pharmacist reads it: no row without
    // its date, nothing cut, expired lots marked, the counts of each date and of the period.
    void theDefaultListingReadsWhole_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"a group across a page break", "the widest value of each column",
                                 "a period from 2000 to 2099", "single-row groups", "a lot already expired"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }

    void theDefaultListingReadsWhole()
    {
        QFETCH(QString, name);
        const ListingCase c = listingCase(name);
        insertLots(c.lots);
        storePeriod(c.from, c.to);
        rm->closeProject();
        rm->executeReport(kVencimentos);
        const QStringList pages = pdfPages(pdf());
        QCOMPARE(pages.size(), qsizetype(c.pages.size()));
        for (std::size_t p = 0; p < c.pages.size(); ++p) {
            const QString& page = pages[qsizetype(p)];
            for (const QString& text : c.pages[p])
                QVERIFY2(page.contains(text),
                         qPrintable(QStringLiteral("page %1 lacks \"%2\":\n%3").arg(p + 1).arg(text, page)));
        }
        const QString all = pages.join(QString());
        for (const QString& text : c.absent)
            QVERIFY2(!all.contains(text), qPrintable(text));
        const QString drawn = withoutBlanks(pdfPages(pdf(), true).join(QString()));
        for (const QString& value : c.whole)
            QVERIFY2(drawn.contains(withoutBlanks(value)), qPrintable(value + QStringLiteral(" is cut:\n") + drawn));
        if (!c.oneLineRows)
            return;
        for (const Lot& lot : c.lots) {
            const QString line = lineHolding(pages, lot.lot);
            QVERIFY2(line.contains(lot.expiry), qPrintable(lot.lot + QStringLiteral(": ") + line));
            const bool expired = QDate::fromString(lot.expiry, QStringLiteral("dd/MM/yyyy")) < kPrintDate;
            QVERIFY2(line.contains(QStringLiteral("VENCIDO")) == expired, qPrintable(line));
        }
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

    // A default project that an earlier version wrote and nobody changed gives way to today's the
    // next time a report runs; one that the pharmacy adjusted stays as it is.
    void anUntouchedDefaultOfAnEarlierVersionIsRenewed_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("renewed");
        QTest::newRow("untouched") << formerDefaultProject() << true;
        QTest::newRow("adjusted") << QByteArray(formerDefaultProject()).replace("largura=\"6.0\"", "largura=\"7.0\"")
                                  << false;
    }

    void anUntouchedDefaultOfAnEarlierVersionIsRenewed()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, renewed);
        useProject(content);
        storePeriod(QDate(2025, 1, 1), QDate(2025, 12, 31));
        rm->closeProject();
        rm->executeReport(kVencimentos);
        QFile file(productfolder::reportProject());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), renewed ? defaultProjectXml() : content);
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
