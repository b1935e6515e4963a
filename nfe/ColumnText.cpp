#include "nfe/ColumnText.h"

#include "data/Win1252.h"

namespace {

// The closest Windows-1252 text for a character the code page lacks; empty when there is none.
QString equivalentOf(QChar c)
{
    switch (c.unicode()) {
    case 0x03BC: // Greek small mu
        return QStringLiteral("\u00B5");
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2015:
    case 0x2212:
    case 0x2043:
    case 0xFE63:
    case 0xFF0D:
        return QStringLiteral("-");
    case 0x2032: // prime
        return QStringLiteral("'");
    case 0x2033: // double prime
        return QStringLiteral("\"");
    case 0x00A0:
        return QStringLiteral(" ");
    default:
        break;
    }
    if (c.isSpace())
        return QStringLiteral(" ");
    // A letter whose accent the code page lacks (ă, ł is not decomposable): its base letter.
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_KD);
    QString base;
    for (QChar d : decomposed)
        if (d.category() != QChar::Mark_NonSpacing && win1252::canEncode(QString(d)))
            base += d;
    return base;
}

} // namespace

ColumnText FitColumn(const QString& text, int width)
{
    ColumnText out;
    if (win1252::canEncode(text)) {
        out.text = text;
    } else {
        out.replaced = true;
        out.text.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (win1252::canEncode(QString(c))) {
                out.text += c;
                continue;
            }
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i; // a character outside the basic plane (an emoji): one "?"
            const QString equivalent = c.isSurrogate() ? QString() : equivalentOf(c);
            out.text += equivalent.isEmpty() ? QStringLiteral("?") : equivalent;
        }
    }
    if (out.text.size() > width) {
        out.text.truncate(width);
        out.cut = true;
    }
    return out;
}
