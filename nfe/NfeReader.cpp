#include "nfe/NfeReader.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <optional>

namespace {

QString localName(const QDomElement& e)
{
    const QString local = e.localName();
    if (!local.isEmpty())
        return local;
    const QString tag = e.tagName();
    return tag.mid(tag.indexOf(u':') + 1);
}

// The first child element of that local name; null when there is none.
QDomElement child(const QDomElement& parent, const QString& name)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (localName(e) == name)
            return e;
    return {};
}

// Control characters (tab, line breaks...) never reach the single-line texts of the tables.
QString text(const QDomElement& parent, const QString& name)
{
    static const QRegularExpression controls(QStringLiteral("[\\x00-\\x1f]"));
    return child(parent, name).text().remove(controls);
}

QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

QString xmlError(const QString& element)
{
    return QStringLiteral("Erro no XML. <%1>").arg(element);
}

void readIde(const QDomElement& ide, NfeDocument& doc, NfeReadResult& result)
{
    doc.cUF = text(ide, QStringLiteral("cUF"));
    doc.cNF = text(ide, QStringLiteral("cNF"));
    doc.nNF = text(ide, QStringLiteral("nNF"));
    doc.natOp = text(ide, QStringLiteral("natOp"));
    doc.mod = text(ide, QStringLiteral("mod"));
    doc.serie = text(ide, QStringLiteral("serie"));
    doc.dEmi = text(ide, QStringLiteral("dEmi"));
    doc.tpNF = text(ide, QStringLiteral("tpNF"));
    doc.cMunFG = text(ide, QStringLiteral("cMunFG"));
    doc.tpEmis = text(ide, QStringLiteral("tpEmis"));
    doc.tpAmb = text(ide, QStringLiteral("tpAmb"));
    if (doc.dEmi.isEmpty())
        doc.dEmi = text(ide, QStringLiteral("dhEmi"));
    if (doc.dEmi.isEmpty())
        result.messages << QStringLiteral("Erro ao carregar a data de emissdão da nota fiscal!");
}

void readEmit(const QDomElement& issuer, NfeDocument& doc)
{
    doc.CNPJ = text(issuer, QStringLiteral("CNPJ"));
    doc.xNome = text(issuer, QStringLiteral("xNome"));
    doc.xFant = withoutTrailingBlanks(text(issuer, QStringLiteral("xFant")));
    if (doc.xFant.isEmpty())
        doc.xFant = doc.xNome;
    const QDomElement address = child(issuer, QStringLiteral("enderEmit"));
    doc.xLgr = text(address, QStringLiteral("xLgr"));
    doc.nro = text(address, QStringLiteral("nro"));
    doc.xCpl = text(address, QStringLiteral("xCpl"));
    doc.xBairro = text(address, QStringLiteral("xBairro"));
    doc.CEP = text(address, QStringLiteral("CEP"));
    doc.fone = text(address, QStringLiteral("fone"));
    doc.IE = text(issuer, QStringLiteral("IE"));
}

void readTotals(const QDomElement& total, NfeDocument& doc)
{
    const QDomElement icms = child(total, QStringLiteral("ICMSTot"));
    doc.vICMS = text(icms, QStringLiteral("vICMS"));
    doc.vProd = text(icms, QStringLiteral("vProd"));
    doc.vDesc = text(icms, QStringLiteral("vDesc"));
    doc.vIPI = text(icms, QStringLiteral("vIPI"));
    doc.vOutro = text(icms, QStringLiteral("vOutro"));
    doc.vNF = text(icms, QStringLiteral("vNF"));
}

// The rules of the lot fields: an empty lot is "-", an empty quantity the item's, an empty
// manufacturing date the invoice's issue date.
NfeLot lotOf(const QDomElement& source, const NfeItem& item, const NfeDocument& doc)
{
    NfeLot lot;
    lot.nLote = text(source, QStringLiteral("nLote"));
    if (lot.nLote.isEmpty())
        lot.nLote = QStringLiteral("-");
    lot.qLote = text(source, QStringLiteral("qLote"));
    if (lot.qLote.isEmpty())
        lot.qLote = item.qCom;
    lot.dFab = text(source, QStringLiteral("dFab"));
    if (lot.dFab.isEmpty())
        lot.dFab = doc.dEmi;
    lot.dVal = text(source, QStringLiteral("dVal"));
    return lot;
}

