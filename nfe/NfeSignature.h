#pragma once

#include <QByteArray>
#include <QString>

// The enveloped XML signature of `infNFe`, verified with the XML Security Library against the
// X.509 certificate the file carries. The certificate's chain up to the Brazilian root authority
// is not checked: that needs the authority's certificates and revocation lists, out of reach
// offline.
struct NfeSignatureCheck {
    enum class Status {
        Valid,        // the digest matches the signed content and the signature value verifies
        Absent,       // the invoice element has no `Signature`
        Altered,      // the signature was read and does not verify: the content changed after signing
        Unverifiable, // the signature cannot be checked (malformed, unknown algorithm, no certificate)
    };
    Status status = Status::Absent;
    QString signer;      // the certificate subject's common name, when valid
    QString detail;      // what made it unverifiable
    QString signerCnpj;  // the CNPJ the certificate names (ICP-Brasil e-CNPJ), when valid; empty when none
    QString digestValue; // the signed reference's DigestValue (base64), when valid
};

// Verifies the signature of the invoice element `infNFe` whose `Id` is `id`: the one under the
// root's first element, as the reader takes it. The signature must be that element's sibling
// and sign exactly that element.
NfeSignatureCheck VerifyNfeSignature(const QByteArray& xml, const QString& id);
