#include "NfeSamples.h"

#include "nfe/NfeChecks.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace benchnfe {

namespace {

bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

struct Signer {
    QTemporaryDir folder;
    QString key = folder.filePath(QStringLiteral("key.pem"));
    QString certificate = folder.filePath(QStringLiteral("cert.pem"));
    bool ready = run(QStringLiteral("openssl"),
                     {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                      QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                      QStringLiteral("30"), QStringLiteral("-subj"), QStringLiteral("/CN=FORNECEDOR DE TESTE"),
                      QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
};

QString keyOf(const QString& cnpj, const QString& number)
{
    const QString first43 = QStringLiteral("352404") + cnpj.rightJustified(14, u'0') + QStringLiteral("55001") +
                            number.rightJustified(9, u'0') + QStringLiteral("112345678");
    return first43 + QString::number(NfeKeyCheckDigit(first43));
}

} // namespace

Issuer anIssuer(FbConnection& c)
{
    const Values row = c.executeRow(QStringLiteral("select first 1 CNPJ, NOME from FORNECED where CNPJ is not null "
                                                   "and char_length(CNPJ) = 14 order by CODIGO"));
    if (row.empty())
        return {QStringLiteral("05125726000255"), QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA")};
    return {std::get<QString>(row[0]), std::get<QString>(row[1])};
}

std::vector<QString> barCodes(FbConnection& c, int items)
{
    std::vector<QString> out;
    auto cursor = c.openCursor(QStringLiteral("select first %1 DCB from COMPONEN where GRUPO = 'SUP' and DCB is not "
                                              "null order by CODIGO")
                                   .arg(items * 4 / 5));
    while (cursor->fetch())
        out.push_back(cursor->text(0));
    while (out.size() < std::size_t(items))
        out.push_back(QStringLiteral("99%1").arg(out.size(), 11, 10, QLatin1Char('0')));
    return out;
}

QByteArray document(const QString& number, const Issuer& issuer, const std::vector<QString>& codes, int items,
                    QString* id)
{
    const QString key = keyOf(issuer.cnpj, number);
    if (id)
        *id = QStringLiteral("NFe") + key;
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc versao=\"4.00\" "
                               "xmlns=\"http://www.portalfiscal.inf.br/nfe\"><NFe><infNFe versao=\"4.00\" "
                               "Id=\"NFe%4\"><ide><cUF>35</cUF><cNF>12345678</cNF><natOp>VENDA</natOp><mod>55</mod>"
                               "<serie>1</serie><nNF>%1</nNF><dhEmi>2024-04-05T10:20:00-03:00</dhEmi><tpNF>1</tpNF>"
                               "<cMunFG>3550308</cMunFG><tpEmis>1</tpEmis></ide><emit><CNPJ>%2</CNPJ><xNome>%3</xNome>"
                               "<enderEmit><xLgr>RUA A</xLgr><nro>1</nro></enderEmit><IE>1</IE></emit>")
                    .arg(number, issuer.cnpj, issuer.name.toHtmlEscaped(), key);
    for (int i = 0; i < items; ++i)
        x += QStringLiteral("<det nItem=\"%1\"><prod><cProd>%1</cProd><cEAN>%2</cEAN><xProd>PRODUTO %1</xProd>"
                            "<uCom>UN</uCom><qCom>4.0000</qCom><vUnCom>2.5000000000</vUnCom><vProd>10.00</vProd>"
                            "<rastro><nLote>A%1</nLote><qLote>1.000</qLote><dFab>2024-01-01</dFab>"
                            "<dVal>2026-01-01</dVal></rastro><rastro><nLote>B%1</nLote><qLote>3.000</qLote>"
                            "<dFab>2024-02-01</dFab><dVal>2026-02-01</dVal></rastro></prod></det>")
                 .arg(i + 1)
                 .arg(codes[std::size_t(i)]);
    x += QStringLiteral("<total><ICMSTot><vICMS>0.00</vICMS><vProd>%1.00</vProd><vDesc>0.00</vDesc><vIPI>0.00</vIPI>"
                        "<vOutro>0.00</vOutro><vNF>%1.00</vNF></ICMSTot></total></infNFe></NFe><protNFe "
                        "versao=\"4.00\"><infProt><tpAmb>1</tpAmb><chNFe>%2</chNFe><nProt>135240000000001</nProt>"
                        "<cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>")
             .arg(items * 10)
             .arg(key);
    return x.toUtf8();
}

QByteArray signedDocument(const QByteArray& xml, const QString& id)
{
    static const Signer signer;
    if (!signer.ready)
        return xml;
    QByteArray withTemplate = xml;
    const QByteArray end = "</infNFe>";
    withTemplate.insert(
        withTemplate.indexOf(end) + end.size(),
        QStringLiteral(
            "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo><CanonicalizationMethod "
            "Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/><SignatureMethod "
            "Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/><Reference URI=\"#%1\"><Transforms><Transform "
            "Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/><Transform "
            "Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/></Transforms><DigestMethod "
            "Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/><DigestValue/></Reference></SignedInfo>"
            "<SignatureValue/><KeyInfo><X509Data/></KeyInfo></Signature>")
            .arg(id)
            .toUtf8());
    QTemporaryDir work;
    const QString input = work.filePath(QStringLiteral("template.xml"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly))
        return xml;
    file.write(withTemplate);
    file.close();
    QByteArray out;
    if (!run(QStringLiteral("xmlsec1"),
             {QStringLiteral("--sign"), QStringLiteral("--privkey-pem"), signer.key + u',' + signer.certificate,
              QStringLiteral("--id-attr:Id"), QStringLiteral("infNFe"), input},
             &out))
        return xml;
    // The protocol carries the digest of the signed invoice, as the tax authority's does.
    const qsizetype digest = out.indexOf("<DigestValue>") + qsizetype(qstrlen("<DigestValue>"));
    return out.replace("<cStat>",
                       "<digVal>" + out.mid(digest, out.indexOf("</DigestValue>") - digest) + "</digVal><cStat>");
}

QString writeFile(const QString& folder, const QString& number, const QByteArray& xml)
{
    const QString path = folder + QStringLiteral("/nfe-") + number + QStringLiteral(".xml");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(xml);
    return path;
}

void nativeImport(FbConnection& c, const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&f);
    std::vector<QString> eans;
    QString number;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("cEAN"))
                eans.push_back(xml.readElementText());
            else if (xml.name() == QLatin1String("nNF"))
                number = xml.readElementText();
        }
    c.beginWork();
    const qint64 code = std::get<qint64>(c.executeRow(QStringLiteral("select max(CODIGO) from NFISCAL")).front()) + 1;
    c.execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                             "GRUPDESP) values ('01', ?, ?, ?, 'Nativo', '0001', 'SUP')"),
              {code, QDate(2024, 4, 5), number});
    qint64 item = std::get<qint64>(c.executeRow(QStringLiteral("select max(CODCOMPRA) from COMPRAS")).front());
    for (const QString& ean : eans) {
        c.executeRow(QStringLiteral("select COMPONENTE, FABRICANTE from COMPONEN where GRUPO = 'SUP' and DCB = ?"),
                     {ean});
        for (int lot = 0; lot < 2; ++lot)
            c.execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                     "COMPONENTE, CODIGOFORNECEDOR, QUANTIDADE, LOTE) values ('01', ?, ?, ?, ?, "
                                     "'Nativo', 'Produto', '0001', 1, 'L')"),
                      {++item, ean, QDate(2024, 4, 5), number});
    }
    c.commitWork();
}

} // namespace benchnfe
