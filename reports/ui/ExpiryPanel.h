#pragma once

#include <QFrame>

class DataSource;
class DBGrid;
class QPushButton;

// The expiry listing on screen, `PainelVencimentos`: the rows of `qryVencimentos` in `DBGrid4`, and
// "Voltar" (`BitBtn7`, also Esc) that hides it again. It stands over the work area, large enough
// for its grid and its button.
class ExpiryPanel : public QFrame {
    Q_OBJECT

public:
    explicit ExpiryPanel(QWidget* parent = nullptr);

    void setDataSource(DataSource* vencimentos);
    void open();

signals:
    // "Voltar": the panel is hidden.
    void closed();

private:
    DBGrid* DBGrid4;
    QPushButton* BitBtn7;
};
