#include "data/SqlClauses.h"

#include "data/AsciiCase.h"

#include <optional>
#include <vector>

namespace sqlclauses {

namespace {

enum class Kind { Word, Quoted, Text, Group, Comma, Other };

struct Token {
    Kind kind;
    QString text;        // words in upper case; quoted identifiers as written
    qsizetype start = 0; // where the token begins in the statement
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'.';
}

// Skips a comment starting at i; returns the index after it, or i when there is none.
qsizetype skipComment(const QString& s, qsizetype i)
{
    if (s.mid(i, 2) == QLatin1String("--")) {
        const qsizetype end = s.indexOf(QLatin1Char('\n'), i);
        return end < 0 ? s.size() : end + 1;
    }
    if (s.mid(i, 2) == QLatin1String("/*")) {
        const qsizetype end = s.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? s.size() : end + 2;
    }
    return i;
}

qsizetype skipQuoted(const QString& s, qsizetype i, QChar quote)
{
    for (++i; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote)
                ++i; // doubled quote inside
            else
                return i + 1;
        }
    }
    return s.size();
}

// The tokens of the statement outside any parenthesis; a parenthesised part is one Group token.
std::vector<Token> topLevelTokens(const QString& s)
{
    std::vector<Token> out;
    int depth = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype afterComment = skipComment(s, i);
        if (afterComment != i) {
            i = afterComment;
            continue;
        }
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = skipQuoted(s, i, c);
            if (depth == 0)
                out.push_back({c == u'"' ? Kind::Quoted : Kind::Text, s.mid(i + 1, end - i - 2), i});
            i = end;
        } else if (c == u'(') {
            if (depth++ == 0)
                out.push_back({Kind::Group, {}, i});
            ++i;
        } else if (c == u')') {
            depth = depth > 0 ? depth - 1 : 0;
            ++i;
        } else if (c.isSpace()) {
            ++i;
        } else if (isWordChar(c)) {
            qsizetype end = i;
            while (end < s.size() && isWordChar(s[end]))
                ++end;
            if (depth == 0)
                out.push_back({Kind::Word, ascii::upper(s.mid(i, end - i)), i});
            i = end;
        } else {
            if (depth == 0)
                out.push_back({c == u',' ? Kind::Comma : Kind::Other, QString(c), i});
            ++i;
        }
    }
    return out;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Kind::Word && t.text == QLatin1String(word);
}

// Index of the last top-level "ORDER BY", or -1.
int lastOrderBy(const std::vector<Token>& tokens)
{
    for (int i = int(tokens.size()) - 2; i >= 0; --i)
        if (isWord(tokens[std::size_t(i)], "ORDER") && isWord(tokens[std::size_t(i) + 1], "BY"))
            return i;
    return -1;
}

bool endsOrderBy(const Token& t)
{
    for (const char* w : {"ROWS", "FOR", "WITH", "PLAN", "UNION"})
        if (isWord(t, w))
            return true;
    return false;
}

OrderItem orderItemOf(const std::vector<Token>& item)
{
    OrderItem o;
    std::size_t n = item.size();
    if (n >= 2 && isWord(item[n - 2], "NULLS")) {
        o.nullsFirst = isWord(item[n - 1], "FIRST");
        n -= 2;
    } else {
        o.nullsFirst = true;
    }
    bool explicitNulls = n != item.size();
    if (n >= 1 && (isWord(item[n - 1], "DESC") || isWord(item[n - 1], "DESCENDING"))) {
        o.descending = true;
        --n;
    } else if (n >= 1 && (isWord(item[n - 1], "ASC") || isWord(item[n - 1], "ASCENDING"))) {
        --n;
    }
    if (!explicitNulls)
        o.nullsFirst = !o.descending;
    if (n != 1 || (item[0].kind != Kind::Word && item[0].kind != Kind::Quoted)) {
        o.plain = false;
        return o;
    }
    const QString text = item[0].text;
    const qsizetype dot = item[0].kind == Kind::Word ? text.lastIndexOf(QLatin1Char('.')) : -1;
    o.qualifier = dot < 0 ? QString() : text.left(dot);
    o.name = dot < 0 ? text : text.mid(dot + 1);
    return o;
}

