#include "Nfe.h"

#include "Measure.h"

#include "nfe/NfeImport.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "shell/Dialogs.h"
#include "shell/ProductFolder.h"
#include "shell/WorkQueries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <vector>

namespace {

constexpr int kItems = 100;
constexpr int kRuns = 5;

struct Issuer {
    QString cnpj;
    QString name;
};

// A supplier of the database, found by CNPJ at the import.
Issuer anIssuer(FbConnection& c)
{
    const Values row = c.executeRow(QStringLiteral("select first 1 CNPJ, NOME from FORNECED where CNPJ is not null "
                                                   "order by CODIGO"));
    if (row.empty())
        return {QStringLiteral("05125726000255"), QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA")};
    return {std::get<QString>(row[0]), std::get<QString>(row[1])};
}

// Bar codes of supply products: four of five items are recognised.
std::vector<QString> barCodes(FbConnection& c)
{
    std::vector<QString> out;
    auto cursor = c.openCursor(QStringLiteral("select first 80 DCB from COMPONEN where GRUPO = 'SUP' and DCB is not "
                                              "null order by CODIGO"));
    while (cursor->fetch())
        out.push_back(cursor->text(0));
    while (out.size() < std::size_t(kItems))
        out.push_back(QStringLiteral("99%1").arg(out.size(), 11, 10, QLatin1Char('0')));
    return out;
}

// A layout 4.00 NF-e of 100 items, each with two lots in `rastro`.
QByteArray nfe(const QString& number, const Issuer& issuer, const std::vector<QString>& codes)
{
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc versao=\"4.00\" "
                               "xmlns=\"http://www.portalfiscal.inf.br/nfe\"><NFe><infNFe versao=\"4.00\" Id=\"NFe0\">"
                               "<ide><cUF>35</cUF><natOp>VENDA</natOp><mod>55</mod><serie>1</serie><nNF>%1</nNF>"
                               "<dhEmi>2024-04-05T10:20:00-03:00</dhEmi><tpNF>1</tpNF><cMunFG>3550308</cMunFG></ide>"
                               "<emit><CNPJ>%2</CNPJ><xNome>%3</xNome><enderEmit><xLgr>RUA A</xLgr><nro>1</nro>"
                               "</enderEmit><IE>1</IE></emit>")
                    .arg(number, issuer.cnpj, issuer.name.toHtmlEscaped());
    for (int i = 0; i < kItems; ++i)
        x += QStringLiteral("<det nItem=\"%1\"><prod><cProd>%1</cProd><cEAN>%2</cEAN><xProd>PRODUTO %1</xProd>"
                            "<uCom>UN</uCom><qCom>4.0000</qCom><vUnCom>2.5000000000</vUnCom><vProd>10.00</vProd>"
                            "<rastro><nLote>A%1</nLote><qLote>1.000</qLote><dFab>2024-01-01</dFab>"
                            "<dVal>2026-01-01</dVal></rastro><rastro><nLote>B%1</nLote><qLote>3.000</qLote>"
                            "<dFab>2024-02-01</dFab><dVal>2026-02-01</dVal></rastro></prod></det>")
                 .arg(i + 1)
                 .arg(codes[std::size_t(i)]);
    x += QStringLiteral("<total><ICMSTot><vICMS>0.00</vICMS><vProd>1000.00</vProd><vDesc>0.00</vDesc><vIPI>0.00</vIPI>"
                        "<vOutro>0.00</vOutro><vNF>1000.00</vNF></ICMSTot></total></infNFe></NFe></nfeProc>");
    return x.toUtf8();
}

QString writeFile(const QString& folder, const QString& number, const QByteArray& xml)
{
    const QString path = folder + QStringLiteral("/nfe-") + number + QStringLiteral(".xml");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(xml);
    return path;
}

// The least an import must do: parse the file, look the products up, and write the header and the
// rows in one transaction through prepared statements.
void nativeImport(FbConnection& c, const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&f);
    std::vector<QString> eans;
    QString number;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("cEAN"))
                eans.push_back(xml.readElementText());
            else if (xml.name() == QLatin1String("nNF"))
                number = xml.readElementText();
        }
    c.beginWork();
    const qint64 code = std::get<qint64>(c.executeRow(QStringLiteral("select max(CODIGO) from NFISCAL")).front()) + 1;
    c.execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                             "GRUPDESP) values ('01', ?, ?, ?, 'Nativo', '0001', 'SUP')"),
              {code, QDate(2024, 4, 5), number});
    qint64 item = std::get<qint64>(c.executeRow(QStringLiteral("select max(CODCOMPRA) from COMPRAS")).front());
    for (const QString& ean : eans) {
        c.executeRow(QStringLiteral("select COMPONENTE, FABRICANTE from COMPONEN where GRUPO = 'SUP' and DCB = ?"),
                     {ean});
        for (int lot = 0; lot < 2; ++lot)
            c.execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                     "COMPONENTE, CODIGOFORNECEDOR, QUANTIDADE, LOTE) values ('01', ?, ?, ?, ?, "
                                     "'Nativo', 'Produto', '0001', 1, 'L')"),
                      {++item, ean, QDate(2024, 4, 5), number});
    }
    c.commitWork();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

