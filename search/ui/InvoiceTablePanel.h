#pragma once

#include "search/SearchData.h"

#include <QFrame>

class DBGrid;
class QPushButton;
class WindowState;

// The invoice table `TabelaNFiscais` ("Listagem das Notas Fiscais"): the supply invoices of the
// invoice list `NFiscal`, one row each, in the list's order at that moment. The row current when
// the table closes is the invoice the main window shows.
class InvoiceTablePanel : public QFrame {
    Q_OBJECT

public:
    InvoiceTablePanel(QWidget* parent, SearchData dm, WindowState& window);

    void toggle();     // the menu "Tabela": opens the table, or closes it when shown
    void closeTable(); // "&Fechar"

signals:
    void opened();

private:
    void buildPanel(const SearchData& dm);
    void focusMoved(QWidget* from, QWidget* to);

    WindowState& window_;
    DBGrid* DBGrid2;
    QPushButton* BitBtn5;
};
