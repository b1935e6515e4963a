#include "widgets/DBEdit.h"

#include "data/CachedDataset.h"
#include "widgets/EditKeys.h"
#include "widgets/FocusColours.h"
#include "widgets/ReadOnlyLook.h"
#include "widgets/SingleLineText.h"

#include <QKeyEvent>

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent), link_(this, {[this] { return text(); }, [this](const QString& t) { setText(t); },
                                      [this](const QKeyEvent& e) { return !isReadOnly() && IsTextEditingKey(e); }})
{
    HighlightOnFocus(this);
    RefuseControlCharacters(this);
    ShowDisabledAsReadOnly(this);
    connect(this, &QLineEdit::textEdited, &link_, &FieldLink::userChanged);
    connect(&link_, &FieldLink::entered, this, &DBEdit::entered);
    connect(&link_, &FieldLink::exited, this, &DBEdit::exited);
    connect(&link_, &FieldLink::edited, this, &DBEdit::edited);
    connect(&link_, &FieldLink::bindingChanged, this, &DBEdit::applyFormat);
}

void DBEdit::setDataField(const QString& field)
{
    link_.setField(field);
}

void DBEdit::setFieldFormat(const FieldFormat& format)
{
    link_.setFormat(format);
}

// The mask comes from the format. A number field takes any text, so that a slip ("1a0") is
// refused with the field's message when it is stored, rather than read as another number.
void DBEdit::applyFormat()
{
    const QString mask = fieldtext::qtInputMask(link_.format().entryMask);
    if (mask != inputMask()) {
        const QString keep = text();
        setInputMask(mask);
        setText(keep);
    }
}
