#include "widgets/SingleLineText.h"

#include <QLineEdit>
#include <QValidator>

namespace {

bool isLineSeparator(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r';
}

class NoControlCharacters : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        for (const QChar c : std::as_const(input))
            if (c.unicode() < 32 && !isLineSeparator(c))
                return Invalid;
        joinLines(input, pos);
        return Acceptable;
    }

private:
    // The cursor keeps its place among the characters kept; inside a run it goes after the blank.
    static void joinLines(QString& input, int& pos)
    {
        QString joined;
        joined.reserve(input.size());
        qsizetype joinedPos = -1;
        qsizetype i = 0;
        while (i < input.size()) {
            if (i == pos)
                joinedPos = joined.size();
            if (!isLineSeparator(input.at(i))) {
                joined += input.at(i++);
                continue;
            }
            const qsizetype runStart = i;
            while (i < input.size() && isLineSeparator(input.at(i)))
                ++i;
            if (runStart > 0 && i < input.size())
                joined += u' ';
            if (pos > runStart && pos < i)
                joinedPos = joined.size();
        }
        input = joined;
        pos = int(joinedPos < 0 ? joined.size() : joinedPos);
    }
};

} // namespace

void RefuseControlCharacters(QLineEdit* edit)
{
    edit->setValidator(new NoControlCharacters(edit));
}
