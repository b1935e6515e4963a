#include "nfe/NfeChecks.h"
#include "nfe/NfeReader.h"
#include "nfe/NfeSignature.h"
#include "tests/support/NfeSample.h"

#include <QtTest>

Q_DECLARE_METATYPE(SampleNfe)

namespace {

NfeDocument read(const SampleNfe& nfe)
{
    NfeDocument doc;
    const NfeReadResult result = ReadNfe(nfe.xml(), doc);
    if (!result.ok)
        qWarning() << result.messages;
    return doc;
}

const QString kNothing = QStringLiteral("\rNada foi importado.");

} // namespace

// The evidence an authorised NF-e carries, checked without a database: the access key, the
// authorisation protocol and the digital signature.
class TestNfeChecks : public QObject {
    Q_OBJECT

private slots:
    void checkDigit_data()
    {
        QTest::addColumn<QString>("first43");
        QTest::addColumn<int>("digit");

        QTest::newRow("example") << "3224040512572600025555001000036186148707732" << 6;
        QTest::newRow("remainder 0 gives 0") << "3224040512572600025555001000036186148707704" << 0;
        QTest::newRow("remainder 1 gives 0") << "3517035871652300011955001000000030100000030" << 0;
        QTest::newRow("remainder 10 gives 1") << "4318090692938300016355001000000026100001030" << 1;
        QTest::newRow("42 digits") << "322404051257260002555500100003618614870773" << -1;
        QTest::newRow("a letter") << "322404051257260002555500100003618614870773X" << -1;
    }
    void checkDigit()
    {
        QFETCH(QString, first43);
        QTEST(NfeKeyCheckDigit(first43), "digit");
    }

    void accessKey_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QString>("problem");

        SampleNfe nfe;
        QTest::newRow("the document's own key") << nfe << "";
        QCOMPARE(nfe.key(), QStringLiteral("32240405125726000255550010000012341148707730"));

        nfe.Id = QStringLiteral("NFe32240405125726000255550010000012341148707736");
        QTest::newRow("wrong check digit")
            << nfe
            << "A chave de acesso da NF-e 32240405125726000255550010000012341148707736 não confere: o dígito "
               "verificador é 6, e o correto seria 0." +
                   kNothing;

        nfe.Id = QStringLiteral("NFe3224040512572600025555001000001234114870773");
        QTest::newRow("43 digits")
            << nfe
            << "A chave de acesso da NF-e (atributo Id de <infNFe>) deve ser \"NFe\" seguido de "
               "44 algarismos; o arquivo traz \"NFe3224040512572600025555001000001234114870773\"." +
                   kNothing;

        SampleNfe other;
        other.nNF = QStringLiteral("1235");
        nfe.Id = QStringLiteral("NFe") + other.key();
        QTest::newRow("key of another number")
            << nfe
            << "A chave de acesso da NF-e " + other.key() +
                   " não confere com o documento:\r- número da nota (nNF): 000001234 no documento, 000001235 na "
                   "chave" +
                   kNothing;

        other = SampleNfe{};
        other.CNPJ = QStringLiteral("11222333000181");
        other.dhEmi = QStringLiteral("2024-05-02T08:00:00-03:00");
        nfe.Id = QStringLiteral("NFe") + other.key();
        QTest::newRow("key of another issuer and month")
            << nfe
            << "A chave de acesso da NF-e " + other.key() +
                   " não confere com o documento:\r- ano e mês de emissão: 2404 no documento, 2405 na chave\r- CNPJ "
                   "do emitente: 05125726000255 no documento, 11222333000181 na chave" +
                   kNothing;

        nfe = SampleNfe{};
        nfe.mod = QStringLiteral("65");
        QTest::newRow("a consumer invoice (model 65)")
            << nfe
            << "A chave de acesso da NF-e " + nfe.key() +
                   " não confere com o documento:\r- modelo (mod): 65 na chave; a NF-e é o modelo 55" + kNothing;
    }
    void accessKey()
    {
        QFETCH(SampleNfe, nfe);
        QTEST(NfeAccessKeyProblem(read(nfe)), "problem");
    }

    void protocol_data()
    {
        QTest::addColumn<SampleNfe>("nfe");
        QTest::addColumn<QString>("problem");

        SampleNfe nfe;
        QTest::newRow("authorised (100)") << nfe << "";
        nfe.cStat = QStringLiteral("150");
        QTest::newRow("authorised out of time (150)") << nfe << "";
        nfe.cStat = QStringLiteral("110");
        nfe.xMotivo = QStringLiteral("Uso Denegado");
        QTest::newRow("use denied (110)")
            << nfe << "A NF-e 1234 não está autorizada: situação 110 - Uso Denegado." + kNothing;

        nfe = SampleNfe{};
        SampleNfe other;
        other.nNF = QStringLiteral("999");
        nfe.chNFe = other.key();
        QTest::newRow("protocol of another invoice")
            << nfe
            << "O protocolo de autorização do arquivo é de outra NF-e: chave " + other.key() + " no protocolo, " +
                   nfe.key() + " na nota." + kNothing;

        nfe = SampleNfe{};
        nfe.withProtocol = false;
        QTest::newRow("no protocol: the importer asks") << nfe << "";
    }
    void protocol()
    {
        QFETCH(SampleNfe, nfe);
        QTEST(NfeProtocolProblem(read(nfe)), "problem");
    }

    void signature_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("signer");

        using Status = NfeSignatureCheck::Status;
        SampleNfe nfe;
        nfe.items[0].vUnCom = QStringLiteral("10.0000000000");
        QTest::newRow("unsigned") << nfe.xml() << int(Status::Absent) << "";
        nfe.signedByIssuer = true;
        const QByteArray signedXml = nfe.xml();
        QTest::newRow("signed") << signedXml << int(Status::Valid) << kSampleSigner;

        QByteArray altered = signedXml;
        altered.replace("<vUnCom>10.0000000000</vUnCom>", "<vUnCom>10.0000000001</vUnCom>");
        QVERIFY(altered != signedXml);
        QTest::newRow("one digit of a unit price changed") << altered << int(Status::Altered) << "";

        QByteArray indented = signedXml;
        indented.replace("<det ", "\n  <det ");
        QTest::newRow("indented after signing") << indented << int(Status::Altered) << "";

        // The protocol is outside the signed element: changing it leaves the signature whole.
        QByteArray protocolChanged = signedXml;
        protocolChanged.replace("<nProt>332240000012345</nProt>", "<nProt>332240000099999</nProt>");
        QTest::newRow("protocol outside the signed element") << protocolChanged << int(Status::Valid) << kSampleSigner;
    }
    void signature()
    {
        QFETCH(QByteArray, xml);
        const NfeSignatureCheck check = VerifyNfeSignature(xml, QStringLiteral("NFe") + SampleNfe{}.key());
        QVERIFY2(check.status != NfeSignatureCheck::Status::Unverifiable, qPrintable(check.detail));
        QTEST(int(check.status), "status");
        QTEST(check.signer, "signer");
    }
};

QTEST_GUILESS_MAIN(TestNfeChecks)
#include "tst_nfechecks.moc"
