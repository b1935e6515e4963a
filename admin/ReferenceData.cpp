#include "admin/ReferenceData.h"

#include "admin/AdminError.h"
#include "admin/Users.h"
#include "admin/Workstations.h"
#include "data/AsciiCase.h"
#include "db/Cnpj.h"

namespace reference {

namespace {

Value textOrNull(const QString& text)
{
    return text.isEmpty() ? Value{} : Value{text};
}

const QString kFallbackUser = QStringLiteral("FARMACIA");
const QString kCounterUser = QStringLiteral("BALCAO");
void writeWorkstation(FbConnection& shared, const QString& code, const QString& user)
{
    workstations::write(shared, code, user, storeCnpj());
}

void writeUnits(FbConnection& shared)
{
    std::vector<Values> units;
    for (const char* unit : {"g", "kg", "mg", "mcg", "ml", "l", "un", "mil", "cx", "fr"})
        units.push_back({QString::fromLatin1(unit)});
    shared.executeMany(QStringLiteral("insert into UNIDADES (UNIDADE) values (?)"), units);

    struct Conversion {
        const char* stock;
        const char* purchase;
        double multiplier;
    };
    std::vector<Values> conversions;
    for (const Conversion& c :
         {Conversion{"g", "kg", 1000}, Conversion{"mg", "g", 1000}, Conversion{"mcg", "mg", 1000},
          Conversion{"mg", "kg", 1000000}, Conversion{"ml", "l", 1000}, Conversion{"un", "mil", 1000}})
        conversions.push_back({QString::fromLatin1(c.stock), qint64(1), QString::fromLatin1(c.purchase), c.multiplier});
    shared.executeMany(QStringLiteral("insert into TABFORMP (UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, "
                                      "MULTIPLICADOR) values (?, ?, ?, ?)"),
                       conversions);
}

void writePaymentForms(FbConnection& shared)
{
    std::vector<Values> rows;
    for (const PaymentForm& f : paymentForms())
        rows.push_back({qint64(f.code), f.type, textOrNull(f.description), f.days, qint64(f.instalments), f.surcharge});
    shared.executeMany(QStringLiteral("insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) "
                                      "values (?, ?, ?, ?, ?, ?)"),
                       rows);
}

} // namespace

QString storeCnpj()
{
    static const QString cnpj = CnpjWithCheckDigits(QStringLiteral("112223330001"));
    return cnpj;
}

QStringList stockLocations()
{
    return {QStringLiteral("Almoxarifado"), QStringLiteral("Laboratório")};
}

const std::vector<PaymentForm>& paymentForms()
{
    // "Dias Corridos": DIAS lists the days after the invoice date of each instalment.
    // "Dia Fixo": the instalments fall on the invoice's day of the month; a start mark other than
    // 1 ("0+") puts the first one in the following month. Any other type is due on the invoice date.
    static const std::vector<PaymentForm> forms = {
        {1, QStringLiteral("Dias Corridos"), QStringLiteral("30/60/90 dias"), QStringLiteral("30,60,90"), 3},
        {2, QStringLiteral("Dias Corridos"), QStringLiteral("28 dias"), QStringLiteral("28"), 1},
        {3, QStringLiteral("Dias Corridos"), QStringLiteral("30/60 dias"), QStringLiteral("30,60"), 2},
        {4, QStringLiteral("Dia Fixo"), QStringLiteral("Mensal, dia fixo, 3 parcelas"), QStringLiteral("0+"), 3},
        {5, QStringLiteral("À Vista"), QStringLiteral("À vista"), QString(), 1},
        // Forms added over the years: longer terms, a card with its fee, and one left without a
        // description (never listed).
        {6, QStringLiteral("Dia Fixo"), QStringLiteral("Mensal, dia fixo, 12 parcelas"), QStringLiteral("0+"), 12},
        {7, QStringLiteral("Dias Corridos"), QStringLiteral("30/60/90/120 dias"), QStringLiteral("30, 60, 90, 120"), 4},
        {8, QStringLiteral("Dias Corridos"), QStringLiteral("Cartão 6x (taxa 2%)"),
         QStringLiteral("30,60,90,120,150,180"), 6, Decimal{200, 2}},
        {9, QStringLiteral("Dia Fixo"), QStringLiteral("Mensal, dia fixo, 6 parcelas"), QStringLiteral("0+"), 6},
        {10, QStringLiteral("Dias Corridos"), QString(), QStringLiteral("45"), 1},
    };
    return forms;
}

QString firstUserName(const QString& loginName)
{
    const QString name = ascii::upper(loginName);
    if (name == kCounterUser)
        return kFallbackUser;
    try {
        users::validate(name, QStringLiteral("123"));
    } catch (const AdminError&) {
        return kFallbackUser;
    }
    return name;
}

std::vector<Login> write(FbConnection& shared, const QString& loginName)
{
    std::vector<Values> locations;
    for (const QString& location : stockLocations())
        locations.push_back({location, storeCnpj()});
    shared.executeMany(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values (?, ?)"), locations);

    writeUnits(shared);
    writePaymentForms(shared);
    shared.execute(QStringLiteral("insert into COTDOLAR (COTDOLAR) values (?)"), {Decimal{kDollarRateCents, 2}});

    const QString first = firstUserName(loginName);
    // The workstation keeps the login name as the system gives it; the lookup ignores letter case.
    const QString firstWorkstationUser = first == ascii::upper(loginName) ? loginName : first;
    const std::vector<Login> logins = {{first, QStringLiteral("123"), true, QStringLiteral("01")},
                                       {kCounterUser, QStringLiteral("123"), false, QStringLiteral("02")}};
    writeWorkstation(shared, QStringLiteral("01"), firstWorkstationUser);
    writeWorkstation(shared, QStringLiteral("02"), logins[1].name);
    for (const Login& login : logins)
        users::add(shared, login.name, login.password, login.financial);
    return logins;
}

void writePeriod(FbConnection& workstation, const QDate& today)
{
    workstation.execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL, ESTACAO) values (?, ?, '01')"),
                        {today, today.addDays(90)});
}

} // namespace reference
