#pragma once

#include "widgets/FieldLink.h"

#include <QComboBox>

// An editable combo box bound to a field of a data source (see `FieldLink`): the clerk types a
// text or picks one of the items. Picking from the list is an edit like typing. The wheel does not
// change the text, so that scrolling the window cannot change a field by accident.
class DBComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DBComboBox(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    void setDataField(const QString& field) { link_.setField(field); }
    FieldLink& link() { return link_; }

signals:
    void entered();
    void exited();
    void edited(const QString& text);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    FieldLink link_;
};
