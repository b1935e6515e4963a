#include "tests/support/NfeSample.h"

#include "data/Decimal.h"
#include "nfe/NfeChecks.h"

#include <QFile>
#include <QStringEncoder>

namespace {

QString element(const QString& name, const QString& value)
{
    return QStringLiteral("<%1>%2</%1>").arg(name, value.toHtmlEscaped());
}

QString optional(const QString& name, const QString& value)
{
    return value.isNull() ? QString() : element(name, value);
}

QString lotElement(const QString& tag, const QString& nLote, const QString& qLote, const QString& dFab,
                   const QString& dVal)
{
    return QStringLiteral("<%1>").arg(tag) + optional(QStringLiteral("nLote"), nLote) +
           optional(QStringLiteral("qLote"), qLote) + optional(QStringLiteral("dFab"), dFab) +
           optional(QStringLiteral("dVal"), dVal) + QStringLiteral("</%1>").arg(tag);
}

// The line value an issuer writes: quantity × unit price, to the cent.
QString lineValue(const SampleNfeItem& item)
{
    if (!item.vProd.isEmpty())
        return item.vProd;
    const auto quantity = Decimal::parse(item.qCom);
    const auto price = Decimal::parse(item.vUnCom);
    if (!quantity || !price)
        return QStringLiteral("0.00");
    return Decimal::product(*quantity, *price, 2).toString();
}

QString itemsTotal(const std::vector<SampleNfeItem>& items)
{
    Decimal sum{0, 2};
    for (const SampleNfeItem& item : items)
        if (const auto line = Decimal::parse(lineValue(item)); line && item.indTot != QLatin1String("0"))
            sum = sum + *line;
    return sum.toString();
}

const QByteArray kDigValMark = "@@digVal@@";

} // namespace

QString SampleMed(const QString& nLote, const QString& qLote, const QString& dFab, const QString& dVal)
{
    return lotElement(QStringLiteral("med"), nLote, qLote, dFab, dVal);
}

QString SampleRastro(const QString& nLote, const QString& qLote, const QString& dFab, const QString& dVal)
{
    return lotElement(QStringLiteral("rastro"), nLote, qLote, dFab, dVal);
}

QString SampleNfe::key() const
{
    const QString date = dEmi.isEmpty() ? dhEmi : dEmi;
    const QString first43 = cUF.rightJustified(2, u'0') + date.mid(2, 2) + date.mid(5, 2) +
                            CNPJ.rightJustified(14, u'0') + mod + serie.rightJustified(3, u'0') +
                            nNF.rightJustified(9, u'0') + tpEmis + cNF.rightJustified(8, u'0');
    return first43 + QString::number(NfeKeyCheckDigit(first43));
}

