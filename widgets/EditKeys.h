#pragma once

class QKeyEvent;

// Whether a key changes the text of a line edit: a printable character, Backspace, Delete, and
// the shortcuts that cut, paste, undo, redo or delete words.
bool IsTextEditingKey(const QKeyEvent& e);
