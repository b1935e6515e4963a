#include "admin/PharmacyWriter.h"

#include "closing/StockEntry.h"
#include "db/ColumnLists.h"
#include "entry/UnitConversion.h"
#include "payments/IncludeInPayables.h"
#include "payments/PayableDescription.h"

#include <QStringList>

namespace {

const QString kSupplierColumns =
    QStringLiteral("CODIGO, NOME, NOMEFANTASIA, ENDERECO, CEP, CIDADE, ESTADO, TEL, E_MAIL, SITE, CNPJ, IE, "
                   "PRAZO_PAGAMENTO");
const QString kPayableColumns = QStringLiteral("CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, DATAPAGTO, "
                                               "VALORPAGO, SITUACAO, COMPETENCIA, OBSERVACOES");
const QString kCustomInstalmentColumns =
    QStringLiteral("CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, VALORTOTAL");

Decimal cents(qint64 value)
{
    return Decimal{value, 2};
}

// Quantity (3 decimals) times price (2 decimals), exact with 5 decimals.
Decimal lineTotal(const ItemRecord& item)
{
    return Decimal{item.quantity.rescaled(3).units * item.unitPrice.rescaled(2).units, 5};
}

Value textOrNull(const QString& text)
{
    return text.isEmpty() ? Value{} : Value{text};
}

Value dateOrNull(const QDate& date)
{
    return date.isValid() ? Value{date} : Value{};
}

// The payment form as the schedule reads it from FORMASPG.
schedule::PaymentForm scheduleForm(const reference::PaymentForm& form)
{
    return {form.type, form.days, form.instalments, form.surcharge};
}

} // namespace

PharmacyWriter::PharmacyWriter(FbConnection& shared, const QDate& today)
    : shared_(shared), today_(today), suppliers_(&batch(QStringLiteral("FORNECED"), kSupplierColumns)),
      products_(&batch(QStringLiteral("COMPONEN"), ComponenColumns)),
      invoices_(&batch(QStringLiteral("NFISCAL"), NFiscalColumns)),
      items_(&batch(QStringLiteral("COMPRAS"), ComprasColumns)),
      movements_(&batch(QStringLiteral("MOVEST"), MovestColumns)),
      lots_(&batch(QStringLiteral("ESTLOTE"), EstLoteColumns)),
      payables_(&batch(QStringLiteral("CTAPAGAR"), kPayableColumns)),
      customInstalments_(&batch(QStringLiteral("PAGDIVER"), kCustomInstalmentColumns))
{
}

PharmacyWriter::~PharmacyWriter() = default;

BatchInsert& PharmacyWriter::batch(const QString& table, const QString& columns)
{
    batches_.push_back(std::make_unique<BatchInsert>(shared_, table, columns));
    BatchInsert* b = batches_.back().get();
    b->onProgress = [this, table](qint64 rows) {
        if (onProgress)
            onProgress(table, rows);
    };
    return *b;
}

void PharmacyWriter::addSupplier(const SupplierRecord& s)
{
    BatchInsert& b = *suppliers_;
    b.begin();
    b.set(QStringLiteral("CODIGO"), s.code);
    b.set(QStringLiteral("NOME"), s.name);
    b.set(QStringLiteral("NOMEFANTASIA"), s.tradeName);
    b.set(QStringLiteral("ENDERECO"), textOrNull(s.address));
    b.set(QStringLiteral("CEP"), textOrNull(s.cep));
    b.set(QStringLiteral("CIDADE"), textOrNull(s.city));
    b.set(QStringLiteral("ESTADO"), textOrNull(s.state));
    b.set(QStringLiteral("TEL"), textOrNull(s.phone));
    b.set(QStringLiteral("E_MAIL"), textOrNull(s.email));
    b.set(QStringLiteral("SITE"), textOrNull(s.site));
    b.set(QStringLiteral("CNPJ"), s.cnpj);
    b.set(QStringLiteral("IE"), textOrNull(s.ie));
    b.set(QStringLiteral("PRAZO_PAGAMENTO"), qint64(s.paymentTerm));
    b.end();
}