void measureNfeImport()
{
    bench::note(QStringLiteral("\n-- NF-e of %1 items in 2 lots each: read, supplier, duplicate check, import, "
                               "result message, invoice list positioned (median of %2)")
                    .arg(kItems)
                    .arg(kRuns));
    SessionState session;
    session.WorkstationCode = QStringLiteral("01");
    NoWindow window;
    const QString database = productfolder::sharedDatabase();
    const FbConnection::Params params{database, FbConnection::defaultUser(), FbConnection::defaultPassword()};
    TDM dm(params, {productfolder::workstationDatabase(), params.user, params.password}, session, window);
    dm.NFiscal.setCommandText(workqueries::nfiscal());
    dm.NFiscal.open();
    dm.NFiscal.last();
    auto dialogs = std::make_unique<RecordingDialogs>();
    RecordingDialogs* shown = dialogs.get();
    Dialogs::install(std::move(dialogs));

    const Issuer issuer = anIssuer(dm.SQLConnection1);
    const std::vector<QString> codes = barCodes(dm.SQLConnection1);
    QTemporaryDir folder;
    const QString stamp = QString::number(QDateTime::currentSecsSinceEpoch() % 100000);
    NfeImporter importer(dm, session);

    std::vector<double> whole, reads, native;
    QString outcome;
    for (int run = 0; run < kRuns; ++run) {
        const QString number = stamp + QString::number(run);
        const QString path = writeFile(folder.path(), number, nfe(number, issuer, codes));
        double read = 0;
        whole.push_back(bench::millis([&] {
            read = bench::millis([&] { importer.read(path); });
            outcome = importer.import(QStringLiteral("08/04/24")).outcome == NfeImportResult::Outcome::Imported
                          ? QStringLiteral("importada")
                          : shown->messages.value(shown->messages.size() - 1);
        }));
        reads.push_back(read);
        const QString nativeNumber = stamp + QStringLiteral("N") + QString::number(run);
        const QString nativePath = writeFile(folder.path(), nativeNumber, nfe(nativeNumber, issuer, codes));
        native.push_back(bench::millis([&] { nativeImport(dm.SQLConnection1, nativePath); }));
    }
    bench::report("NF-e import, file to result message (vs native)", median(whole), median(native), "ms", "<= 1000 ms");
    bench::note(QStringLiteral("   of which the read (file, supplier, duplicate check): %1 ms; last run: %2; "
                               "invoice list on %3")
                    .arg(median(reads), 0, 'f', 1)
                    .arg(outcome.left(60), dm.NFiscal.asText(QStringLiteral("NOTAFISCAL"))));
    Dialogs::install(nullptr);
}
