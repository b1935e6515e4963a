#pragma once

#include "search/PurchaseSearch.h"
#include "search/SearchData.h"

#include <QFrame>

#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;
class WindowState;

// The purchase search panel `PainelPesquisaCompras` ("Pesquisa de Notas Fiscais"): six columns
// side by side, each a button, a search field and a grid: invoice date, number and supplier over the
// invoice list, product, expiry date and lot over the supply items. A search positions one list;
// moving in a grid of one side positions the other. Closed with `BotSairPesquisa` (or Esc), it
// leaves the main window on the invoice found.
class PurchaseSearchPanel : public QFrame {
    Q_OBJECT

public:
    PurchaseSearchPanel(QWidget* parent, SearchData dm, WindowState& window);

    void openPanel();  // the menu "Pesquisa"
    void closePanel(); // `BotSairPesquisa`

signals:
    void opened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Column {
        QPushButton* button;
        QLineEdit* field;
        DBGrid* grid;
    };
    Column addColumn(const QString& buttonName, const QString& caption, const QString& fieldName,
                     const QString& gridName, const QString& dataField, const QString& title, bool dateField);
    void buildPanel(const SearchData& dm);
    void connectColumns();
    void enterInField(QLineEdit* field);
    void followFromGrid(DBGrid* grid);
    void focusMoved(QWidget* from, QWidget* to);

    WindowState& window_;
    PurchaseSearch search_;
    QPushButton* BotOrdData;
    QPushButton* BitBtn1;
    QPushButton* BotFornec;
    QPushButton* BotProdcomp;
    QPushButton* BotValid;
    QPushButton* BotLote;
    QLineEdit* PesqData;
    QLineEdit* EditNotaFiscal;
    QLineEdit* EditFornecedor;
    QLineEdit* EditComponente;
    QLineEdit* EditValidade;
    QLineEdit* EditLote;
    DBGrid* GradeData;
    DBGrid* GradeNFiscal;
    DBGrid* GradeForn;
    DBGrid* GradeComp;
    DBGrid* GradeValid;
    DBGrid* GradeLote;
    QPushButton* BotSairPesquisa;
    std::vector<Column> columns_;
    bool following_ = false;
};