void PharmacyWriter::addProduct(const ProductRecord& p)
{
    BatchInsert& b = *products_;
    b.begin();
    b.set(QStringLiteral("CODIGO"), p.code);
    b.set(QStringLiteral("COMPONENTE"), p.name);
    b.set(QStringLiteral("GRUPO"), p.group);
    b.set(QStringLiteral("FAMILIA"), textOrNull(p.family));
    b.set(QStringLiteral("UNID"), p.unit);
    b.set(QStringLiteral("UNID_VENDA"), p.unit);
    b.set(QStringLiteral("CONTROLADA"), p.controlled ? QStringLiteral("S") : QStringLiteral("N"));
    b.set(QStringLiteral("CUSTOUNITR"), p.cost.rescaled(8));
    b.set(QStringLiteral("CUSTOUNITUS"),
          Decimal::fromDouble(p.cost.toDouble() / (reference::kDollarRateCents / 100.0), 8));
    b.set(QStringLiteral("MULTIPLICADOR"), Decimal{1, 0});
    b.set(QStringLiteral("DIVISORUNID"), Decimal{1, 0});
    b.set(QStringLiteral("QDEESTOQUE"), 0.0);
    b.set(QStringLiteral("FABRICANTE"), textOrNull(p.manufacturer));
    b.set(QStringLiteral("FORNECEDOR"), textOrNull(p.supplier));
    b.set(QStringLiteral("DENSIDADE"), Decimal{1, 0});
    b.set(QStringLiteral("FATORCORRECAO"), Decimal{1, 0});
    b.set(QStringLiteral("DCB"), textOrNull(p.dcb));
    b.end();
}

PharmacyWriter::Totals PharmacyWriter::totalsOf(const InvoiceRecord& invoice) const
{
    qint64 exact = 0; // 5 decimals
    for (const ItemRecord& item : invoice.items)
        exact += lineTotal(item).units;
    Totals t;
    t.itemsCents = (exact + 500) / 1000;
    t.grossCents = t.itemsCents + invoice.freightCents;
    // A rounding discount of a cent or two makes the instalments equal and their sum the net value.
    const int instalments =
        invoice.payment && invoice.customInstalments.empty() ? std::max(1, invoice.payment->instalments) : 1;
    t.discountCents = t.grossCents % instalments;
    t.netCents = t.grossCents - t.discountCents;
    return t;
}

void PharmacyWriter::addInvoice(const InvoiceRecord& invoice)
{
    const Totals totals = totalsOf(invoice);
    writeHeader(invoice, totals);
    int itemNumber = 0;
    for (const ItemRecord& item : invoice.items) {
        writeItem(invoice, item, ++itemNumber);
        if (invoice.closed)
            writeStockEntry(invoice, item);
    }
    if (!invoice.closed)
        return;
    if (!invoice.customInstalments.empty())
        writePayables(invoice, writeCustomInstalments(invoice, totals.netCents));
    else if (invoice.payment)
        writePayables(invoice,
                      schedule::FormSchedule(scheduleForm(*invoice.payment), invoice.date, cents(totals.netCents)));
}

void PharmacyWriter::writeHeader(const InvoiceRecord& invoice, const Totals& totals)
{
    BatchInsert& b = *invoices_;
    b.begin();
    b.set(QStringLiteral("ESTACAO"), QString::fromLatin1(kWorkstation));
    b.set(QStringLiteral("CODIGO"), ++lastInvoice_);
    b.set(QStringLiteral("LOJA"), reference::storeCnpj());
    b.set(QStringLiteral("DATA"), invoice.date);
    b.set(QStringLiteral("NOTAFISCAL"), invoice.number);
    b.set(QStringLiteral("FORNECEDOR"), invoice.supplier->tradeName);
    b.set(QStringLiteral("GRUPDESP"), QStringLiteral("SUP"));
    b.set(QStringLiteral("TIPOOPERACAO"), QStringLiteral("1"));
    b.set(QStringLiteral("DATARECEBIM"), dateOrNull(invoice.received));
    b.set(QStringLiteral("SERIE"), QStringLiteral("1"));
    b.set(QStringLiteral("CFOP"), textOrNull(invoice.cfop));
    b.set(QStringLiteral("CODIGOFORNECEDOR"), invoice.supplier->code);
    if (invoice.closed) {
        b.set(QStringLiteral("VALBRUTO"), cents(totals.grossCents));
        b.set(QStringLiteral("DESCONTOTOTAL"), cents(totals.discountCents));
        b.set(QStringLiteral("VALLIQUIDO"), cents(totals.netCents));
        b.set(QStringLiteral("FRETE"), cents(invoice.freightCents));
        for (const char* zero : {"SEGURO", "IRRF", "OUTRASDESP", "VALORIPI", "ICMS_RETIDO_ST"})
            b.set(QString::fromLatin1(zero), cents(0));
        if (!invoice.customInstalments.empty())
            b.set(QStringLiteral("FORMAPAGTO"), kCustomInstalmentsForm);
        else if (invoice.payment)
            b.set(QStringLiteral("FORMAPAGTO"), invoice.payment->description);
    }
    b.end();
}

