#pragma once

#include "admin/BatchInsert.h"
#include "admin/ReferenceData.h"
#include "data/Decimal.h"
#include "data/FbConnection.h"
#include "payments/PaymentSchedule.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The records from which demo and synthetic pharmacies are written.
struct SupplierRecord {
    QString code;
    QString name;
    QString tradeName;
    QString address;
    QString cep;
    QString city;
    QString state;
    QString phone;
    QString email;
    QString site;
    QString cnpj;
    QString ie;
    int paymentTerm = 30;
};

struct ProductRecord {
    QString code;
    QString name;
    QString group;
    QString family;
    QString unit;
    QString dcb;
    QString manufacturer;
    QString supplier;
    Decimal cost; // reais per stock unit
    bool controlled = false;
};

struct ItemRecord {
    const ProductRecord* product = nullptr;
    Decimal quantity;
    QString unit; // purchase unit
    Decimal unitPrice;
    QString lot;
    QDate made;
    QDate expiry;
    QString status;
    QString location;
};

// An instalment typed by hand ("Datas e valores diversos"): due some days after the invoice date,
// for a share of the net value.
struct CustomInstalmentRecord {
    int days = 0;
    int percent = 0; // the shares of an invoice add up to 100
};

struct InvoiceRecord {
    QDate date;
    QDate received;
    QString number;
    const SupplierRecord* supplier = nullptr;
    QString cfop;
    qint64 freightCents = 0;
    // A closed invoice has its totals, its items entered into stock and its payables; an open one
    // has items only.
    bool closed = true;
    const reference::PaymentForm* payment = nullptr;
    // When not empty, the payment form is "Datas e valores diversos" and these are its instalments.
    std::vector<CustomInstalmentRecord> customInstalments;
    std::vector<ItemRecord> items;
};

// Writes suppliers, products and invoices with every row that closing an invoice and sending it
// to accounts payable leave behind: items (COMPRAS), movements (MOVEST), lots (ESTLOTE) and
// payables (CTAPAGAR), with the typed instalments (PAGDIVER) of the invoices that have them.
// Keys are drawn in sequence from 1. Rows go out in chunks; call finish() at the end. Each closed
// item must name a lot of its own (product, lot and supplier).
class PharmacyWriter {
public:
    PharmacyWriter(FbConnection& shared, const QDate& today);
    ~PharmacyWriter();

    void addSupplier(const SupplierRecord& supplier);
    void addProduct(const ProductRecord& product);
    void addInvoice(const InvoiceRecord& invoice);
    void finish();

    // Called after each chunk written: the table and the rows written to it so far.
    std::function<void(const QString& table, qint64 rows)> onProgress;

    static constexpr const char* kWorkstation = "01";

private:
    struct Totals {
        qint64 itemsCents = 0;
        qint64 grossCents = 0;
        qint64 discountCents = 0;
        qint64 netCents = 0;
    };
    Totals totalsOf(const InvoiceRecord& invoice) const;
    void writeHeader(const InvoiceRecord& invoice, const Totals& totals);
    void writeItem(const InvoiceRecord& invoice, const ItemRecord& item, int itemNumber);
    void writeStockEntry(const InvoiceRecord& invoice, const ItemRecord& item);
    void writePayables(const InvoiceRecord& invoice, const std::vector<schedule::Instalment>& instalments);
    std::vector<schedule::Instalment> writeCustomInstalments(const InvoiceRecord& invoice, qint64 netCents);
    BatchInsert& batch(const QString& table, const QString& columns);

    FbConnection& shared_;
    QDate today_;
    std::vector<std::unique_ptr<BatchInsert>> batches_;
    BatchInsert* suppliers_;
    BatchInsert* products_;
    BatchInsert* invoices_;
    BatchInsert* items_;
    BatchInsert* movements_;
    BatchInsert* lots_;
    BatchInsert* payables_;
    BatchInsert* customInstalments_;
    qint64 lastInvoice_ = 0;
    qint64 lastItem_ = 0;
    qint64 lastMovement_ = 0;
    qint64 lastPayable_ = 0;
    qint64 lastCustomInstalment_ = 0;
};
