#include "widgets/CoveringPanels.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

QRect inWindow(const QWidget* w)
{
    return {w->mapTo(w->window(), QPoint(0, 0)), w->size()};
}

bool canTakeFocus(const QWidget* w)
{
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

// The first control of the panel in tab order.
QWidget* firstControlOf(QWidget* panel)
{
    for (QWidget* w = panel->nextInFocusChain(); w && w != panel; w = w->nextInFocusChain())
        if (panel->isAncestorOf(w) && canTakeFocus(w))
            return w;
    return nullptr;
}

class Guard : public QObject {
public:
    static Guard& instance()
    {
        static QPointer<Guard> guard;
        if (!guard) {
            guard = new Guard(qApp);
            qApp->installEventFilter(guard);
        }
        return *guard;
    }

    void add(QWidget* panel)
    {
        if (!panels_.contains(panel))
            panels_.append(panel);
    }

    QWidget* coveringPanel(const QWidget* control) const
    {
        if (!control || control->isWindow())
            return nullptr;
        QList<QWidget*> shown;
        for (const QPointer<QWidget>& panel : panels_)
            if (panel && panel->isVisible() && panel->window() == control->window())
                shown.append(panel);
        for (QWidget* panel : shown)
            if (panel == control || panel->isAncestorOf(control))
                return nullptr;
        const QRect place = inWindow(control);
        for (QWidget* panel : shown)
            if (!panel->isAncestorOf(control) && inWindow(panel).intersects(place))
                return panel;
        return nullptr;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType())
            return sendBack(static_cast<QWidget*>(watched));
        if (event->type() == QEvent::Shortcut)
            if (auto* action = qobject_cast<QAction*>(watched))
                return allCovered(*action);
        return false;
    }

private:
    using QObject::QObject;

    // A covered control does not take the focus: it goes back to where it was in the panel.
    bool sendBack(QWidget* control)
    {
        QWidget* panel = coveringPanel(control);
        if (!panel) {
            for (const QPointer<QWidget>& p : panels_)
                if (p && p->isAncestorOf(control))
                    lastInside_ = control;
            return false;
        }
        QWidget* back = lastInside_ && panel->isAncestorOf(lastInside_) && canTakeFocus(lastInside_)
                            ? lastInside_.data()
                            : firstControlOf(panel);
        if (back)
            back->setFocus(Qt::OtherFocusReason);
        else
            control->clearFocus();
        return true;
    }

    bool allCovered(const QAction& action) const
    {
        bool any = false;
        for (QObject* owner : action.associatedObjects()) {
            const auto* widget = qobject_cast<const QWidget*>(owner);
            if (!widget)
                return false;
            if (!coveringPanel(widget))
                return false;
            any = true;
        }
        return any;
    }

    QList<QPointer<QWidget>> panels_;
    QPointer<QWidget> lastInside_;
};

} // namespace

namespace coveringpanels {

void add(QWidget* panel)
{
    Guard::instance().add(panel);
}

QWidget* coveringPanel(const QWidget* control)
{
    return Guard::instance().coveringPanel(control);
}

} // namespace coveringpanels
