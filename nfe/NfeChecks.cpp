#include "nfe/NfeChecks.h"

#include "data/Decimal.h"
#include "data/Formats.h"
#include "nfe/NfeDocument.h"

#include <QByteArray>

#include <QStringList>

namespace {

constexpr qsizetype kKeyDigits = 44;
const QString kKeyPrefix = QStringLiteral("NFe");
const QString kModel = QStringLiteral("55");
const QString kNothingImported = QStringLiteral("\rNada foi importado.");

bool allDigits(QStringView text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}

// A field of the key, its position counted from 1 as the layout counts it.
struct KeyField {
    const char* label;
    qsizetype position;
    qsizetype width;
    QString (*fromDocument)(const NfeDocument&);
};

// The document's value as the key writes it: zero-padded to the field's width. A value that is not
// digits, or longer than the field, is kept as it stands and so disagrees.
QString padded(const QString& value, qsizetype width)
{
    if (!allDigits(value) || value.size() > width)
        return value;
    return value.rightJustified(width, u'0');
}

// "yymm" of the issue date, from `dEmi` or the date part of `dhEmi`.
QString yearAndMonth(const NfeDocument& doc)
{
    const QString& date = doc.dEmi;
    if (date.size() < 7 || date.at(4) != u'-' || !allDigits(QStringView(date).left(4)) ||
        !allDigits(QStringView(date).mid(5, 2)))
        return date;
    return date.mid(2, 2) + date.mid(5, 2);
}

const KeyField kFields[] = {
    {"UF do emitente (cUF)", 1, 2, [](const NfeDocument& d) { return padded(d.cUF, 2); }},
    {"ano e mês de emissão", 3, 4, yearAndMonth},
    {"CNPJ do emitente", 7, 14, [](const NfeDocument& d) { return padded(d.CNPJ, 14); }},
    {"modelo (mod)", 21, 2, [](const NfeDocument& d) { return d.mod; }},
    {"série", 23, 3, [](const NfeDocument& d) { return padded(d.serie, 3); }},
    {"número da nota (nNF)", 26, 9, [](const NfeDocument& d) { return padded(d.nNF, 9); }},
    {"tipo de emissão (tpEmis)", 35, 1, [](const NfeDocument& d) { return d.tpEmis; }},
    {"código numérico (cNF)", 36, 8, [](const NfeDocument& d) { return padded(d.cNF, 8); }},
};

QString shown(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("(vazio)") : value;
}

QStringList disagreements(const NfeDocument& doc, const QString& digits)
{
    QStringList lines;
    for (const KeyField& field : kFields) {
        const QString inKey = digits.mid(field.position - 1, field.width);
        const QString inDocument = field.fromDocument(doc);
        if (inKey != inDocument)
            lines << QStringLiteral("- %1: %2 no documento, %3 na chave")
                         .arg(QString::fromUtf8(field.label), shown(inDocument), inKey);
    }
    const QString model = digits.mid(20, 2);
    if (model != kModel)
        lines << QStringLiteral("- modelo (mod): %1 na chave; a NF-e é o modelo 55").arg(model);
    return lines;
}

} // namespace

