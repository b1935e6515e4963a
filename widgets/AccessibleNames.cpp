#include "widgets/AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>

namespace accessiblenames {

namespace {

// How far a caption may stand from its control and still be read as its label.
constexpr int kMaxLeftGap = 160;
constexpr int kMaxAboveGap = 24;
constexpr int kSlack = 4;

QString plainCaption(QString text)
{
    static const QRegularExpression mnemonic(QStringLiteral("&(?!&)"));
    text.remove(mnemonic);
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    text = text.simplified();
    while (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

bool takesFocus(const QWidget* widget)
{
    return widget->focusPolicy() != Qt::NoFocus;
}

// A caption with a letter or digit in it: "✔" or "▶|" say nothing to a listener.
bool isWording(const QString& text)
{
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// The title bar of a panel: a label of its own named "<panel>Titulo" or "Titulo<topic>".
const QLabel* titleOf(const QWidget* panel)
{
    for (const QObject* child : panel->children()) {
        const auto* label = qobject_cast<const QLabel*>(child);
        if (label && (label->objectName().startsWith(QLatin1String("Titulo")) ||
                      label->objectName().endsWith(QLatin1String("Titulo"))))
            return label;
    }
    return nullptr;
}

// The caption a widget shows when it may name a neighbour: a label that names no other control,
// or, above a control only, a button that never takes the focus (a column's heading).
QString captionOf(const QObject* object, const QWidget* parent, bool above)
{
    if (const auto* label = qobject_cast<const QLabel*>(object)) {
        if (label->buddy() == nullptr && label != titleOf(parent) && isWording(label->text()))
            return plainCaption(label->text());
    } else if (const auto* heading = qobject_cast<const QAbstractButton*>(object)) {
        if (above && !takesFocus(heading) && isWording(heading->text()))
            return plainCaption(heading->text());
    }
    return {};
}

// The caption left of the control on its line, or just above it, whichever is nearer.
QString labelBeside(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent)
        return {};
    const QRect own = widget->geometry();
    QString best;
    int bestGap = 0;
    for (const QObject* child : parent->children()) {
        if (!child->isWidgetType() || child == widget)
            continue;
        const QRect r = static_cast<const QWidget*>(child)->geometry();
        const int middle = r.center().y();
        int gap = -1;
        QString caption;
        if (r.right() <= own.left() + kSlack && middle >= own.top() - kSlack && middle <= own.bottom() + kSlack &&
            own.left() - r.right() <= kMaxLeftGap) {
            gap = own.left() - r.right();
            caption = captionOf(child, parent, false);
        } else if (r.bottom() <= own.top() + kSlack && own.top() - r.bottom() <= kMaxAboveGap &&
                   r.left() >= own.left() - kMaxAboveGap && r.left() <= own.right()) {
            gap = own.top() - r.bottom();
            caption = captionOf(child, parent, true);
        }
        if (!caption.isEmpty() && (best.isEmpty() || gap < bestGap)) {
            best = caption;
            bestGap = gap;
        }
    }
    return best;
}

bool hasBuddyLabel(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent)
        return false;
    for (const QObject* child : parent->children())
        if (const auto* label = qobject_cast<const QLabel*>(child); label && label->buddy() == widget)
            return true;
    return false;
}

QString titleOfEnclosingPanel(const QWidget* widget)
{
    for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (const QLabel* title = titleOf(up))
            return plainCaption(title->text());
    return {};
}

QString derivedButtonName(const QAbstractButton* button)
{
    return isWording(plainCaption(button->text())) ? QString() : plainCaption(button->toolTip());
}

QString derivedControlName(const QWidget* widget)
{
    // The editor inside an editable pick list speaks for the list.
    if (const auto* combo = qobject_cast<const QComboBox*>(widget->parentWidget());
        combo && combo->lineEdit() == widget)
        return combo->accessibleName().isEmpty() ? derivedName(combo) : combo->accessibleName();
    if (hasBuddyLabel(widget))
        return {};
    QString name = labelBeside(widget);
    if (name.isEmpty() && qobject_cast<const QAbstractItemView*>(widget))
        name = titleOfEnclosingPanel(widget);
    if (name.isEmpty())
        name = plainCaption(widget->toolTip());
    return name;
}

class ShowWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            nameWidget(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

QString derivedName(const QWidget* widget)
{
    if (const QLabel* title = titleOf(widget))
        return plainCaption(title->text());
    // Buttons, focusable or not: automation presses them too.
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return derivedButtonName(button);
    if (!takesFocus(widget))
        return {};
    return derivedControlName(widget);
}

void nameWidget(QWidget* widget)
{
    if (!widget->accessibleName().isEmpty())
        return;
    const QString name = derivedName(widget);
    if (!name.isEmpty())
        widget->setAccessibleName(name);
}

void nameControlsWhenShown()
{
    static QPointer<ShowWatcher> watcher;
    if (watcher || !qApp)
        return;
    watcher = new ShowWatcher(qApp);
    qApp->installEventFilter(watcher);
}

} // namespace accessiblenames
