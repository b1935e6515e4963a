#include "nfe/NfeRows.h"

#include "data/AsciiCase.h"
#include "data/FieldValue.h"
#include "data/Formats.h"
#include "entry/ProductNames.h"
#include "nfe/ColumnText.h"
#include "nfe/NfeReader.h"

#include <optional>

namespace {

// Widths of the COMPRAS text columns an NF-e fills.
constexpr int kCodigoWidth = 13;
constexpr int kFabricanteWidth = 40;
constexpr int kComponenteWidth = 70;
constexpr int kUnidadeWidth = 3;
constexpr int kLoteWidth = 30;
// NFISCAL.TIPOOPERACAO, SERIE, ENTRADASAIDA, NOTAFISCAL.
constexpr int kTipoOperacaoWidth = 15;
constexpr int kSerieWidth = 3;
constexpr int kNotaFiscalWidth = 10;
// The scale of the COMPRAS decimal columns.
constexpr int kItemScale = 5;
constexpr int kDaysOfDefaultExpiry = 730;

// The decimal columns an NF-e fills: COMPRAS's DECIMAL(15,5) and NFISCAL's DECIMAL(15,2).
constexpr int kDecimalPrecision = 15;
constexpr int kTotalScale = 2;

Column decimalColumn(const QString& name, int scale)
{
    Column c;
    c.name = name;
    c.type = ColumnType::Decimal;
    c.scale = scale;
    c.precision = kDecimalPrecision;
    return c;
}

// `compute()` as a value of `column`; throws ValueOutOfRange, naming the column and `shown`, when
// it does not fit.
template <typename Compute> Decimal fitted(const Column& column, const QString& shown, Compute compute)
{
    try {
        const Decimal d = compute().rescaled(column.scale);
        if (d.fits(column.precision, column.scale))
            return d;
    } catch (const DecimalOverflow&) {
    }
    throw ValueOutOfRange(shown, column);
}

class ItemContext {
public:
    ItemContext(const NfeDocument& doc, int number, const NfeItem& item) : doc_(doc), number_(number), item_(item) {}

