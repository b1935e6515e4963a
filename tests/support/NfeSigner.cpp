// Signs the NF-e samples with the xmlsec1 tool, on a key and a self-signed certificate made once
// per test run with the openssl tool.
#include "tests/support/NfeSample.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("%1 failed: %2")
                                     .arg(program, QString::fromLocal8Bit(process.readAllStandardError()))
                                     .toStdString());
    return process.readAllStandardOutput();
}

struct Issuer {
    QTemporaryDir folder;
    QString key = folder.filePath(QStringLiteral("key.pem"));
    QString certificate = folder.filePath(QStringLiteral("cert.pem"));

    explicit Issuer(const SampleSigner& signer)
    {
        QStringList arguments = {QStringLiteral("req"),
                                 QStringLiteral("-x509"),
                                 QStringLiteral("-newkey"),
                                 QStringLiteral("rsa:2048"),
                                 QStringLiteral("-nodes"),
                                 QStringLiteral("-days"),
                                 QStringLiteral("3650"),
                                 QStringLiteral("-subj"),
                                 u'/' + QStringLiteral("CN=") + signer.commonName,
                                 QStringLiteral("-keyout"),
                                 key,
                                 QStringLiteral("-out"),
                                 certificate};
        if (!signer.alternativeCnpj.isEmpty())
            arguments << QStringLiteral("-addext")
                      << QStringLiteral("subjectAltName=otherName:2.16.76.1.3.3;UTF8:") + signer.alternativeCnpj;
        run(QStringLiteral("openssl"), arguments);
    }
};

// One key and certificate per signer, made at its first use.
const Issuer& issuer(const SampleSigner& signer)
{
    static std::map<QString, std::unique_ptr<Issuer>> made;
    std::unique_ptr<Issuer>& entry = made[signer.commonName + u'|' + signer.alternativeCnpj];
    if (!entry)
        entry = std::make_unique<Issuer>(signer);
    return *entry;
}

// What an issuer's signing software fills in: the digest, the signature value and the certificate.
QByteArray signatureTemplate(const QString& id)
{
    return QStringLiteral(
               "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"
               "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
               "<SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/><Reference URI=\"#%1\">"
               "<Transforms><Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>"
               "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/></Transforms>"
               "<DigestMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/><DigestValue/></Reference>"
               "</SignedInfo><SignatureValue/><KeyInfo><X509Data/></KeyInfo></Signature>")
        .arg(id)
        .toUtf8();
}

} // namespace

QString SampleDigestValue(const QByteArray& signedXml)
{
    const qsizetype start = signedXml.indexOf("<DigestValue>");
    const qsizetype end = signedXml.indexOf("</DigestValue>");
    if (start < 0 || end < start)
        return {};
    const qsizetype from = start + qsizetype(qstrlen("<DigestValue>"));
    return QString::fromLatin1(signedXml.mid(from, end - from)).trimmed();
}

QByteArray SignSampleNfe(const QByteArray& xml, const QString& id, const SampleSigner& by)
{
    SampleSigner named = by;
    if (named.commonName.isEmpty())
        named.commonName = kSampleSigner;
    const Issuer& signer = issuer(named);
    QByteArray unsignedXml = xml;
    const QByteArray end = "</infNFe>";
    const qsizetype at = unsignedXml.indexOf(end);
    if (at < 0)
        return xml;
    unsignedXml.insert(at + end.size(), signatureTemplate(id));
    QTemporaryDir work;
    const QString input = work.filePath(QStringLiteral("template.xml"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the signature template");
    file.write(unsignedXml);
    file.close();
    return run(QStringLiteral("xmlsec1"),
               {QStringLiteral("--sign"), QStringLiteral("--privkey-pem"), signer.key + u',' + signer.certificate,
                QStringLiteral("--id-attr:Id"), QStringLiteral("infNFe"), input});
}
