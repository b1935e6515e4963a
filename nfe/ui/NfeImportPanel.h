#pragma once

#include "nfe/NfeData.h"

#include <QFrame>

#include <memory>

class NfeImporter;
class QLabel;
class QLineEdit;
class QPushButton;
struct SessionState;

// The NF-e import panel (`Painel_NFe`): asks for the XML file, shows the invoice number, issue
// date, issuer, total, items and signer of the file read, takes the receipt date and imports the invoice.
// It reaches the window only through its signals.
class NfeImportPanel : public QFrame {
    Q_OBJECT

public:
    explicit NfeImportPanel(QWidget* parent = nullptr);
    ~NfeImportPanel() override;

    void attach(NfeData dm, const SessionState& session);
    NfeImporter* importer() const { return importer_.get(); }

    // "Importar &NF-e": the panel, the file dialog and the read.
    void BitBtn15Click();
    // "Importar NF-e": the import.
    void BitBtn16Click();
    // "Cancelar".
    void BitBtn17Click();

signals:
    // The panel was closed without an import: the focus goes back to "Importar &NF-e".
    void cancelled();
    // An import ran (written or refused as already recorded); the invoice list stands on it.
    void importFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void clearLabels();
    void showDocument(bool itemsRecognised);
    void closePanel();

    std::unique_ptr<NfeImporter> importer_;
    const SessionState* session_ = nullptr;
    QLineEdit* Edit1;
    QLabel* lblNFiscal;
    QLabel* lblData;
    QLabel* lblFornecedor;
    QLabel* lblTotalNFe;
    QLabel* lblItensNFe;
    QLabel* lblAssinatura;
    QLineEdit* MaskEdit1;
    QPushButton* BitBtn16;
    QPushButton* BitBtn17;
};
