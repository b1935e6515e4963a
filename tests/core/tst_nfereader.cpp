#include "nfe/NfeReader.h"
#include "tests/support/NfeSample.h"

#include <QDir>
#include <QtTest>

namespace {

// The lot of the first item as "nLote|qLote|dFab|dVal".
QString firstLot(const NfeDocument& doc)
{
    if (doc.items.empty() || doc.items.front().lots.empty())
        return {};
    const NfeLot& lot = doc.items.front().lots.front();
    return QStringList{lot.nLote, lot.qLote, lot.dFab, lot.dVal}.join(u'|');
}

SampleNfe withItems(int count)
{
    SampleNfe nfe;
    nfe.items.assign(std::size_t(count), SampleNfeItem{});
    return nfe;
}

} // namespace

class TestNfeReader : public QObject {
    Q_OBJECT

private slots:
    void readsDocuments_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("issueDate");
        QTest::addColumn<QString>("tradeName");
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("lot");

        const QString defaultLot = QStringLiteral("-|2.0000|2024-04-05T10:20:00-03:00|");
        const QStringList none;
        SampleNfe nfe;
        QTest::newRow("layout 4.00, item without med") << nfe.xml() << true << none << "05/04/2024"
                                                       << "BOA VIDA" << 1 << defaultLot;

        nfe = SampleNfe{};
        nfe.wrapped = false;
        QTest::newRow("infNFe directly under the root")
            << nfe.xml() << false << QStringList{"Erro no XML. <infNFe>"} << ""
            << "" << 0 << "";

        nfe = SampleNfe{};
        nfe.dhEmi.clear();
        nfe.dEmi = QStringLiteral("2013-05-07");
        nfe.items[0].lots = SampleMed(QStringLiteral("L1"), QStringLiteral("1.5"), {}, QStringLiteral("2015-05-31"));
        QTest::newRow("layout 2.00: dEmi, lot in med") << nfe.xml() << true << none << "07/05/2013"
                                                       << "BOA VIDA" << 1 << "L1|1.5|2013-05-07|2015-05-31";

        nfe = SampleNfe{};
        nfe.dhEmi.clear();
        QTest::newRow("no issue date: a warning, the read goes on")
            << nfe.xml() << true << QStringList{"Erro ao carregar a data de emissdão da nota fiscal!"} << ""
            << "BOA VIDA" << 1 << "-|2.0000||";

        nfe = SampleNfe{};
        nfe.xFant = QStringLiteral("");
        QTest::newRow("empty xFant takes xNome") << nfe.xml() << true << none << "05/04/2024"
                                                 << "DISTRIBUIDORA BOA VIDA LTDA" << 1 << defaultLot;
        nfe.xFant = QString();
        QTest::newRow("absent xFant takes xNome") << nfe.xml() << true << none << "05/04/2024"
                                                  << "DISTRIBUIDORA BOA VIDA LTDA" << 1 << defaultLot;
        nfe.xFant = QStringLiteral("BOA VIDA   ");
        QTest::newRow("trailing blanks of xFant") << nfe.xml() << true << none << "05/04/2024"
                                                  << "BOA VIDA" << 1 << defaultLot;

        nfe = withItems(3);
        nfe.items[1].xProd = QStringLiteral("");
        QTest::newRow("an empty xProd ends the walk") << nfe.xml() << true << none << "05/04/2024"
                                                      << "BOA VIDA" << 1 << defaultLot;

        nfe = withItems(3);
        nfe.betweenItems = QStringLiteral("\n  <!-- item seguinte -->\n  <?pi algo?>\n  ");
        nfe.beforeNFe = QStringLiteral("<!-- assinado --> \n");
        QTest::newRow("comments, whitespace and instructions between elements")
            << nfe.xml() << true << none << "05/04/2024"
            << "BOA VIDA" << 3 << defaultLot;

        nfe = SampleNfe{};
        nfe.encoding = QStringLiteral("ISO-8859-1");
        nfe.xFant = QStringLiteral("FARMÁCIA SÃO JOÃO");
        QTest::newRow("ISO-8859-1 with accents") << nfe.xml() << true << none << "05/04/2024"
                                                 << "FARMÁCIA SÃO JOÃO" << 1 << defaultLot;

