#include "window/QtDialogs.h"

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

namespace {

bool askWithDefault(const QString& text, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), withLineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

bool QtDialogs::askYesNo(const QString& text)
{
    return askWithDefault(text, QMessageBox::Yes);
}

bool QtDialogs::askYesNoDefaultNo(const QString& text)
{
    return askWithDefault(text, QMessageBox::No);
}

QString QtDialogs::askOpenFileName(const QString& caption, const QString& filter)
{
    return askOpenFileNameIn(caption, filter, QString());
}

QString QtDialogs::askOpenFileNameIn(const QString& caption, const QString& filter, const QString& folder)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, folder, filter);
}
