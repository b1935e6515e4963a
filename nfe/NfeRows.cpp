#include "nfe/NfeRows.h"

#include "data/AsciiCase.h"
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

__extension__ typedef __int128 Wide;

Decimal rescaledWide(Wide units, int scale, int newScale)
{
    for (; scale < newScale; ++scale)
        units *= 10;
    if (scale > newScale) {
        Wide divisor = 1;
        for (int s = newScale; s < scale; ++s)
            divisor *= 10;
        const Wide half = divisor / 2;
        units = units >= 0 ? (units + half) / divisor : -((-units + half) / divisor);
    }
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        throw std::overflow_error("decimal");
    return Decimal{static_cast<qint64>(units), newScale};
}

Decimal times(const Decimal& a, const Decimal& b, int scale)
{
    return rescaledWide(Wide(a.units) * b.units, a.scale + b.scale, scale);
}

Decimal times1000(const Decimal& d)
{
    return d.scale >= 3 ? Decimal{d.units, d.scale - 3} : rescaledWide(Wide(d.units) * 1000, d.scale, 0);
}

Decimal per1000(const Decimal& d)
{
    return Decimal{d.units, d.scale + 3};
}

class ItemContext {
public:
    ItemContext(const NfeDocument& doc, int number, const NfeItem& item) : doc_(doc), number_(number), item_(item) {}

    Decimal number(const QString& text, const QString& what) const
    {
        const auto d = Decimal::parse(text);
        if (!d)
            fail(QStringLiteral("%1 \"%2\" não é um número válido.").arg(what, text));
        return *d;
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

Value total(const NfeDocument& doc, const QString& text, const QString& element)
{
    if (text.isEmpty())
        return {};
    const auto d = Decimal::parse(text);
    if (!d)
        failHeader(doc, QStringLiteral("O valor <%1> \"%2\" não é um número válido.").arg(element, text));
    return *d;
}

NfeHeaderRow headerOf(const NfeDocument& doc, const QString& receiptDate)
{
    NfeHeaderRow h;
    h.data = headerDate(doc, NfeDateToText(doc.dEmi), QStringLiteral("A data de emissão"));
    h.dataRecebim = headerDate(doc, receiptDate, QStringLiteral("A data de recebimento"));
    h.notaFiscal = FitColumn(doc.nNF, kNotaFiscalWidth).text;
    h.fornecedor = doc.NfeSupplierName.left(40);
    h.codigoFornecedor = doc.NfeSupplierCode;
    h.valBruto = total(doc, doc.vProd, QStringLiteral("vProd"));
    h.descontoTotal = total(doc, doc.vDesc, QStringLiteral("vDesc"));
    h.outrosImp = total(doc, doc.vOutro, QStringLiteral("vOutro"));
    h.valLiquido = total(doc, doc.vNF, QStringLiteral("vNF"));
    h.icms = total(doc, doc.vICMS, QStringLiteral("vICMS"));
    h.ipi = total(doc, doc.vIPI, QStringLiteral("vIPI"));
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
        const NfeProduct product = lookup(item.cEAN);
        if (!product.found)
            ++rows.unrecognised;

        QString unit = ascii::lower(item.uCom);
        const bool perThousand = unit == QLatin1String("mil");
        if (unit == QLatin1String("gr"))
            unit = QStringLiteral("g");
        else if (unit == QLatin1String("lt"))
            unit = QStringLiteral("l");
        else if (perThousand)
            unit = QStringLiteral("un");

        const Decimal price = ctx.number(item.vUnCom, QStringLiteral("o valor unitário <vUnCom>"));
        const Decimal quantity = ctx.number(item.qCom, QStringLiteral("a quantidade <qCom>"));

        QStringList notes;
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
            row.responsavel = QString::number(int(rows.items.size()) + 1).rightJustified(4, u'0');
            row.lote = fit(lot.nLote, kLoteWidth, QStringLiteral("o lote"), notes);
            const Decimal lotQuantity = ctx.number(lot.qLote, QStringLiteral("a quantidade do lote <qLote>"));
            row.fabricacao = ctx.date(lot.dFab, QStringLiteral("a data de fabricação <dFab>"));
            row.validade = lot.dVal.isEmpty() ? today.addDays(kDaysOfDefaultExpiry)
                                              : ctx.date(lot.dVal, QStringLiteral("a data de validade <dVal>"));
            try {
                const Decimal lineQuantity = lotQuantity.units != 0 ? lotQuantity : quantity;
                row.saldo = times(price, lineQuantity, kItemScale);
                // A price per thousand becomes a price per unit, so that quantity × price is
                // still the line value of the NF-e.
                row.precoUnit = (perThousand ? per1000(price) : price).rescaled(kItemScale);
                row.quantidade = (perThousand ? times1000(lotQuantity) : lotQuantity).rescaled(kItemScale);
            } catch (const std::overflow_error&) {
                ctx.fail(QStringLiteral("o valor da linha (%1 × %2) é grande demais.").arg(item.vUnCom, lot.qLote));
            }
            rows.items.push_back(row);
        }
        notes.removeDuplicates();
        if (!notes.isEmpty())
            rows.adjusted
                << QStringLiteral("Item %1 (%2): %3.").arg(number).arg(componente, notes.join(QStringLiteral("; ")));
    }
    return rows;
}
