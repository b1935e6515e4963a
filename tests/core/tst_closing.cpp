#include "closing/InvoiceTotals.h"
#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "data/Win1252.h"
#include "platform/TextFiles.h"
#include "purchase/DataModule.h"
#include "purchase/KeyDraws.h"
#include "purchase/SessionState.h"
#include "tests/support/CallerWalk.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QFile>
#include <QtTest>

namespace {

// One value as the tests compare it: decimals with their scale, dates day first.
QString cell(const Value& v)
{
    if (const auto* d = std::get_if<Decimal>(&v))
        return d->toString();
    if (const auto* n = std::get_if<qint64>(&v))
        return QString::number(*n);
    if (const auto* date = std::get_if<QDate>(&v))
        return date->toString(QStringLiteral("dd/MM/yyyy"));
    if (const auto* s = std::get_if<QString>(&v))
        return *s;
    return {};
}

// A product of the catalogue.
struct ProductRow {
    const char* code;
    QString name;
    const char* group;
    const char* unit;
};

// An item of invoice 123 of supplier 0001 (or of another supplier code).
struct ItemRow {
    int key;
    QString name;
    const char* code;
    const char* quantity;
    const char* unit;
    const char* lot;
    const char* saldo = "0";
    const char* location = "Almoxarifado";
    QString supplier = QStringLiteral("Acme Distribuidora");
    const char* supplierCode = "0001";
};

} // namespace

Q_DECLARE_METATYPE(ProductRow)
Q_DECLARE_METATYPE(ItemRow)

