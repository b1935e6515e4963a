#pragma once

class QKeyEvent;
class QLineEdit;

// Whether a key changes the text of a line edit: a printable character, Backspace, Delete, and
// the shortcuts that cut, paste, undo, redo or delete words.
bool IsTextEditingKey(const QKeyEvent& e);

// A field of a number takes only digits, a minus sign and the separators.
void AcceptOnlyNumbers(QLineEdit* edit, bool on = true);
