#pragma once

#include "widgets/FieldText.h"

#include <QRect>
#include <QString>

class DBEdit;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Pieces the auxiliary panels of the invoice entry are made of.
namespace panelparts {

// Makes `panel` one of the window's raised panels, hidden until code shows it.
void framePanel(QFrame* panel, const QString& name, const QRect& geometry = {});
// A panel with one centred bold caption, such as "Aguarde...", child of `parent`.
QFrame* captionPanel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);
// The coloured title bar across the top of a panel.
QLabel* titleBar(QWidget* panel, const QString& name, const QString& caption);
QLabel* label(QWidget* parent, const QString& text, int left, int top);
QPushButton* button(QWidget* parent, const QString& name, const QString& caption);
// The same, placed.
QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);
// A data-aware edit of `field`, named `name`, at `geometry`.
DBEdit* fieldEdit(QWidget* parent, const QString& name, const QString& field, const QRect& geometry,
                  const FieldFormat& format = {});
// Moving the focus is a courtesy: a control that cannot take it is left alone.
void tryFocus(QWidget* w);

} // namespace panelparts
