#include "widgets/FocusColours.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

namespace {

// Focus that goes to another window or to a pop-up comes back to the same field.
bool leavesTheWindow(const QFocusEvent& e)
{
    return e.reason() == Qt::ActiveWindowFocusReason || e.reason() == Qt::PopupFocusReason;
}

// The field's colour while it can be typed into; a turned-off field keeps its read-only look.
void paintBase(QWidget* field, QPalette::ColorRole from)
{
    QPalette p = field->palette();
    const QColor colour = QApplication::palette(field).color(from);
    p.setColor(QPalette::Active, QPalette::Base, colour);
    p.setColor(QPalette::Inactive, QPalette::Base, colour);
    field->setPalette(p);
}

const QString kFilterName = QStringLiteral("focusColours");

class FocusColourFilter : public QObject {
public:
    explicit FocusColourFilter(QObject* parent) : QObject(parent) { setObjectName(kFilterName); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* field = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::FocusIn)
            ShowFocusColour(field);
        else if (event->type() == QEvent::FocusOut && !leavesTheWindow(*static_cast<QFocusEvent*>(event)))
            ShowWindowColour(field);
        return false;
    }
};

} // namespace

void HighlightOnFocus(QWidget* field)
{
    if (field->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly))
        return;
    field->installEventFilter(new FocusColourFilter(field));
}

void ShowFocusColour(QWidget* field)
{
    paintBase(field, QPalette::ToolTipBase);
}

void ShowWindowColour(QWidget* field)
{
    paintBase(field, QPalette::Base);
}

bool ShowsFocusColour(const QWidget* field)
{
    return field->palette().color(QPalette::Base) == QApplication::palette(field).color(QPalette::ToolTipBase);
}
