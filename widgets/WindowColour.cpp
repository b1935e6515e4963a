#include "widgets/WindowColour.h"

#include <QPalette>
#include <QWidget>

namespace {

constexpr quint32 kSystemColourFlag = 0xFF000000u;

QPalette::ColorRole systemRole(quint32 index)
{
    switch (index) {
    case 5: // window background
        return QPalette::Base;
    case 8: // window text
        return QPalette::Text;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlighted text
        return QPalette::HighlightedText;
    case 18: // button text
        return QPalette::ButtonText;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default: // 15, the button face, and the colours a palette has no role for
        return QPalette::Button;
    }
}

} // namespace

QColor DecodeWindowColour(qint64 encoded, const QPalette& palette)
{
    const auto bits = quint32(quint64(encoded) & 0xFFFFFFFFu);
    if ((bits & 0xFF000000u) == kSystemColourFlag)
        return palette.color(QPalette::Active, systemRole(bits & 0xFFu));
    return QColor(int(bits & 0xFFu), int((bits >> 8) & 0xFFu), int((bits >> 16) & 0xFFu));
}

void PaintInWindowColour(QWidget* widget, qint64 encoded)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, DecodeWindowColour(encoded, palette));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
