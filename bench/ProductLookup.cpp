#include "ProductLookup.h"

#include "Measure.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/FbConnection.h"
#include "db/ColumnLists.h"
#include "entry/SupplyProducts.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"

#include <QRandomGenerator>

namespace {

struct Sample {
    QString dcb;
    QString name;
};

// A spread of supply products, read once with a native cursor (not part of any figure).
std::vector<Sample> samples(FbConnection& c, int count)
{
    std::vector<Sample> all;
    auto cursor = c.openCursor(QStringLiteral("select DCB, COMPONENTE from COMPONEN where GRUPO = 'SUP'"));
    while (cursor->fetch())
        if (ProductSearchName(cursor->text(1)) == cursor->text(1)) // a name typed in any case finds it
            all.push_back({cursor->text(0), cursor->text(1)});
    std::vector<Sample> out;
    QRandomGenerator random(7);
    for (int i = 0; i < count && !all.empty(); ++i)
        out.push_back(all[std::size_t(random.bounded(int(all.size())))]);
    return out;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// The typed text of each case: the DCB code, the name in small letters, and a name that is not
// in the catalogue (the options list opens next to it).
QString typedText(const Sample& s, int kind)
{
    switch (kind) {
    case 0:
        return s.dcb;
    case 1:
        return ascii::lower(s.name);
    default:
        return ascii::lower(s.name) + QStringLiteral(" zz");
    }
}

} // namespace

void measureProductLookup(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Leaving the product cell: product taken or options list opened (200 each)"));
    const std::vector<Sample> picked = samples(c, 200);
    // The datasets as the window's data module configures them (the options list is read around
    // the nearest name).
    SessionState session;
    TDM dm(c.params(), {productfolder::workstationDatabase(), c.params().user, c.params().password}, session);
    CachedDataset* componentes = &dm.Componentes;
    CachedDataset* options = &dm.CompNomes;
    const QString nativeOne = QStringLiteral("select ") + ComponenColumns +
                              QStringLiteral(" from COMPONEN where GRUPO = 'SUP' and COMPONENTE = ?");
    const QString nativeNearest = QStringLiteral("select first 1 ") + ComponenColumns +
                                  QStringLiteral(" from COMPONEN where GRUPO = 'SUP' and COMPONENTE >= ? order by "
                                                 "GRUPO, COMPONENTE");
    const char* names[] = {"by DCB", "by name", "options list on the nearest name"};
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> cached;
        std::vector<double> native;
        std::vector<int> fetched;
        for (const Sample& s : picked) {
            const QString typed = typedText(s, kind);
            cached.push_back(bench::millis([&] {
                if (FindSupplyProduct(*componentes, typed))
                    return;
                options->close();
                options->setCommandText(supplyproducts::optionsList());
                options->open();
                options->findNearest({Value{ProductSearchName(typed)}});
            }));
            if (kind == 2)
                fetched.push_back(options->fetchedRowCount());
            // Baseline: the same answers by indexed native statements (the DCB, then one name or
            // the first name at or after it).
            native.push_back(bench::millis([&] {
                c.executeRow(QStringLiteral("select ") + ComponenColumns +
                                 QStringLiteral(" from COMPONEN where GRUPO = 'SUP' and DCB = cast(? as varchar(80))"),
                             {typed});
                if (kind == 0)
                    return;
                c.executeRow(nativeOne, {ProductSearchName(typed)});
                if (kind == 2)
                    c.executeRow(nativeNearest, {ProductSearchName(typed)});
            }));
        }
        const QByteArray title = QByteArray("product look-up ") + names[kind] + ", median";
        bench::report(title.constData(), median(cached), median(native), "ms", "<= 50 ms");
        bench::note(QStringLiteral("   slowest: %1 ms (native %2 ms)")
                        .arg(worst(cached), 0, 'f', 2)
                        .arg(worst(native), 0, 'f', 2));
        if (!fetched.empty())
            bench::note(QStringLiteral("   rows fetched into the options list: median %1, most %2")
                            .arg(fetched[fetched.size() / 2])
                            .arg(*std::max_element(fetched.begin(), fetched.end())));
    }
}
