#include "admin/DemoData.h"

#include "admin/DemoCatalogue.h"
#include "admin/PharmacyWriter.h"
#include "db/Cnpj.h"
#include "db/Schema.h"
#include "entry/UnitConversion.h"

#include <QHash>

#include <cmath>
#include <stdexcept>

namespace demo {

namespace {

struct Line {
    const char* product;
    double quantity;    // in the product's usual purchase unit
    int expiryMonths;   // from manufacture; 0 takes the product's shelf life
    const char* status; // SITUACAO of the item
};

struct Invoice {
    int daysAgo;
    const char* number;
    int supplier; // 1-based, as the supplier codes
    int paymentForm;
    qint64 freightCents;
    bool closed;
    std::vector<Line> lines;
};

const char* const kStock = "Estoque";

// The invoices of the demo, oldest first. The first two hold resale and own-product items that
// expired without being marked (status empty or "EM USO").
const std::vector<Invoice>& invoices()
{
    static const std::vector<Invoice> list = {
        {620,
         "18452",
         3,
         1,
         2500,
         true,
         {{"Protetor solar fator 50 120 ml", 24, 12, ""},
          {"Vitamina C 1 g efervescente", 36, 12, "EM USO"},
          {"Xampu anticaspa 200 ml", 12, 12, ""},
          {"Termômetro clínico digital", 6, 0, kStock}}},
        {560,
         "7731",
         20,
         3,
         1800,
         true,
         {{"Creme base não iônico", 5, 12, "EM USO"},
          {"Gel base de natrosol", 3, 12, ""},
          {"Celulose microcristalina 101", 2, 0, kStock},
          {"Estearato de magnésio", 1, 0, kStock}}},
        {300,
         "52210",
         2,
         1,
         0,
         true,
         {{"Cápsula gelatinosa nº 0 incolor", 20, 0, kStock},
          {"Cápsula gelatinosa nº 1 incolor", 10, 0, kStock},
          {"Cápsula gelatinosa nº 2 incolor", 10, 0, kStock},
          {"Cápsula gelatinosa nº 00 incolor", 5, 0, kStock}}},
        {240,
         "3318",
         12,
         5,
         1200,
         true,
         {{"Seringa descartável 5 ml", 200, 0, kStock},
          {"Seringa dosadora oral 10 ml", 100, 0, kStock},
          {"Luva de procedimento nitrílica média", 10, 0, kStock},
          {"Máscara descartável tripla", 6, 0, kStock},
          {"Touca descartável sanfonada", 4, 0, kStock}}},
        {180,
         "90412",
         17,
         4,
         3500,
         true,
         {{"Frasco plástico âmbar 120 ml", 300, 0, kStock},
          {"Frasco plástico âmbar 250 ml", 200, 0, kStock},
          {"Frasco airless 30 ml", 50, 0, kStock}}},
        {150,
         "11876",
         5,
         2,
         900,
         true,
         {{"Etiqueta adesiva 40x25 mm", 10, 0, kStock},
          {"Etiqueta 'uso externo' vermelha", 2, 0, kStock},
          {"Etiqueta 'agite antes de usar'", 2, 0, kStock},
          {"Ribbon de cera 110 mm x 74 m", 6, 0, kStock}}},
        {120,
         "60233",
         19,
         3,
         1500,
         true,
         {{"Sabonete líquido glicerinado 250 ml", 24, 0, kStock},
          {"Repelente loção 100 ml", 12, 0, kStock},
          {"Protetor solar fator 50 120 ml", 12, 0, kStock}}},
        {90,
         "4410",
         7,
         1,
         0,
         true,
         {{"Membrana filtrante 0,22 µm 47 mm", 50, 0, kStock},
          {"Filtro de seringa 0,45 µm", 100, 0, kStock},
          {"Papel filtro qualitativo 12,5 cm", 5, 0, kStock}}},
        {60,
         "27805",
         15,
         2,
         2200,
         true,
         {{"Álcool etílico 70%", 20, 0, kStock},
          {"Detergente enzimático", 5, 0, kStock},
          {"Hipoclorito de sódio 1%", 10, 0, kStock},
          {"Álcool isopropílico", 5, 0, kStock}}},
        {35,
         "15550",
         1,
         1,
         4000,
         true,
         {{"Pote plástico branco 60 ml", 500, 0, kStock},
          {"Pote plástico branco 120 ml", 500, 0, kStock},
          {"Pote plástico branco 250 ml", 200, 0, kStock},
          {"Sacola plástica personalizada", 2, 0, kStock},
          {"Caixa de papelão para entrega", 100, 0, kStock}}},
        {14,
         "33901",
         20,
         4,
         1800,
         true,
         {{"Xampu base neutro", 10, 0, kStock},
          {"Loção cremosa base", 5, 0, kStock},
          {"Talco farmacêutico", 5, 0, kStock},
          {"Lactose monoidratada", 3, 0, kStock}}},
        {3,
         "52987",
         2,
         0,
         0,
         false,
         {{"Cápsula gelatinosa nº 3 incolor", 10, 0, kStock},
          {"Cápsula gelatinosa nº 4 incolor", 5, 0, kStock},
          {"Cápsula vegetal de hipromelose nº 0", 5, 0, kStock}}},
    };
    return list;
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString code(int number, int width)
{
    return QString::number(number).rightJustified(width, u'0');
}

std::vector<SupplierRecord> suppliers()
{
    std::vector<SupplierRecord> out;
    int index = 0;
    for (const catalogue::Supplier& s : catalogue::suppliers()) {
        ++index;
        SupplierRecord r;
        r.code = code(index, 4);
        r.name = text(s.name);
        r.tradeName = text(s.tradeName);
        r.address = text(s.address);
        r.cep = text(s.cep);
        r.city = text(s.city);
        r.state = text(s.state);
        r.phone = text(s.phone);
        r.site = QStringLiteral("www.") + text(s.domain);
        r.email = QStringLiteral("vendas@") + text(s.domain);
        r.cnpj = CnpjWithCheckDigits(code(10234567 + index * 7919, 8) + QStringLiteral("0001"));
        r.ie = code(110000000 + index * 104729, 12);
        r.paymentTerm = index % 3 == 0 ? 28 : 30;
        out.push_back(r);
    }
    return out;
}

std::vector<ProductRecord> products()
{
    std::vector<ProductRecord> out;
    int index = 0;
    for (const catalogue::Product& p : catalogue::products()) {
        ++index;
        ProductRecord r;
        r.code = code(index, 6);
        r.name = text(p.name);
        r.group = text(p.group);
        r.family = text(p.family);
        r.unit = text(p.unit);
        r.dcb = QStringLiteral("9") + code(index, 4);
        r.manufacturer = text(p.manufacturer);
        r.cost = Decimal::fromDouble(p.cost, 8);
        out.push_back(r);
    }
    return out;
}

QDate weekday(QDate date)
{
    while (date.dayOfWeek() == Qt::Sunday)
        date = date.addDays(-1);
    return date;
}

// A lot number of the manufacturer's kind: a few letters or none, the year and month, a sequence.
QString lotFor(const QDate& made, int sequence)
{
    switch (sequence % 3) {
    case 0:
        return QStringLiteral("L%1-%2")
            .arg(made.toString(QStringLiteral("yyMM")))
            .arg(sequence, 3, 10, QLatin1Char('0'));
    case 1:
        return QStringLiteral("AB%1%2")
            .arg(made.toString(QStringLiteral("yyMM")))
            .arg(sequence, 3, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("%1%2")
            .arg(made.toString(QStringLiteral("yyMMdd")))
            .arg(sequence, 2, 10, QLatin1Char('0'));
    }
}

} // namespace

std::vector<reference::Login> fill(FbConnection& shared, FbConnection& workstation, const QString& loginName,
                                   const QDate& today)
{
    const std::vector<reference::Login> logins = reference::write(shared, loginName);
    reference::writePeriod(workstation, today);

    const std::vector<SupplierRecord> supplierRecords = suppliers();
    const std::vector<ProductRecord> productRecords = products();
    QHash<QString, int> productIndex;
    for (int i = 0; i < int(productRecords.size()); ++i)
        productIndex.insert(productRecords[std::size_t(i)].name, i);

    PharmacyWriter writer(shared, today);
    for (const SupplierRecord& s : supplierRecords)
        writer.addSupplier(s);
    for (const ProductRecord& p : productRecords)
        writer.addProduct(p);

    const QStringList locations = reference::stockLocations();
    int sequence = 0;
    for (const Invoice& demoInvoice : invoices()) {
        InvoiceRecord invoice;
        invoice.date = weekday(today.addDays(-demoInvoice.daysAgo));
        invoice.received = std::min(today, invoice.date.addDays(1 + demoInvoice.daysAgo % 3));
        invoice.number = text(demoInvoice.number);
        invoice.supplier = &supplierRecords.at(std::size_t(demoInvoice.supplier - 1));
        invoice.cfop = invoice.supplier->state == QLatin1String("SP") ? QStringLiteral("1102") : QStringLiteral("2102");
        invoice.freightCents = demoInvoice.freightCents;
        invoice.closed = demoInvoice.closed;
        if (demoInvoice.paymentForm > 0)
            invoice.payment = &reference::paymentForms().at(std::size_t(demoInvoice.paymentForm - 1));
        for (const Line& line : demoInvoice.lines) {
            const auto found = productIndex.constFind(text(line.product));
            if (found == productIndex.constEnd())
                throw std::logic_error(std::string("demo product missing: ") + line.product);
            const catalogue::Product& source = catalogue::products().at(std::size_t(*found));
            ItemRecord item;
            item.product = &productRecords.at(std::size_t(*found));
            item.unit = text(source.buyUnit);
            item.quantity = Decimal::fromDouble(line.quantity, 3);
            // The price of a purchase unit: the product's cost per stock unit times the units it holds.
            const double factor = UnitConversionFactor(item.product->unit, item.unit);
            item.unitPrice = Decimal::fromDouble(source.cost * factor * (1.0 + (sequence % 5) * 0.02), 2);
            item.made = invoice.date.addDays(-(30 + (sequence * 17) % 60));
            item.expiry = item.made.addMonths(line.expiryMonths > 0 ? line.expiryMonths : source.shelfMonths);
            item.lot = lotFor(item.made, ++sequence);
            item.status = text(line.status);
            item.location = locations.at(item.product->family == QLatin1String("Excipientes") ||
                                                 item.product->group == QLatin1String("PRP")
                                             ? 1
                                             : 0);
            invoice.items.push_back(item);
        }
        writer.addInvoice(invoice);
    }
    writer.finish();
    schema::updateIndexStatistics(shared);
    return logins;
}

} // namespace demo
