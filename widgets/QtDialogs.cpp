#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

void QtDialogs::makeDefault()
{
    Dialogs::setDefault([]() -> std::unique_ptr<Dialogs> { return std::make_unique<QtDialogs>(); });
    Dialogs::install(nullptr);
}

void QtDialogs::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), withLineBreaks(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtDialogs::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), withLineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::askOpenFileName(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filter);
}
