// The NF-e import in the invoice window: "Importar NF-&e" opens the import panel, which reads the
// file and writes the invoice; the window takes the focus back when the panel closes.
#include "window/FormCompras.h"

#include "nfe/ui/NfeImportPanel.h"
#include "purchase/DataModule.h"
#include "widgets/CoveringPanels.h"
#include "widgets/UnhandledError.h"

#include <QPushButton>

void TFormCompras::buildNfe()
{
    Painel_NFe->attach(*dm_, session_);
    coveringpanels::add(Painel_NFe);
    connect(BitBtn15, &QPushButton::clicked, this, [this] { RunGuarded([this] { Painel_NFe->BitBtn15Click(); }); });
    connect(Painel_NFe, &NfeImportPanel::cancelled, this, [this] { BitBtn15->setFocus(); });
    connect(Painel_NFe, &NfeImportPanel::importFinished, this,
            [this] { RunGuarded([this] { focusDateFieldIfUsable(); }); });
}
