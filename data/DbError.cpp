#include "data/DbError.h"

DbError::DbError(const QString& message, int sqlcode)
    : std::runtime_error(message.toStdString()), message_(message), sqlcode_(sqlcode)
{
}

EncodingError::EncodingError(QChar character)
    : DbError(QStringLiteral("O caractere \"%1\" (U+%2) não pode ser gravado no banco de dados "
                             "(conjunto de caracteres WIN1252).")
                  .arg(character)
                  .arg(QString::number(character.unicode(), 16).toUpper().rightJustified(4, u'0')),
              kTruncation)
{
}

ConversionError::ConversionError(const QString& message) : std::runtime_error(message.toStdString()), message_(message)
{
}
