#include "widgets/EditKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

bool IsTextEditingKey(const QKeyEvent& e)
{
    static const QKeySequence::StandardKey editing[] = {QKeySequence::Paste,
                                                        QKeySequence::Cut,
                                                        QKeySequence::Undo,
                                                        QKeySequence::Redo,
                                                        QKeySequence::DeleteEndOfWord,
                                                        QKeySequence::DeleteStartOfWord,
                                                        QKeySequence::DeleteEndOfLine,
                                                        QKeySequence::DeleteCompleteLine,
                                                        QKeySequence::Backspace,
                                                        QKeySequence::Delete};
    for (auto key : editing)
        if (e.matches(key))
            return true;
    if (e.key() == Qt::Key_Backspace || e.key() == Qt::Key_Delete)
        return true;
    const QString text = e.text();
    return !text.isEmpty() && text.front().isPrint() &&
           !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
