#include "entry/ui/SupplierRegistration.h"

#include "data/CachedDataset.h"
#include "nfe/NameNormalization.h"
#include "purchase/KeyDraws.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QPushButton>
#include <QTimer>

namespace {

const QRect kRegistrationGeometry(66, 42, 409, 185);

DBEdit* fieldEdit(QWidget* panel, const QString& name, const QString& field, const QRect& geometry)
{
    auto* edit = new DBEdit(panel);
    edit->setObjectName(name);
    edit->setDataField(field);
    edit->setGeometry(geometry);
    EnterMovesToNextControl(edit);
    return edit;
}

} // namespace

const QString SupplierRegistration::kIncompleteMessage =
    QStringLiteral("O novo fornecedor não foi incluído no cadastro porque os dados estão incompletos.");

QString SupplierRegistration::textCutMessage(const QString& field, int typedLength, int width, const QString& kept)
{
    return QStringLiteral("%1 tem %2 caracteres, e o Cadastro de Fornecedores guarda até %3.\rFicou assim: \"%4\".")
        .arg(field)
        .arg(typedLength)
        .arg(width)
        .arg(kept);
}

SupplierRegistration::SupplierRegistration(QWidget* parent) : QFrame(parent)
{
    buildPanel();
}

void SupplierRegistration::attachDataModule(const EntryData& dm)
{
    dm_.emplace(dm);
    for (DBEdit* edit : {DBEditNomeCliente, DBEdit4, DBEdit5})
        edit->setDataSource(&dm.DS_Fornecedor);
    connectControls();
}

void SupplierRegistration::buildPanel()
{
    QFrame* panel = this;
    panelparts::framePanel(panel, QStringLiteral("PainelResumoCliente"), kRegistrationGeometry);
    panelparts::titleBar(panel, QStringLiteral("PainelResumoClienteTitulo"), QStringLiteral("Cadastro de Fornecedor"));

    panelparts::label(panel, QStringLiteral("Nome Fantasia:"), 14, 42);
    DBEditNomeCliente =
        fieldEdit(panel, QStringLiteral("DBEditNomeCliente"), QStringLiteral("NOMEFANTASIA"), QRect(112, 38, 282, 22));
    panelparts::label(panel, QStringLiteral("Razão Social:"), 14, 74);
    DBEdit4 = fieldEdit(panel, QStringLiteral("DBEdit4"), QStringLiteral("NOME"), QRect(112, 70, 282, 22));
    panelparts::label(panel, QStringLiteral("CNPJ:"), 14, 106);
    DBEdit5 = fieldEdit(panel, QStringLiteral("DBEdit5"), QStringLiteral("CNPJ"), QRect(112, 102, 160, 22));

    BotOKResCliente = panelparts::button(panel, QStringLiteral("BotOKResCliente"), QStringLiteral("Salvar"));
    BotOKResCliente->setGeometry(112, 142, 90, 28);
    BotCancResCliente = panelparts::button(panel, QStringLiteral("BotCancResCliente"), QStringLiteral("Cancela"));
    BotCancResCliente->setGeometry(210, 142, 90, 28);
    keyroles::setCancelButton(panel, BotCancResCliente);
}

void SupplierRegistration::connectControls()
{
    fitOnLeaving(DBEditNomeCliente, QStringLiteral("O Nome Fantasia"), true);
    fitOnLeaving(DBEdit4, QStringLiteral("A Razão Social"), true);
    fitOnLeaving(DBEdit5, QStringLiteral("O CNPJ"), false);
    connect(BotOKResCliente, &QPushButton::clicked, this, [this] { RunGuarded([this] { SaveNewSupplier(); }); });
    connect(BotCancResCliente, &QPushButton::clicked, this, [this] { RunGuarded([this] { DropNewSupplier(); }); });
}

// The field keeps what its column holds: the name in the house style first, then cut to the
// column's width. A cut is told once the focus has moved, as the clerk may not see the field's end.
void SupplierRegistration::fitOnLeaving(DBEdit* field, const QString& caption, bool normalize)
{
    connect(field, &DBEdit::edited, this, [this, field](const QString& text) { typed_.insert(field, text); });
    connect(field, &DBEdit::exited, this, [this, field, caption, normalize] {
        RunGuarded([&] {
            CachedDataset& suppliers = dm_->Fornecedor;
            const QString column = field->link().field();
            QString text = typed_.contains(field) ? typed_.take(field) : suppliers.asText(column);
            if (suppliers.state() == CachedDataset::State::Browse || !suppliers.isOpen())
                return;
            if (normalize)
                text = NormalizeName(text);
            suppliers.setText(column, text);
            const int width = int(suppliers.layout().at(suppliers.fieldIndex(column)).length);
            if (text.size() <= width)
                return;
            const QString message = textCutMessage(caption, int(text.size()), width, suppliers.asText(column));
            QTimer::singleShot(0, this, [message] { ShowMessage(message); });
        });
    });
}

void SupplierRegistration::StartSupplierRegistration(const QString& typedName)
{
    CachedDataset& suppliers = dm_->Fornecedor;
    if (!suppliers.isOpen())
        return;
    typed_.clear();
    suppliers.append(); // the dataset rule reads the greatest code now
    SessionState& session = dm_->session();
    ++session.LastSupplierCode;
    suppliers.setText(QStringLiteral("CODIGO"), keys::SupplierCodeText(session.LastSupplierCode));
    suppliers.setText(QStringLiteral("NOMEFANTASIA"), typedName);
    show();
    raise();
    DBEditNomeCliente->setFocus(Qt::OtherFocusReason);
    emit registrationOpen(true);
}

bool SupplierRegistration::isComplete() const
{
    for (const DBEdit* edit : {DBEditNomeCliente, DBEdit4, DBEdit5})
        if (edit->text().trimmed().isEmpty())
            return false;
    return true;
}

// A complete supplier is stored (the dataset rule gives it the next free code) and taken into the
// header. An incomplete one is dropped: the header must not take a code that no supplier has.
void SupplierRegistration::SaveNewSupplier()
{
    emit registrationOpen(false);
    CachedDataset& suppliers = dm_->Fornecedor;
    const bool complete = isComplete();
    if (complete) {
        suppliers.post();
    } else {
        ShowMessage(kIncompleteMessage);
        suppliers.cancel();
    }
    hidePanel();
    // The dataset rule keeps a refused row pending for the next write: it is dropped instead, so
    // that no code without a supplier reaches the header.
    if (complete && suppliers.pendingChanges() > 0) {
        suppliers.close();
        emit refused();
        return;
    }
    if (complete)
        emit supplierSaved();
}

void SupplierRegistration::DropNewSupplier()
{
    emit registrationOpen(false);
    dm_->Fornecedor.cancel();
    hidePanel();
    emit dropped();
}

// Back to the list before the panel goes, so that the focus stays in the lookup.
void SupplierRegistration::hidePanel()
{
    emit listWanted();
    hide();
}
