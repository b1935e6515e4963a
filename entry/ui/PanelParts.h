#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Pieces the auxiliary panels of the invoice entry are made of.
namespace panelparts {

// The coloured title bar across the top of a panel.
QLabel* titleBar(QWidget* panel, const QString& name, const QString& caption);
QLabel* label(QWidget* parent, const QString& text, int left, int top);
QPushButton* button(QWidget* parent, const QString& name, const QString& caption);

} // namespace panelparts