void PharmacyWriter::writeItem(const InvoiceRecord& invoice, const ItemRecord& item, int itemNumber)
{
    BatchInsert& b = *items_;
    b.begin();
    b.set(QStringLiteral("ESTACAO"), QString::fromLatin1(kWorkstation));
    b.set(QStringLiteral("CODCOMPRA"), ++lastItem_);
    b.set(QStringLiteral("DATA"), invoice.date);
    b.set(QStringLiteral("NOTAFISCAL"), invoice.number);
    b.set(QStringLiteral("FORNECEDOR"), invoice.supplier->tradeName);
    b.set(QStringLiteral("COMPONENTE"), item.product->name);
    b.set(QStringLiteral("LOTE"), textOrNull(item.lot));
    b.set(QStringLiteral("QUANTIDADE"), item.quantity);
    b.set(QStringLiteral("UNIDADE"), item.unit);
    b.set(QStringLiteral("PRECOUNITR"), item.unitPrice);
    b.set(QStringLiteral("PRECOUNITUS"),
          Decimal::fromDouble(item.unitPrice.toDouble() / (reference::kDollarRateCents / 100.0), 5));
    b.set(QStringLiteral("FABRICACAO"), dateOrNull(item.made));
    b.set(QStringLiteral("VALIDADE"), dateOrNull(item.expiry));
    b.set(QStringLiteral("SALDO"), lineTotal(item));
    b.set(QStringLiteral("RESPONSAVEL"), QString::number(itemNumber).rightJustified(4, u'0'));
    b.set(QStringLiteral("CODIGO"), item.product->code);
    b.set(QStringLiteral("SITUACAO"), textOrNull(item.status));
    b.set(QStringLiteral("FABRICANTE"), textOrNull(item.product->manufacturer));
    b.set(QStringLiteral("LABORATORIO"), textOrNull(item.location));
    b.set(QStringLiteral("CODIGOFORNECEDOR"), invoice.supplier->code);
    b.end();
}

