#pragma once

class QWidget;

// Panels that code shows over a window's work area. While such a panel is up, no key reaches a
// control it covers (one it overlaps, outside every panel that is up): the focus that would go to
// such a control goes back into the panel, and the shortcut of a covered button does nothing.
// The controls of the panel itself, and of any panel shown up over it, answer as usual.
namespace coveringpanels {

void add(QWidget* panel);

// The visible panel that covers `control`; nullptr when none does.
QWidget* coveringPanel(const QWidget* control);

} // namespace coveringpanels
