#include "nfe/NfeSupplier.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "nfe/ColumnText.h"
#include "nfe/NameNormalization.h"
#include "nfe/NfeDocument.h"
#include "purchase/KeyDraws.h"
#include "shell/Dialogs.h"

namespace {

// FORNECEDOR of NFISCAL and COMPRAS.
constexpr int kSupplierNameWidth = 40;

QString fitted(const QString& text, int width)
{
    return FitColumn(text, width).text;
}

// The dataset cuts what is too long for a column; characters the code page lacks are ours to mend.
void registerSupplier(CachedDataset& suppliers, const NfeDocument& doc)
{
    constexpr int kWide = 1000;
    suppliers.append();
    suppliers.setText(QStringLiteral("NOME"), fitted(NormalizeName(doc.xNome), kWide));
    suppliers.setText(QStringLiteral("NOMEFANTASIA"), fitted(NormalizeName(doc.xFant), kWide));
    suppliers.setText(QStringLiteral("ENDERECO"),
                      fitted(doc.xLgr + QStringLiteral(", ") + doc.nro + u' ' + doc.xCpl, kWide));
    suppliers.setText(QStringLiteral("COMPLEMENTO"), fitted(doc.xBairro, kWide));
    suppliers.setText(QStringLiteral("CEP"), fitted(doc.CEP, kWide));
    suppliers.setText(QStringLiteral("CIDADE"), fitted(doc.cMunFG, kWide));
    suppliers.setText(QStringLiteral("ESTADO"), fitted(doc.cUF, kWide));
    suppliers.setText(QStringLiteral("TEL"), fitted(doc.fone, kWide));
    suppliers.setText(QStringLiteral("CNPJ"), fitted(doc.CNPJ, kWide));
    suppliers.setText(QStringLiteral("IE"), fitted(doc.IE, kWide));
    suppliers.post();
}

} // namespace

void RegisterNfeSupplier(NfeData dm, NfeDocument& doc)
{
    CachedDataset& suppliers = dm.Fornecedor;
    suppliers.close();
    suppliers.setCommandText(QStringLiteral(
        "select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, E_MAIL, SITE, "
        "CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED order by CNPJ"));
    suppliers.open();
    doc.NfeSupplierName.clear();
    doc.NfeSupplierCode.clear();

    if (!doc.CNPJ.isEmpty() && suppliers.locate({doc.CNPJ})) {
        doc.NfeSupplierName = fitted(suppliers.asText(QStringLiteral("NOME")), kSupplierNameWidth);
    } else {
        bool codesReadable = true;
        try {
            SqlCommand draw = dm.command();
            keys::SupplierCodeBase(draw);
        } catch (const ConversionError&) {
            codesReadable = false;
        }
        if (!codesReadable) {
            ShowMessage(QStringLiteral("Foi detectado um erro no campo \"CODIGO\" do Cadastro de Fornecedores. Favor "
                                       "corrigir antes de prosseguir."));
        } else {
            registerSupplier(suppliers, doc);
            // A supplier the database refused stays pending in the dataset: the step failed.
            if (suppliers.pendingChanges() > 0) {
                ShowMessage(QStringLiteral("Não foi possível cadastrar o fornecedor %1: %2")
                                .arg(doc.xFant, suppliers.lastApplyError()));
                suppliers.close();
                return;
            }
            doc.NfeSupplierName = fitted(NormalizeName(doc.xFant), kSupplierNameWidth);
        }
    }
    if (!doc.NfeSupplierName.isEmpty())
        doc.NfeSupplierCode = suppliers.asText(QStringLiteral("CODIGO"));
    suppliers.close();
}