int NfeKeyCheckDigit(QStringView first43)
{
    if (first43.size() != kKeyDigits - 1 || !allDigits(first43))
        return -1;
    int sum = 0;
    int weight = 2;
    for (qsizetype i = first43.size() - 1; i >= 0; --i) {
        sum += (first43[i].unicode() - u'0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int remainder = sum % 11;
    return remainder < 2 ? 0 : 11 - remainder;
}

QString NfeKeyDigits(const NfeDocument& doc)
{
    return doc.Id.startsWith(kKeyPrefix) ? doc.Id.mid(kKeyPrefix.size()) : doc.Id;
}

QString NfeAccessKeyProblem(const NfeDocument& doc)
{
    const QString digits = NfeKeyDigits(doc);
    if (!doc.Id.startsWith(kKeyPrefix) || digits.size() != kKeyDigits || !allDigits(digits))
        return QStringLiteral("A chave de acesso da NF-e (atributo Id de <infNFe>) deve ser \"NFe\" seguido de 44 "
                              "algarismos; o arquivo traz \"%1\".")
                   .arg(doc.Id) +
               kNothingImported;
    const int expected = NfeKeyCheckDigit(QStringView(digits).left(kKeyDigits - 1));
    if (digits.back().unicode() - u'0' != expected)
        return QStringLiteral("A chave de acesso da NF-e %1 não confere: o dígito verificador é %2, e o correto "
                              "seria %3.")
                   .arg(digits, QString(digits.back()))
                   .arg(expected) +
               kNothingImported;
    const QStringList lines = disagreements(doc, digits);
    if (!lines.isEmpty())
        return QStringLiteral("A chave de acesso da NF-e %1 não confere com o documento:\r").arg(digits) +
               lines.join(u'\r') + kNothingImported;
    return {};
}

QString NfeProtocolProblem(const NfeDocument& doc)
{
    if (!doc.hasProtocol)
        return {};
    const QString key = NfeKeyDigits(doc);
    if (doc.chNFe.trimmed() != key)
        return QStringLiteral("O protocolo de autorização do arquivo é de outra NF-e: chave %1 no protocolo, %2 na "
                              "nota.")
                   .arg(shown(doc.chNFe.trimmed()), key) +
               kNothingImported;
    const QString status = doc.cStat.trimmed();
    if (status != QLatin1String("100") && status != QLatin1String("150"))
        return QStringLiteral("A NF-e %1 não está autorizada: situação %2 - %3.")
                   .arg(doc.nNF, shown(status), shown(doc.xMotivo.trimmed())) +
               kNothingImported;
    return {};
}

QString NfeEnvironmentProblem(const NfeDocument& doc)
{
    const QString test = QStringLiteral("2");
    if (doc.tpAmb.trimmed() != test && doc.protTpAmb.trimmed() != test)
        return {};
    return QStringLiteral("A NF-e %1 foi emitida em ambiente de homologação (tpAmb 2), de teste: não tem valor "
                          "fiscal.")
               .arg(doc.nNF) +
           kNothingImported;
}

QString NfeTotalsProblem(const NfeDocument& doc)
{
    if (doc.vProd.isEmpty())
        return {};
    const auto total = Decimal::parse(doc.vProd);
    if (!total)
        return {}; // the import names a total that is no number
    Decimal sum{0, 2};
    for (const NfeItem& item : doc.items) {
        if (item.indTot.trimmed() == QLatin1String("0"))
            continue; // the layout leaves such a line out of the total
        const auto line = Decimal::parse(item.vProd.isEmpty() ? QStringLiteral("0") : item.vProd);
        if (!line)
            return QStringLiteral("O valor <vProd> \"%1\" do item %2 não é um número válido.")
                       .arg(item.vProd, item.xProd) +
                   kNothingImported;
        try {
            sum = sum + *line;
        } catch (const DecimalOverflow&) {
            break; // a sum past 18 digits matches no total
        }
    }
    if (sum == *total)
        return {};
    return QStringLiteral("Os valores dos itens da NF-e %1 não conferem com o total dos produtos: a soma dos itens "
                          "(vProd) é R$ %2, e o total da nota (ICMSTot/vProd) é R$ %3.")
               .arg(doc.nNF, formats::money(sum), formats::money(*total)) +
           kNothingImported;
}

QString NfeDigestProblem(const NfeDocument& doc, const QString& digestValue)
{
    if (!doc.hasProtocol)
        return {};
    const QByteArray authorised = QByteArray::fromBase64(doc.digVal.trimmed().toLatin1());
    const QByteArray signedNow = QByteArray::fromBase64(digestValue.trimmed().toLatin1());
    if (!authorised.isEmpty() && authorised == signedNow)
        return {};
    if (authorised.isEmpty())
        return QStringLiteral("O protocolo de autorização da NF-e %1 não traz o resumo (digVal) da nota autorizada: "
                              "não há como saber se o arquivo é o que a SEFAZ autorizou.")
                   .arg(doc.nNF) +
               kNothingImported;
    return QStringLiteral("A NF-e %1 não é a que a SEFAZ autorizou: o arquivo foi assinado de novo depois da "
                          "autorização (o resumo da assinatura, %2, não é o do protocolo, %3).")
               .arg(doc.nNF, digestValue.trimmed(), doc.digVal.trimmed()) +
           kNothingImported;
}

QString NfeSignerProblem(const NfeDocument& doc)
{
    constexpr qsizetype kRootDigits = 8;
    if (doc.signerCnpj.isEmpty())
        return {};
    const QString issuer = doc.CNPJ.trimmed();
    if (doc.signerCnpj.left(kRootDigits) == issuer.left(kRootDigits) && issuer.size() >= kRootDigits)
        return {};
    return QStringLiteral("A NF-e %1 foi assinada por outra empresa: o certificado é do CNPJ %2, e o emitente da "
                          "nota é o CNPJ %3.")
               .arg(doc.nNF, doc.signerCnpj, shown(issuer)) +
           kNothingImported;
}
