#pragma once

#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// Code 128 barcodes, encoded by the zint library.
namespace reports {

// The bars of a Code 128 symbol as fractions of the symbol's width (x and width from 0 to 1);
// empty when the text is empty or cannot be encoded.
struct Bar {
    double x;
    double width;
};
std::vector<Bar> code128Bars(const QString& text);

// Draws the bars of `text` filling `box`; draws nothing when there is nothing to encode.
void drawCode128(QPainter& painter, const QRectF& box, const QString& text);

} // namespace reports
