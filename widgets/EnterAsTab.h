#pragma once

#include <functional>

class QObject;
class QWidget;

// In a single-line field Enter is consumed and moves the focus to the next control in tab order.
void EnterMovesToNextControl(QWidget* field);

// Gives the focus to the control after `from` in tab order: the next one that is visible,
// enabled and takes focus by Tab, within the same window. False when there is none.
bool FocusNextControl(QWidget* from);

// Whether a key event is Enter (either key, no modifier but the keypad's).
class QKeyEvent;
bool IsEnterKey(const QKeyEvent& e);

// Enter in `target` (a control, or a part of one such as a combo box's line edit) is consumed and
// runs `onEnter` instead. The filter belongs to `owner`.
void OnEnterKey(QWidget* owner, QObject* target, std::function<void()> onEnter);
