#pragma once

#include <QStringList>
#include <QTextStream>

// korvanis-admin's reports: the labels of an invoice and the expiry listing written to a PDF file,
// on the same data and layout as the window's, and the report project that init and demo write.
namespace admin {

// "report etiquetas ..." and "report vencimentos ..." (arguments after "report").
int report(const QStringList& args, QTextStream& out, QTextStream& err);

// The default report project in the product folder, unless one is there already.
void writeDefaultReportProject(QTextStream& out);

QString reportUsage();

} // namespace admin
