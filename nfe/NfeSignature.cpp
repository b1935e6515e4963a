#include "nfe/NfeSignature.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <xmlsec/crypto.h>
#include <xmlsec/errors.h>
#include <xmlsec/keysmngr.h>
#include <xmlsec/openssl/x509.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <memory>

namespace {

using Status = NfeSignatureCheck::Status;

// The library's own error texts are English and technical: the clerk is told in Portuguese what
// failed, and nothing is printed on the console.
void ignoreLibraryError(const char*, int, const char*, const char*, const char*, int, const char*) {}

void ignoreXmlError(void*, const char*, ...) {}

// The library, its OpenSSL back end and a key manager without trusted certificates, set up once.
xmlSecKeysMngrPtr keysManager()
{
    static const xmlSecKeysMngrPtr manager = []() -> xmlSecKeysMngrPtr {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, ignoreXmlError);
        if (xmlSecInit() < 0 || xmlSecCheckVersion() != 1 || xmlSecCryptoAppInit(nullptr) < 0 || xmlSecCryptoInit() < 0)
            return nullptr;
        xmlSecErrorsSetCallback(ignoreLibraryError);
        xmlSecKeysMngrPtr m = xmlSecKeysMngrCreate();
        if (m && xmlSecCryptoAppDefaultKeysMngrInit(m) < 0) {
            xmlSecKeysMngrDestroy(m);
            return nullptr;
        }
        return m;
    }();
    return manager;
}

const xmlChar* asXml(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

struct DocFree {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
struct CtxFree {
    void operator()(xmlSecDSigCtxPtr c) const { xmlSecDSigCtxDestroy(c); }
};

xmlNodePtr firstElement(xmlNodePtr node)
{
    while (node && node->type != XML_ELEMENT_NODE)
        node = node->next;
    return node;
}

xmlNodePtr childNamed(xmlNodePtr parent, const char* name, const xmlChar* ns = nullptr)
{
    for (xmlNodePtr n = parent ? firstElement(parent->children) : nullptr; n; n = firstElement(n->next))
        if (xmlStrEqual(n->name, asXml(name)) && (!ns || (n->ns && xmlStrEqual(n->ns->href, ns))))
            return n;
    return nullptr;
}

NfeSignatureCheck unverifiable(const QString& detail)
{
    return {Status::Unverifiable, {}, detail, {}, {}};
}

// The common name of the certificate's subject; the whole subject when it has none.
QString subjectName(X509* certificate)
{
    const X509_NAME* subject = certificate ? X509_get_subject_name(certificate) : nullptr;
    if (!subject)
        return {};
    const int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index >= 0) {
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
        if (length >= 0) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(utf8), length);
            OPENSSL_free(utf8);
            return name;
        }
    }
    char line[512];
    return QString::fromUtf8(X509_NAME_oneline(subject, line, sizeof line));
}

X509* certificateOf(xmlSecKeyPtr key)
{
    xmlSecKeyDataPtr data = key ? xmlSecKeyGetData(key, xmlSecOpenSSLKeyDataX509Id) : nullptr;
    return data ? xmlSecOpenSSLKeyDataX509GetKeyCert(data) : nullptr;
}

// The 14 digits of a CNPJ in a text, or empty when it holds another number of digits.
QString cnpjDigits(const QString& text)
{
    constexpr qsizetype kCnpjDigits = 14;
    QString digits;
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            digits += c;
    return digits.size() == kCnpjDigits ? digits : QString();
}

// ICP-Brasil's e-CNPJ names the company's CNPJ in the subject alternative name, as an otherName
// of OID 2.16.76.1.3.3.
QString cnpjOfAlternativeName(X509* certificate)
{
    auto* names = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    if (!names)
        return {};
    QString cnpj;
    for (int i = 0; i < sk_GENERAL_NAME_num(names) && cnpj.isEmpty(); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
        if (name->type != GEN_OTHERNAME)
            continue;
        char oid[64];
        OBJ_obj2txt(oid, sizeof oid, name->d.otherName->type_id, 1);
        const ASN1_TYPE* value = name->d.otherName->value;
        if (qstrcmp(oid, "2.16.76.1.3.3") != 0 || !value || value->type == V_ASN1_BOOLEAN ||
            value->type == V_ASN1_NULL || value->type == V_ASN1_OBJECT)
            continue;
        const ASN1_STRING* text = value->value.asn1_string;
        cnpj = cnpjDigits(
            QString::fromLatin1(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)), ASN1_STRING_length(text)));
    }
    GENERAL_NAMES_free(names);
    return cnpj;
}

// The CNPJ the certificate names: its alternative name's, else the one its common name ends in
// (":" and 14 digits).
QString cnpjOf(X509* certificate, const QString& commonName)
{
    if (!certificate)
        return {};
    if (const QString cnpj = cnpjOfAlternativeName(certificate); !cnpj.isEmpty())
        return cnpj;
    const qsizetype colon = commonName.lastIndexOf(u':');
    return colon < 0 ? QString() : cnpjDigits(commonName.mid(colon + 1).trimmed());
}

// The DigestValue of the signature's one reference, as the file writes it.
QString digestValueOf(xmlNodePtr signature)
{
    xmlNodePtr reference = childNamed(childNamed(signature, "SignedInfo", xmlSecDSigNs), "Reference", xmlSecDSigNs);
    xmlNodePtr digest = childNamed(reference, "DigestValue", xmlSecDSigNs);
    if (!digest)
        return {};
    xmlChar* content = xmlNodeGetContent(digest);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content)).trimmed();
    xmlFree(content);
    return text;
}