bool isJoinWord(const Token& t)
{
    for (const char* w : {"JOIN", "LEFT", "RIGHT", "FULL", "INNER", "OUTER", "CROSS", "NATURAL"})
        if (isWord(t, w))
            return true;
    return false;
}

bool endsFrom(const Token& t)
{
    for (const char* w : {"WHERE", "GROUP", "HAVING", "PLAN", "ORDER", "UNION", "ROWS", "FOR"})
        if (isWord(t, w))
            return true;
    return false;
}

} // namespace

QList<OrderItem> orderBy(const QString& sql)
{
    const std::vector<Token> tokens = topLevelTokens(sql);
    const int start = lastOrderBy(tokens);
    QList<OrderItem> items;
    if (start < 0)
        return items;
    std::vector<Token> current;
    for (std::size_t i = std::size_t(start) + 2; i <= tokens.size(); ++i) {
        const bool end = i == tokens.size() || endsOrderBy(tokens[i]);
        if (end || tokens[i].kind == Kind::Comma) {
            if (!current.empty())
                items.append(orderItemOf(current));
            current.clear();
            if (end)
                break;
            continue;
        }
        if (isWord(tokens[i], "COLLATE")) {
            current.push_back({Kind::Other, tokens[i].text, tokens[i].start});
            continue;
        }
        current.push_back(tokens[i]);
    }
    return items;
}

QHash<QString, QString> tableAliases(const QString& sql)
{
    const std::vector<Token> tokens = topLevelTokens(sql);
    QHash<QString, QString> aliases;
    std::size_t i = 0;
    while (i < tokens.size() && !isWord(tokens[i], "FROM"))
        ++i;
    // Each table reference: a name, optionally AS and an alias, then ON ... up to the next one.
    bool expectTable = true;
    for (++i; i < tokens.size() && !endsFrom(tokens[i]); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Kind::Comma || isJoinWord(t)) {
            expectTable = true;
            continue;
        }
        if (!expectTable || (t.kind != Kind::Word && t.kind != Kind::Quoted))
            continue;
        expectTable = false;
        const QString table = t.kind == Kind::Word ? t.text : ascii::upper(t.text);
        aliases.insert(table, table);
        std::size_t next = i + 1;
        if (next < tokens.size() && isWord(tokens[next], "AS"))
            ++next;
        if (next < tokens.size() && (tokens[next].kind == Kind::Word || tokens[next].kind == Kind::Quoted) &&
            !isWord(tokens[next], "ON") && !isJoinWord(tokens[next]) && !endsFrom(tokens[next])) {
            aliases.insert(ascii::upper(tokens[next].text), table);
            i = next;
        }
    }
    return aliases;
}

std::optional<SelectParts> selectParts(const QString& sql)
{
    const std::vector<Token> tokens = topLevelTokens(sql);
    if (tokens.empty() || !isWord(tokens.front(), "SELECT"))
        return std::nullopt;
    const int order = lastOrderBy(tokens);
    if (order < 0)
        return std::nullopt;
    SelectParts parts;
    parts.orderAt = tokens[std::size_t(order)].start;
    for (int i = 0; i < order; ++i) {
        const Token& t = tokens[std::size_t(i)];
        for (const char* w : {"GROUP", "HAVING", "UNION", "PLAN", "ROWS", "FIRST", "SKIP", "DISTINCT"})
            if (isWord(t, w))
                return std::nullopt;
        if (isWord(t, "WHERE")) {
            if (parts.whereAt >= 0)
                return std::nullopt;
            parts.whereAt = t.start;
        }
    }
    for (std::size_t i = std::size_t(order) + 2; i < tokens.size(); ++i)
        if (endsOrderBy(tokens[i]))
            return std::nullopt;
    return parts;
}

} // namespace sqlclauses
