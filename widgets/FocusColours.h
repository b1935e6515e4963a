#pragma once

class QWidget;

// An entry field that has the focus is painted in the tooltip-background colour and returns to
// the window colour when it is left. Leaving for a message box or a pop-up list does not count:
// the field still holds the focus of its window.
void HighlightOnFocus(QWidget* field);

// The two colours, for handlers that set them themselves.
void ShowFocusColour(QWidget* field);
void ShowWindowColour(QWidget* field);
bool ShowsFocusColour(const QWidget* field);
