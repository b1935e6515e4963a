#pragma once

#include "data/SqlText.h"
#include "tests/support/PurchaseRows.h"
#include "tests/ui/WorkingWindow.h"

#include <QApplication>

// The invoice window on one supply invoice (number 123 of supplier 0001), with the products,
// units and items a test puts in before `start()`. The invoice's fields are unlocked, as while it
// is being edited, so that the item grid takes typing.
class ItemWindow : public WorkingWindow {
public:
    ItemWindow()
    {
        testrows::insertInvoice(sql(), testrows::Invoice()); // number 123 of supplier 0001, 04/03/2026
        for (const char* unit : {"g", "kg", "l", "un"})
            sql().execute(QStringLiteral("insert into UNIDADES (UNIDADE) values (%1)").arg(sql::quoted(unit)));
    }

    void product(const QString& code, const QString& name, const QString& unit = QStringLiteral("un"),
                 const QString& dcb = {}, const QString& group = QStringLiteral("SUP"), double cost = 0,
                 double divisor = 1)
    {
        sql().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, UNID, DCB, CUSTOUNITR, "
                                     "DIVISORUNID, MULTIPLICADOR) values (%1, %2, %3, %4, %5, %6, %7, 1)")
                          .arg(sql::quoted(code), sql::quoted(name), sql::quoted(group), sql::quoted(unit),
                               dcb.isEmpty() ? QStringLiteral("null") : sql::quoted(dcb), sql::number(cost, 4),
                               sql::number(divisor, 0)));
    }

    void item(int key, const QString& name, const QString& code, double quantity, const QString& unit, double price,
              const QString& status = QStringLiteral("Estoque"))
    {
        testrows::Item row;
        row.code = key;
        row.product = name;
        row.productCode = code;
        row.quantity = quantity;
        row.unit = unit;
        row.price = price;
        row.location = QStringLiteral("Almoxarifado");
        row.status = status;
        row.responsible = QString::number(key).rightJustified(4, u'0');
        testrows::insertItem(sql(), row);
    }

    // After login, the invoice open for editing and the focus in the item grid.
    bool start()
    {
        if (!startWork())
            return false;
        // The work area fills the window once the window has its size.
        form->PainelCompras->setGeometry(form->centralWidget()->rect());
        form->UnlockInvoiceFields();
        form->findChild<DBGrid*>("DBGrid1")->setFocus(Qt::OtherFocusReason);
        return form->findChild<DBGrid*>("DBGrid1")->hasFocus();
    }

    // A new item row, as the Insert key adds it.
    void newItem() { QTest::keyClick(form->findChild<DBGrid*>("DBGrid1"), Qt::Key_Insert); }

    // Keys as the clerk types them: each goes where the focus is (the cell editor once it opened).
    // A character beyond Latin-1 comes as the text of a key without a key code.
    static void type(const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() <= 0xFF)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    int column() const { return form->findChild<DBGrid*>("DBGrid1")->selectedIndex(); }
    QString itemText(const char* field) const { return dm->Compras.asText(QLatin1String(field)); }
    // A decimal column of a product as the database holds it now (0 when NULL).
    double productValue(const QString& code, const char* column)
    {
        const Values row = sql().executeRow(
            QStringLiteral("select %1 from COMPONEN where CODIGO = %2").arg(QLatin1String(column), sql::quoted(code)));
        const auto* value = row.empty() ? nullptr : std::get_if<Decimal>(&row.front());
        return value ? value->toDouble() : 0;
    }
};
