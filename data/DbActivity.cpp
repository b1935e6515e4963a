#include "data/DbActivity.h"

namespace dbactivity {

namespace {

Hooks& hooks()
{
    static Hooks h;
    return h;
}

int depth = 0;

} // namespace

void install(Hooks h)
{
    hooks() = std::move(h);
}

void statementSent(const QString& sql)
{
    if (hooks().statement)
        hooks().statement(sql);
}

Notice::Notice(const QString& text)
{
    if (hooks().notice)
        hooks().notice(text);
}

Notice::~Notice()
{
    if (hooks().notice)
        hooks().notice(QString());
}

Call::Call()
{
    if (depth++ == 0 && hooks().callBegins)
        hooks().callBegins();
}

Call::~Call()
{
    if (--depth == 0 && hooks().callEnds)
        hooks().callEnds();
}

} // namespace dbactivity
