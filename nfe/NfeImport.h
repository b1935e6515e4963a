#pragma once

#include "data/Value.h"
#include "nfe/NfeData.h"
#include "nfe/NfeDocument.h"
#include "nfe/NfeRows.h"
#include "nfe/SupplierCodes.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>

struct SessionState;

// What a read told the caller.
enum class NfeReadOutcome {
    Failed,    // the file is not an NF-e the import can take; the clerk has been told why
    Ready,     // read, the issuer is a supplier: the import may go on
    Duplicate, // this supplier's invoice of this number is already recorded
};

// What an import did.
struct NfeImportResult {
    enum class Outcome {
        Imported,          // header and items written; the result message was shown
        SupplierFailed,    // the issuer could not be registered; nothing written
        Duplicate,         // already recorded; nothing written
        Refused,           // a value of the NF-e or the database refused it; nothing written
        NotFoundAfterwards // written, but not found in the invoice list afterwards
    };
    Outcome outcome = Outcome::Refused;
    QString message;        // the last message shown (the reason when refused)
    int rows = 0;           // COMPRAS rows written
    int unrecognised = 0;   // items whose product was found neither by the supplier's code nor by bar code
    int bySupplierCode = 0; // items recognised by the supplier's own product code
    int byBarCode = 0;      // items recognised by bar code
    int instalments = 0;    // PAGDIVER rows written from `cobr/dup`
    QString instalmentNote; // what became of `cobr/dup`; empty when the NF-e has none
    QStringList adjusted;   // items whose texts were changed to fit the database
};

// The questions the read asks about a file that lacks the evidence of an authorised invoice; the
// clerk may import it all the same (a contingency file has no protocol yet).
QString NfeNoProtocolQuestion();
QString NfeUnsignedQuestion();
QString NfeSignerWithoutCnpjQuestion();
// Whether a question is one of those about missing evidence, which a batch may be told to accept.
bool IsNfeEvidenceQuestion(const QString& question);
// The refusal of a file whose signature does not verify.
QString NfeAlteredMessage();

// Reading an NF-e and importing it as a supply invoice, for the import panel and for tools that
// import without a window. Every message and question goes through the dialog service.
class NfeImporter {
public:
    NfeImporter(NfeData dm, const SessionState& session);

    const NfeDocument& document() const { return doc_; }

    // Reads the file and checks it (access key, authorisation protocol, digital signature: a file
    // that fails is refused before anything is written, one that lacks the protocol or the
    // signature imports only when the clerk confirms), registers the issuer as a supplier when it
    // is unknown and refuses an invoice already recorded (the invoice list is then ordered by
    // number and supplier).
    NfeReadOutcome read(const QString& path);
    // How many of the read items have a product: by the supplier's code, else by bar code.
    struct Recognition {
        int bySupplierCode = 0;
        int byBarCode = 0;
    };
    Recognition recognisedItems();

    // Writes the invoice and its items, all or nothing, with `receiptDate` ("dd/mm/yy") as the
    // receipt date and `today` for the expiry of items without one; tells the clerk the result
    // and leaves the invoice list (in date order) on the new invoice.
    NfeImportResult import(const QString& receiptDate, const QDate& today = QDate::currentDate());

    // What the last read or import told the clerk through the dialog service, in order (the
    // supplier registration's own messages aside).
    const QStringList& messages() const { return told_; }
    // Why the last read did not leave the invoice ready to import: the refusal told, or the
    // question the clerk answered No. Empty when it did.
    const QString& refusal() const { return refusal_; }

    // Called once the file is read and before any question about it is asked, so that the clerk
    // sees which invoice the questions are about.
    void setOnDocumentRead(std::function<void()> documentRead) { documentRead_ = std::move(documentRead); }

    // Whether the import leaves the invoice list and the item list positioned on the invoice
    // (the window wants it; a batch does not).
    void setPositionsDatasets(bool on) { positionsDatasets_ = on; }

private:
    void tell(const QString& message);
    bool refuse(const QString& message);
    bool confirm(const QString& question);
    bool checkEvidence(const QByteArray& content);
    void addMissingIndexes();
    NfeProduct productOf(const NfeItem& item);
    std::optional<Values> recordedInvoice();
    bool showRecorded();
    bool alreadyImported();
    void positionMainWindow(std::optional<Values> invoice = std::nullopt);

    NfeData dm_;
    const SessionState& session_;
    NfeDocument doc_;
    QStringList told_;
    QString refusal_;
    bool readOk_ = false;
    bool indexesChecked_ = false;
    bool supplierCodes_ = false; // the database has the tables of the suppliers' codes
    // The codes remembered for the issuer of the file read, by `cProd`; read at the first look-up.
    std::optional<std::map<QString, SupplierCode>> issuerCodes_;
    bool positionsDatasets_ = true;
    std::function<void()> documentRead_;
};
