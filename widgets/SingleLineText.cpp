#include "widgets/SingleLineText.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class NoControlCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (const QChar c : std::as_const(input))
            if (c.unicode() < 32)
                return Invalid;
        return Acceptable;
    }
};

} // namespace

void RefuseControlCharacters(QLineEdit* edit)
{
    edit->setValidator(new NoControlCharacters(edit));
}
