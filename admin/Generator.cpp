#include "admin/Generator.h"

#include "admin/DemoCatalogue.h"
#include "admin/PharmacyWriter.h"
#include "db/Cnpj.h"
#include "db/Schema.h"
#include "entry/ProductNames.h"
#include "entry/UnitConversion.h"

#include <QStringList>

#include <cmath>
#include <numeric>
#include <random>

namespace generator {

namespace {

using Random = std::mt19937;

double uniform(Random& random)
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(random);
}

int between(Random& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

// An index in [0, count) where low indexes come up far more often: a few suppliers and products
// make most of the purchases.
int skewed(Random& random, int count, double power)
{
    return std::min(count - 1, int(count * std::pow(uniform(random), power)));
}

QString code(qint64 number, int width)
{
    return QString::number(number).rightJustified(width, u'0');
}

QStringList texts(std::initializer_list<const char*> utf8)
{
    QStringList out;
    for (const char* t : utf8)
        out << QString::fromUtf8(t);
    return out;
}

// ---- Suppliers -------------------------------------------------------------------------------

struct Place {
    const char* city;
    const char* state;
    const char* cepPrefix;
    const char* phonePrefix;
};

const std::vector<Place>& places()
{
    static const std::vector<Place> list = {
        {"São Paulo", "SP", "01", "(11)"},
        {"Campinas", "SP", "13", "(19)"},
        {"Ribeirão Preto", "SP", "14", "(16)"},
        {"Rio de Janeiro", "RJ", "20", "(21)"},
        {"Niterói", "RJ", "24", "(21)"},
        {"Belo Horizonte", "MG", "30", "(31)"},
        {"Uberlândia", "MG", "38", "(34)"},
        {"Curitiba", "PR", "80", "(41)"},
        {"Londrina", "PR", "86", "(43)"},
        {"Porto Alegre", "RS", "90", "(51)"},
        {"Florianópolis", "SC", "88", "(48)"},
        {"Joinville", "SC", "89", "(47)"},
        {"Goiânia", "GO", "74", "(62)"},
        {"Brasília", "DF", "70", "(61)"},
        {"Salvador", "BA", "40", "(71)"},
        {"Recife", "PE", "50", "(81)"},
        {"Fortaleza", "CE", "60", "(85)"},
        {"Belém", "PA", "66", "(91)"},
        {"Manaus", "AM", "69", "(92)"},
        {"Vitória", "ES", "29", "(27)"},
        {"São José dos Campos", "SP", "12", "(12)"},
        {"Maringá", "PR", "87", "(44)"},
        {"Cuiabá", "MT", "78", "(65)"},
        {"João Pessoa", "PB", "58", "(83)"},
    };
    return list;
}

SupplierRecord supplier(int index, Random& random)
{
    static const QStringList sectors =
        texts({"Embalagens", "Química", "Descartáveis", "Distribuidora", "Farma", "Suprimentos", "Plásticos", "Vidros",
               "Etiquetas", "Higiene", "Insumos", "Papelaria", "Cápsulas", "Laboratório", "Comercial", "Indústria"});
    static const QStringList families =
        texts({"Araújo",    "Gonçalves", "São João",  "Conceição", "Magalhães", "Assunção", "Fonseca",  "Brandão",
               "Guimarães", "Simões",    "Peixoto",   "Antunes",   "Nóbrega",   "Falcão",   "Leão",     "Estêvão",
               "Romão",     "Galvão",    "Sant'Ana",  "D'Ávila",   "Damião",    "Lourenço", "Patrício", "Ribeiro",
               "Monteiro",  "Siqueira",  "Prudêncio", "Bragança",  "Aragão",    "Cortês",   "Góis",     "Amância",
               "Vieira",    "Teixeira",  "Queiroz",   "Tavares",   "Esperança", "Nazaré",   "Jordão",   "Brás"});
    static const QStringList regions = texts({"", "Paulista", "do Sul", "Mineira", "do Nordeste", "Brasil", "Center",
                                              "& Cia", "Norte", "Capixaba", "Gaúcha", "Carioca", "Nacional"});
    static const QStringList streets =
        texts({"Rua das Acácias", "Av. Brasil", "Rua Sete de Setembro", "Av. Getúlio Vargas", "Rua XV de Novembro",
               "Av. São João", "Rua Tiradentes", "Rua Dom Pedro II", "Av. Independência", "Rua Marechal Deodoro",
               "Rua da Conceição", "Av. Presidente Kennedy", "Rua Barão do Rio Branco", "Rua José Bonifácio"});

    // Walk the combinations in a scattered order, so that neighbouring codes do not look alike.
    const int combinations = int(sectors.size() * families.size() * regions.size());
    const int k = int((qint64(index) * 7919) % combinations);
    const QString& family = families.at(k % families.size());
    const QString& sector = sectors.at((k / families.size()) % sectors.size());
    const QString& region = regions.at(k / (families.size() * sectors.size()));
    QString trade = sector + QLatin1Char(' ') + family;
    if (!region.isEmpty())
        trade += QLatin1Char(' ') + region;
    if (index >= combinations)
        trade += QStringLiteral(" %1").arg(index / combinations + 1);

    const Place& place = places().at(std::size_t(between(random, 0, int(places().size()) - 1)));
    SupplierRecord r;
    r.code = code(index + 1, 4);
    r.tradeName = trade.left(40);
    r.name = (trade + QStringLiteral(" Ltda")).left(40);
    r.address = QStringLiteral("%1, %2")
                    .arg(streets.at(between(random, 0, int(streets.size()) - 1)))
                    .arg(between(random, 10, 4999));
    r.cep = QStringLiteral("%1%2-%3")
                .arg(QString::fromLatin1(place.cepPrefix))
                .arg(between(random, 100, 999))
                .arg(between(random, 0, 999), 3, 10, QLatin1Char('0'));
    r.city = QString::fromUtf8(place.city);
    r.state = QString::fromLatin1(place.state);
    r.phone = QStringLiteral("%1 %2-%3")
                  .arg(QString::fromLatin1(place.phonePrefix))
                  .arg(between(random, 2000, 3999))
                  .arg(between(random, 0, 9999), 4, 10, QLatin1Char('0'));
    r.email = QStringLiteral("vendas%1@fornecedor.com.br").arg(index + 1);
    r.cnpj = CnpjWithCheckDigits(code(10000000 + qint64(index) * 8117 % 89999999, 8) + QStringLiteral("0001"));
    r.ie = code(between(random, 100000000, 999999999), 12);
    r.paymentTerm = between(random, 0, 3) == 0 ? 28 : 30;
    return r;
}

// ---- Products --------------------------------------------------------------------------------

struct Pattern {
    const char* group;
    const char* family;
    const char* unit;
    const char* buyUnit;
    double cost;
    int shelfMonths;
    QStringList a, b, c;
    int combinations() const { return int(a.size() * b.size() * c.size()); }
};

const std::vector<Pattern>& patterns()
{
    static const std::vector<Pattern> list = {
        {"SUP", "Cápsulas", "un", "mil", 0.03, 36,
         texts({"Cápsula gelatinosa nº 000", "Cápsula gelatinosa nº 00", "Cápsula gelatinosa nº 0",
                "Cápsula gelatinosa nº 1", "Cápsula gelatinosa nº 2", "Cápsula gelatinosa nº 3",
                "Cápsula gelatinosa nº 4", "Cápsula vegetal nº 0", "Cápsula vegetal nº 1"}),
         texts({"incolor", "branca", "azul", "verde", "amarela", "vermelha", "rosa", "laranja", "lilás", "marrom",
                "azul/branca", "verde/branca", "rosa/branca"}),
         texts({""})},
        {"SUP", "Embalagens", "un", "un", 0.6, 60,
         texts({"Frasco âmbar", "Frasco transparente", "Frasco branco leitoso", "Pote branco", "Pote âmbar",
                "Pote transparente"}),
         texts({"de vidro", "plástico", "de acrílico"}),
         texts({"10 ml", "15 ml", "30 ml", "50 ml", "60 ml", "100 ml", "120 ml", "150 ml", "200 ml", "250 ml", "500 ml",
                "1000 ml"})},
        {"SUP", "Embalagens", "un", "mil", 0.1, 60,
         texts({"Tampa rosca", "Tampa flip-top", "Batoque", "Válvula spray", "Válvula pump", "Conta-gotas"}),
         texts({"branca", "preta", "natural", "dourada", "prata"}),
         texts({"18 mm", "20 mm", "24 mm", "28 mm", "32 mm"})},
        {"SUP", "Rótulos", "un", "mil", 0.015, 24,
         texts({"Etiqueta adesiva", "Etiqueta térmica", "Etiqueta couché", "Rótulo impresso"}),
         texts({"20x10 mm", "30x20 mm", "40x25 mm", "50x30 mm", "60x40 mm", "80x50 mm", "100x50 mm", "100x70 mm"}),
         texts({"branca", "amarela", "vermelha", "verde", "transparente"})},
        {"SUP", "EPI", "cx", "cx", 25.0, 36,
         texts({"Luva de procedimento látex", "Luva de procedimento nitrílica", "Luva vinílica",
                "Luva cirúrgica estéril"}),
         texts({"com pó", "sem pó"}), texts({"pp", "p", "m", "g", "gg"})},
        {"SUP", "EPI", "cx", "cx", 12.0, 36,
         texts({"Máscara descartável", "Touca descartável", "Propé descartável", "Avental descartável"}),
         texts({"branca", "azul", "verde", "rosa"}), texts({"tamanho único", "caixa com 50", "caixa com 100"})},
        {"SUP", "Laboratório", "un", "un", 0.5, 60,
         texts({"Seringa descartável", "Seringa dosadora oral", "Seringa sem agulha", "Pipeta de Pasteur",
                "Copo dosador"}),
         texts({"1 ml", "3 ml", "5 ml", "10 ml", "20 ml", "60 ml"}), texts({"", "graduada", "estéril"})},
        {"SUP", "Laboratório", "un", "un", 3.0, 36, texts({"Filtro de seringa", "Membrana filtrante", "Papel filtro"}),
         texts({"0,22 µm", "0,45 µm", "0,8 µm", "1,2 µm", "5 µm"}),
         texts({"13 mm", "25 mm", "33 mm", "47 mm", "90 mm"})},
        {"SUP", "Limpeza", "ml", "l", 0.02, 24,
         texts({"Álcool etílico", "Álcool isopropílico", "Detergente enzimático", "Hipoclorito de sódio",
                "Sabão líquido", "Desinfetante hospitalar"}),
         texts({"70%", "92,8%", "1%", "2%", "neutro", "concentrado"}),
         texts({"frasco 1 l", "galão 5 l", "bombona 20 l"})},
        {"SUP", "Excipientes", "g", "kg", 0.05, 36,
         texts({"Talco", "Amido de milho", "Celulose microcristalina", "Estearato de magnésio", "Lactose",
                "Dióxido de silício", "Manitol", "Fosfato de cálcio", "Carbonato de cálcio", "Glicina"}),
         texts({"farmacêutico", "micronizado", "grau usp", "para cápsulas"}),
         texts({"pacote 1 kg", "pote 500 g", "saco 25 kg"})},
        {"SUP", "Expedição", "un", "un", 2.0, 120,
         texts({"Bobina térmica", "Fita adesiva", "Sacola plástica", "Caixa de papelão", "Envelope kraft", "Saco zip"}),
         texts({"40 mm", "57 mm", "80 mm", "48 mm", "30x40 cm", "20x30 cm", "15x20 cm"}),
         texts({"branca", "transparente", "parda", "personalizada"})},
        {"REV", "Dermocosméticos", "un", "un", 15.0, 24,
         texts({"Protetor solar fator 30", "Protetor solar fator 50", "Xampu anticaspa", "Condicionador",
                "Sabonete líquido", "Hidratante corporal", "Repelente", "Desodorante"}),
         texts({"sem perfume", "infantil", "oil free", "com cor", "erva-doce", "aloe vera"}),
         texts({"60 ml", "100 ml", "120 ml", "200 ml", "250 ml", "400 ml"})},
        {"REV", "Suplementos", "un", "un", 20.0, 18,
         texts({"Vitamina C", "Vitamina D3", "Vitamina B12", "Complexo B", "Ômega 3", "Colágeno", "Magnésio", "Zinco"}),
         texts({"500 mg", "1 g", "1000 ui", "2000 ui"}),
         texts({"30 cápsulas", "60 cápsulas", "10 efervescentes", "frasco 30 ml"})},
        {"PRP", "Bases", "g", "kg", 0.035, 12,
         texts({"Creme base", "Gel base", "Loção base", "Xampu base", "Pomada base", "Sérum base"}),
         texts({"não iônico", "aniônico", "de natrosol", "de carbopol", "hidratante", "neutro"}),
         texts({"1 kg", "5 kg", "20 kg"})},
    };
    return list;
}

const QStringList& brands()
{
    static const QStringList list =
        texts({"Santa Luzia",      "Plastijoi",     "Capsugel",     "Cápsulas Brasil", "FilterTec", "Equipar",
               "Descartáveis Sul", "Higiene Total", "Farmaquímica", "Pharma Insumos",  "Bela Flor", "Etiquetas Minas",
               "Ipiranga",         "Âmbar",         "Nordeste",     "São Jorge",       "Conceição", "Guimarães",
               "Brandão",          "Assunção",      "Aragão",       "Nóbrega",         "Falcão",    "Estrela",
               "Primavera",        "Ipê",           "Jequitibá",    "Araucária",       "Jacarandá", "Paineira"});
    return list;
}

// The products of one group, each a combination of a pattern's words and a brand.
class ProductNamer {
public:
    explicit ProductNamer(const QString& group)
    {
        for (const Pattern& p : patterns())
            if (group == QLatin1String(p.group)) {
                patterns_.push_back(&p);
                total_ += p.combinations() * int(brands().size());
            }
        stride_ = 7919;
        while (std::gcd(stride_, total_) != 1)
            stride_ += 2;
    }

    // The pattern and name of the n-th product of the group.
    std::pair<const Pattern*, QString> at(int n) const
    {
        int k = int((qint64(n) * stride_) % total_);
        const int brand = k % int(brands().size());
        k /= int(brands().size());
        const Pattern* pattern = patterns_.front();
        for (const Pattern* p : patterns_) {
            if (k < p->combinations()) {
                pattern = p;
                break;
            }
            k -= p->combinations();
        }
        QStringList words = {pattern->a.at(k % pattern->a.size()),
                             pattern->b.at((k / pattern->a.size()) % pattern->b.size()),
                             pattern->c.at(k / (pattern->a.size() * pattern->b.size())), brands().at(brand)};
        words.removeAll(QString());
        QString name = NormalizeProductName(words.join(QLatin1Char(' ')));
        if (n >= total_)
            name += QStringLiteral(" (%1)").arg(n / total_ + 1);
        return {pattern, name.left(60)};
    }

private:
    std::vector<const Pattern*> patterns_;
    int total_ = 0;
    int stride_ = 1;
};

// One product in twenty is a base of the pharmacy's own products, one in ten is for resale.
QString groupOf(int index)
{
    switch (index % 20) {
    case 0:
        return QStringLiteral("PRP");
    case 1:
    case 11:
        return QStringLiteral("REV");
    default:
        return QStringLiteral("SUP");
    }
}

struct Product {
    ProductRecord record;
    QString buyUnit;
    int shelfMonths = 24;
};

std::vector<Product> products(const Options& options, Random& random)
{
    const ProductNamer sup(QStringLiteral("SUP")), rev(QStringLiteral("REV")), prp(QStringLiteral("PRP"));
    std::vector<Product> out;
    out.reserve(std::size_t(options.products));
    int sequence[3] = {0, 0, 0};
    for (int i = 0; i < options.products; ++i) {
        const QString group = groupOf(i);
        const int g = group == QLatin1String("SUP") ? 0 : group == QLatin1String("REV") ? 1 : 2;
        const ProductNamer& namer = g == 0 ? sup : g == 1 ? rev : prp;
        const auto [pattern, name] = namer.at(sequence[g]++);
        Product p;
        p.record.code = code(i + 1, 6);
        p.record.name = name;
        p.record.group = group;
        p.record.family = QString::fromUtf8(pattern->family);
        p.record.unit = QString::fromLatin1(pattern->unit);
        p.record.dcb = code(100000 + i, 6);
        p.record.manufacturer = brands().at(between(random, 0, int(brands().size()) - 1));
        p.record.cost = Decimal::fromDouble(pattern->cost * (0.6 + 0.8 * uniform(random)), 8);
        p.buyUnit = QString::fromLatin1(pattern->buyUnit);
        p.shelfMonths = pattern->shelfMonths;
        out.push_back(p);
    }
    return out;
}

// ---- Invoices --------------------------------------------------------------------------------

// Quantities in the purchase unit, as a pharmacy orders them.
double quantityFor(const QString& buyUnit, Random& random)
{
    if (buyUnit == QLatin1String("un"))
        return 10.0 * between(random, 1, 50);
    if (buyUnit == QLatin1String("mil"))
        return between(random, 1, 30);
    if (buyUnit == QLatin1String("cx"))
        return between(random, 1, 20);
    return between(random, 1, 25) + (between(random, 0, 1) ? 0.5 : 0.0); // kg, l
}

QString lotFor(const QDate& made, qint64 sequence, Random& random)
{
    static const char letters[] = "ABCDEFGHJKLMNPRSTUVWXZ";
    const QString stamp = made.toString(QStringLiteral("yyMM"));
    switch (between(random, 0, 3)) {
    case 0:
        return QStringLiteral("L%1-%2").arg(stamp).arg(sequence, 6, 10, QLatin1Char('0'));
    case 1:
        return QString::fromLatin1(letters + between(random, 0, 20), 2) + stamp +
               QStringLiteral("%1").arg(sequence, 6, 10, QLatin1Char('0'));
    case 2:
        return QStringLiteral("%1/%2")
            .arg(sequence, 7, 10, QLatin1Char('0'))
            .arg(made.year() % 100, 2, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("%1%2")
            .arg(made.toString(QStringLiteral("yyMMdd")))
            .arg(sequence, 6, 10, QLatin1Char('0'));
    }
}

// Items of a product for resale or of the pharmacy's own products that are past their expiry are
// mostly marked "Vencido" already; a few recent ones were left "EM USO" or without a status.
QString statusFor(const Product& product, const QDate& expiry, const QDate& today, Random& random)
{
    if (product.record.group == QLatin1String("SUP") || expiry >= today)
        return QStringLiteral("Estoque");
    if (expiry > today.addYears(-2) && between(random, 0, 49) == 0)
        return between(random, 0, 1) ? QStringLiteral("EM USO") : QString();
    return QStringLiteral("Vencido");
}

class InvoiceMaker {
public:
    InvoiceMaker(const Options& options, const QDate& today, const std::vector<SupplierRecord>& suppliers,
                 const std::vector<Product>& products, Random& random)
        : options_(options), today_(today), first_(today.addYears(-options.years)), suppliers_(suppliers),
          products_(products), random_(random), lastNumber_(suppliers.size())
    {
        for (int& n : lastNumber_)
            n = between(random_, 1000, 60000);
    }

    InvoiceRecord make(int index)
    {
        InvoiceRecord invoice;
        // Spread evenly over the years, oldest first; Sundays move to the Saturday before.
        const qint64 span = first_.daysTo(today_);
        invoice.date = first_.addDays(span * index / std::max(1, options_.invoices));
        if (invoice.date.dayOfWeek() == Qt::Sunday)
            invoice.date = invoice.date.addDays(-1);
        invoice.received = std::min(today_, invoice.date.addDays(between(random_, 0, 4)));
        const int s = skewed(random_, int(suppliers_.size()), 2.5);
        invoice.supplier = &suppliers_[std::size_t(s)];
        lastNumber_[std::size_t(s)] += between(random_, 1, 40);
        invoice.number = QString::number(lastNumber_[std::size_t(s)]);
        invoice.cfop = invoice.supplier->state == QLatin1String("SP") ? QStringLiteral("1102") : QStringLiteral("2102");
        invoice.freightCents = between(random_, 0, 2) == 0 ? 0 : between(random_, 500, 9000);
        invoice.closed = index < options_.invoices - 3;
        choosePayment(invoice);
        for (int i = 0; i < options_.itemsPerInvoice; ++i)
            invoice.items.push_back(item(invoice));
        return invoice;
    }

private:
    // About one invoice in eight is paid in instalments typed by hand; the others follow a payment
    // form, the usual ones far more often than the long ones. Three payables an invoice on average.
    void choosePayment(InvoiceRecord& invoice)
    {
        const auto& forms = reference::paymentForms();
        invoice.payment = &forms.front();
        if (between(random_, 0, 7) == 0) {
            const int count = between(random_, 2, 5);
            int percentLeft = 100;
            int days = 0;
            for (int i = 0; i < count; ++i) {
                const int others = count - i - 1;
                const int percent = others > 0 ? between(random_, 10, percentLeft - 10 * others) / 5 * 5 : percentLeft;
                percentLeft -= percent;
                days += between(random_, 7, 45);
                invoice.customInstalments.push_back({days, percent});
            }
            return;
        }
        // Weights of the forms in the order of the reference list (the last has no description).
        static const int weights[] = {35, 12, 15, 12, 8, 3, 8, 4, 3, 0};
        int pick = between(random_, 0, std::accumulate(std::begin(weights), std::end(weights), 0) - 1);
        for (std::size_t f = 0; f < forms.size() && f < std::size(weights); ++f) {
            if (pick < weights[f]) {
                invoice.payment = &forms[f];
                return;
            }
            pick -= weights[f];
        }
    }

    ItemRecord item(const InvoiceRecord& invoice)
    {
        const Product& product = products_[std::size_t(skewed(random_, int(products_.size()), 1.6))];
        ItemRecord item;
        item.product = &product.record;
        item.unit = product.buyUnit;
        item.quantity = Decimal::fromDouble(quantityFor(product.buyUnit, random_), 3);
        // Prices grew over the years: a purchase of twenty years ago cost about a third.
        const double age = double(invoice.date.daysTo(today_)) / 365.25;
        const double factor = UnitConversionFactor(product.record.unit, item.unit);
        const double price =
            product.record.cost.toDouble() * factor * std::pow(0.95, age) * (0.9 + 0.2 * uniform(random_));
        item.unitPrice = Decimal::fromDouble(std::max(0.01, price), 2);
        item.made = invoice.date.addDays(-between(random_, 15, 180));
        item.expiry = item.made.addMonths(product.shelfMonths + between(random_, -3, 3));
        item.lot = lotFor(item.made, ++items_, random_);
        item.status = statusFor(product, item.expiry, today_, random_);
        item.location = reference::stockLocations().at(between(random_, 0, 2) == 0 ? 1 : 0);
        return item;
    }

    const Options& options_;
    QDate today_;
    QDate first_;
    const std::vector<SupplierRecord>& suppliers_;
    const std::vector<Product>& products_;
    Random& random_;
    std::vector<int> lastNumber_;
    qint64 items_ = 0;
};

} // namespace

std::vector<reference::Login> generate(FbConnection& shared, FbConnection* workstation, const QString& loginName,
                                       const Options& options, const QDate& today,
                                       const std::function<void(const QString&)>& progress)
{
    const auto report = [&](const QString& line) {
        if (progress)
            progress(line);
    };
    Random random(options.seed);
    const std::vector<reference::Login> logins = reference::write(shared, loginName);
    if (workstation)
        reference::writePeriod(*workstation, today);

    schema::setSecondaryIndexesActive(shared, false);
    PharmacyWriter writer(shared, today);
    std::vector<SupplierRecord> suppliers;
    suppliers.reserve(std::size_t(options.suppliers));
    for (int i = 0; i < options.suppliers; ++i) {
        suppliers.push_back(supplier(i, random));
        writer.addSupplier(suppliers.back());
    }
    report(QStringLiteral("Fornecedores: %1").arg(options.suppliers));

    const std::vector<Product> productList = products(options, random);
    for (const Product& p : productList)
        writer.addProduct(p.record);
    report(QStringLiteral("Produtos: %1").arg(options.products));

    if (options.invoices > 0 && (suppliers.empty() || productList.empty()))
        throw std::invalid_argument("invoices need suppliers and products");
    InvoiceMaker maker(options, today, suppliers, productList, random);
    const int step = std::max(1, options.invoices / 50);
    for (int i = 0; i < options.invoices; ++i) {
        writer.addInvoice(maker.make(i));
        if ((i + 1) % step == 0 || i + 1 == options.invoices)
            report(QStringLiteral("Notas fiscais: %1 de %2").arg(i + 1).arg(options.invoices));
    }
    writer.finish();
    report(QStringLiteral("Índices..."));
    schema::setSecondaryIndexesActive(shared, true);
    schema::updateIndexStatistics(shared);
    return logins;
}

} // namespace generator
