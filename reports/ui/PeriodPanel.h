#pragma once

#include <QFrame>

class DataSource;
class DBEdit;
class QPushButton;

// The period of the expiry listing, `PainelPeriodo4` ("Período"): "Data Inicial:" (`DBEdit85`) and
// "Data Final:" (`DBEdit86`) on the PERIODO row, Enter moving on from each; "Relatório"
// (`BotRelVenc`, the default button) and "Cancelar" (`BotCancVenc`, also Esc).
class PeriodPanel : public QFrame {
    Q_OBJECT

public:
    explicit PeriodPanel(QWidget* parent = nullptr);

    void setDataSource(DataSource* periodo);
    // Placed over the work area, shown, the focus on "Data Inicial:".
    void open();

signals:
    void relatorioClicked();
    void cancelarClicked();

private:
    DBEdit* DBEdit85;
    DBEdit* DBEdit86;
    QPushButton* BotRelVenc;
    QPushButton* BotCancVenc;
};
