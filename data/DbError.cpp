#include "data/DbError.h"

DbError::DbError(const QString& message, int sqlcode)
    : std::runtime_error(message.toStdString()), message_(message), sqlcode_(sqlcode)
{
}

namespace {

// The character as the clerk would see it; half of a pair (which shows as nothing) by its code only.
QString shownCharacter(char32_t character)
{
    if (QChar::isSurrogate(character))
        return {};
    return QString::fromUcs4(&character, 1);
}

} // namespace

EncodingError::EncodingError(char32_t character)
    : DbError(QStringLiteral("O caractere \"%1\" (U+%2) não pode ser gravado no banco de dados "
                             "(conjunto de caracteres WIN1252).")
                  .arg(shownCharacter(character), QString::number(character, 16).toUpper().rightJustified(4, u'0')),
              kTruncation)
{
}

ConversionError::ConversionError(const QString& message) : std::runtime_error(message.toStdString()), message_(message)
{
}
