#include "payments/PaymentSchedule.h"

#include "shell/Dialogs.h"

#include <QStringList>

#include <optional>

namespace schedule {

namespace {

const QString kDiasCorridos = QStringLiteral("Dias Corridos");
const QString kDiaFixo = QStringLiteral("Dia Fixo");
constexpr int kEntryLength = 20;
constexpr int kDayLowerings = 3;

// A DIAS entry as a whole number; an entry that is none is reported and gives nothing.
std::optional<int> dayEntry(const QString& piece)
{
    const QString entry = piece.trimmed().left(kEntryLength);
    bool ok = false;
    const int value = entry.toInt(&ok);
    if (ok)
        return value;
    ShowMessage(QStringLiteral("Não foi possível converter ") + entry +
                QStringLiteral(" para o tipo \"Inteiro\". Favor verificar o formato do campo \"Dias\"."));
    return std::nullopt;
}

// "Dias Corridos": DIAS lists the days after the invoice date, one entry per instalment.
std::vector<QDate> runningDays(const QString& days, int count, const QDate& invoiceDate)
{
    const QStringList entries = days.split(QLatin1Char(','));
    std::vector<QDate> out;
    for (int i = 0; i < count; ++i) {
        int offset = 0;
        if (i < entries.size())
            offset = dayEntry(entries.at(i)).value_or(0);
        out.push_back(invoiceDate.addDays(offset));
    }
    return out;
}

// The last whole number followed by a "+" in DIAS; 1 when there is none.
int startMark(const QString& days)
{
    const QStringList pieces = days.split(QLatin1Char('+'));
    int mark = 1;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        if (const auto value = dayEntry(pieces.at(i)))
            mark = *value;
    return mark;
}

// The invoice's day in a month; a day the month lacks is lowered by up to three days.
std::optional<QDate> fixedDay(int day, int month, int year)
{
    for (int lower = 0; lower <= kDayLowerings; ++lower)
        if (QDate date(year, month, day - lower); date.isValid())
            return date;
    return std::nullopt;
}

// "Dia Fixo": the invoice's day of each month; with start mark 1 the first instalment falls on the
// invoice date itself, otherwise in the following month.
std::vector<QDate> fixedDays(int mark, int count, const QDate& invoiceDate)
{
    std::vector<QDate> out;
    const int day = invoiceDate.day();
    int month = invoiceDate.month();
    int year = invoiceDate.year();
    QDate previous = invoiceDate;
    for (int i = 1; i <= count; ++i) {
        if (i > 1 || mark != 1) {
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        const auto due = fixedDay(day, month, year);
        if (!due)
            ShowMessage(QStringLiteral("Data inválida: %1/%2/%3")
                            .arg(day - kDayLowerings)
                            .arg(month, 2, 10, QLatin1Char('0'))
                            .arg(year % 100, 2, 10, QLatin1Char('0')));
        previous = due.value_or(previous);
        out.push_back(previous);
    }
    return out;
}

} // namespace

Decimal ScheduledTotal(const Decimal& netValue, const Decimal& surcharge)
{
    // net (cents) × (10000 + rate in hundredths of a percent) / 10000, rounded half away from zero;
    // split so that no product leaves 64 bits.
    const qint64 net = netValue.rescaled(2).units;
    const qint64 factor = 10000 + surcharge.rescaled(2).units;
    const qint64 magnitude = net < 0 ? -net : net;
    const qint64 whole = magnitude / 10000 * factor;
    const qint64 rest = (magnitude % 10000 * factor + 5000) / 10000;
    return Decimal{net < 0 ? -(whole + rest) : whole + rest, 2};
}

std::vector<Decimal> SplitIntoCents(const Decimal& total, int count)
{
    const qint64 cents = total.rescaled(2).units;
    const qint64 each = cents / count;
    std::vector<Decimal> out(std::size_t(count), Decimal{each, 2});
    out.back().units += cents - each * count;
    return out;
}

std::vector<QDate> DueDates(const PaymentForm& form, const QDate& invoiceDate)
{
    const int count = form.count();
    if (form.type == kDiasCorridos)
        return runningDays(form.days, count, invoiceDate);
    const int mark = startMark(form.days);
    if (form.type == kDiaFixo)
        return fixedDays(mark, count, invoiceDate);
    return std::vector<QDate>(std::size_t(count), invoiceDate);
}

std::vector<Instalment> FormSchedule(const PaymentForm& form, const QDate& invoiceDate, const Decimal& netValue)
{
    const std::vector<QDate> dates = DueDates(form, invoiceDate);
    const std::vector<Decimal> amounts = SplitIntoCents(ScheduledTotal(netValue, form.surcharge), form.count());
    std::vector<Instalment> out;
    for (std::size_t i = 0; i < dates.size(); ++i)
        out.push_back({dates[i], amounts[i]});
    return out;
}

Decimal Total(const std::vector<Instalment>& instalments)
{
    Decimal sum{0, 2};
    for (const Instalment& i : instalments)
        sum.units += i.amount.rescaled(2).units;
    return sum;
}

} // namespace schedule
