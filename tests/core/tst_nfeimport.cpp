#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "data/FieldValue.h"
#include "nfe/NfeImport.h"
#include "nfe/SupplierCodes.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "search/PurchaseSearch.h"
#include "shell/WorkQueries.h"
#include "tests/support/CallerWalk.h"
#include "tests/support/NfeSample.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

Q_DECLARE_METATYPE(SampleNfeItem)
Q_DECLARE_METATYPE(SampleNfe)
Q_DECLARE_METATYPE(SampleSigner)
Q_DECLARE_METATYPE(std::vector<SampleDup>)

namespace {

const QDate kToday(2024, 4, 10);
const QString kReceipt = QStringLiteral("08/04/24");
const QString kAllRecognised = QStringLiteral(
    "SUCESSO: Todos os itens da NF-e foram reconhecidos pelo sistema.\r1) Percorra, com o cursor, todas colunas dos "
    "itens da N. Fiscal para atualizar os preços dos produtos no banco de dados.\r2) Em seguida, clique no botão "
    "\"FECHAR NOTA FISCAL\" para atualizar o estoque.\r3) Finalizando, selecione a forma de pagamento  para incluir "
    "esta Nota Fiscal no cadastro de \"Contas a Pagar\" do sistema.");
const QString kOneUnrecognised = QStringLiteral(
    "ATENÇÃO: \r1) Um item da Nota Fiscal não pôde ser identificado corretamente pelo sistema.\r2) Percorra, com o "
    "cursor, todas colunas dos itens da N. Fiscal atualizar os preços no banco de dados e tentar identificar o produto "
    "não reconhecido.\r3) Em seguida, clique no botão \"FECHAR NOTA FISCAL\" para atualizar o estoque.\r4) "
    "Finalizando, selecione a forma de pagamento  para incluir esta Nota Fiscal no cadastro de \"Contas a Pagar\" do "
    "sistema.");

// The result message with the count of items recognised by supplier code and by bar code.
QString counted(const QString& message, int bySupplierCode, int byBarCode)
{
    return message + QStringLiteral("\r\rItens reconhecidos pelo código do fornecedor: %1; pelo código de barras: %2.")
                         .arg(bySupplierCode)
                         .arg(byBarCode);
}

SampleNfeItem item(const QString& xProd, const QString& cEAN, const QString& uCom, const QString& qCom,
                   const QString& vUnCom, const QString& lots = {})
{
    SampleNfeItem i;
    i.xProd = xProd;
    i.cEAN = cEAN;
    i.uCom = uCom;
    i.qCom = qCom;
    i.vUnCom = vUnCom;
    i.lots = lots;
    return i;
}

} // namespace

