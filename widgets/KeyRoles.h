#pragma once

class QAbstractButton;
class QWidget;

// Default and cancel roles of buttons. Enter clicks the default button of the panel that holds
// the focus, Esc its cancel button; a panel without one (or whose button is hidden or disabled)
// leaves the key to the panel around it, up to the window. A button that is not visible or not
// enabled answers nothing. A key that the focused control uses itself (Enter in a grid's cell,
// Enter that moves to the next field) never reaches the roles. Enter on a focused push button
// clicks that button.
namespace keyroles {

// `button` may be nullptr to take the role away.
void setDefaultButton(QWidget* panel, QAbstractButton* button);
void setCancelButton(QWidget* panelOrWindow, QAbstractButton* button);
QAbstractButton* defaultButton(const QWidget* panel);
QAbstractButton* cancelButton(const QWidget* panelOrWindow);

} // namespace keyroles