void PharmacyWriter::writeStockEntry(const InvoiceRecord& invoice, const ItemRecord& item)
{
    const ProductRecord& product = *item.product;
    const QString supplier = invoice.supplier->tradeName.left(35);
    const QString location = item.location.isEmpty() ? QStringLiteral("Almoxarifado") : item.location.left(20);
    // As closing the invoice enters it: exact, in the product's stock unit.
    const Decimal quantity = StockQuantity(item.quantity, product.unit, item.unit);
    const QString controlled = product.controlled ? QStringLiteral("S") : QStringLiteral("N");

    BatchInsert& m = *movements_;
    m.begin();
    m.set(QStringLiteral("CODMOVEST"), ++lastMovement_);
    m.set(QStringLiteral("ESTACAO"), QString::fromLatin1(kWorkstation));
    m.set(QStringLiteral("CODCOMPRA"), lastItem_);
    m.set(QStringLiteral("DATA"), invoice.date);
    m.set(QStringLiteral("VALIDADE"), dateOrNull(item.expiry));
    m.set(QStringLiteral("CODPROD"), product.code);
    m.set(QStringLiteral("LOTE"), item.lot);
    m.set(QStringLiteral("FORNECEDOR"), supplier);
    m.set(QStringLiteral("DESCRICAO"), product.name);
    m.set(QStringLiteral("NITEM"), product.group);
    m.set(QStringLiteral("QUANTIDADE"), quantity);
    m.set(QStringLiteral("UNIDADE"), product.unit);
    m.set(QStringLiteral("CONTROLADA"), controlled);
    m.set(QStringLiteral("LABORATORIO"), location);
    m.set(QStringLiteral("USADOESTPREV"), QStringLiteral("1"));
    m.set(QStringLiteral("USADOESTCOR"), QStringLiteral("1"));
    m.end();

    BatchInsert& l = *lots_;
    l.begin();
    l.set(QStringLiteral("DESCRICAO"), product.name);
    l.set(QStringLiteral("LOTE"), item.lot);
    l.set(QStringLiteral("FORNECEDOR"), supplier);
    l.set(QStringLiteral("CODIGO"), product.code);
    l.set(QStringLiteral("CODIGOEAN"), product.group == QLatin1String("SUP") ? Value{product.code} : Value{});
    l.set(QStringLiteral("UNIDADE"), product.unit);
    l.set(QStringLiteral("SITUACAO"), QStringLiteral("Estoque"));
    l.set(QStringLiteral("VALIDADE"), dateOrNull(item.expiry));
    l.set(QStringLiteral("DENSIDADE"), Decimal{1, 0});
    l.set(QStringLiteral("FATORCORRECAO"), Decimal{1, 0});
    l.set(QStringLiteral("CONTROLADA"), controlled);
    l.set(QStringLiteral("LABORATORIO"), location);
    l.set(QStringLiteral("SALDOPREVISTO"), quantity);
    l.set(QStringLiteral("SALDOCORRENTE"), quantity);
    l.end();
}

std::vector<schedule::Instalment> PharmacyWriter::writeCustomInstalments(const InvoiceRecord& invoice, qint64 netCents)
{
    std::vector<schedule::Instalment> out;
    qint64 left = netCents;
    const auto& typed = invoice.customInstalments;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const qint64 amount = i + 1 < typed.size() ? netCents * typed[i].percent / 100 : left;
        left -= amount;
        out.push_back({invoice.date.addDays(typed[i].days), cents(amount)});
        BatchInsert& b = *customInstalments_;
        b.begin();
        b.set(QStringLiteral("CODPAGDIVER"), ++lastCustomInstalment_);
        b.set(QStringLiteral("ORDEM"), qint64(i + 1));
        b.set(QStringLiteral("DATA"), out.back().due);
        b.set(QStringLiteral("VALOR"), out.back().amount);
        b.set(QStringLiteral("NFISCAL"), invoice.number);
        b.set(QStringLiteral("FORNECEDOR"), invoice.supplier->tradeName);
        b.set(QStringLiteral("VALORTOTAL"), cents(netCents));
        b.end();
    }
    return out;
}

void PharmacyWriter::writePayables(const InvoiceRecord& invoice, const std::vector<schedule::Instalment>& instalments)
{
    const int n = int(instalments.size());
    const QString description = PayableDescription(invoice.number, invoice.supplier->tradeName);
    for (int i = 0; i < n; ++i) {
        const QDate due = instalments[std::size_t(i)].due;
        const Decimal amount = instalments[std::size_t(i)].amount;
        const bool paid = due < today_;
        BatchInsert& b = *payables_;
        b.begin();
        b.set(QStringLiteral("CODCTAPAGAR"), ++lastPayable_);
        b.set(QStringLiteral("CODPLANOCT"), qint64(0));
        b.set(QStringLiteral("DESCRICAO"), description);
        b.set(QStringLiteral("VALOR"), amount);
        b.set(QStringLiteral("VENCIMENTO"), due);
        b.set(QStringLiteral("COMPETENCIA"), due.toString(QStringLiteral("MM/yyyy")));
        b.set(QStringLiteral("SITUACAO"), paid ? QStringLiteral("Pago") : kOpenPayableStatus);
        if (paid) {
            b.set(QStringLiteral("DATAPAGTO"), due);
            b.set(QStringLiteral("VALORPAGO"), amount);
        }
        if (n > 1)
            b.set(QStringLiteral("OBSERVACOES"), QStringLiteral("Parc. %1/%2").arg(i + 1).arg(n));
        b.end();
    }
}

void PharmacyWriter::finish()
{
    for (const auto& b : batches_)
        b->finish();
}
