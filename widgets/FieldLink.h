#pragma once

#include "data/CachedDataset.h"
#include "widgets/FieldText.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWidget;

// What every control bound to a field shares with its data source: it shows the field's text
// (the display form while not focused, the typing form while focused), puts the dataset into edit
// when the user starts typing and the source allows it (and refuses the key otherwise), signals
// only the user's edits, and writes the typed text into the field when the control is left -
// before `exited` - and when the dataset is posted. Nothing it loads itself counts as an edit.
//
// A typed text the field cannot take is reported and the focus stays in the control to correct
// it; Esc drops it, and so does a control that goes out of reach (its panel closes) while holding
// it: the field then shows its stored value again. Each refusal is told once.
class FieldLink : public QObject {
    Q_OBJECT

public:
    struct Control {
        std::function<QString()> text;
        std::function<void(const QString&)> setText;
        // Whether a key would change the text (and so needs the dataset in edit).
        std::function<bool(const QKeyEvent&)> isEditingKey;
    };

    FieldLink(QWidget* control, Control access);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    CachedDataset* dataset() const;
    void setField(const QString& field);
    const QString& field() const { return field_; }
    void setFormat(const FieldFormat& format);
    const FieldFormat& format() const { return format_; }

    // An open dataset holding the field.
    bool isBound() const;
    ColumnType columnType() const; // Text when not bound
    // The dataset is in edit or insert, or is put there now when the source allows automatic edit.
    bool startEditing();
    bool isModified() const { return modified_; }
    // Writes a text the user typed into the field; throws the conversion's or the dataset's error.
    void writePending();
    // Shows the field's current text, dropping what the user typed.
    void load();
    // The control tells of a change the user made (typing, pasting, picking from a list).
    void userChanged();

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void entered();
    void exited(); // after the typed text reached the field
    void edited(const QString& text);
    void bindingChanged(); // source, field, format, or the dataset opened or closed

private:
    int column() const; // -1 when not bound
    QString fieldText(bool forTyping) const;
    void connectDataset();
    void leave();
    bool holdsRefusedText() const;
    void onFieldChanged(int row, int column);
    void onRowChanged(int row);

    QWidget* control_;
    Control access_;
    QPointer<DataSource> source_;
    QPointer<CachedDataset> connected_;
    QString field_;
    FieldFormat format_;
    bool modified_ = false;
    bool writing_ = false;
    bool inside_ = false; // entered and not yet left
    QString refusedText_; // the typed text last refused and reported; null when none is held
};
