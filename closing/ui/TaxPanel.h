#pragma once

#include "closing/InvoiceTotals.h"

#include <QFrame>

#include <optional>

class DatasetRules;
class DataSource;
class DBEdit;
class QPushButton;
class WindowState;

// The tax panel `PainelOutrasDespesas` ("Impostos, Outras Despesas e Desconto"): the invoice's
// taxes, expenses and discount, typed into the current invoice row, with its gross and net value
// shown read-only. While it is up the invoice is in the tax panel's mode, its fields are locked and
// the main buttons disabled.
//
// Every field is highlighted while it has the focus and Enter moves on in the panel's tab order.
// Leaving one of the fields that count in the totals asks for a recomputation with the key of
// that field (`totalsFieldLeft`); the window recomputes and moves the focus on.
class TaxPanel : public QFrame {
    Q_OBJECT

public:
    TaxPanel(WindowState& window, DatasetRules& rules, QWidget* parent);

    void setDataSource(DataSource* source);

    // "Impostos, Desp. e Descontos": places and shows the panel, the focus on CFOP, the invoice
    // fields locked and the main buttons disabled.
    void Open();
    // "Voltar": unlocks the invoice fields, enables the main buttons, tells the window (which
    // enables and focuses "Fechar Nota Fiscal") and hides the panel.
    void Close();

    // The step that leaving a field of the panel is; none for a field that does not count in the
    // totals.
    static std::optional<TotalsStep> TotalsStepOf(const QString& fieldName);
    // The panel's control for a place the totals lead to; nullptr for a place of the work area.
    QWidget* control(TotalsNext next) const;

signals:
    void totalsFieldLeft(TotalsStep step);
    void returnedToInvoice();

private:
    DBEdit* addField(const QString& name, const QString& column, const QString& caption, int left, int top, int width,
                     bool money = true);
    void buildInvoiceLine();
    void buildFields();
    void buildTotals();

    WindowState& window_;
    DatasetRules& rules_;
    QList<DBEdit*> fields_; // every bound edit, the read-only ones included
    QList<DBEdit*> tabOrder_;
    QPushButton* BitBtn6;
};
