#include "shell/StartUpLists.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"

QStringList StockLocationNames(SessionData dm)
{
    CachedDataset& tabLab = dm.TabLab;
    tabLab.open();
    QStringList names;
    for (tabLab.first(); !tabLab.eof(); tabLab.next())
        names << tabLab.asText(QStringLiteral("LABORATORIO"));
    tabLab.close();
    return names;
}

int LastSupplierCodeOf(SessionData dm)
{
    CachedDataset& suppliers = dm.Fornecedor;
    suppliers.open();
    suppliers.last();
    int code = 0;
    try {
        code = int(suppliers.asInteger(QStringLiteral("CODIGO")));
    } catch (const ConversionError&) {
        code = 0;
    }
    suppliers.close();
    return code;
}

QStringList PaymentFormEntries(SessionData dm)
{
    CachedDataset& forms = dm.FormasPG;
    forms.open();
    QStringList entries{QStringLiteral("Datas e valores diversos")};
    for (forms.first(); !forms.eof(); forms.next()) {
        const QString description = forms.asText(QStringLiteral("DESCRICAO"));
        if (!description.isEmpty())
            entries << description;
    }
    forms.close();
    return entries;
}
