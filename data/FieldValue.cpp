#include "data/FieldValue.h"

#include "data/DbError.h"
#include "data/Formats.h"
#include "data/Win1252.h"

#include <cmath>

ValueOutOfRange::ValueOutOfRange(const QString& value, const Column& column)
    : ConversionError(
          QStringLiteral("O valor %1 não cabe no campo %2 (no máximo %3 dígitos antes da vírgula e %4 depois).")
              .arg(value, column.name)
              .arg(field::precisionOf(column) - column.scale)
              .arg(column.scale))
{
}

namespace field {

Decimal toDecimal(const Value& value)
{
    if (const auto* d = std::get_if<Decimal>(&value))
        return *d;
    if (const auto* n = std::get_if<qint64>(&value))
        return Decimal{*n, 0};
    if (const auto* f = std::get_if<double>(&value))
        return Decimal::fromDouble(*f, 8);
    return Decimal{0, 0};
}

namespace {

constexpr double kMsecsPerDay = 86400000.0;

QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

[[noreturn]] void notConvertible(const QString& text, const char* what)
{
    throw ConversionError(QStringLiteral("'%1' não é %2.").arg(text, QString::fromUtf8(what)));
}

// Text that carries no value: empty, blanks, or an entry mask left unfilled ("__/__/__").
bool holdsNothing(const QString& text)
{
    for (QChar c : text)
        if (c.isLetterOrNumber())
            return false;
    return true;
}

QString decimalText(const Decimal& d)
{
    QString t = d.toString();
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.')))
            t.chop(1);
    }
    if (t == QLatin1String("-0"))
        t = QStringLiteral("0");
    return t.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString doubleText(double v)
{
    return QString::number(v, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

// A number typed the Brazilian way, kept exact: "1.234,56", "1234,56", "1234.56", "12".
std::optional<Decimal> parseDecimal(const QString& text)
{
    QString t = text.trimmed();
    if (t.contains(QLatin1Char(','))) {
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    return Decimal::parse(t);
}

qint64 parseInteger(const QString& text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok)
        notConvertible(text, "um valor inteiro válido");
    return n;
}

double daysSinceZero(const QDateTime& dt)
{
    return double(zeroDate().daysTo(dt.date())) + double(dt.time().msecsSinceStartOfDay()) / kMsecsPerDay;
}

QDateTime fromDays(double days)
{
    const double whole = std::floor(days);
    const auto msecs = qint64(std::llround((days - whole) * kMsecsPerDay));
    return QDateTime(zeroDate().addDays(qint64(whole)), QTime(0, 0)).addMSecs(msecs);
}

// A typed date whose year is far off is a typing error, refused before it reaches a statement.
QDate typedYearChecked(const QDate& date, const QString& text)
{
    if (!formats::isTypedYear(date))
        throw ConversionError(QStringLiteral("'%1' não é uma data aceita: o ano deve estar entre %2 e %3.")
                                  .arg(text.trimmed())
                                  .arg(formats::kFirstTypedYear)
                                  .arg(formats::kLastTypedYear));
    return date;
}

QDate parseDateText(const QString& text)
{
    if (const auto d = formats::parseDate(text))
        return typedYearChecked(*d, text);
    if (const auto dt = formats::parseDateTime(text))
        return typedYearChecked(dt->date(), text);
    notConvertible(text, "uma data válida");
}

QTime parseTimeText(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* format : {"H:mm:ss", "H:mm:ss.zzz", "H:mm"}) {
        const QTime time = QTime::fromString(t, QString::fromLatin1(format));
        if (time.isValid())
            return time;
    }
    notConvertible(text, "uma hora válida");
}

QString cutToWidth(const QString& text, const Column& column)
{
    if (column.length > 0 && text.size() > qsizetype(column.length))
        return text.left(qsizetype(column.length));
    return text;
}

Value forTextColumn(const Value& value, const Column& column)
{
    const QString text = cutToWidth(toText(value), column);
    if (text.isEmpty())
        return std::monostate{};
    win1252::encode(text); // refuses a character the database cannot store
    return text;
}

Decimal decimalFor(const Value& value, const Column& column)
{
    if (const auto* s = std::get_if<QString>(&value)) {
        const auto d = parseDecimal(*s);
        if (!d)
            notConvertible(*s, "um valor numérico válido");
        return d->rescaled(column.scale);
    }
    if (const auto* d = std::get_if<Decimal>(&value))
        return d->rescaled(column.scale);
    if (const auto* n = std::get_if<qint64>(&value))
        return Decimal{*n, 0}.rescaled(column.scale);
    return Decimal::fromDouble(toFloat(value), column.scale);
}

// A value as a message shows it: a computed number in full, at the column's decimals.
QString shownValue(const Value& value, const Column& column)
{
    if (const auto* f = std::get_if<double>(&value))
        return QString::number(*f, 'f', column.scale).replace(QLatin1Char('.'), QLatin1Char(','));
    return toText(value);
}

// A number too large for its column is refused rather than wrapped around.
Value forDecimalColumn(const Value& value, const Column& column)
{
    try {
        const Decimal d = decimalFor(value, column);
        if (!d.fits(precisionOf(column), column.scale))
            throw ValueOutOfRange(shownValue(value, column), column);
        return d;
    } catch (const DecimalOverflow&) {
        throw ValueOutOfRange(shownValue(value, column), column);
    }
}

} // namespace

int precisionOf(const Column& column)
{
    return column.precision > 0 ? column.precision : Decimal::kMaxDigits;
}

QDateTime zeroDateTime()
{
    return QDateTime(zeroDate(), QTime(0, 0));
}

QString toText(const Value& value)
{
    struct Visitor {
        QString operator()(std::monostate) const { return {}; }
        QString operator()(const QString& s) const { return s; }
        QString operator()(qint64 n) const { return QString::number(n); }
        QString operator()(const Decimal& d) const { return decimalText(d); }
        QString operator()(double v) const { return doubleText(v); }
        QString operator()(const QDate& d) const { return formats::shortDate(d); }
        QString operator()(const QTime& t) const { return formats::longTime(t); }
        QString operator()(const QDateTime& dt) const
        {
            return dt.time() == QTime(0, 0) ? formats::shortDate(dt.date()) : formats::dateTimeText(dt);
        }
        QString operator()(const QByteArray& b) const { return win1252::decode(b); }
    };
    return std::visit(Visitor{}, value);
}

qint64 toInteger(const Value& value)
{
    struct Visitor {
        qint64 operator()(std::monostate) const { return 0; }
        qint64 operator()(const QString& s) const { return parseInteger(s); }
        qint64 operator()(qint64 n) const { return n; }
        qint64 operator()(const Decimal& d) const { return d.rescaled(0).units; }
        qint64 operator()(double v) const { return qint64(std::llround(v)); }
        qint64 operator()(const QDate& d) const { notConvertible(formats::shortDate(d), "um valor inteiro válido"); }
        qint64 operator()(const QTime& t) const { notConvertible(formats::longTime(t), "um valor inteiro válido"); }
        qint64 operator()(const QDateTime& dt) const
        {
            notConvertible(formats::dateTimeText(dt), "um valor inteiro válido");
        }
        qint64 operator()(const QByteArray& b) const { return parseInteger(win1252::decode(b)); }
    };
    return std::visit(Visitor{}, value);
}

double toFloat(const Value& value)
{
    struct Visitor {
        double operator()(std::monostate) const { return 0; }
        double operator()(const QString& s) const
        {
            const auto d = parseDecimal(s);
            if (!d)
                notConvertible(s, "um valor numérico válido");
            return d->toDouble();
        }
        double operator()(qint64 n) const { return double(n); }
        double operator()(const Decimal& d) const { return d.toDouble(); }
        double operator()(double v) const { return v; }
        double operator()(const QDate& d) const { return daysSinceZero(QDateTime(d, QTime(0, 0))); }
        double operator()(const QTime& t) const { return double(t.msecsSinceStartOfDay()) / kMsecsPerDay; }
        double operator()(const QDateTime& dt) const { return daysSinceZero(dt); }
        double operator()(const QByteArray& b) const { return (*this)(win1252::decode(b)); }
    };
    return std::visit(Visitor{}, value);
}

QDateTime toDateTime(const Value& value)
{
    struct Visitor {
        QDateTime operator()(std::monostate) const { return zeroDateTime(); }
        QDateTime operator()(const QString& s) const
        {
            if (const auto dt = formats::parseDateTime(s))
                return *dt;
            notConvertible(s, "uma data válida");
        }
        QDateTime operator()(qint64 n) const { return fromDays(double(n)); }
        QDateTime operator()(const Decimal& d) const { return fromDays(d.toDouble()); }
        QDateTime operator()(double v) const { return fromDays(v); }
        QDateTime operator()(const QDate& d) const { return QDateTime(d, QTime(0, 0)); }
        QDateTime operator()(const QTime& t) const { return QDateTime(zeroDate(), t); }
        QDateTime operator()(const QDateTime& dt) const { return dt; }
        QDateTime operator()(const QByteArray& b) const { return (*this)(win1252::decode(b)); }
    };
    return std::visit(Visitor{}, value);
}

Value forColumn(const Value& value, const Column& column)
{
    if (isNull(value))
        return std::monostate{};
    if (column.type == ColumnType::Text)
        return forTextColumn(value, column);
    if (const auto* s = std::get_if<QString>(&value); s && holdsNothing(*s))
        return std::monostate{};
    switch (column.type) {
    case ColumnType::Text:
        break;
    case ColumnType::Integer:
        return toInteger(value);
    case ColumnType::Boolean:
        return qint64(toInteger(value) != 0);
    case ColumnType::Decimal:
        return forDecimalColumn(value, column);
    case ColumnType::Double:
        return toFloat(value);
    case ColumnType::Date:
        if (const auto* s = std::get_if<QString>(&value))
            return parseDateText(*s);
        return toDateTime(value).date();
    case ColumnType::Time:
        if (const auto* s = std::get_if<QString>(&value))
            return parseTimeText(*s);
        return toDateTime(value).time();
    case ColumnType::Timestamp:
        return toDateTime(value);
    case ColumnType::Blob:
        if (const auto* b = std::get_if<QByteArray>(&value))
            return *b;
        return win1252::encode(toText(value));
    }
    return value;
}

} // namespace field