// The item, and the number of its `rastro` lots; past `kMaxLots` no more are read.
NfeItem itemOf(const QDomElement& prod, const NfeDocument& doc, int& lotCount)
{
    NfeItem item;
    lotCount = 0;
    item.cProd = text(prod, QStringLiteral("cProd"));
    item.xProd = text(prod, QStringLiteral("xProd"));
    item.cEAN = text(prod, QStringLiteral("cEAN"));
    item.uCom = text(prod, QStringLiteral("uCom"));
    item.qCom = text(prod, QStringLiteral("qCom"));
    item.vUnCom = text(prod, QStringLiteral("vUnCom"));
    item.vProd = text(prod, QStringLiteral("vProd"));
    item.indTot = text(prod, QStringLiteral("indTot"));
    // Layout 4.00 keeps the lots in `rastro`, one element per lot; earlier layouts in `med`.
    for (QDomElement e = prod.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (localName(e) == QLatin1String("rastro") && ++lotCount <= NfeDocument::kMaxLots)
            item.lots.push_back(lotOf(e, item, doc));
    if (item.lots.empty())
        item.lots.push_back(lotOf(child(prod, QStringLiteral("med")), item, doc));
    return item;
}

QString tooManyLotsMessage(int item, const QString& product, int count)
{
    return QStringLiteral("O item %1 (%2) tem %3 lotes <rastro>. O limite é de %4 lotes por item.\rNada foi "
                          "importado.")
        .arg(item)
        .arg(product)
        .arg(count)
        .arg(NfeDocument::kMaxLots);
}

// From the first `det` on, every element in turn until one without a product description
// (in the layout, `total` follows the last `det`). Only elements count: comments, whitespace
// and processing instructions between them are passed over. An item of too many lots ends the
// read with its message.
std::optional<QString> readItems(const QDomElement& firstDet, NfeDocument& doc)
{
    for (QDomElement e = firstDet; !e.isNull(); e = e.nextSiblingElement()) {
        const QDomElement prod = child(e, QStringLiteral("prod"));
        if (text(prod, QStringLiteral("xProd")).isEmpty())
            break;
        ++doc.detCount;
        if (doc.detCount > NfeDocument::kMaxItems)
            continue;
        int lotCount = 0;
        NfeItem item = itemOf(prod, doc, lotCount);
        if (lotCount > NfeDocument::kMaxLots)
            return tooManyLotsMessage(doc.detCount, item.xProd, lotCount);
        doc.items.push_back(std::move(item));
    }
    return std::nullopt;
}

void readProtocol(const QDomElement& root, NfeDocument& doc)
{
    const QDomElement infProt = child(child(root, QStringLiteral("protNFe")), QStringLiteral("infProt"));
    doc.hasProtocol = !infProt.isNull();
    doc.chNFe = text(infProt, QStringLiteral("chNFe"));
    doc.cStat = text(infProt, QStringLiteral("cStat"));
    doc.xMotivo = text(infProt, QStringLiteral("xMotivo"));
    doc.nProt = text(infProt, QStringLiteral("nProt"));
    doc.digVal = text(infProt, QStringLiteral("digVal"));
    doc.protTpAmb = text(infProt, QStringLiteral("tpAmb"));
}

void readDuplicates(const QDomElement& cobr, NfeDocument& doc)
{
    for (QDomElement e = cobr.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (localName(e) == QLatin1String("dup"))
            doc.dups.push_back(
                {text(e, QStringLiteral("nDup")), text(e, QStringLiteral("dVenc")), text(e, QStringLiteral("vDup"))});
}

QString tooManyItemsMessage(int count)
{
    return QStringLiteral("A nota fiscal tem %1 itens. Ultrapassado o limite de %2 itens previsto por este programa "
                          "para uma mesma nota fiscal.\rNada foi importado.")
        .arg(count)
        .arg(NfeDocument::kMaxItems);
}

// Elements nested deeper than an NF-e ever is: the tree of such a file takes minutes to build.
// Read as a stream, which takes no time; a file that is no XML is left for the full read to
// report.
bool nestsTooDeep(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxNfeDepth)
            return true;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return false;
}

QString tooDeepMessage()
{
    return QStringLiteral("O arquivo tem elementos aninhados em mais de %1 níveis, o que uma NF-e não tem.\rNada foi "
                          "importado.")
        .arg(kMaxNfeDepth);
}

QString tooLargeMessage(qint64 bytes)
{
    return QStringLiteral("O arquivo tem %1 bytes, mais do que os %2 bytes que uma NF-e pode ter.\rNada foi importado.")
        .arg(bytes)
        .arg(kMaxNfeBytes);
}

// Why a file cannot be read, in the clerk's words rather than the system's.
QString whyUnreadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("o arquivo não existe");
    if (info.isDir())
        return QStringLiteral("o nome escolhido é de uma pasta, não de um arquivo");
    if (!info.isReadable())
        return QStringLiteral("o usuário não tem permissão para ler o arquivo");
    return QStringLiteral("o sistema não permitiu a leitura do arquivo");
}