class TestNfeImport : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ScopedEnv> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    SessionState session;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<NfeImporter> importer;

    FbConnection& conn() { return db->connection(); }
    RecordingDialogs& shown() { return dialogs->recorder(); }
    qint64 count(const QString& sql) { return std::get<qint64>(conn().executeRow(sql).front()); }

    // Every row of a query, its columns as text joined by "|".
    QStringList rows(const QString& sql)
    {
        QStringList out;
        auto cursor = conn().openCursor(sql);
        while (cursor->fetch()) {
            QStringList columns;
            for (int i = 0; i < cursor->layout().count(); ++i)
                columns << field::toText(cursor->value(i));
            out << columns.join(u'|');
        }
        return out;
    }

    void addProduct(const QString& code, const QString& name, const QString& barCode, const QString& maker)
    {
        conn().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB, FABRICANTE, UNID) "
                                      "values (?, ?, 'SUP', ?, ?, 'UN')"),
                       {code, name, barCode, maker});
    }

    void addSupplier(const QString& code, const QString& name, const QString& cnpj)
    {
        conn().execute(QStringLiteral("insert into FORNECED (CODIGO, NOME, NOMEFANTASIA, CNPJ) values (?, ?, ?, ?)"),
                       {code, name, name, cnpj});
    }

    // Reads the document from a file and imports it.
    NfeImportResult readAndImport(const SampleNfe& nfe, const QString& receipt = kReceipt)
    {
        const QString path = nfe.writeTo(db->productFolder());
        if (importer->read(path) != NfeReadOutcome::Ready)
            return {};
        return importer->import(receipt, kToday);
    }

    QString lastMessage() { return shown().messages.isEmpty() ? QString() : shown().messages.last(); }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        folder = std::make_unique<ScopedEnv>("KORVANIS_DIR", db->productFolder().toLocal8Bit());
        dialogs = std::make_unique<ScriptedDialogs>();
        session.WorkstationCode = QStringLiteral("01");
        session.DefaultStockLocation = QStringLiteral("Almoxarifado");
        dm = testdm::open(*db, session);
        dm->NFiscal.setCommandText(workqueries::nfiscal());
        dm->NFiscal.open();
        importer = std::make_unique<NfeImporter>(*dm, session);
    }
    void cleanup()
    {
        importer.reset();
        dm.reset();
        dialogs.reset();
        folder.reset();
        db.reset();
    }

    void importsHeaderAndItems()
    {
        addProduct(QStringLiteral("7891"), QStringLiteral("ALCOOL ETILICO 70%"), QStringLiteral("7890000000024"),
                   QStringLiteral("Lab Sul"));
        SampleNfe nfe;
        nfe.items = {item(QStringLiteral("LUVA DE PROCEDIMENTO"), QStringLiteral("7890000000017"), QStringLiteral("CX"),
                          QStringLiteral("2.0000"), QStringLiteral("10.00"),
                          SampleMed(QStringLiteral("L1"), QStringLiteral("2"), QStringLiteral("2024-01-02"),
                                    QStringLiteral("2026-01-31"))),
                     item(QStringLiteral("ALCOOL 70 1L"), QStringLiteral("7890000000024"), QStringLiteral("UN"),
                          QStringLiteral("3"), QStringLiteral("5.50")),
                     item(QStringLiteral("GAZE"), QString(), QStringLiteral("PCT"), QStringLiteral("1"),
                          QStringLiteral("3.25"))};
        const NfeImportResult result = readAndImport(nfe);
        QCOMPARE(result.outcome, NfeImportResult::Outcome::Imported);
        QCOMPARE(lastMessage(),
                 counted(QStringLiteral("ATENÇÃO: \r1) 2 itens da Nota Fiscal não foram identificados "
                                        "corretamente pelo sistema.\r2) Percorra, com o cursor, todas "
                                        "colunas de cada item da N. Fiscal para atualizar os preços no "
                                        "banco de dados e tentar identificar os produtos não "
                                        "reconhecidos.\r3) Em seguida, clique no botão \"FECHAR NOTA "
                                        "FISCAL\" para atualizar o estoque.\r4) Finalizando, selecione a "
                                        "forma de pagamento para incluir esta Nota Fiscal no cadastro "
                                        "de \"Contas a Pagar\" do sistema."),
                         0, 1));

        QCOMPARE(rows(QStringLiteral("select ESTACAO, CODIGO, DATA, DATARECEBIM, NOTAFISCAL, FORNECEDOR, "
                                     "CODIGOFORNECEDOR, VALBRUTO, DESCONTOTOTAL, OUTROSIMP, VALLIQUIDO, ICMS, IPI, "
                                     "TIPOOPERACAO, SERIE, ENTRADASAIDA, GRUPDESP from NFISCAL")),
                 QStringList{"01|1|05/04/2024|08/04/2024|1234|Distribuidora Boa Vida Ltda|0001|39,75|0|0|20|1,5|0|"
                             "VENDA DE MERCAD|1|1|SUP"});
        QCOMPARE(rows(QStringLiteral("select ESTACAO, CODCOMPRA, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                     "CODIGOFORNECEDOR, FABRICANTE, COMPONENTE, RESPONSAVEL, PRECOUNITUS, PRECOUNITR, "
                                     "QUANTIDADE, UNIDADE, SALDO, LOTE, FABRICACAO, VALIDADE, SITUACAO, LABORATORIO "
                                     "from COMPRAS order by RESPONSAVEL")),
                 (QStringList{"01|1||05/04/2024|1234|Distribuidora Boa Vida Ltda|0001||Luva de "
                              "procedimento|0001|10|10|2|cx|20|L1|02/01/2024|31/01/2026|Estoque|Almoxarifado",
                              "01|2|7891|05/04/2024|1234|Distribuidora Boa Vida Ltda|0001|Lab Sul|ALCOOL "
                              "ETILICO 70%|0002|5,5|5,5|3|un|16,5|-|05/04/2024|10/04/2026|Estoque|Almoxarifado",
                              "01|3||05/04/2024|1234|Distribuidora Boa Vida Ltda|0001||Gaze|0003|3,25|3,25|1|pct|3,25|"
                              "-|05/04/2024|10/04/2026|Estoque|Almoxarifado"}));
        // The window's invoice list stands on the new invoice, in date order.
        QCOMPARE(dm->NFiscal.asText(QStringLiteral("NOTAFISCAL")), QStringLiteral("1234"));
        QCOMPARE(dm->NFiscal.commandText(), workqueries::nfiscal());
        QCOMPARE(dm->Compras.recordCount(), 3);
    }

    // Registering the issuer, the duplicate check and the key draws have commands of their own: a
    // walk the caller keeps on the command object is left where it was.
    void importLeavesTheCallersCommandAlone()
    {
        addProduct(QStringLiteral("7891"), QStringLiteral("ALCOOL ETILICO 70%"), QStringLiteral("7890000000024"),
                   QStringLiteral("Lab Sul"));
        const testdm::CallerWalk walk(*dm, QStringLiteral("select CODIGO from COMPONEN order by CODIGO"),
                                      QStringLiteral("CODIGO"));
        SampleNfe nfe;
        nfe.dups = {{"001", "2024-05-05", "20.00"}};
        QCOMPARE(readAndImport(nfe).outcome, NfeImportResult::Outcome::Imported);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), 1);
        QVERIFY(walk.intact());
    }

    void mapsUnitsAndQuantities_data()
    {
        QTest::addColumn<SampleNfeItem>("line");
        QTest::addColumn<QString>("expected"); // QUANTIDADE|UNIDADE|PRECOUNITR|SALDO|VALIDADE

        QTest::newRow("GR") << item("P", "1", "GR", "500", "0.10") << "500|g|0,1|50|10/04/2026";
        QTest::newRow("Lt") << item("P", "1", "Lt", "2", "7.00") << "2|l|7|14|10/04/2026";
        QTest::newRow("CX") << item("P", "1", "CX", "1", "30.00") << "1|cx|30|30|10/04/2026";
        QTest::newRow("MIL: price per unit, line value kept")
            << item("P", "1", "MIL", "2.5", "40.00") << "2500|un|0,04|100|10/04/2026";
        QTest::newRow("no lot quantity: the commercial quantity")
            << item("P", "1", "UN", "4", "2.50", SampleMed("L9", {}, "2024-01-01", "2025-12-31"))
            << "4|un|2,5|10|31/12/2025";
        QTest::newRow("lot quantity 0: written 0, line value of the commercial quantity")
            << item("P", "1", "UN", "4", "2.50", SampleMed("L9", "0", "2024-01-01", "2025-12-31"))
            << "0|un|2,5|10|31/12/2025";
        QTest::newRow("price of ten decimals")
            << item("P", "1", "UN", "3", "0.3333333333") << "3|un|0,33333|1|10/04/2026";
    }
    void mapsUnitsAndQuantities()
    {
        QFETCH(SampleNfeItem, line);
        SampleNfe nfe;
        nfe.items = {line};
        QCOMPARE(readAndImport(nfe).outcome, NfeImportResult::Outcome::Imported);
        QTEST(rows(QStringLiteral("select QUANTIDADE, UNIDADE, PRECOUNITR, SALDO, VALIDADE from COMPRAS")).join(u'/'),
              "expected");
    }

    void importsEveryLotOfAnItem()
    {
        SampleNfe nfe;
        nfe.items = {
            item(QStringLiteral("SERINGA 5ML"), QStringLiteral("1"), QStringLiteral("UN"), QStringLiteral("5"),
                 QStringLiteral("1.20"),
                 SampleRastro(QStringLiteral("A1"), QStringLiteral("2"), QStringLiteral("2024-01-01"),
                              QStringLiteral("2027-01-01")) +
                     SampleRastro(QStringLiteral("B2"), QStringLiteral("3"), {}, QStringLiteral("2027-06-30"))),
            item(QStringLiteral("AGULHA"), QStringLiteral("2"), QStringLiteral("UN"), QStringLiteral("1"),
                 QStringLiteral("0.50"))};
        QCOMPARE(readAndImport(nfe).rows, 3);
        QCOMPARE(rows(QStringLiteral("select RESPONSAVEL, COMPONENTE, LOTE, QUANTIDADE, SALDO, FABRICACAO, VALIDADE "
                                     "from COMPRAS order by RESPONSAVEL")),
                 (QStringList{"0001|Seringa 5ml|A1|2|2,4|01/01/2024|01/01/2027",
                              "0002|Seringa 5ml|B2|3|3,6|05/04/2024|30/06/2027",
                              "0003|Agulha|-|1|0,5|05/04/2024|10/04/2026"}));
    }

    void keepsApostrophesAndFitsTexts()
    {
        addProduct(QStringLiteral("9"), QStringLiteral("OLEO D'AMENDOA"), QStringLiteral("77"), QStringLiteral("D'Or"));
        SampleNfe nfe;
        nfe.xNome = QStringLiteral("FARMACIA D'ÁVILA LTDA");
        nfe.xFant = QStringLiteral("D'ÁVILA");
        const QString longName = QStringLiteral("SOLUCAO 10 \u03BCG \u2212 ") + QString(110, u'X');
        nfe.items = {
            item(QStringLiteral("OLEO"), QStringLiteral("77"), QStringLiteral("UN"), QStringLiteral("1"),
                 QStringLiteral("1.00"), SampleMed(QStringLiteral("L'7"), {}, {}, {})),
            item(longName, QStringLiteral("8"), QStringLiteral("FRASCO"), QStringLiteral("1"), QStringLiteral("1.00"))};
        const NfeImportResult result = readAndImport(nfe);
        QCOMPARE(result.outcome, NfeImportResult::Outcome::Imported);
        QCOMPARE(rows(QStringLiteral("select FORNECEDOR, FABRICANTE, COMPONENTE, LOTE, UNIDADE from COMPRAS order by "
                                     "RESPONSAVEL")),
                 (QStringList{"Farmacia D'Ávila Ltda|D'Or|OLEO D'AMENDOA|L'7|un",
                              "Farmacia D'Ávila Ltda||Solucao 10 \u00B5g - " + QString(54, u'x') + "|-|fra"}));
        QCOMPARE(result.adjusted.size(), 1);
        QVERIFY2(result.adjusted.front().startsWith(QStringLiteral("Item 2 (")), qPrintable(result.adjusted.front()));
        QVERIFY(lastMessage().startsWith(kOneUnrecognised));
        QVERIFY(lastMessage().contains(QStringLiteral("Textos ajustados")));
    }

    void refusesWithoutWritingAnything_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QString>("receipt");
        QTest::addColumn<QString>("message");

        SampleNfe nfe;
        QTest::newRow("receipt date left empty")
            << nfe << "  /  /  "
            << "Não foi possível importar a N. Fiscal 1234.\rA data de recebimento \"  /  /  \" não é uma data "
               "válida.\rNada foi gravado.";
        nfe.items = {SampleNfeItem{}, SampleNfeItem{}, item("FITA CREPE", "3", "UN", "1,5,0", "2.00")};
        QTest::newRow("a bad quantity on the third item")
            << nfe << kReceipt
            << "Não foi possível importar a N. Fiscal 1234.\rItem 3 (FITA CREPE): a quantidade <qCom> \"1,5,0\" não é "
               "um número válido.\rNada foi gravado.";
        nfe.items = {SampleNfeItem{}, item("FITA", "3", "UN", "1", "2.00", SampleMed("L", "1", "2024-02-30", {}))};
        QTest::newRow("a bad manufacturing date")
            << nfe << kReceipt
            << "Não foi possível importar a N. Fiscal 1234.\rItem 2 (FITA): a data de fabricação <dFab> \"2024-02-30\" "
               "não é uma data válida.\rNada foi gravado.";

        const QString refused = QStringLiteral("Não foi possível importar a N. Fiscal 1234.\r");
        const QString nothing = QStringLiteral("\rNada foi gravado.");
        const QString lotOf = QStringLiteral("2024-01-01");
        // The items' values add up, so that the item's own value is what the import refuses.
        const auto withLineValue = [](SampleNfeItem line, const char* vProd) {
            line.vProd = QString::fromLatin1(vProd);
            return line;
        };
        nfe.items = {SampleNfeItem{}, withLineValue(item("FITA", "3", "UN", "-1000", "2.00"), "0.00")};
        QTest::newRow("a negative quantity")
            << nfe << kReceipt
            << refused + "Item 2 (FITA): a quantidade <qCom> \"-1000\" é um valor negativo." + nothing;
        nfe.items = {item("FITA", "3", "UN", "1000", "2.00", SampleRastro("L", "-1000", lotOf, {}))};
        QTest::newRow("a negative lot quantity")
            << nfe << kReceipt
            << refused + "Item 1 (FITA): a quantidade do lote <qLote> \"-1000\" é um valor negativo." + nothing;
        nfe.items = {withLineValue(item("FITA", "3", "UN", "1", "-2.00"), "0.00")};
        QTest::newRow("a negative price")
            << nfe << kReceipt
            << refused + "Item 1 (FITA): o valor unitário <vUnCom> \"-2.00\" é um valor negativo." + nothing;
        nfe = SampleNfe{};
        nfe.vNF = QStringLiteral("-20.00");
        QTest::newRow("a negative total")
            << nfe << kReceipt << refused + "O valor <vNF> \"-20.00\" é negativo." + nothing;
        nfe = SampleNfe{};
        nfe.vProd = QStringLiteral("9999999999999999.00");
        nfe.items.front().vProd = nfe.vProd;
        QTest::newRow("a total past its column")
            << nfe << kReceipt
            << refused +
                   "O valor 9999999999999999.00 não cabe no campo VALBRUTO (no máximo 13 dígitos antes da vírgula e 2 "
                   "depois)." +
                   nothing;
        nfe.vProd.clear();
        nfe.items = {item("FITA", "3", "UN", "1", "2.00", SampleRastro("L", "184467440737096", lotOf, {}))};
        QTest::newRow("a lot quantity past its column")
            << nfe << kReceipt
            << refused +
                   "Item 1 (FITA): O valor 184467440737096 não cabe no campo QUANTIDADE (no máximo 10 dígitos antes "
                   "da vírgula e 5 depois)." +
                   nothing;
        nfe.items = {withLineValue(item("FITA", "3", "UN", "1", "9999999999999999"), "0.00")};
        QTest::newRow("a price past its column")
            << nfe << kReceipt
            << refused +
                   "Item 1 (FITA): O valor 9999999999999999 não cabe no campo PRECOUNITR (no máximo 10 dígitos antes "
                   "da vírgula e 5 depois)." +
                   nothing;
        nfe.items = {item("FITA", "3", "UN", "100000", "1000000")};
        QTest::newRow("a line total past its column")
            << nfe << kReceipt
            << refused +
                   "Item 1 (FITA): O valor 1000000 × 100000 não cabe no campo SALDO (no máximo 10 dígitos antes da "
                   "vírgula e 5 depois)." +
                   nothing;
    }
    void refusesWithoutWritingAnything()
    {
        QFETCH(SampleNfe, nfe);
        QFETCH(QString, receipt);
        const NfeImportResult result = readAndImport(nfe, receipt);
        QCOMPARE(result.outcome, NfeImportResult::Outcome::Refused);
        QTEST(lastMessage(), "message");
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS")), 0);
    }

    void refusesTheSameInvoiceTwice()
    {
        SampleNfe nfe;
        QCOMPARE(readAndImport(nfe).outcome, NfeImportResult::Outcome::Imported);
        QCOMPARE(lastMessage(), counted(kOneUnrecognised, 0, 0));

        const QString path = nfe.writeTo(db->productFolder());
        QCOMPARE(importer->read(path), NfeReadOutcome::Duplicate);
        QCOMPARE(lastMessage(), QStringLiteral("Nota Fiscal já cadastrada no KORVANIS."));
        // Imported again all the same (the button still enabled): refused by the import itself.
        const int shownBefore = int(shown().messages.size());
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Duplicate);
        QCOMPARE(shown().messages.mid(shownBefore),
                 QStringList{"N.Fiscal 1234\rdo fornecedor Distribuidora Boa Vida Ltda já encontra-se no Cadastro de "
                             "Notas Fiscais do KORVANIS."});
        QCOMPARE(importer->messages(), shown().messages.mid(shownBefore));
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS")), 1);
    }

    void refusesMoreThan300Items()
    {
        SampleNfe nfe;
        nfe.items.assign(301, SampleNfeItem{});
        QCOMPARE(importer->read(nfe.writeTo(db->productFolder())), NfeReadOutcome::Failed);
        QCOMPARE(shown().messages.size(), 1);
        QVERIFY(shown().messages.front().contains(QStringLiteral("301 itens")));
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Refused);
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from FORNECED")), 0);
    }

    void findsOrRegistersTheSupplier_data()
    {
        QTest::addColumn<QString>("registeredCnpj");
        QTest::addColumn<QString>("supplierName");
        QTest::addColumn<QStringList>("suppliers");

        QTest::newRow("found by CNPJ") << "05125726000255"
                                       << "Boa Vida Comercio"
                                       << QStringList{"0007|Boa Vida Comercio|Boa Vida Comercio|||||||05125726000255|"};
        const QString registered =
            "0008|Distribuidora Boa Vida Ltda|Boa Vida|RUA DAS FLORES, 100 SALA 2|CENTRO|29000000|3205309|32|"
            "2733334444|05125726000255|123456789";
        QTest::newRow("punctuated CNPJ is not found: registered again")
            << "05.125.726/0002-55"
            << "Distribuidora Boa Vida Ltda"
            << QStringList{"0007|Boa Vida Comercio|Boa Vida Comercio|||||||05.125.726/0002-55|", registered};
    }
    void findsOrRegistersTheSupplier()
    {
        QFETCH(QString, registeredCnpj);
        addSupplier(QStringLiteral("0007"), QStringLiteral("Boa Vida Comercio"), registeredCnpj);
        SampleNfe nfe;
        QCOMPARE(readAndImport(nfe).outcome, NfeImportResult::Outcome::Imported);
        QTEST(importer->document().NfeSupplierName, "supplierName");
        QTEST(rows(QStringLiteral("select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, "
                                  "TEL, CNPJ, IE from FORNECED order by CODIGO")),
              "suppliers");
        QCOMPARE(rows(QStringLiteral("select FORNECEDOR, CODIGOFORNECEDOR from NFISCAL")).front(),
                 importer->document().NfeSupplierName + u'|' + importer->document().NfeSupplierCode);
    }

    void refusesWhenSupplierCodesAreNotNumbers()
    {
        addSupplier(QStringLiteral("ABCD"), QStringLiteral("Outro"), QStringLiteral("1"));
        SampleNfe nfe;
        QCOMPARE(importer->read(nfe.writeTo(db->productFolder())), NfeReadOutcome::Ready);
        QCOMPARE(lastMessage(), QStringLiteral("Foi detectado um erro no campo \"CODIGO\" do Cadastro de Fornecedores. "
                                               "Favor corrigir antes de prosseguir."));
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::SupplierFailed);
        QCOMPARE(lastMessage(),
                 QStringLiteral("Não foi possível importar N. Fiscal 1234. Erro no cadastro do fornecedor."));
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 0);
    }

    // A file that fails a check is refused at the read, before the supplier step: nothing written.
    void refusesAFileThatFailsTheChecks_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QString>("message");

        SampleNfe nfe;
        nfe.signedByIssuer = true;
        SampleNfe other;
        other.nNF = QStringLiteral("1235");
        nfe.Id = QStringLiteral("NFe") + other.key();
        QTest::newRow("key of another number") << nfe << "A chave de acesso da NF-e " + other.key() + " não confere";
        nfe = SampleNfe{};
        nfe.signedByIssuer = true;
        nfe.cStat = QStringLiteral("302");
        nfe.xMotivo = QStringLiteral("Uso Denegado: Irregularidade fiscal do destinatario");
        QTest::newRow("use denied") << nfe
                                    << "A NF-e 1234 não está autorizada: situação 302 - Uso Denegado: Irregularidade "
                                       "fiscal do destinatario.\rNada foi importado.";
    }
    void refusesAFileThatFailsTheChecks()
    {
        QFETCH(SampleNfe, nfe);
        QFETCH(QString, message);
        QCOMPARE(importer->read(nfe.writeTo(db->productFolder())), NfeReadOutcome::Failed);
        QVERIFY2(lastMessage().startsWith(message), qPrintable(lastMessage()));
        QCOMPARE(importer->refusal(), lastMessage());
        QCOMPARE(shown().questions, QStringList{});
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Refused);
        QCOMPARE(count(QStringLiteral("select count(*) from FORNECED")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 0);
    }

    void refusesAnInvoiceAlteredAfterSigning()
    {
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        QByteArray xml = nfe.xml();
        QVERIFY(xml.contains("<vUnCom>10.0000000000</vUnCom>"));
        xml.replace("<vUnCom>10.0000000000</vUnCom>", "<vUnCom>19.0000000000</vUnCom>");
        QFile file(db->productFolder() + QStringLiteral("/alterada.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(xml);
        file.close();
        QCOMPARE(importer->read(file.fileName()), NfeReadOutcome::Failed);
        QCOMPARE(shown().messages,
                 QStringList{"A assinatura digital da NF-e não confere: o arquivo foi alterado depois de assinado."});
        QCOMPARE(importer->document().isSigned, false);
        QCOMPARE(count(QStringLiteral("select count(*) from FORNECED")), 0);
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Refused);
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 0);
    }

    // A file without a protocol or without a signature is imported only when the clerk says so.
    void asksWhenEvidenceIsMissing_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("signer");

        const QString noProtocol = NfeNoProtocolQuestion();
        const QString unsignedFile = NfeUnsignedQuestion();
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        QTest::newRow("signed, with protocol: nothing asked")
            << nfe << QList<bool>{} << QStringList{} << true << kSampleSigner;
        nfe.withProtocol = false;
        QTest::newRow("no protocol, declined")
            << nfe << QList<bool>{false} << QStringList{noProtocol} << false << kSampleSigner;
        QTest::newRow("no protocol, confirmed")
            << nfe << QList<bool>{true} << QStringList{noProtocol} << true << kSampleSigner;
        nfe = SampleNfe{};
        QTest::newRow("unsigned, declined") << nfe << QList<bool>{false} << QStringList{unsignedFile} << false << "";
        QTest::newRow("unsigned, confirmed") << nfe << QList<bool>{true} << QStringList{unsignedFile} << true << "";
        nfe.withProtocol = false;
        QTest::newRow("neither, both confirmed")
            << nfe << QList<bool>{true, true} << QStringList{noProtocol, unsignedFile} << true << "";
    }
    void asksWhenEvidenceIsMissing()
    {
        QFETCH(SampleNfe, nfe);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, ready);
        shown().answers.assign(answers.begin(), answers.end());
        const NfeReadOutcome outcome = importer->read(nfe.writeTo(db->productFolder()));
        QTEST(shown().questions, "questions");
        QCOMPARE(outcome, ready ? NfeReadOutcome::Ready : NfeReadOutcome::Failed);
        QTEST(importer->document().signer, "signer");
        QCOMPARE(shown().messages, QStringList{});
        if (ready) {
            QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Imported);
            QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 1);
        } else {
            QVERIFY(importer->refusal().endsWith(QStringLiteral("Importação não confirmada.")));
            QCOMPARE(count(QStringLiteral("select count(*) from FORNECED")), 0);
        }
    }

    // A recognised item is filed under its product, as a typed one is: the search finds it by
    // product, lot and expiry, and the closing enters it under the product's code.
    void aRecognisedItemIsFoundUnderItsProduct()
    {
        addProduct(QStringLiteral("P-77"), QStringLiteral("Luva nitrílica"), QStringLiteral("7890000000017"),
                   QStringLiteral("Lab Sul"));
        SampleNfe nfe;
        nfe.items.front().lots = SampleRastro(QStringLiteral("AMD2611A"), QStringLiteral("2"),
                                              QStringLiteral("2024-01-10"), QStringLiteral("2026-11-30"));
        QCOMPARE(readAndImport(nfe).unrecognised, 0);
        QCOMPARE(rows(QStringLiteral("select CODIGO, COMPONENTE from COMPRAS")), QStringList{"P-77|Luva nitrílica"});

        PurchaseSearch search(*dm);
        search.openItems();
        bool found = false;
        search.productEntered(QStringLiteral("luva nitrílica"), found);
        QVERIFY(found);
        QVERIFY(search.lotEntered(QStringLiteral("AMD2611A")));
        QVERIFY(search.expiryEntered(QStringLiteral("30/11/2026")));
        search.invoiceFollowsItem();
        search.closeItems();
        QCOMPARE(dm->NFiscal.asText(QStringLiteral("NOTAFISCAL")), QStringLiteral("1234"));

        const StockClosing closing =
            CloseInvoice(*dm, StockEntryLog(db->productFolder() + QStringLiteral("/LOGESTLOTE.TXT")));
        QCOMPARE(closing.entered, 1);
        QCOMPARE(rows(QStringLiteral("select CODPROD, DESCRICAO, LOTE, QUANTIDADE, VALIDADE from MOVEST")),
                 QStringList{"P-77|Luva nitrílica|AMD2611A|2|30/11/2026"});
        QCOMPARE(rows(QStringLiteral("select CODIGO, DESCRICAO, LOTE, SALDOCORRENTE from ESTLOTE")),
                 QStringList{"P-77|Luva nitrílica|AMD2611A|2"});
    }

    // Files that pass the key and protocol checks but are not the invoice the tax authority
    // authorised, or not one with fiscal value: each is refused at the read, with nothing written.
    void refusesForgedAndOddFiles_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("refusal");

        SampleNfe authorised;
        authorised.signedByIssuer = true;
        SampleNfe nfe = authorised;
        nfe.items.front().vUnCom = QStringLiteral("1.0000000000");
        nfe.digVal = SampleDigestValue(authorised.xml());
        QTest::newRow("re-signed with the protocol kept")
            << nfe << QList<bool>{} << "A NF-e 1234 não é a que a SEFAZ autorizou: o arquivo foi assinado de novo";

        nfe = authorised;
        nfe.digVal = QStringLiteral("");
        QTest::newRow("a protocol without the digest")
            << nfe << QList<bool>{} << "O protocolo de autorização da NF-e 1234 não traz o resumo (digVal)";

        nfe = authorised;
        nfe.signer.commonName = QStringLiteral("OUTRA EMPRESA LTDA:11222333000181");
        const QString otherCompany =
            QStringLiteral("A NF-e 1234 foi assinada por outra empresa: o certificado é do "
                           "CNPJ 11222333000181, e o emitente da nota é o CNPJ 05125726000255.");
        QTest::newRow("signed with another company's certificate") << nfe << QList<bool>{} << otherCompany;
        nfe.signer = {QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA"), QStringLiteral("11222333000181")};
        QTest::newRow("another company in the certificate's alternative name") << nfe << QList<bool>{} << otherCompany;

        nfe.signer = {QStringLiteral("FULANO DE TAL"), {}};
        QTest::newRow("a certificate naming no CNPJ, not confirmed")
            << nfe << QList<bool>{false}
            << "O certificado que assinou a NF-e não informa CNPJ: não há como saber se foi o emitente quem assinou. "
               "Importação não confirmada.";

        nfe = authorised;
        nfe.tpAmb = QStringLiteral("2");
        QTest::newRow("test environment (tpAmb 2)")
            << nfe << QList<bool>{}
            << "A NF-e 1234 foi emitida em ambiente de homologação (tpAmb 2), de teste: não tem valor fiscal.";

        nfe = authorised;
        nfe.vProd = QStringLiteral("25.00");
        QTest::newRow("items not adding up to the total")
            << nfe << QList<bool>{}
            << "Os valores dos itens da NF-e 1234 não conferem com o total dos produtos: a soma dos itens (vProd) é "
               "R$ 20,00, e o total da nota (ICMSTot/vProd) é R$ 25,00.";
    }
    void refusesForgedAndOddFiles()
    {
        QFETCH(SampleNfe, nfe);
        QFETCH(QList<bool>, answers);
        QFETCH(QString, refusal);
        shown().answers.assign(answers.begin(), answers.end());
        QCOMPARE(importer->read(nfe.writeTo(db->productFolder())), NfeReadOutcome::Failed);
        QVERIFY2(importer->refusal().startsWith(refusal), qPrintable(importer->refusal()));
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Refused);
        for (const char* table : {"FORNECED", "NFISCAL", "COMPRAS", "PAGDIVER"})
            QCOMPARE(count(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))), 0);
    }

    // An item the layout leaves out of the total of products (`indTot` 0) does not count in the sum.
    void anItemLeftOutOfTheTotalIsNoMismatch()
    {
        SampleNfe nfe;
        SampleNfeItem sample = item(QStringLiteral("AMOSTRA"), QString(), QStringLiteral("UN"), QStringLiteral("1"),
                                    QStringLiteral("5.00"));
        sample.indTot = QStringLiteral("0");
        nfe.items.push_back(sample);
        QCOMPARE(readAndImport(nfe).outcome, NfeImportResult::Outcome::Imported);
        QCOMPARE(rows(QStringLiteral("select VALBRUTO from NFISCAL")), QStringList{"20"});
    }

    // The certificate of a branch of the issuer's company signs for it; one that names no CNPJ is
    // taken when the clerk confirms.
    void acceptsTheIssuersCompany_data()
    {
        QTest::addColumn<SampleSigner>("signer");
        QTest::addColumn<QStringList>("questions");
        QTest::newRow("a branch, in the alternative name")
            << SampleSigner{QStringLiteral("BOA VIDA FILIAL"), QStringLiteral("05125726000174")} << QStringList{};
        QTest::newRow("no CNPJ, confirmed")
            << SampleSigner{QStringLiteral("FULANO DE TAL"), {}} << QStringList{NfeSignerWithoutCnpjQuestion()};
    }
    void acceptsTheIssuersCompany()
    {
        QFETCH(SampleSigner, signer);
        SampleNfe nfe;
        nfe.signedByIssuer = true;
        nfe.signer = signer;
        QCOMPARE(importer->read(nfe.writeTo(db->productFolder())), NfeReadOutcome::Ready);
        QTEST(shown().questions, "questions");
        QCOMPARE(importer->import(kReceipt, kToday).outcome, NfeImportResult::Outcome::Imported);
    }

    // The clerk identifies an item once; the supplier's next invoice names it by the supplier's
    // own code, in the product's unit, while another supplier's same code names nothing.
    void remembersTheSuppliersProductCodes()
    {
        // A product without a bar code: "SEM GTIN" and an empty cEAN must not find it.
        addProduct(QStringLiteral("P-10"), QStringLiteral("LUVA NITRILICA M"), QStringLiteral(""),
                   QStringLiteral("Lab Sul"));
        const auto boxes = [](const QString& nNF, const QString& cnpj, const QString& qCom) {
            SampleNfe nfe;
            nfe.nNF = nNF;
            nfe.CNPJ = cnpj;
            SampleNfeItem gloves = item(QStringLiteral("LUVA NITR M CX100"), QStringLiteral("SEM GTIN"),
                                        QStringLiteral("CX"), qCom, QStringLiteral("35.00"));
            gloves.cProd = QStringLiteral("LV-M");
            SampleNfeItem gauze = item(QStringLiteral("GAZE"), QString(), QStringLiteral("PCT"), QStringLiteral("1"),
                                       QStringLiteral("2.00"));
            gauze.cProd = QStringLiteral("GZ");
            nfe.items = {gloves, gauze};
            return nfe;
        };
        const QString issuer = SampleNfe{}.CNPJ;
        QCOMPARE(readAndImport(boxes(QStringLiteral("1"), issuer, QStringLiteral("3"))).unrecognised, 2);

        // In the grid, the clerk gives the gloves their product and counts the 3 boxes as 300 units.
        CachedDataset& items = dm->Compras;
        items.first();
        QCOMPARE(items.asText(QStringLiteral("UNIDADE")), QStringLiteral("cx"));
        items.edit();
        items.setText(QStringLiteral("CODIGO"), QStringLiteral("P-10"));
        items.setText(QStringLiteral("COMPONENTE"), QStringLiteral("LUVA NITRILICA M"));
        items.setValue(QStringLiteral("QUANTIDADE"), Decimal{300, 0});
        items.setText(QStringLiteral("UNIDADE"), QStringLiteral("un"));
        items.setValue(QStringLiteral("PRECOUNITR"), Decimal{35, 2});
        items.post();
        const std::vector<SupplierCode> remembered = suppliercodes::List(conn());
        QCOMPARE(int(remembered.size()), 1);
        QCOMPARE(remembered.front().cProd + u'|' + remembered.front().codigo + u'|' + remembered.front().uCom + u'|' +
                     remembered.front().fator.toString() + u'|' + remembered.front().unidade,
                 QStringLiteral("LV-M|P-10|cx|100.00000|un"));

        const NfeImportResult next = readAndImport(boxes(QStringLiteral("2"), issuer, QStringLiteral("2")));
        QCOMPARE(next.bySupplierCode, 1);
        QCOMPARE(next.byBarCode, 0);
        QCOMPARE(next.unrecognised, 1);
        QVERIFY2(lastMessage().contains(QStringLiteral("Itens reconhecidos pelo código do fornecedor: 1; pelo código "
                                                       "de barras: 0.")),
                 qPrintable(lastMessage()));
        // 2 boxes at 35.00 are 200 units at 0.35: the line value stays 70.
        QCOMPARE(rows(QStringLiteral("select CODIGO, COMPONENTE, QUANTIDADE, UNIDADE, PRECOUNITR, SALDO from COMPRAS "
                                     "where NOTAFISCAL = '2' and RESPONSAVEL = '0001'")),
                 QStringList{"P-10|LUVA NITRILICA M|200|un|0,35|70"});

        // Another supplier's code "LV-M" is another product.
        const NfeImportResult other =
            readAndImport(boxes(QStringLiteral("3"), QStringLiteral("11222333000181"), QStringLiteral("2")));
        QCOMPARE(other.bySupplierCode, 0);
        QCOMPARE(other.unrecognised, 2);

        // Forgotten, the code names nothing again.
        QVERIFY(suppliercodes::Remove(conn(), issuer, QStringLiteral("LV-M")));
        QVERIFY(!suppliercodes::Remove(conn(), issuer, QStringLiteral("LV-M")));
        QCOMPARE(readAndImport(boxes(QStringLiteral("4"), issuer, QStringLiteral("2"))).unrecognised, 2);
    }

    // The supplier's duplicates become the invoice's own instalments when they add up to its net
    // value to the cent; otherwise none is stored and the message says why.
    void takesTheSuppliersInstalments_data()
    {
        QTest::addColumn<std::vector<SampleDup>>("dups");
        QTest::addColumn<QStringList>("instalments");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("note");

        const QString custom = QStringLiteral("Datas e valores diversos");
        QTest::newRow("three adding up")
            << std::vector<SampleDup>{{"001", "2024-05-05", "7.00"},
                                      {"002", "2024-06-05", "7.00"},
                                      {"003", "2024-07-05", "6.00"}}
            << QStringList{"1|05/05/2024|7|1234|Distribuidora Boa Vida Ltda|20",
                           "2|05/06/2024|7|1234|Distribuidora Boa Vida Ltda|20",
                           "3|05/07/2024|6|1234|Distribuidora Boa Vida Ltda|20"}
            << custom
            << "As 3 duplicata(s) da NF-e foram registradas como parcelas de \"Datas e valores diversos\", que é a "
               "forma de pagamento da nota.";
        QTest::newRow("a cent short")
            << std::vector<SampleDup>{{"001", "2024-05-05", "10.00"}, {"002", "2024-06-05", "9.99"}} << QStringList{}
            << ""
            << "As duplicatas da NF-e (cobr/dup) não foram registradas como parcelas de \"Datas e valores diversos\": "
               "somam R$ 19,99, e o valor líquido da nota (vNF) é R$ 20,00.";
        QTest::newRow("a due date that is no date")
            << std::vector<SampleDup>{{"001", "2024-02-30", "20.00"}} << QStringList{} << ""
            << "As duplicatas da NF-e (cobr/dup) não foram registradas como parcelas de \"Datas e valores diversos\": "
               "o "
               "vencimento \"2024-02-30\" da duplicata 001 não é uma data válida.";
    }
    void takesTheSuppliersInstalments()
    {
        QFETCH(std::vector<SampleDup>, dups);
        QFETCH(QString, note);
        SampleNfe nfe;
        nfe.dups = dups;
        const NfeImportResult result = readAndImport(nfe);
        QCOMPARE(result.outcome, NfeImportResult::Outcome::Imported);
        QTEST(rows(QStringLiteral("select ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, VALORTOTAL from PAGDIVER order by "
                                  "ORDEM")),
              "instalments");
        QTEST(rows(QStringLiteral("select FORMAPAGTO from NFISCAL")).join(QString()), "form");
        QCOMPARE(result.instalmentNote, note);
        QVERIFY2(lastMessage().contains(note), qPrintable(lastMessage()));
    }

    void allItemsRecognised()
    {
        addProduct(QStringLiteral("1"), QStringLiteral("LUVA"), QStringLiteral("7890000000017"), {});
        SampleNfe nfe;
        QCOMPARE(readAndImport(nfe).unrecognised, 0);
        QCOMPARE(importer->recognisedItems().byBarCode, 1);
        QCOMPARE(lastMessage(), counted(kAllRecognised, 0, 1));
    }
};

QTEST_GUILESS_MAIN(TestNfeImport)
#include "tst_nfeimport.moc"
