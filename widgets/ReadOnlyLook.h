#pragma once

class QWidget;

// A data-aware control that the window turns off while a record is only browsed is read-only
// there, not out of use: its text keeps the colour of typed text, on the window's background
// instead of the field's, so that it reads as clearly as while it is typed into.
void ShowDisabledAsReadOnly(QWidget* control);
