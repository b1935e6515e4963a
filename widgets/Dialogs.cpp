#include "widgets/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

std::unique_ptr<Dialogs>& slot()
{
    static std::unique_ptr<Dialogs> dialogs = std::make_unique<QtDialogs>();
    return dialogs;
}

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

Dialogs& Dialogs::current()
{
    return *slot();
}

void Dialogs::install(std::unique_ptr<Dialogs> dialogs)
{
    slot() = dialogs ? std::move(dialogs) : std::make_unique<QtDialogs>();
}

void ShowMessage(const QString& text)
{
    Dialogs::current().showMessage(text);
}

bool AskYesNo(const QString& text)
{
    return Dialogs::current().askYesNo(text);
}

QString AskOpenFileName(const QString& caption, const QString& filter)
{
    return Dialogs::current().askOpenFileName(caption, filter);
}

void QtDialogs::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), withLineBreaks(text),
                    QMessageBox::Ok, QApplication::activeWindow());
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
