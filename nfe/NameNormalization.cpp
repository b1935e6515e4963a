#include "nfe/NameNormalization.h"

#include "data/AsciiCase.h"

#include <QStringList>

namespace {

QString trimControlAndBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

bool isConnectingWord(const QString& lowerWord)
{
    static const QStringList words = {QStringLiteral("de"),  QStringLiteral("da"), QStringLiteral("do"),
                                      QStringLiteral("das"), QStringLiteral("e"),  QStringLiteral("dos")};
    return words.contains(lowerWord);
}

bool isDroppableInTheMiddle(const QString& upperWord)
{
    static const QStringList words = {QStringLiteral("DE"), QStringLiteral("DA"), QStringLiteral("DAS"),
                                      QStringLiteral("DO"), QStringLiteral("DOS")};
    return words.contains(upperWord);
}

QString capitalised(const QString& word)
{
    const QString lowerWord = ascii::lower(word);
    if (isConnectingWord(lowerWord))
        return lowerWord;
    return ascii::upper(lowerWord.left(1)) + lowerWord.mid(1);
}

QString withCompanySuffix(QString name)
{
    const auto tailIs = [&](int length, std::initializer_list<const char*> forms) {
        const QString tail = ascii::upper(name.right(length));
        if (name.size() < length)
            return false;
        for (const char* f : forms)
            if (tail == QLatin1String(f))
                return true;
        return false;
    };
    if (tailIs(3, {"S.A", "S/A", "S A"}))
        name = name.left(name.size() - 3) + QStringLiteral("S/A");
    if (tailIs(4, {"S.A.", "S /A", "S/ A"}))
        name = name.left(name.size() - 4) + QStringLiteral("S/A");
    if (tailIs(3, {" SA"}))
        name = name.left(name.size() - 2) + QStringLiteral("S/A");
    return name;
}

} // namespace

QString NormalizeName(const QString& text)
{
    const QString trimmed = trimControlAndBlanks(text);
    if (trimmed.isEmpty())
        return {};

    // Words are separated by single blanks; any run of blanks counts as one.
    QStringList words = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& w : words)
        w = capitalised(w);

    if (words.size() > 2) {
        QStringList kept;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const bool middle = i >= 2 && i < words.size() - 1;
            if (!(middle && isDroppableInTheMiddle(ascii::upper(words[i]))))
                kept << words[i];
        }
        words = kept;
    }
    return withCompanySuffix(words.join(QLatin1Char(' ')));
}
