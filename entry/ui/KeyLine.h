#pragma once

#include <QRect>
#include <QSize>

#include <initializer_list>

class QWidget;

// One line of an auxiliary panel's foot: texts with the key buttons ("Enter", "Esc") between them,
// from left to right inside `geometry`.
QWidget* KeyLine(QWidget* panel, const QRect& geometry, std::initializer_list<QWidget*> parts,
                 QSize buttonSize = {52, 24});
