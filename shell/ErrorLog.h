#pragma once

#include <QDateTime>
#include <QString>

// Appends one line to the error log of the product folder (erros.log): date, time, user,
// workstation and the error's text (its line breaks folded into " / ").
void AppendErrorLog(const QString& path, const QString& user, const QString& workstation, const QString& error,
                    const QDateTime& now = QDateTime::currentDateTime());
