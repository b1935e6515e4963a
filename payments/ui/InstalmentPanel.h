#pragma once

#include "data/Decimal.h"
#include "payments/PaymentsData.h"

#include <QFrame>

class DBEdit;
class DBGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class WindowState;

// The instalment panel `PainelFormaPag` ("Forma de Pagamento"): the instalments of the current
// invoice typed one by one, each with its due date and amount, until they add up to the net value.
// The rows are PAGDIVER rows, stored as soon as they are posted (the dataset rules of `PagDiver`).
class InstalmentPanel : public QFrame {
    Q_OBJECT

public:
    // The grid bound to the invoice's instalments, the net value to the invoice.
    InstalmentPanel(PaymentsData dm, WindowState& window, QWidget* parent);

    // Opens the panel on the invoice's instalments when `paymentForm` is "Datas e valores diversos";
    // any other text does nothing.
    void ShowCustomInstalments(const QString& paymentForm);
    // The remaining amount recomputed from the stored instalments: shown in `EditValRest`, with
    // "Voltar " enabled only when nothing remains.
    void RecalcInstalmentBalance();
    // Posts the current instalment, hides the panel and removes the invoice's rows left without date.
    void CloseInstalmentPanel();

    Decimal InstalmentBalance() const { return balance_; }

signals:
    // "Voltar ": the instalments add up to the net value and may go to accounts payable.
    void instalmentsConfirmed();
    // "Cancelar" answered Yes: the invoice's instalments are gone; another payment form is wanted.
    void customFormDropped();
    // "Cancelar" answered No: the panel closed, the stored instalments stay.
    void closedWithoutChange();

private:
    void buildControls();
    void connectControls();
    bool gridKey(QKeyEvent& event);
    void EnterInValueColumn();
    void EnterInDateColumn();
    void BitBtn2Click();
    void BitBtn3Click();
    void postCurrentInstalment();
    bool storeTypedInstalment(int column);
    bool dueDateAccepted();

    PaymentsData dm_;
    WindowState& window_;
    Decimal balance_{0, 2};

    QLabel* title_;
    DBGrid* DBGrid3;
    QLabel* labelValorTotal_;
    DBEdit* DBEdit28;
    QLabel* LabelRestante;
    QLineEdit* EditValRest;
    QFrame* Bevel12;
    QPushButton* BitBtn2; // "Voltar "
    QPushButton* BitBtn3; // "Cancelar"
};
