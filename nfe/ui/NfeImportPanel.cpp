#include "nfe/ui/NfeImportPanel.h"

#include "data/Decimal.h"
#include "data/Formats.h"
#include "nfe/NfeImport.h"
#include "nfe/NfeReader.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FocusColours.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QRect kPanelGeometry(8, 5, 762, 271);

QLabel* valueLabel(QWidget* panel, const QString& name, const QRect& geometry)
{
    auto* label = new QLabel(panel);
    label->setObjectName(name);
    label->setGeometry(geometry);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

NfeImportPanel::NfeImportPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Painel_NFe"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setGeometry(kPanelGeometry);
    buildControls();
    hide();
}

NfeImportPanel::~NfeImportPanel() = default;

void NfeImportPanel::buildControls()
{
    panelparts::titleBar(this, QStringLiteral("TituloNFe"),
                         QStringLiteral("Importação de Nota Fiscal Eletrônica (NF-e)"));

    panelparts::label(this, QStringLiteral("Arquivo XML:"), 14, 40);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(130, 36, 616, 22);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::ClickFocus);

    panelparts::label(this, QStringLiteral("Nota Fiscal:"), 14, 72);
    lblNFiscal = valueLabel(this, QStringLiteral("lblNFiscal"), QRect(130, 70, 150, 18));
    panelparts::label(this, QStringLiteral("Data Emissão:"), 300, 72);
    lblData = valueLabel(this, QStringLiteral("lblData"), QRect(400, 70, 120, 18));
    panelparts::label(this, QStringLiteral("Fornecedor:"), 14, 100);
    lblFornecedor = valueLabel(this, QStringLiteral("lblFornecedor"), QRect(130, 98, 616, 18));
    panelparts::label(this, QStringLiteral("Total da NF-e:"), 14, 128);
    lblTotalNFe = valueLabel(this, QStringLiteral("lblTotalNFe"), QRect(130, 126, 150, 18));
    panelparts::label(this, QStringLiteral("Itens:"), 300, 128);
    lblItensNFe = valueLabel(this, QStringLiteral("lblItensNFe"), QRect(400, 126, 346, 18));
    panelparts::label(this, QStringLiteral("Assinada por:"), 14, 152);
    lblAssinatura = valueLabel(this, QStringLiteral("lblAssinatura"), QRect(130, 150, 616, 18));

    panelparts::label(this, QStringLiteral("Data de Recebimento:"), 14, 176);
    MaskEdit1 = new QLineEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setInputMask(QStringLiteral("99/99/99;_"));
    MaskEdit1->setGeometry(160, 172, 80, 22);
    HighlightOnFocus(MaskEdit1);
    MaskEdit1->installEventFilter(this);

    BitBtn16 = panelparts::button(this, QStringLiteral("BitBtn16"), QStringLiteral("Importar NF-e"));
    BitBtn16->setGeometry(500, 226, 120, 30);
    BitBtn16->setEnabled(false);
    BitBtn17 = panelparts::button(this, QStringLiteral("BitBtn17"), QStringLiteral("Cancelar"));
    BitBtn17->setGeometry(630, 226, 116, 30);
    keyroles::setCancelButton(this, BitBtn17);

    connect(BitBtn16, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn16Click(); }); });
    connect(BitBtn17, &QPushButton::clicked, this, [this] { BitBtn17Click(); });
}

void NfeImportPanel::attach(NfeData dm, const SessionState& session)
{
    importer_ = std::make_unique<NfeImporter>(dm, session);
    session_ = &session;
    // What was read is on the panel before any question about the file.
    importer_->setOnDocumentRead([this] { showDocument(false); });
}

// Enter in the receipt date goes to "Importar NF-e".
bool NfeImportPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MaskEdit1 && event->type() == QEvent::KeyPress && IsEnterKey(*static_cast<QKeyEvent*>(event))) {
        BitBtn16->setFocus();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void NfeImportPanel::clearLabels()
{
    for (QLabel* label : {lblNFiscal, lblData, lblFornecedor, lblTotalNFe, lblItensNFe, lblAssinatura})
        label->clear();
}

void NfeImportPanel::showDocument(bool itemsRecognised)
{
    const NfeDocument& doc = importer_->document();
    lblNFiscal->setText(doc.nNF);
    lblData->setText(NfeDateToText(doc.dEmi));
    lblFornecedor->setText(doc.xFant);
    const auto total = Decimal::parse(doc.vNF);
    lblTotalNFe->setText(total ? QStringLiteral("R$ ") + formats::money(*total) : doc.vNF);
    if (doc.detCount == 0)
        lblItensNFe->clear();
    else if (itemsRecognised) {
        const NfeImporter::Recognition recognised = importer_->recognisedItems();
        lblItensNFe->setText(
            QStringLiteral("%1 (%2 reconhecido(s) pelo código do fornecedor, %3 pelo código de barras)")
                .arg(doc.detCount)
                .arg(recognised.bySupplierCode)
                .arg(recognised.byBarCode));
    } else
        lblItensNFe->setText(QString::number(doc.detCount));
    // The signer as its certificate names it; a file taken without a signature says so.
    if (doc.isSigned)
        lblAssinatura->setText(doc.signer);
    else if (itemsRecognised)
        lblAssinatura->setText(QStringLiteral("(sem assinatura digital)"));
}

void NfeImportPanel::BitBtn15Click()
{
    setGeometry(kPanelGeometry);
    show();
    raise();
    BitBtn17->setFocus();
    // The file dialog opens in the folder the NF-e files arrive in, when the settings name one.
    const QString path = AskOpenFileName(QStringLiteral("Abrir NF-e"),
                                         QStringLiteral("Arquivos XML (*.xml *.XML);;Todos os arquivos (*)"),
                                         session_ ? session_->NfeInboxFolder : QString());
    if (path.isEmpty())
        return;
    Edit1->setText(path);
    clearLabels();
    // A file that cannot be imported must not leave the previous one ready to import.
    BitBtn16->setEnabled(false);
    const NfeReadOutcome outcome = importer_->read(path);
    // A refused file leaves nothing on the panel that looks importable.
    if (outcome == NfeReadOutcome::Failed) {
        clearLabels();
        return;
    }
    showDocument(outcome == NfeReadOutcome::Ready);
    MaskEdit1->setText(formats::shortDate2(QDate::currentDate()));
    MaskEdit1->setFocus();
    MaskEdit1->selectAll();
    if (outcome == NfeReadOutcome::Duplicate) {
        closePanel();
        emit cancelled();
        return;
    }
    BitBtn16->setEnabled(true);
}

void NfeImportPanel::BitBtn16Click()
{
    // An empty mask position reads as a blank, as the date was typed.
    const QString receipt = MaskEdit1->displayText().replace(u'_', u' ');
    const NfeImportResult result = importer_->import(receipt);
    if (result.outcome == NfeImportResult::Outcome::Refused) {
        MaskEdit1->setFocus();
        return;
    }
    closePanel();
    emit importFinished();
}

void NfeImportPanel::BitBtn17Click()
{
    closePanel();
    emit cancelled();
}

void NfeImportPanel::closePanel()
{
    hide();
}