QByteArray SampleNfe::xml() const
{
    QString ide = QStringLiteral("<ide>") + element(QStringLiteral("cUF"), cUF) + element(QStringLiteral("cNF"), cNF) +
                  element(QStringLiteral("natOp"), natOp) + element(QStringLiteral("mod"), mod) +
                  element(QStringLiteral("serie"), serie) + element(QStringLiteral("nNF"), nNF) +
                  optional(QStringLiteral("dEmi"), dEmi.isEmpty() ? QString() : dEmi) +
                  optional(QStringLiteral("dhEmi"), dhEmi.isEmpty() ? QString() : dhEmi) +
                  QStringLiteral("<tpNF>1</tpNF><cMunFG>3205309</cMunFG>") + element(QStringLiteral("tpEmis"), tpEmis) +
                  element(QStringLiteral("tpAmb"), tpAmb) + QStringLiteral("</ide>");
    QString issuer = QStringLiteral("<emit>") + element(QStringLiteral("CNPJ"), CNPJ) +
                     element(QStringLiteral("xNome"), xNome) + optional(QStringLiteral("xFant"), xFant) +
                     QStringLiteral("<enderEmit><xLgr>RUA DAS FLORES</xLgr><nro>100</nro><xCpl>SALA 2</xCpl>"
                                    "<xBairro>CENTRO</xBairro><cMun>3205309</cMun><UF>ES</UF><CEP>29000000</CEP>"
                                    "<fone>2733334444</fone></enderEmit><IE>123456789</IE><CRT>3</CRT></emit>");
    QString dets;
    int n = 0;
    for (const SampleNfeItem& item : items) {
        if (n > 0)
            dets += betweenItems;
        ++n;
        dets += QStringLiteral("<det nItem=\"%1\"><prod>").arg(n) +
                element(QStringLiteral("cProd"), item.cProd.isEmpty() ? QString::number(n) : item.cProd) +
                element(QStringLiteral("cEAN"), item.cEAN) + element(QStringLiteral("xProd"), item.xProd) +
                QStringLiteral("<NCM>30049099</NCM><CFOP>5102</CFOP>") + element(QStringLiteral("uCom"), item.uCom) +
                element(QStringLiteral("qCom"), item.qCom) + element(QStringLiteral("vUnCom"), item.vUnCom) +
                element(QStringLiteral("vProd"), lineValue(item)) + element(QStringLiteral("indTot"), item.indTot) +
                item.lots + QStringLiteral("</prod><imposto/></det>");
    }
    QString total = QStringLiteral("<total><ICMSTot><vBC>0.00</vBC><vICMS>1.50</vICMS>") +
                    element(QStringLiteral("vProd"), vProd.isEmpty() ? itemsTotal(items) : vProd) +
                    QStringLiteral("<vDesc>0.00</vDesc><vIPI>0.00</vIPI><vOutro>0.00</vOutro>") +
                    element(QStringLiteral("vNF"), vNF) + QStringLiteral("</ICMSTot></total>");
    const QString id = Id.isEmpty() ? QStringLiteral("NFe") + key() : Id;
    QString inf = QStringLiteral("<infNFe versao=\"4.00\" Id=\"%1\">").arg(id) + (withIde ? ide : QString()) +
                  (withEmit ? issuer : QString()) + dets + (withTotal ? total : QString()) +
                  QStringLiteral("<transp><modFrete>9</modFrete></transp>") + billing() + QStringLiteral("</infNFe>");
    QString nfe = QStringLiteral("<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">") + inf + QStringLiteral("</NFe>");
    const QString protocol =
        QStringLiteral("<protNFe versao=\"4.00\"><infProt>") + element(QStringLiteral("tpAmb"), tpAmb) +
        QStringLiteral("<verAplic>SVRS202404</verAplic>") +
        element(QStringLiteral("chNFe"), chNFe.isEmpty() ? key() : chNFe) +
        QStringLiteral("<dhRecbto>2024-04-05T10:21:00-03:00</dhRecbto><nProt>332240000012345</nProt>") +
        QString::fromLatin1(kDigValMark) + element(QStringLiteral("cStat"), cStat) +
        element(QStringLiteral("xMotivo"), xMotivo) + QStringLiteral("</infProt></protNFe>");
    QString body = wrapped ? QStringLiteral("<nfeProc versao=\"4.00\" xmlns=\"http://www.portalfiscal.inf.br/nfe\">") +
                                 beforeNFe + nfe + (withProtocol ? protocol : QString()) + QStringLiteral("</nfeProc>")
                           : nfe;
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>").arg(encoding) + body;
    QStringEncoder encoder(encoding.toLatin1().constData());
    QByteArray bytes = encoder(text);
    if (signedByIssuer)
        bytes = SignSampleNfe(bytes, id, signer);
    // The protocol lies outside the signed element: its digest is written once the signature is made.
    const QString digest = digVal.isNull() ? SampleDigestValue(bytes) : digVal;
    return bytes.replace(kDigValMark,
                         digest.isEmpty() ? QByteArray() : element(QStringLiteral("digVal"), digest).toUtf8());
}

QString SampleNfe::billing() const
{
    if (dups.empty())
        return {};
    QString cobr = QStringLiteral("<cobr>");
    for (const SampleDup& dup : dups)
        cobr += QStringLiteral("<dup>") + element(QStringLiteral("nDup"), dup.nDup) +
                element(QStringLiteral("dVenc"), dup.dVenc) + element(QStringLiteral("vDup"), dup.vDup) +
                QStringLiteral("</dup>");
    return cobr + QStringLiteral("</cobr>");
}

QString SampleNfe::writeTo(const QString& folder, const QString& fileName) const
{
    const QString path = folder + u'/' + fileName;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(xml());
    return path;
}