    // A quantity or a price: a number, and never negative.
    Decimal number(const QString& text, const QString& what) const
    {
        const auto d = Decimal::parse(text);
        if (!d)
            fail(QStringLiteral("%1 \"%2\" não é um número válido.").arg(what, text));
        if (d->units < 0)
            fail(QStringLiteral("%1 \"%2\" é um valor negativo.").arg(what, text));
        return *d;
    }
    template <typename Compute> Decimal column(const QString& name, const QString& shown, Compute compute) const
    {
        try {
            return fitted(decimalColumn(name, kItemScale), shown, compute);
        } catch (const ValueOutOfRange& e) {
            fail(e.message());
        }
    }
    QDate date(const QString& text, const QString& what) const
    {
        const auto d = formats::parseDate(NfeDateToText(text));
        if (!d)
            fail(QStringLiteral("%1 \"%2\" não é uma data válida.").arg(what, text));
        return *d;
    }
    [[noreturn]] void fail(const QString& what) const
    {
        throw NfeValueError(
            QStringLiteral("Não foi possível importar a N. Fiscal %1.\rItem %2 (%3): %4\rNada foi gravado.")
                .arg(doc_.nNF)
                .arg(number_)
                .arg(item_.xProd, what));
    }

private:
    const NfeDocument& doc_;
    int number_;
    const NfeItem& item_;
};

[[noreturn]] void failHeader(const NfeDocument& doc, const QString& what)
{
    throw NfeValueError(
        QStringLiteral("Não foi possível importar a N. Fiscal %1.\r%2\rNada foi gravado.").arg(doc.nNF, what));
}

QDate headerDate(const NfeDocument& doc, const QString& text, const QString& what)
{
    const auto d = formats::parseDate(text);
    if (!d)
        failHeader(doc, QStringLiteral("%1 \"%2\" não é uma data válida.").arg(what, text));
    return *d;
}

// A total of the invoice, never negative, as a value of its NFISCAL column.
Value total(const NfeDocument& doc, const QString& text, const QString& element, const QString& column)
{
    if (text.isEmpty())
        return {};
    const auto d = Decimal::parse(text);
    if (!d)
        failHeader(doc, QStringLiteral("O valor <%1> \"%2\" não é um número válido.").arg(element, text));
    if (d->units < 0)
        failHeader(doc, QStringLiteral("O valor <%1> \"%2\" é negativo.").arg(element, text));
    try {
        return fitted(decimalColumn(column, kTotalScale), text, [&] { return *d; });
    } catch (const ValueOutOfRange& e) {
        failHeader(doc, e.message());
    }
}

NfeHeaderRow headerOf(const NfeDocument& doc, const QString& receiptDate)
{
    NfeHeaderRow h;
    h.data = headerDate(doc, NfeDateToText(doc.dEmi), QStringLiteral("A data de emissão"));
    h.dataRecebim = headerDate(doc, receiptDate, QStringLiteral("A data de recebimento"));
    h.notaFiscal = FitColumn(doc.nNF, kNotaFiscalWidth).text;
    h.fornecedor = doc.NfeSupplierName.left(40);
    h.codigoFornecedor = doc.NfeSupplierCode;
    h.valBruto = total(doc, doc.vProd, QStringLiteral("vProd"), QStringLiteral("VALBRUTO"));
    h.descontoTotal = total(doc, doc.vDesc, QStringLiteral("vDesc"), QStringLiteral("DESCONTOTOTAL"));
    h.outrosImp = total(doc, doc.vOutro, QStringLiteral("vOutro"), QStringLiteral("OUTROSIMP"));
    h.valLiquido = total(doc, doc.vNF, QStringLiteral("vNF"), QStringLiteral("VALLIQUIDO"));
    h.icms = total(doc, doc.vICMS, QStringLiteral("vICMS"), QStringLiteral("ICMS"));
    h.ipi = total(doc, doc.vIPI, QStringLiteral("vIPI"), QStringLiteral("IPI"));
    h.tipoOperacao = FitColumn(doc.natOp, kTipoOperacaoWidth).text;
    h.serie = FitColumn(doc.serie, kSerieWidth).text;
    h.entradaSaida = FitColumn(doc.tpNF, 1).text;
    return h;
}

// Fits a text for its column and notes what changed.
QString fit(const QString& text, int width, const QString& name, QStringList& notes)
{
    const ColumnText c = FitColumn(text, width);
    if (c.replaced)
        notes << QStringLiteral("caracteres sem equivalente no banco trocados em %1").arg(name);
    if (c.cut)
        notes << QStringLiteral("%1 cortado(a) em %2 caracteres").arg(name).arg(width);
    return c.text;
}

// The item in the unit its remembered product is kept in: quantity times the factor, price divided
// by it, when the supplier writes the unit the factor holds for and the division is exact at the
// columns' scale (quantity × price is then still the line value).
struct Conversion {
    bool applies = false;
    QString unit;
    Decimal factor{1, 0};
};

Conversion conversionOf(const NfeProduct& product, const NfeItem& item, const Decimal& price, QStringList& notes)
{
    if (product.match != NfeProduct::Match::SupplierCode || product.fator == Decimal{1, 0} ||
        product.uCom != ascii::lower(item.uCom))
        return {};
    const Decimal converted = Decimal::fromDouble(price.toDouble() / product.fator.toDouble(), kItemScale);
    if (!(Decimal::product(converted, product.fator, price.scale + kItemScale) == price)) {
        notes << QStringLiteral("mantido na unidade do fornecedor: o preço dividido por %1 não é exato")
                     .arg(product.fator.toString());
        return {};
    }
    return {true, product.unidade, product.fator};
}

// The PAGDIVER rows of `cobr/dup`, or none with the reason.
constexpr int kInstalmentScale = 2;
constexpr qsizetype kMaxInstalments = 180; // as many as the payables take

QString instalmentsRefused(const QString& why)
{
    return QStringLiteral("As duplicatas da NF-e (cobr/dup) não foram registradas como parcelas de \"Datas e valores "
                          "diversos\": %1")
        .arg(why);
}

void instalmentsOf(const NfeDocument& doc, NfeRows& rows)
{
    if (doc.dups.empty())
        return;
    if (qsizetype(doc.dups.size()) > kMaxInstalments) {
        rows.instalmentNote = instalmentsRefused(
            QStringLiteral("são %1, e o limite é de %2 parcelas.").arg(doc.dups.size()).arg(kMaxInstalments));
        return;
    }
    std::vector<NfeInstalmentRow> instalments;
    Decimal sum{0, kInstalmentScale};
    for (const NfeDup& dup : doc.dups) {
        const auto value = Decimal::parse(dup.vDup);
        const auto due = formats::parseDate(NfeDateToText(dup.dVenc));
        if (!value || value->units <= 0 ||
            !value->rescaled(kInstalmentScale).fits(kDecimalPrecision, kInstalmentScale) ||
            !(value->rescaled(kInstalmentScale) == *value)) {
            rows.instalmentNote = instalmentsRefused(
                QStringLiteral("o valor \"%1\" da duplicata %2 não é um valor de parcela.").arg(dup.vDup, dup.nDup));
            return;
        }
        if (!due) {
            rows.instalmentNote = instalmentsRefused(
                QStringLiteral("o vencimento \"%1\" da duplicata %2 não é uma data válida.").arg(dup.dVenc, dup.nDup));
            return;
        }
        sum = sum + *value;
        instalments.push_back({int(instalments.size()) + 1, *due, value->rescaled(kInstalmentScale)});
    }
    const auto net = Decimal::parse(doc.vNF);
    if (!net || !(sum == *net)) {
        rows.instalmentNote =
            instalmentsRefused(QStringLiteral("somam R$ %1, e o valor líquido da nota (vNF) é R$ %2.")
                                   .arg(formats::money(sum), net ? formats::money(*net) : QStringLiteral("(vazio)")));
        return;
    }
    rows.instalments = std::move(instalments);
    rows.instalmentNote = QStringLiteral("As %1 duplicata(s) da NF-e foram registradas como parcelas de \"Datas e "
                                         "valores diversos\", que é a forma de pagamento da nota.")
                              .arg(rows.instalments.size());
}

} // namespace

