#include "widgets/PanelParts.h"

#include "widgets/DBEdit.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace panelparts {

void framePanel(QFrame* panel, const QString& name, const QRect& geometry)
{
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    if (geometry.isValid())
        panel->setGeometry(geometry);
    panel->hide();
}

QFrame* captionPanel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    framePanel(panel, name, geometry);
    auto* label = new QLabel(caption, panel);
    label->setObjectName(name + QStringLiteral("Caption"));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(panel->rect());
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return panel;
}

QLabel* titleBar(QWidget* panel, const QString& name, const QString& caption)
{
    auto* title = new QLabel(caption, panel);
    title->setObjectName(name);
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Highlight);
    title->setForegroundRole(QPalette::HighlightedText);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setGeometry(2, 2, panel->width() - 4, 20);
    return title;
}

QLabel* label(QWidget* parent, const QString& text, int left, int top)
{
    auto* l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    QPushButton* b = button(parent, name, caption);
    b->setGeometry(geometry);
    return b;
}

void tryFocus(QWidget* w)
{
    if (w->isVisible() && w->isEnabled())
        w->setFocus(Qt::OtherFocusReason);
}

DBEdit* fieldEdit(QWidget* parent, const QString& name, const QString& field, const QRect& geometry,
                  const FieldFormat& format)
{
    auto* edit = new DBEdit(parent);
    edit->setObjectName(name);
    edit->setDataField(field);
    edit->setFieldFormat(format);
    edit->setGeometry(geometry);
    return edit;
}

} // namespace panelparts
