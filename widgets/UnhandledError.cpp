#include "widgets/UnhandledError.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/ServerError.h"
#include "shell/Dialogs.h"

#include <QTimer>

namespace {

ErrorReporter& reporter()
{
    static ErrorReporter r;
    return r;
}

} // namespace

QString ErrorText(const std::exception& error)
{
    // A server's error reads as a Portuguese sentence, with the server's own text as detail.
    if (const auto* db = dynamic_cast<const DbError*>(&error))
        return dberror::codes(*db).empty()
                   ? db->message()
                   : DbErrorText(QStringLiteral("Não foi possível concluir a operação no banco de dados."), *db);
    if (const auto* conversion = dynamic_cast<const ConversionError*>(&error))
        return conversion->message();
    if (const auto* dataset = dynamic_cast<const DatasetError*>(&error))
        return dataset->message();
    return QString::fromLocal8Bit(error.what());
}

void ReportUnhandledError(const std::exception& error)
{
    if (reporter())
        reporter()(error);
    else
        ShowMessage(ErrorText(error));
}

void SetErrorReporter(ErrorReporter r)
{
    reporter() = std::move(r);
}

void ReportLater(const std::exception_ptr& error)
{
    QTimer::singleShot(0, [error] {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            ReportUnhandledError(e);
        }
    });
}