NfeRows BuildNfeRows(const NfeDocument& doc, const QString& receiptDate, const QDate& today,
                     const NfeProductLookup& lookup)
{
    NfeRows rows;
    rows.header = headerOf(doc, receiptDate);
    int number = 0;
    for (const NfeItem& item : doc.items) {
        ++number;
        const ItemContext ctx(doc, number, item);
        const NfeProduct product = lookup(item);
        if (!product.found)
            ++rows.unrecognised;
        else if (product.match == NfeProduct::Match::SupplierCode)
            ++rows.bySupplierCode;
        else
            ++rows.byBarCode;

        const Decimal price = ctx.number(item.vUnCom, QStringLiteral("o valor unitário <vUnCom>"));
        const Decimal quantity = ctx.number(item.qCom, QStringLiteral("a quantidade <qCom>"));
        QStringList notes;
        const Conversion conversion = conversionOf(product, item, price, notes);

        QString unit = ascii::lower(item.uCom);
        const bool perThousand = !conversion.applies && unit == QLatin1String("mil");
        if (conversion.applies)
            unit = conversion.unit;
        else if (unit == QLatin1String("gr"))
            unit = QStringLiteral("g");
        else if (unit == QLatin1String("lt"))
            unit = QStringLiteral("l");
        else if (perThousand)
            unit = QStringLiteral("un");

        // A recognised item is written as a typed one is: with its product's own code and name, so
        // that the search, the stock and the reports find it under its product.
        const QString componente = fit(product.found ? product.componente : NormalizeProductName(item.xProd),
                                       kComponenteWidth, QStringLiteral("a descrição"), notes);
        const QString unidade = fit(unit, kUnidadeWidth, QStringLiteral("a unidade"), notes);
        const QString codigo =
            product.found ? fit(product.codigo, kCodigoWidth, QStringLiteral("o código do produto"), notes) : QString();
        const QString fabricante = fit(product.fabricante, kFabricanteWidth, QStringLiteral("o fabricante"), notes);

        for (const NfeLot& lot : item.lots) {
            NfeItemRow row;
            row.codigo = codigo;
            row.fabricante = fabricante;
            row.componente = componente;
            row.unidade = unidade;
            row.cProd = item.cProd;
            row.uCom = item.uCom;
            row.responsavel = QString::number(int(rows.items.size()) + 1).rightJustified(4, u'0');
            row.lote = fit(lot.nLote, kLoteWidth, QStringLiteral("o lote"), notes);
            const Decimal lotQuantity = ctx.number(lot.qLote, QStringLiteral("a quantidade do lote <qLote>"));
            row.quantidadeNfe = lotQuantity;
            row.fabricacao = ctx.date(lot.dFab, QStringLiteral("a data de fabricação <dFab>"));
            row.validade = lot.dVal.isEmpty() ? today.addDays(kDaysOfDefaultExpiry)
                                              : ctx.date(lot.dVal, QStringLiteral("a data de validade <dVal>"));
            // A price per thousand becomes a price per unit, and a remembered factor converts the
            // supplier's unit into the product's, so that quantity × price is still the line value
            // of the NF-e.
            row.quantidade = ctx.column(QStringLiteral("QUANTIDADE"), lot.qLote, [&] {
                if (conversion.applies)
                    return Decimal::product(lotQuantity, conversion.factor,
                                            lotQuantity.scale + conversion.factor.scale);
                return perThousand ? lotQuantity.shifted(3) : lotQuantity;
            });
            row.precoUnit = ctx.column(QStringLiteral("PRECOUNITR"), item.vUnCom, [&] {
                if (conversion.applies)
                    return Decimal::fromDouble(price.toDouble() / conversion.factor.toDouble(), kItemScale);
                return perThousand ? price.shifted(-3) : price;
            });
            const Decimal lineQuantity = lotQuantity.units != 0 ? lotQuantity : quantity;
            row.saldo =
                ctx.column(QStringLiteral("SALDO"), item.vUnCom + QStringLiteral(" × ") + lineQuantity.toString(),
                           [&] { return Decimal::product(price, lineQuantity, kItemScale); });
            rows.items.push_back(row);
        }
        notes.removeDuplicates();
        if (!notes.isEmpty())
            rows.adjusted
                << QStringLiteral("Item %1 (%2): %3.").arg(number).arg(componente, notes.join(QStringLiteral("; ")));
    }
    instalmentsOf(doc, rows);
    return rows;
}
