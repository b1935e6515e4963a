#pragma once

#include <QString>

class QWidget;

// Names for screen readers and UI automation. The window's controls are placed as on a form
// designer's grid: a caption next to an edit is a separate label, seldom the edit's buddy. So that
// every panel need not name its controls one by one, the names are derived in one place, when a
// control is shown:
//   - a control that takes the focus is named after its label: the label whose buddy it is, or else
//     the label just left of it or just above it in the same parent (above it, a button that never
//     takes the focus counts too: the heading of a column); the editor of a pick list is named
//     after the list;
//   - a button, focusable or not, is named by its caption (Qt's own rule), or by its hint when the
//     caption is a symbol or missing;
//   - a grid or list without a label is named after the title of the panel it stands in;
//   - a panel is named after its title bar (a label named "<panel>Titulo" or "Titulo<topic>");
//   - the hint (tool tip) is the accessible description (Qt's own rule).
// A name set explicitly (setAccessibleName) is never replaced.
namespace accessiblenames {

// Watches the application from now on: every widget is named, as above, when it is shown. Calling
// it again does nothing.
void nameControlsWhenShown();

// The name derived for a widget by the rules above; empty when none applies or when Qt's own rules
// (a button's caption, a buddy label) already give one.
QString derivedName(const QWidget* widget);

// Sets the derived name of the widget when it has no name of its own.
void nameWidget(QWidget* widget);

} // namespace accessiblenames
