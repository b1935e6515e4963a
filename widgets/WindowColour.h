#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;
class QWidget;

// A colour in the product's encoding: 0x00BBGGRR is that colour; 0xFF0000nn is system colour nn
// (15 the button face, 5 the window background, 24 the tooltip background...), taken from the
// palette. Only the low 32 bits count.
QColor DecodeWindowColour(qint64 encoded, const QPalette& palette);

// Paints the widget's background in that colour.
void PaintInWindowColour(QWidget* widget, qint64 encoded);
