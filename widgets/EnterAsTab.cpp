#include "widgets/EnterAsTab.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

const QString kFilterName = QStringLiteral("enterAsTab");

class EnterAsTabFilter : public QObject {
public:
    explicit EnterAsTabFilter(QObject* parent) : QObject(parent) { setObjectName(kFilterName); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !IsEnterKey(*static_cast<QKeyEvent*>(event)))
            return false;
        FocusNextControl(static_cast<QWidget*>(watched));
        return true;
    }
};

class EnterKeyAction : public QObject {
public:
    EnterKeyAction(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !IsEnterKey(*static_cast<QKeyEvent*>(event)))
            return false;
        onEnter_();
        return true;
    }

private:
    std::function<void()> onEnter_;
};

bool takesTabFocus(const QWidget* w, const QWidget* window)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled() && !w->focusProxy() &&
           window->isAncestorOf(w);
}

} // namespace

bool IsEnterKey(const QKeyEvent& e)
{
    return (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) &&
           (e.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void EnterMovesToNextControl(QWidget* field)
{
    if (field->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly))
        return;
    field->installEventFilter(new EnterAsTabFilter(field));
}

bool FocusNextControl(QWidget* from)
{
    QWidget* window = from->window();
    // A control made of parts (an editable combo box) stands in the chain through its proxy.
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (!takesTabFocus(w, window) || from->isAncestorOf(w))
            continue;
        w->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

void OnEnterKey(QWidget* owner, QObject* target, std::function<void()> onEnter)
{
    target->installEventFilter(new EnterKeyAction(owner, std::move(onEnter)));
}
