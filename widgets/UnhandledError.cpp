#include "widgets/UnhandledError.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"
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
    if (const auto* db = dynamic_cast<const DbError*>(&error))
        return db->message();
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

void ReportLater(std::exception_ptr error)
{
    QTimer::singleShot(0, [error] {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            ReportUnhandledError(e);
        }
    });
}