// Only what an NF-e signature uses: no XPath or XSLT transforms, no references outside the file.
bool restrictAlgorithms(xmlSecDSigCtxPtr ctx)
{
    ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
    const xmlSecTransformId canonical[] = {xmlSecTransformInclC14NId,   xmlSecTransformInclC14NWithCommentsId,
                                           xmlSecTransformInclC14N11Id, xmlSecTransformInclC14N11WithCommentsId,
                                           xmlSecTransformExclC14NId,   xmlSecTransformExclC14NWithCommentsId};
    for (xmlSecTransformId id : canonical)
        if (xmlSecDSigCtxEnableReferenceTransform(ctx, id) < 0 || xmlSecDSigCtxEnableSignatureTransform(ctx, id) < 0)
            return false;
    for (xmlSecTransformId id : {xmlSecTransformEnvelopedId, xmlSecTransformSha1Id, xmlSecTransformSha256Id})
        if (xmlSecDSigCtxEnableReferenceTransform(ctx, id) < 0)
            return false;
    for (xmlSecTransformId id : {xmlSecTransformRsaSha1Id, xmlSecTransformRsaSha256Id})
        if (xmlSecDSigCtxEnableSignatureTransform(ctx, id) < 0)
            return false;
    return true;
}

// The one reference of the signature names the invoice element.
bool signsExactly(xmlSecDSigCtxPtr ctx, const QString& id)
{
    if (xmlSecPtrListGetSize(&ctx->signedInfoReferences) != 1)
        return false;
    auto* reference = static_cast<xmlSecDSigReferenceCtxPtr>(xmlSecPtrListGetItem(&ctx->signedInfoReferences, 0));
    return reference && reference->uri && QString::fromUtf8(reinterpret_cast<const char*>(reference->uri)) == u'#' + id;
}

NfeSignatureCheck verify(xmlNodePtr signature, const QString& id)
{
    xmlSecKeysMngrPtr manager = keysManager();
    if (!manager)
        return unverifiable(QStringLiteral("a biblioteca de assinaturas digitais não pôde ser iniciada"));
    std::unique_ptr<xmlSecDSigCtx, CtxFree> ctx(xmlSecDSigCtxCreate(manager));
    if (!ctx || !restrictAlgorithms(ctx.get()))
        return unverifiable(QStringLiteral("a biblioteca de assinaturas digitais não pôde ser iniciada"));
    // The key is the certificate's own; whose it is, the clerk sees in the signer's name.
    ctx->keyInfoReadCtx.flags |= XMLSEC_KEYINFO_FLAGS_X509DATA_DONT_VERIFY_CERTS;
    if (xmlSecDSigCtxVerify(ctx.get(), signature) < 0)
        return unverifiable(QStringLiteral("a assinatura está incompleta, usa um algoritmo não aceito ou não traz o "
                                           "certificado do emitente"));
    if (!signsExactly(ctx.get(), id))
        return unverifiable(QStringLiteral("a assinatura não se refere ao elemento <infNFe> %1").arg(id));
    if (ctx->status != xmlSecDSigStatusSucceeded)
        return {Status::Altered, {}, {}, {}, {}};
    X509* certificate = certificateOf(ctx->signKey);
    const QString signer = subjectName(certificate);
    return {Status::Valid, signer, {}, cnpjOf(certificate, signer), digestValueOf(signature)};
}

} // namespace

NfeSignatureCheck VerifyNfeSignature(const QByteArray& xml, const QString& id)
{
    keysManager();
    // No network, no external entities, no DTD: an NF-e has none.
    std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr,
                                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc)
        return unverifiable(QStringLiteral("o arquivo não é um XML válido"));
    if (doc->intSubset || doc->extSubset)
        return unverifiable(QStringLiteral("o arquivo traz uma declaração DOCTYPE, que uma NF-e não tem"));

    // The reader's invoice element: the first `infNFe` under the root's first element.
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    xmlNodePtr invoice = root ? firstElement(root->children) : nullptr;
    xmlNodePtr infNFe = childNamed(invoice, "infNFe");
    if (!infNFe)
        return unverifiable(QStringLiteral("o elemento <infNFe> não foi encontrado"));
    xmlNodePtr signature = childNamed(invoice, "Signature", xmlSecDSigNs);
    if (!signature)
        return {Status::Absent, {}, {}, {}, {}};

    // The reference resolves only to this element: its Id registered, and no other element with it.
    xmlAttrPtr idAttribute = xmlHasProp(infNFe, asXml("Id"));
    xmlChar* value = xmlGetProp(infNFe, asXml("Id"));
    const QString elementId = QString::fromUtf8(reinterpret_cast<const char*>(value));
    xmlFree(value);
    const QByteArray idUtf8 = id.toUtf8();
    if (!idAttribute || id.isEmpty() || elementId != id || xmlGetID(doc.get(), asXml(idUtf8.constData())) ||
        !xmlAddID(nullptr, doc.get(), asXml(idUtf8.constData()), idAttribute))
        return unverifiable(QStringLiteral("o atributo Id de <infNFe> falta ou se repete no arquivo"));
    return verify(signature, id);
}