NfeReadResult fail(NfeReadResult result, const QString& message)
{
    result.ok = false;
    result.messages << message;
    return result;
}

} // namespace

NfeReadResult ReadNfe(const QByteArray& xml, NfeDocument& doc)
{
    const QString path = doc.path;
    doc = NfeDocument{};
    doc.path = path;
    NfeReadResult result;
    if (xml.size() > kMaxNfeBytes)
        return fail(result, tooLargeMessage(xml.size()));
    if (nestsTooDeep(xml))
        return fail(result, tooDeepMessage());

    QDomDocument dom;
    QString error;
    int line = 0;
    int column = 0;
    if (!dom.setContent(xml, true, &error, &line, &column))
        return fail(result, QStringLiteral("O arquivo não é um XML válido: a estrutura se interrompe na linha %1, "
                                           "coluna %2.")
                                .arg(line)
                                .arg(column));

    // The file an issuer distributes: a root element wrapping the invoice element, which holds
    // `infNFe`.
    const QDomElement root = dom.documentElement();
    const QDomElement infNFe = child(root.firstChildElement(), QStringLiteral("infNFe"));
    if (infNFe.isNull())
        return fail(result, xmlError(QStringLiteral("infNFe")));
    doc.Id = infNFe.attribute(QStringLiteral("Id"));
    doc.versao = infNFe.attribute(QStringLiteral("versao"));
    readProtocol(root, doc);

    const QDomElement ide = child(infNFe, QStringLiteral("ide"));
    if (ide.isNull())
        return fail(result, xmlError(QStringLiteral("ide")));
    readIde(ide, doc, result);

    const QDomElement issuer = child(infNFe, QStringLiteral("emit"));
    if (issuer.isNull())
        return fail(result, xmlError(QStringLiteral("emit")));
    readEmit(issuer, doc);

    const QDomElement total = child(infNFe, QStringLiteral("total"));
    if (total.isNull())
        return fail(result, xmlError(QStringLiteral("total")));
    readTotals(total, doc);
    readDuplicates(child(infNFe, QStringLiteral("cobr")), doc);

    const QDomElement det = child(infNFe, QStringLiteral("det"));
    if (det.isNull())
        return fail(result, xmlError(QStringLiteral("det")));
    if (const auto tooManyLots = readItems(det, doc))
        return fail(result, *tooManyLots);
    if (doc.tooManyItems())
        return fail(result, tooManyItemsMessage(doc.detCount));

    result.ok = true;
    return result;
}

NfeReadResult ReadNfeFile(const QString& path, NfeDocument& doc)
{
    QByteArray content;
    return ReadNfeFile(path, doc, content);
}

NfeReadResult ReadNfeFile(const QString& path, NfeDocument& doc, QByteArray& content)
{
    doc.path = path;
    content.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        doc = NfeDocument{};
        doc.path = path;
        NfeReadResult result;
        result.messages
            << QStringLiteral("Não foi possível abrir o arquivo da NF-e: %1.\r%2").arg(whyUnreadable(path), path);
        return result;
    }
    if (file.size() > kMaxNfeBytes) {
        doc = NfeDocument{};
        doc.path = path;
        return fail(NfeReadResult{}, tooLargeMessage(file.size()));
    }
    content = file.readAll();
    return ReadNfe(content, doc);
}

QString NfeDateToText(const QString& text)
{
    if (text.size() < 10 || text.at(4) != u'-')
        return text;
    return text.mid(8, 2) + u'/' + text.mid(5, 2) + u'/' + text.left(4);
}
