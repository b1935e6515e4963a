#include "widgets/DatabaseActivity.h"

#include "data/DbActivity.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

namespace {

QPointer<QLabel>& noticeLabel()
{
    static QPointer<QLabel> label;
    return label;
}

QWidget* windowForNotice()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->isVisible() && !w->isMinimized())
            return w;
    return nullptr;
}

QLabel* makeNoticeLabel(QWidget* window)
{
    auto* label = new QLabel(window);
    label->setObjectName(QStringLiteral("AvisoBancoDeDados"));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral(
        "QLabel { background: #fff3b0; color: black; border: 2px solid #7a5c00; padding: 14px; font-weight: bold; }"));
    return label;
}

// Shows the text over the window and paints it now: the work it announces follows at once and
// keeps the event loop from painting.
void showNotice(const QString& text)
{
    QPointer<QLabel>& label = noticeLabel();
    if (text.isEmpty()) {
        if (label)
            label->hide();
        return;
    }
    QWidget* window = windowForNotice();
    if (!window)
        return;
    if (!label || label->window() != window) {
        delete label;
        label = makeNoticeLabel(window);
    }
    label->setText(text);
    label->adjustSize();
    label->move((window->width() - label->width()) / 2, (window->height() - label->height()) / 3);
    label->show();
    label->raise();
    label->repaint();
}

} // namespace

void InstallDatabaseActivityDisplay()
{
    dbactivity::Hooks hooks;
    hooks.callBegins = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    hooks.callEnds = [] { QApplication::restoreOverrideCursor(); };
    hooks.notice = showNotice;
    dbactivity::install(std::move(hooks));
}
