#include "widgets/ReadOnlyLook.h"

#include <QPalette>
#include <QWidget>

void ShowDisabledAsReadOnly(QWidget* control)
{
    QPalette palette = control->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Window));
    control->setPalette(palette);
}
