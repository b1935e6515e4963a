#pragma once

#include "widgets/FieldLink.h"

#include <QLineEdit>

class DataSource;

// A single-line edit bound to a field of a data source (see `FieldLink`). Dates take the entry
// mask "99/99/99" with their slashes; numbers take only digits, signs and separators. It is
// painted in the focus colour while it has the focus.
class DBEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    void setDataField(const QString& field);
    void setFieldFormat(const FieldFormat& format);
    FieldLink& link() { return link_; }

signals:
    void entered();
    void exited();                    // the focus left and the typed text is in the field
    void edited(const QString& text); // the user changed the text

private:
    void applyFormat();

    FieldLink link_;
};
