#include "widgets/KeyRoles.h"

#include "widgets/EnterAsTab.h"
#include "widgets/UnhandledError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace {

// The roles of one panel; it watches the keys that the controls inside the panel leave unused.
const QString kRolesName = QStringLiteral("keyRoles");

class Roles : public QObject {
public:
    explicit Roles(QWidget* panel) : QObject(panel)
    {
        setObjectName(kRolesName);
        panel->installEventFilter(this);
    }

    QPointer<QAbstractButton> defaultButton;
    QPointer<QAbstractButton> cancelButton;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QAbstractButton* button = nullptr;
        if (IsEnterKey(*key))
            button = focusedPushButton() ? focusedPushButton() : answering(defaultButton);
        else if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)
            button = answering(cancelButton);
        if (!button)
            return false; // on to the panel around this one
        key->accept();
        RunGuarded([button] { button->click(); });
        return true;
    }

private:
    static QAbstractButton* answering(QAbstractButton* b)
    {
        return b && b->isVisible() && b->isEnabled() ? b : nullptr;
    }
    static QAbstractButton* focusedPushButton()
    {
        return answering(qobject_cast<QPushButton*>(QApplication::focusWidget()));
    }
};

Roles* rolesOf(const QWidget* panel)
{
    // Found by name: a class without its own meta-object would match any child.
    return static_cast<Roles*>(panel->findChild<QObject*>(kRolesName, Qt::FindDirectChildrenOnly));
}

Roles& ensureRoles(QWidget* panel)
{
    Roles* r = rolesOf(panel);
    return r ? *r : *new Roles(panel);
}

} // namespace

namespace keyroles {

void setDefaultButton(QWidget* panel, QAbstractButton* button)
{
    ensureRoles(panel).defaultButton = button;
}

void setCancelButton(QWidget* panelOrWindow, QAbstractButton* button)
{
    ensureRoles(panelOrWindow).cancelButton = button;
}

QAbstractButton* defaultButton(const QWidget* panel)
{
    const Roles* r = rolesOf(panel);
    return r ? r->defaultButton.data() : nullptr;
}

QAbstractButton* cancelButton(const QWidget* panelOrWindow)
{
    const Roles* r = rolesOf(panelOrWindow);
    return r ? r->cancelButton.data() : nullptr;
}

} // namespace keyroles
