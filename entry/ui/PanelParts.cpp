#include "entry/ui/PanelParts.h"

#include <QLabel>
#include <QPushButton>

namespace panelparts {

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

} // namespace panelparts