class TestClosing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    SessionState session;
    std::unique_ptr<TDM> dm;

    FbConnection& sql() { return db->connection(); }
    QString logPath() const { return db->productFolder() + QStringLiteral("/LOGESTLOTE.TXT"); }
    StockEntryLog log() const { return StockEntryLog(logPath()); }

    QStringList rows(const QString& select)
    {
        QStringList out;
        auto cursor = sql().openCursor(select);
        while (cursor->fetch()) {
            QStringList cells;
            for (int i = 0; i < cursor->layout().count(); ++i)
                cells << cell(cursor->value(i));
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    QStringList movements()
    {
        return rows(QStringLiteral("select CODMOVEST, CODCOMPRA, CODPROD, LOTE, FORNECEDOR, DESCRICAO, NITEM, "
                                   "QUANTIDADE, UNIDADE, CONTROLADA, LABORATORIO, USADOESTPREV, USADOESTCOR "
                                   "from MOVEST order by CODMOVEST"));
    }
    QStringList lots()
    {
        return rows(QStringLiteral("select DESCRICAO, LOTE, FORNECEDOR, CODIGO, CODIGOEAN, UNIDADE, SITUACAO, "
                                   "SALDOPREVISTO, SALDOCORRENTE, LABORATORIO from ESTLOTE order by LOTE, DESCRICAO"));
    }
    QByteArray logBytes()
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void product(const ProductRow& p)
    {
        sql().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, UNID, CONTROLADA) "
                                     "values (?, ?, ?, ?, 'N')"),
                      {QString::fromLatin1(p.code), p.name, QString::fromLatin1(p.group), QString::fromLatin1(p.unit)});
    }
    void invoice(const char* expenses = "0, 0, 0, 0, 0, 0", const char* discount = "0")
    {
        sql().execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                     "CODIGOFORNECEDOR, GRUPDESP, FRETE, SEGURO, IRRF, OUTRASDESP, VALORIPI, "
                                     "ICMS_RETIDO_ST, DESCONTOTOTAL) values ('01', 1, '2026-03-04', '123', "
                                     "'Acme Distribuidora', '0001', 'SUP', %1, %2)")
                          .arg(QLatin1String(expenses), QLatin1String(discount)));
    }
    void item(const ItemRow& i)
    {
        sql().execute(
            QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, COMPONENTE, "
                           "CODIGO, QUANTIDADE, UNIDADE, LOTE, SALDO, LABORATORIO, VALIDADE, CODIGOFORNECEDOR, "
                           "RESPONSAVEL) values ('01', ?, '2026-03-04', '123', ?, ?, ?, %1, ?, ?, %2, ?, "
                           "'2028-06-30', ?, ?)")
                .arg(QLatin1String(i.quantity), QLatin1String(i.saldo)),
            {qint64(i.key), i.supplier, i.name, QString::fromLatin1(i.code), QString::fromLatin1(i.unit),
             QString::fromLatin1(i.lot), *i.location ? Value{QString::fromUtf8(i.location)} : Value{},
             QString::fromLatin1(i.supplierCode), QString::number(i.key).rightJustified(4, u'0')});
    }
    // The data module standing on the invoice, as the window has it.
    void openInvoice()
    {
        dm = testdm::open(*db, session);
        dm->NFiscal.open();
    }
    // As the window closes an invoice: totals and stock entry together.
    StockClosing close() { return CloseInvoice(*dm, log()); }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        session.WorkstationCode = QStringLiteral("01");
    }
    void cleanup()
    {
        dm.reset();
        db.reset();
    }

    // ---- totals

    void totalsAreExactAndStored_data()
    {
        QTest::addColumn<QStringList>("saldos"); // "supplier code:line total"
        QTest::addColumn<QString>("expenses");   // freight, insurance, IRRF, other, IPI value, ICMS-ST
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("gross");
        QTest::addColumn<QString>("net");

        QTest::newRow("no items, no expenses") << QStringList{} << "0, 0, 0, 0, 0, 0"
                                               << "5.00"
                                               << "0.00"
                                               << "-5.00";
        QTest::newRow("items of 100 with every expense counted")
            << QStringList{"0001:60.00000", "0001:40.00000"} << "10.00, 0, 5.00, 0, 2.00, 3.00"
            << "20.00"
            << "120.00"
            << "100.00";
        QTest::newRow("another supplier's items of the same number do not count")
            << QStringList{"0001:100.00000", "0002:999.00000"} << "0, 0, 0, 0, 0, 0"
            << "0"
            << "100.00"
            << "100.00";
        QTest::newRow("empty expenses count as nothing")
            << QStringList{"0001:10.00000"} << "null, null, null, null, null, null"
            << "null"
            << "10.00"
            << "10.00";
        // 1.005 is 1.00499999... in binary: only exact arithmetic rounds it up to 1.01.
        QTest::newRow("half a cent rounds up") << QStringList{"0001:1.00500"} << "0, 0, 0, 0, 0, 0"
                                               << "0"
                                               << "1.01"
                                               << "1.01";
        QTest::newRow("line totals of many items add up exactly")
            << QStringList(10, QStringLiteral("0001:0.10000")) << "0.10, 0.20, 0, 0, 0, 0"
            << "0.30"
            << "1.30"
            << "1.00";
    }
    void totalsAreExactAndStored()
    {
        QFETCH(QStringList, saldos);
        QFETCH(QString, expenses);
        QFETCH(QString, discount);
        QFETCH(QString, gross);
        QFETCH(QString, net);
        invoice(expenses.toLatin1().constData(), discount.toLatin1().constData());
        int key = 0;
        for (const QString& s : saldos) {
            const QStringList parts = s.split(u':');
            const QByteArray code = parts.at(0).toLatin1();
            const QByteArray saldo = parts.at(1).toLatin1();
            item({++key, QStringLiteral("Frasco"), "P1", "1", "un", "L1", saldo.constData(), "Almoxarifado",
                  QStringLiteral("Acme Distribuidora"), code.constData()});
        }
        openInvoice();

        const InvoiceTotals totals = RecalcInvoiceTotals(*dm);
        QCOMPARE(totals.gross.toString(), gross);
        QCOMPARE(totals.net.toString(), net);
        QCOMPARE(rows(QStringLiteral("select VALBRUTO, VALLIQUIDO from NFISCAL")), QStringList{gross + u'|' + net});
        // The invoice stays in edit, ready for the next field.
        QCOMPARE(dm->NFiscal.state(), CachedDataset::State::Edit);
        const auto ofTheInvoice = [](const QString& s) { return s.startsWith(QStringLiteral("0001:")); };
        QCOMPARE(dm->Compras.recordCount(), int(std::count_if(saldos.begin(), saldos.end(), ofTheInvoice)));
    }

    void totalsWithoutAnInvoiceDoNothing()
    {
        openInvoice();
        RecalcInvoiceTotals(*dm);
        QVERIFY(dm->NFiscal.isEmpty());
        QVERIFY(dm->Compras.isEmpty());
    }

    // ---- closing into stock

    void newLotThenSecondItemOfTheSameLot()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        item({2, QStringLiteral("Frasco âmbar 100 ml"), "P1", "50", "un", "L1"});
        openInvoice();

        const StockClosing result = close();
        QCOMPARE(result.entered, 2);
        QCOMPARE(
            movements(),
            (QStringList{"1|1|P1|L1|Acme Distribuidora|Frasco âmbar 100 ml|SUP|100.00000000|un|N|Almoxarifado|1|1",
                         "2|2|P1|L1|Acme Distribuidora|Frasco âmbar 100 ml|SUP|50.00000000|un|N|Almoxarifado|1|1"}));
        QCOMPARE(lots(), QStringList{"Frasco âmbar 100 ml|L1|Acme Distribuidora|P1|P1|un|Estoque|150.00000000|"
                                     "150.00000000|Almoxarifado"});
        const QStringList lines = win1252::decode(logBytes()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.count(QStringLiteral("INCLUSAO DE NOVO REGISTRO NA TABELA ESTLOTE:")), 1);
        QCOMPARE(lines.count(QStringLiteral("FOI FEITA A SEGUINTE ENTRADA NO ESTOQUE:")), 2);
        QCOMPARE(lines.first(), StockEntryLog::kHeaderLine);
        QVERIFY(lines.contains(QStringLiteral("   Saldo Corr: 100,000 un")));
        QVERIFY(lines.contains(QStringLiteral("   Saldo Corr: 50,000 un")));
    }

    // The totals and the items to enter are read through commands of their own: a walk the caller
    // keeps on the command object is left where it was.
    void closingLeavesTheCallersCommandAlone()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1", "10.00000"});
        item({2, QStringLiteral("Frasco âmbar 100 ml"), "P1", "50", "un", "L2", "5.00000"});
        openInvoice();
        const testdm::CallerWalk walk(*dm, QStringLiteral("select CODCOMPRA from COMPRAS order by CODCOMPRA"),
                                      QStringLiteral("CODCOMPRA"));
        QCOMPARE(RecalcInvoiceTotals(*dm).gross.toString(), QStringLiteral("15.00"));
        QVERIFY(walk.intact());
        QCOMPARE(close().entered, 2);
        QVERIFY(walk.intact());
    }

    void closingTwiceEntersNothingTwice()
    {
        const QString longName = QStringLiteral("Etiqueta adesiva couché branca 100x70 mm para frascos âmbar 60 ml");
        QCOMPARE(longName.size(), 65);
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        product({"P2", longName, "SUP", "mil"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        item({2, longName, "P2", "3", "mil", "E7"});
        openInvoice();
        close();
        const QStringList movesBefore = movements();
        const QStringList lotsBefore = lots();
        const QByteArray logBefore = logBytes();
        QCOMPARE(movesBefore.size(), 2);
        QVERIFY(lotsBefore.at(0).startsWith(longName.left(60) + QStringLiteral("|E7|")));

        // A quantity changed after closing does not reach the stock either.
        sql().execute(QStringLiteral("update COMPRAS set QUANTIDADE = 999 where CODCOMPRA = 1"));
        const StockClosing again = close();
        QCOMPARE(again.entered, 0);
        QCOMPARE(again.alreadyEntered, 2);
        QCOMPARE(movements(), movesBefore);
        QCOMPARE(lots(), lotsBefore);
        QCOMPARE(logBytes(), logBefore);
    }

    // An item is entered once, whatever its invoice's date, number or supplier becomes afterwards,
    // and a movement written by an earlier version (its key, with the date the item had then) still
    // counts.
    void aChangedInvoiceIsNotEnteredAgain_data()
    {
        QTest::addColumn<QString>("invoiceChange");
        QTest::addColumn<QString>("itemChange");
        QTest::newRow("issue date") << "set DATA = '2027-01-15'"
                                    << "set DATA = '2027-01-15'";
        QTest::newRow("number") << "set NOTAFISCAL = '124'"
                                << "set NOTAFISCAL = '124'";
        QTest::newRow("supplier") << "set FORNECEDOR = 'Beta Insumos', CODIGOFORNECEDOR = '0002'"
                                  << "set FORNECEDOR = 'Beta Insumos', CODIGOFORNECEDOR = '0002'";
    }
    void aChangedInvoiceIsNotEnteredAgain()
    {
        QFETCH(QString, invoiceChange);
        QFETCH(QString, itemChange);
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        item({2, QStringLiteral("Frasco âmbar 100 ml"), "P1", "5", "un", "L2"});
        // Item 2 was entered by an earlier version, on the date the invoice had then.
        sql().execute(QStringLiteral("insert into MOVEST (CODMOVEST, ESTACAO, CODCOMPRA, DATA, CODPROD, LOTE, "
                                     "FORNECEDOR, DESCRICAO, QUANTIDADE, USADOESTPREV, USADOESTCOR) values (7, '01', "
                                     "2, '2025-12-01', 'P1', 'L2', 'Acme Distribuidora', 'Frasco âmbar 100 ml', 5, "
                                     "'1', '1')"));
        sql().execute(QStringLiteral("insert into ESTLOTE (DESCRICAO, LOTE, FORNECEDOR, SALDOPREVISTO, SALDOCORRENTE) "
                                     "values ('Frasco âmbar 100 ml', 'L2', 'Acme Distribuidora', 5, 5)"));
        openInvoice();
        QCOMPARE(close().entered, 1);

        sql().execute(QStringLiteral("update NFISCAL ") + invoiceChange);
        sql().execute(QStringLiteral("update COMPRAS ") + itemChange);
        dm.reset();
        openInvoice();
        QCOMPARE(dm->Compras.recordCount(), 2);
        const StockClosing again = close();
        QCOMPARE(again.entered, 0);
        QCOMPARE(again.alreadyEntered, 2);
        QCOMPARE(rows(QStringLiteral("select CODCOMPRA, CODMOVEST from MOVEST order by CODMOVEST")),
                 (QStringList{"2|7", "1|8"}));
        QCOMPARE(rows(QStringLiteral("select LOTE, SALDOPREVISTO, SALDOCORRENTE from ESTLOTE order by LOTE")),
                 (QStringList{"L1|100.00000000|100.00000000", "L2|5.00000000|5.00000000"}));
    }

    // An item deleted after its invoice was closed keeps its movement: the next item's code is drawn
    // above it, or the new item would count as entered already and never reach the stock.
    void aNewItemNeverTakesTheKeyOfAnEnteredOne()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        item({2, QStringLiteral("Frasco âmbar 100 ml"), "P1", "5", "un", "L2"});
        openInvoice();
        QCOMPARE(close().entered, 2);
        sql().execute(QStringLiteral("delete from COMPRAS where CODCOMPRA = 2"));
        QCOMPARE(keys::NextItemCode(dm->SQLQuery1), 3);
    }

    void enteredValues_data()
    {
        QTest::addColumn<ProductRow>("product");
        QTest::addColumn<ItemRow>("item");
        QTest::addColumn<QString>("movement");
        QTest::addColumn<QString>("lot");

        const QString acme = QStringLiteral("Acme Distribuidora");
        QTest::newRow("bought in g, kept in kg")
            << ProductRow{"P1", QStringLiteral("Talco farmacêutico"), "SUP", "KG"}
            << ItemRow{1, QStringLiteral("Talco farmacêutico"), "P1", "2500", "g", "T1"}
            << "1|1|P1|T1|" + acme + "|Talco farmacêutico|SUP|2.50000000|KG|N|Almoxarifado|1|1"
            << "Talco farmacêutico|T1|" + acme + "|P1|P1|KG|Estoque|2.50000000|2.50000000|Almoxarifado";
        QTest::newRow("bought by the thousand, kept by the unit")
            << ProductRow{"P1", QStringLiteral("Tampa rosca 28 mm"), "SUP", "un"}
            << ItemRow{1, QStringLiteral("Tampa rosca 28 mm"), "P1", "2.5", "mil", "T1"}
            << "1|1|P1|T1|" + acme + "|Tampa rosca 28 mm|SUP|2500.00000000|un|N|Almoxarifado|1|1"
            << "Tampa rosca 28 mm|T1|" + acme + "|P1|P1|un|Estoque|2500.00000000|2500.00000000|Almoxarifado";
        QTest::newRow("no stock location: Almoxarifado")
            << ProductRow{"P1", QStringLiteral("Luva nitrílica"), "SUP", "cx"}
            << ItemRow{1, QStringLiteral("Luva nitrílica"), "P1", "4", "cx", "G9", "0", ""}
            << "1|1|P1|G9|" + acme + "|Luva nitrílica|SUP|4.00000000|cx|N|Almoxarifado|1|1"
            << "Luva nitrílica|G9|" + acme + "|P1|P1|cx|Estoque|4.00000000|4.00000000|Almoxarifado";
        QTest::newRow("supplier name cut to 35, location to 20")
            << ProductRow{"P1", QStringLiteral("Luva nitrílica"), "SUP", "cx"}
            << ItemRow{1,
                       QStringLiteral("Luva nitrílica"),
                       "P1",
                       "1",
                       "cx",
                       "G9",
                       "0",
                       "Depósito Centro-Oeste Sala 2",
                       QStringLiteral("Distribuidora de Insumos São João Ltda")}
            << "1|1|P1|G9|Distribuidora de Insumos São João L|Luva nitrílica|SUP|1.00000000|cx|N|Depósito "
               "Centro-Oest|1|1"
            << "Luva nitrílica|G9|Distribuidora de Insumos São João L|P1|P1|cx|Estoque|1.00000000|1.00000000|"
               "Depósito Centro-Oest";
        QTest::newRow("a code the catalogue lacks: found by name, entered under its code")
            << ProductRow{"P1", QStringLiteral("Luva nitrílica"), "SUP", "cx"}
            << ItemRow{1, QStringLiteral("Luva nitrílica"), "7890000000017", "4", "cx", "G9"}
            << "1|1|P1|G9|" + acme + "|Luva nitrílica|SUP|4.00000000|cx|N|Almoxarifado|1|1"
            << "Luva nitrílica|G9|" + acme + "|P1|P1|cx|Estoque|4.00000000|4.00000000|Almoxarifado";
        QTest::newRow("a product for resale has no EAN code")
            << ProductRow{"R1", QStringLiteral("Protetor solar fator 50"), "REV", "un"}
            << ItemRow{1, QStringLiteral("Protetor solar fator 50"), "R1", "12", "un", "PS1"}
            << "1|1|R1|PS1|" + acme + "|Protetor solar fator 50|REV|12.00000000|un|N|Almoxarifado|1|1"
            << "Protetor solar fator 50|PS1|" + acme + "|R1||un|Estoque|12.00000000|12.00000000|Almoxarifado";
    }
    void enteredValues()
    {
        QFETCH(ProductRow, product);
        QFETCH(ItemRow, item);
        QFETCH(QString, movement);
        QFETCH(QString, lot);
        this->product(product);
        invoice();
        this->item(item);
        openInvoice();
        QCOMPARE(close().entered, 1);
        QCOMPARE(movements(), QStringList{movement});
        QCOMPARE(lots(), QStringList{lot});
    }

    // Items that cannot go into stock are named with the reason; the others go in all the same,
    // and the closing is no success.
    void itemsLeftOutAreNamedWithTheirReason()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", ""});    // no lot
        item({2, QStringLiteral("Produto que não existe"), "X9", "1", "un", "L2"}); // unknown product
        item({3, QStringLiteral("Frasco âmbar 100 ml"), "P1", "10", "un", "L3"});
        openInvoice();
        const StockClosing result = close();
        QCOMPARE(result.entered, 1);
        QCOMPARE(rows(QStringLiteral("select CODCOMPRA, CODMOVEST from MOVEST")), QStringList{"3|1"});
        QCOMPARE(ClosingMessage(result),
                 QStringLiteral("ATENÇÃO: 2 itens da Nota Fiscal não entraram no estoque:\r"
                                "- item 0001 (Frasco âmbar 100 ml): sem lote\r"
                                "- item 0002 (Produto que não existe, lote L2): produto não identificado\r"
                                "Os demais itens foram lançados no estoque.\r"
                                "Corrija esses itens e clique novamente em \"Fechar Nota Fiscal\"."));

        // Once the lot is typed, the next closing enters that item and still names the other.
        sql().execute(QStringLiteral("update COMPRAS set LOTE = 'L1' where CODCOMPRA = 1"));
        const StockClosing again = close();
        QCOMPARE(again.entered, 1);
        QCOMPARE(again.alreadyEntered, 1);
        QCOMPARE(ClosingMessage(again),
                 QStringLiteral("ATENÇÃO: um item da Nota Fiscal não entrou no estoque:\r"
                                "- item 0002 (Produto que não existe, lote L2): produto não identificado\r"
                                "Os demais itens foram lançados no estoque.\r"
                                "Corrija esses itens e clique novamente em \"Fechar Nota Fiscal\"."));
        QCOMPARE(rows(QStringLiteral("select CODCOMPRA from MOVEST order by CODMOVEST")), (QStringList{"3", "1"}));
    }

    void aClosingWithEveryItemInIsASuccess()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        openInvoice();
        const QString success =
            QStringLiteral("                           * * * SUCESSO * * *\r-> A Nota Fiscal foi fechada corretamente");
        QCOMPARE(ClosingMessage(close()), success);
        QCOMPARE(ClosingMessage(close()), success); // nothing left to enter is no failure
    }

    void aFailureUndoesTheWholeClosing()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        item({2, QStringLiteral("Frasco âmbar 100 ml"), "P1", "5", "un", "L2"});
        item({3, QStringLiteral("Frasco âmbar 100 ml"), "P1", "7", "un", "RECUSADO"});
        // Lot L1 already holds stock from an earlier invoice, and the log has its history.
        sql().execute(QStringLiteral("insert into ESTLOTE (DESCRICAO, LOTE, FORNECEDOR, SALDOPREVISTO, SALDOCORRENTE) "
                                     "values ('Frasco âmbar 100 ml', 'L1', 'Acme Distribuidora', 30, 30)"));
        textfile::writeLines(logPath(), {StockEntryLog::kHeaderLine, QStringLiteral("antes")});
        // The server refuses the third item's movement.
        sql().execute(QStringLiteral("alter table MOVEST add constraint CK_MOVEST_TESTE check (LOTE <> 'RECUSADO')"));
        openInvoice();
        const QStringList lotsBefore = lots();
        const QByteArray logBefore = logBytes();

        try {
            close();
            QFAIL("the closing went through");
        } catch (const DbError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral(
                         "Não foi possível dar entrada no estoque do item 0003 (Frasco âmbar 100 ml, lote RECUSADO):")),
                     qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("nenhum item foi lançado no estoque")));
        }
        QVERIFY(movements().isEmpty());
        QCOMPARE(lots(), lotsBefore);
        QCOMPARE(logBytes(), logBefore);
        // The invoice still reads as not closed, stored and shown.
        QCOMPARE(rows(QStringLiteral("select VALBRUTO, VALLIQUIDO from NFISCAL")), QStringList{"|"});
        QVERIFY(dm->NFiscal.isNull(QStringLiteral("VALBRUTO")));

        // Nothing stale is left behind: once the server takes the lot, everything is entered.
        sql().execute(QStringLiteral("alter table MOVEST drop constraint CK_MOVEST_TESTE"));
        QCOMPARE(close().entered, 3);
        QCOMPARE(rows(QStringLiteral("select SALDOCORRENTE from ESTLOTE where LOTE = 'L1'")),
                 QStringList{"130.00000000"});
        QCOMPARE(rows(QStringLiteral("select count(*) from NFISCAL where VALBRUTO is not null")), QStringList{"1"});
    }

    void aLogThatCannotBeWrittenStopsBeforeAnyChange()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        openInvoice();
        QVERIFY_THROWS_EXCEPTION(
            FileError,
            CloseInvoiceIntoStock(*dm, StockEntryLog(db->productFolder() + QStringLiteral("/nao/existe.txt"))));
        QVERIFY(movements().isEmpty());
        QVERIFY(lots().isEmpty());
    }

    void aMovementKeyTakenMeanwhileIsDrawnAgain()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "100", "un", "L1"});
        openInvoice();
        // Another workstation writes movement 1 between our reading of the last key and our write.
        const auto other = db->newConnection();
        dm->Movest.beforePost = [&other](CachedDataset& ds) {
            other->execute(QStringLiteral("insert into MOVEST (CODMOVEST, LOTE) values (?, 'OUTRA')"),
                           {ds.value(QStringLiteral("CODMOVEST"))});
            ds.beforePost = {};
        };
        QCOMPARE(close().entered, 1);
        // The key drawn again skips a random stretch, so that workstations drawing at once part.
        const QStringList movements = rows(QStringLiteral("select CODMOVEST, LOTE from MOVEST order by CODMOVEST"));
        QCOMPARE(movements.size(), 2);
        QCOMPARE(movements.first(), QStringLiteral("1|OUTRA"));
        QVERIFY2(movements.last().endsWith(QStringLiteral("|L1")) && movements.last().section(u'|', 0, 0).toInt() > 1,
                 qPrintable(movements.last()));
    }

    // Another workstation enters the same lot between our reading the lot and our writing it.
    void aLotRaisedMeanwhileKeepsBothEntries()
    {
        product({"P1", QStringLiteral("Frasco âmbar 100 ml"), "SUP", "un"});
        sql().execute(QStringLiteral("insert into ESTLOTE (CODIGO, DESCRICAO, LOTE, FORNECEDOR, SALDOPREVISTO, "
                                     "SALDOCORRENTE) values ('P1', ?, 'L1', 'Acme Distribuidora', 100, 100)"),
                      {QStringLiteral("Frasco âmbar 100 ml")});
        invoice();
        item({1, QStringLiteral("Frasco âmbar 100 ml"), "P1", "50", "un", "L1"});
        openInvoice();
        const auto other = db->newConnection();
        dm->EstLote.afterScroll = [&other](CachedDataset& ds) {
            if (ds.isEmpty())
                return;
            other->execute(QStringLiteral("update ESTLOTE set SALDOPREVISTO = SALDOPREVISTO + 10, "
                                          "SALDOCORRENTE = SALDOCORRENTE + 10 where LOTE = 'L1'"));
            ds.afterScroll = {};
        };
        QCOMPARE(close().entered, 1);
        QCOMPARE(rows(QStringLiteral("select SALDOPREVISTO, SALDOCORRENTE from ESTLOTE")),
                 QStringList{"160.00000000|160.00000000"});
    }

    void logFileBytes()
    {
        const StockEntryLog::Entry entry{QStringLiteral("P1"),  QStringLiteral("Álcool etílico 70%"),
                                         QStringLiteral("L1"),  QStringLiteral("Farmaquímica"),
                                         QDate(2028, 6, 30),    QStringLiteral("Almoxarifado"),
                                         QStringLiteral("123"), Decimal{2500000000, 8},
                                         QStringLiteral("l")};
        const QDateTime now(QDate(2026, 3, 4), QTime(9, 5, 7));
        const StockEntryLog file(logPath());
        file.prepare();
        file.prepare(); // an existing log keeps its header line once
        file.append(StockEntryLog::NewLotRecord(entry, now) + StockEntryLog::StockEntryRecord(entry, now));
        const QByteArray expected = "Historico de Inclusoes na tabela ESTLOTE do banco de dados Firebird\r\n"
                                    "INCLUSAO DE NOVO REGISTRO NA TABELA ESTLOTE:\r\n"
                                    "   Data/Hora: 04/03/26 09:05:07\r\n"
                                    "   Codigo...: P1\r\n"
                                    "   Descricao: \xC1lcool et\xEDlico 70%\r\n"
                                    "   Lote.....: L1\r\n"
                                    "   Fornec...: Farmaqu\xEDmica\r\n"
                                    "   Validade.: 30/06/2028\r\n"
                                    "   Local....: Almoxarifado\r\n"
                                    "   N. Fiscal: 123\r\n"
                                    "   \r\n"
                                    "FOI FEITA A SEGUINTE ENTRADA NO ESTOQUE:\r\n"
                                    "   Data/Hora.: 04/03/26 09:05:07\r\n"
                                    "   Codigo....: P1\r\n"
                                    "   Descricao.: \xC1lcool et\xEDlico 70%\r\n"
                                    "   Lote......: L1\r\n"
                                    "   Fornecedor: Farmaqu\xEDmica\r\n"
                                    "   Validade..: 30/06/2028\r\n"
                                    "   Local.....: Almoxarifado\r\n"
                                    "   Saldo Corr: 25,000 l\r\n"
                                    "   N. Fiscal.: 123\r\n"
                                    "   \r\n";
        QCOMPARE(logBytes(), expected);
    }
};

QTEST_GUILESS_MAIN(TestClosing)
#include "tst_closing.moc"