        nfe = SampleNfe{};
        nfe.withIde = false;
        QTest::newRow("no ide") << nfe.xml() << false << QStringList{"Erro no XML. <ide>"} << ""
                                << "" << 0 << "";
        nfe = SampleNfe{};
        nfe.withEmit = false;
        QTest::newRow("no emit") << nfe.xml() << false << QStringList{"Erro no XML. <emit>"} << "05/04/2024"
                                 << "" << 0 << "";
        nfe = SampleNfe{};
        nfe.withTotal = false;
        QTest::newRow("no total") << nfe.xml() << false << QStringList{"Erro no XML. <total>"} << "05/04/2024"
                                  << "BOA VIDA" << 0 << "";
        nfe = withItems(0);
        QTest::newRow("no det") << nfe.xml() << false << QStringList{"Erro no XML. <det>"} << "05/04/2024"
                                << "BOA VIDA" << 0 << "";

        nfe = withItems(300);
        QTest::newRow("300 items") << nfe.xml() << true << none << "05/04/2024"
                                   << "BOA VIDA" << 300 << defaultLot;
        nfe = withItems(301);
        QTest::newRow("301 items: one warning")
            << nfe.xml() << false
            << QStringList{"A nota fiscal tem 301 itens. Ultrapassado o limite de 300 itens previsto por este programa "
                           "para uma mesma nota fiscal.\rNada foi importado."}
            << "05/04/2024"
            << "BOA VIDA" << 300 << defaultLot;
    }
    void readsDocuments()
    {
        QFETCH(QByteArray, xml);
        NfeDocument doc;
        const NfeReadResult result = ReadNfe(xml, doc);
        QTEST(result.ok, "ok");
        QTEST(result.messages, "messages");
        QTEST(NfeDateToText(doc.dEmi), "issueDate");
        QTEST(doc.xFant, "tradeName");
        QTEST(doc.ItemCount(), "items");
        QTEST(firstLot(doc), "lot");
    }

    void readsHeaderAndItemValues()
    {
        SampleNfe nfe;
        nfe.items[0].xProd = QStringLiteral("ÁLCOOL 70% 1L");
        nfe.items[0].lots = SampleMed(QStringLiteral("A'1"), {}, QStringLiteral("2024-01-02"), {});
        NfeDocument doc;
        QVERIFY(ReadNfe(nfe.xml(), doc).ok);
        QCOMPARE(doc.nNF, QStringLiteral("1234"));
        QCOMPARE(doc.CNPJ, QStringLiteral("05125726000255"));
        QCOMPARE(doc.cUF, QStringLiteral("32"));
        QCOMPARE(doc.cMunFG, QStringLiteral("3205309"));
        QCOMPARE(doc.xLgr + u'|' + doc.nro + u'|' + doc.xCpl + u'|' + doc.xBairro + u'|' + doc.CEP + u'|' + doc.fone,
                 QStringLiteral("RUA DAS FLORES|100|SALA 2|CENTRO|29000000|2733334444"));
        QCOMPARE(doc.vICMS + u'|' + doc.vProd + u'|' + doc.vNF, QStringLiteral("1.50|20.00|20.00"));
        QCOMPARE(doc.Id, QStringLiteral("NFe32240405125726000255550010000012341148707730"));
        const NfeItem& item = doc.items.front();
        QCOMPARE(item.xProd, QStringLiteral("ÁLCOOL 70% 1L"));
        QCOMPARE(item.cEAN + u'|' + item.uCom + u'|' + item.qCom + u'|' + item.vUnCom,
                 QStringLiteral("7890000000017|UN|2.0000|10.0000000000"));
        QCOMPARE(firstLot(doc), QStringLiteral("A'1|2.0000|2024-01-02|"));
    }

    void readsEveryLotOfLayout400()
    {
        SampleNfe nfe;
        nfe.items[0].qCom = QStringLiteral("5.0000");
        nfe.items[0].lots =
            QStringLiteral("<med><cProdANVISA>1234</cProdANVISA><vPMC>9.90</vPMC></med>") +
            SampleRastro(QStringLiteral("L1"), QStringLiteral("2.000"), QStringLiteral("2024-01-01"),
                         QStringLiteral("2026-01-01")) +
            SampleRastro(QStringLiteral("L2"), QStringLiteral("3.000"), {}, QStringLiteral("2026-06-30"));
        NfeDocument doc;
        QVERIFY(ReadNfe(nfe.xml(), doc).ok);
        QCOMPARE(doc.items.front().lots.size(), std::size_t(2));
        const NfeLot& second = doc.items.front().lots.back();
        QCOMPARE(QStringList({second.nLote, second.qLote, second.dFab, second.dVal}).join(u'|'),
                 QStringLiteral("L2|3.000|2024-04-05T10:20:00-03:00|2026-06-30"));
    }

    // A file past what an NF-e can be is refused before its tree is built: 100,000 nested elements
    // kept the parser busy for minutes.
    void refusesAFileTooDeepOrTooLarge_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("message");
        SampleNfe nfe;
        nfe.items[0].lots =
            QString(QStringLiteral("<x>")).repeated(100000) + QString(QStringLiteral("</x>")).repeated(100000);
        QTest::newRow("100,000 nested elements")
            << nfe.xml()
            << "O arquivo tem elementos aninhados em mais de 64 níveis, o que uma NF-e não tem.\rNada foi importado.";
        nfe = SampleNfe{};
        nfe.beforeNFe = QStringLiteral("<!--") + QString(int(kMaxNfeBytes), u'x') + QStringLiteral("-->");
        const QByteArray large = nfe.xml();
        QTest::newRow("larger than an NF-e can be")
            << large
            << QStringLiteral("O arquivo tem %1 bytes, mais do que os 16777216 bytes que uma NF-e pode ter.\rNada foi "
                              "importado.")
                   .arg(large.size());
    }
    void refusesAFileTooDeepOrTooLarge()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, message);
        NfeDocument doc;
        const NfeReadResult result = ReadNfe(xml, doc);
        QVERIFY(!result.ok);
        QCOMPARE(result.messages, QStringList{message});
    }

    void refusesMoreLotsThanAnItemMayHave_data()
    {
        QTest::addColumn<int>("lots");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("500 lots") << 500 << true << QStringList{};
        QTest::newRow("501 lots") << 501 << false
                                  << QStringList{
                                         "O item 2 (PRODUTO DE TESTE) tem 501 lotes <rastro>. O limite é de 500 "
                                         "lotes por item.\rNada foi importado."};
    }
    void refusesMoreLotsThanAnItemMayHave()
    {
        QFETCH(int, lots);
        SampleNfe nfe = withItems(2);
        const QString lot = SampleRastro(QStringLiteral("L"), QStringLiteral("1"), {}, QStringLiteral("2026-01-01"));
        nfe.items[1].lots = lot.repeated(lots);
        NfeDocument doc;
        const NfeReadResult result = ReadNfe(nfe.xml(), doc);
        QTEST(result.ok, "ok");
        QTEST(result.messages, "messages");
        if (result.ok)
            QCOMPARE(int(doc.items.back().lots.size()), lots);
    }

    void refusesWhatIsNotXml()
    {
        NfeDocument doc;
        const NfeReadResult result = ReadNfe("<nfeProc><NFe>", doc);
        QVERIFY(!result.ok);
        QCOMPARE(result.messages.size(), 1);
        QVERIFY2(result.messages.front().startsWith(QStringLiteral("O arquivo não é um XML válido")),
                 qPrintable(result.messages.front()));
    }

    // What the system says of a file it cannot open is told in the clerk's words, the path after.
    void tellsWhyAFileCannotBeOpened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/nao/existe/nfe.xml"
                                 << "o arquivo não existe";
        QTest::newRow("a folder") << QDir::tempPath() << "o nome escolhido é de uma pasta, não de um arquivo";
    }
    void tellsWhyAFileCannotBeOpened()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        NfeDocument doc;
        const NfeReadResult result = ReadNfeFile(path, doc);
        QVERIFY(!result.ok);
        QCOMPARE(result.messages,
                 QStringList{QStringLiteral("Não foi possível abrir o arquivo da NF-e: %1.\r%2").arg(reason, path)});
    }

    void convertsDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date") << "2013-05-07"
                              << "07/05/2013";
        QTest::newRow("date, time and zone") << "2013-05-07T10:20:00-03:00"
                                             << "07/05/2013";
        QTest::newRow("already day first") << "07/05/2013"
                                           << "07/05/2013";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("too short to be a date") << "2013-05"
                                                << "2013-05";
    }
    void convertsDates()
    {
        QFETCH(QString, text);
        QTEST(NfeDateToText(text), "expected");
    }
};

QTEST_GUILESS_MAIN(TestNfeReader)
#include "tst_nfereader.moc"
