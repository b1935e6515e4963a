#include "entry/ui/KeyLine.h"

#include <QHBoxLayout>
#include <QPushButton>

QWidget* KeyLine(QWidget* panel, const QRect& geometry, std::initializer_list<QWidget*> parts, QSize buttonSize)
{
    auto* line = new QWidget(panel);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (QWidget* part : parts) {
        part->setParent(line);
        if (auto* b = qobject_cast<QPushButton*>(part))
            b->setFixedSize(buttonSize);
        layout->addWidget(part);
    }
    layout->addStretch();
    line->setGeometry(geometry);
    return line;
}
