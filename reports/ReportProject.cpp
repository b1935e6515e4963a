#include "reports/ReportProject.h"

#include "reports/ReportError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>

#include <algorithm>

namespace reports {

namespace {

constexpr double kFitTolerance = 0.01; // cm: a sheet measured to the hundredth still fits

// The SHA-256 of each default project an earlier version wrote.
const QByteArray kFormerDefaults[] = {
    QByteArrayLiteral("5856fca60ce643cf7e5b7e79c7122b60c8bc89baf02a7fb2f41affd253d8204f"),
};

// Reads the elements of one report, reporting every fault with the file and the line.
class ProjectReader {
public:
    ProjectReader(const QByteArray& xml, const QString& fileName) : xml_(xml), fileName_(fileName) {}

    std::vector<Report> read()
    {
        std::vector<Report> reports;
        if (!xml_.readNextStartElement())
            fail(QStringLiteral("o arquivo não contém um projeto de relatórios"));
        if (xml_.name() != QLatin1String("projeto"))
            fail(QStringLiteral("o elemento principal deve ser <projeto>"));
        while (xml_.readNextStartElement()) {
            if (xml_.name() != QLatin1String("relatorio"))
                unknownElement();
            reports.push_back(readReport());
        }
        if (xml_.hasError())
            fail(xml_.errorString());
        return reports;
    }

private:
    [[noreturn]] void fail(const QString& what)
    {
        throw ReportError(QStringLiteral("O arquivo de relatórios %1 está com erro na linha %2: %3.")
                              .arg(fileName_)
                              .arg(xml_.lineNumber())
                              .arg(what));
    }

    [[noreturn]] void unknownElement() { fail(QStringLiteral("elemento desconhecido <%1>").arg(xml_.name())); }

    QString text(const QString& attribute, const QString& fallback = {}) const
    {
        const QXmlStreamAttributes attributes = xml_.attributes();
        return attributes.hasAttribute(attribute) ? attributes.value(attribute).toString() : fallback;
    }

    QString required(const QString& attribute)
    {
        const QString value = text(attribute).trimmed();
        if (value.isEmpty())
            fail(QStringLiteral("falta o atributo %1 em <%2>").arg(attribute, xml_.name()));
        return value;
    }

    // Centimetres or points, with a decimal point or comma.
    double number(const QString& attribute, double fallback, double low = 0)
    {
        const QString raw = text(attribute).trimmed();
        if (raw.isEmpty())
            return fallback;
        bool ok = false;
        const double value = QString(raw).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || value < low)
            fail(QStringLiteral("valor inválido \"%1\" no atributo %2").arg(raw, attribute));
        return value;
    }

    int whole(const QString& attribute, int fallback)
    {
        const QString raw = text(attribute).trimmed();
        if (raw.isEmpty())
            return fallback;
        bool ok = false;
        const int value = raw.toInt(&ok);
        if (!ok || value < 1)
            fail(QStringLiteral("valor inválido \"%1\" no atributo %2").arg(raw, attribute));
        return value;
    }

    bool flag(const QString& attribute)
    {
        const QString raw = text(attribute).trimmed().toLower();
        return raw == QLatin1String("sim") || raw == QLatin1String("1") || raw == QLatin1String("true");
    }

    Report readReport()
    {
        Report report;
        report.name = required(QStringLiteral("nome"));
        const QString kind = required(QStringLiteral("tipo"));
        if (kind == QLatin1String("etiquetas"))
            report.kind = Report::Kind::Labels;
        else if (kind == QLatin1String("listagem"))
            report.kind = Report::Kind::Listing;
        else
            fail(QStringLiteral("tipo de relatório desconhecido \"%1\" (use etiquetas ou listagem)").arg(kind));
        report.dataConnection = required(QStringLiteral("dados"));
        report.periodConnection = text(QStringLiteral("periodo")).trimmed();
        report.title = text(QStringLiteral("titulo"), report.name);
        report.groupField = text(QStringLiteral("agrupar")).trimmed();
        report.groupCaption = text(QStringLiteral("rotuloGrupo"));
        report.groupTotal = text(QStringLiteral("totalGrupo"));
        report.grandTotal = text(QStringLiteral("totalGeral"));
        bool sheetGiven = false;
        while (xml_.readNextStartElement()) {
            const auto name = xml_.name();
            if (report.kind == Report::Kind::Labels && name == QLatin1String("folha")) {
                readSheet(report.sheet);
                sheetGiven = true;
            } else if (report.kind == Report::Kind::Labels && name == QLatin1String("texto")) {
                readText(report);
            } else if (report.kind == Report::Kind::Labels && name == QLatin1String("codigoBarras")) {
                readBarcode(report);
            } else if (report.kind == Report::Kind::Listing && name == QLatin1String("pagina")) {
                readPage(report.page);
            } else if (report.kind == Report::Kind::Listing && name == QLatin1String("coluna")) {
                readColumn(report);
            } else {
                unknownElement();
            }
        }
        if (report.kind == Report::Kind::Labels && !sheetGiven)
            fail(QStringLiteral("o relatório %1 não descreve a folha de etiquetas (<folha>)").arg(report.name));
        if (report.kind == Report::Kind::Listing && report.columns.empty())
            fail(QStringLiteral("o relatório %1 não tem colunas (<coluna>)").arg(report.name));
        return report;
    }

    void readSheet(LabelSheet& sheet)
    {
        sheet.pageWidth = number(QStringLiteral("largura"), sheet.pageWidth, 1);
        sheet.pageHeight = number(QStringLiteral("altura"), sheet.pageHeight, 1);
        sheet.topMargin = number(QStringLiteral("margemSuperior"), 0);
        sheet.leftMargin = number(QStringLiteral("margemEsquerda"), 0);
        sheet.columns = whole(QStringLiteral("colunas"), 1);
        sheet.rows = whole(QStringLiteral("linhas"), 1);
        sheet.labelWidth = number(QStringLiteral("larguraEtiqueta"), -1, 0.1);
        sheet.labelHeight = number(QStringLiteral("alturaEtiqueta"), -1, 0.1);
        sheet.horizontalGap = number(QStringLiteral("espacoHorizontal"), 0);
        sheet.verticalGap = number(QStringLiteral("espacoVertical"), 0);
        if (sheet.labelWidth < 0 || sheet.labelHeight < 0)
            fail(QStringLiteral("<folha> precisa de larguraEtiqueta e alturaEtiqueta"));
        const double usedWidth =
            sheet.leftMargin + sheet.columns * sheet.labelWidth + (sheet.columns - 1) * sheet.horizontalGap;
        const double usedHeight =
            sheet.topMargin + sheet.rows * sheet.labelHeight + (sheet.rows - 1) * sheet.verticalGap;
        if (usedWidth > sheet.pageWidth + kFitTolerance || usedHeight > sheet.pageHeight + kFitTolerance)
            fail(QStringLiteral("as etiquetas (%1 × %2) não cabem na folha de %3 × %4 cm")
                     .arg(sheet.columns)
                     .arg(sheet.rows)
                     .arg(sheet.pageWidth)
                     .arg(sheet.pageHeight));
        xml_.skipCurrentElement();
    }

    void readText(Report& report)
    {
        LabelText label;
        label.x = number(QStringLiteral("x"), 0);
        label.y = number(QStringLiteral("y"), 0);
        label.pointSize = number(QStringLiteral("tamanho"), label.pointSize, 1);
        label.bold = flag(QStringLiteral("negrito"));
        label.text = xml_.readElementText();
        report.texts.push_back(label);
    }

    void readBarcode(Report& report)
    {
        LabelBarcode barcode;
        barcode.field = required(QStringLiteral("campo"));
        barcode.x = number(QStringLiteral("x"), 0);
        barcode.y = number(QStringLiteral("y"), 0);
        barcode.width = number(QStringLiteral("largura"), 3, 0.1);
        barcode.height = number(QStringLiteral("altura"), 0.6, 0.1);
        report.barcodes.push_back(barcode);
        xml_.skipCurrentElement();
    }

    void readPage(ListingPage& page)
    {
        page.width = number(QStringLiteral("largura"), page.width, 1);
        page.height = number(QStringLiteral("altura"), page.height, 1);
        page.margin = number(QStringLiteral("margem"), page.margin);
        page.pointSize = number(QStringLiteral("tamanho"), page.pointSize, 1);
        if (2 * page.margin >= std::min(page.width, page.height))
            fail(QStringLiteral("a margem não deixa espaço na página"));
        xml_.skipCurrentElement();
    }

    void readColumn(Report& report)
    {
        ListingColumn column;
        column.field = required(QStringLiteral("campo"));
        column.title = text(QStringLiteral("titulo"), column.field);
        column.width = number(QStringLiteral("largura"), 2, 0.1);
        const QString align = text(QStringLiteral("alinhamento")).trimmed();
        if (align == QLatin1String("direita"))
            column.align = ListingColumn::Align::Right;
        else if (align == QLatin1String("centro"))
            column.align = ListingColumn::Align::Centre;
        else if (!align.isEmpty() && align != QLatin1String("esquerda"))
            fail(QStringLiteral("alinhamento desconhecido \"%1\"").arg(align));
        column.bold = flag(QStringLiteral("negrito"));
        report.columns.push_back(column);
        xml_.skipCurrentElement();
    }

    QXmlStreamReader xml_;
    QString fileName_;
};

} // namespace

ReportProject ReportProject::load(const QString& fileName)
{
    QFile file(fileName);
    if (!file.exists())
        throw ReportError(QStringLiteral("O arquivo de relatórios %1 não foi encontrado.").arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(
            QStringLiteral("Não foi possível ler o arquivo de relatórios %1: %2").arg(fileName, file.errorString()));
    return parse(file.readAll(), fileName);
}

ReportProject ReportProject::parse(const QByteArray& xml, const QString& fileName)
{
    ReportProject project;
    project.fileName_ = fileName;
    project.reports_ = ProjectReader(xml, fileName).read();
    return project;
}

const Report& ReportProject::report(const QString& name) const
{
    for (const Report& r : reports_)
        if (r.name == name)
            return r;
    throw ReportError(QStringLiteral("O relatório %1 não existe no arquivo de relatórios %2.").arg(name, fileName_));
}

QByteArray defaultProjectXml()
{
    return QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- Relatórios do módulo de compras. Medidas em centímetros, tamanhos de letra em pontos.
     Nos textos, {CAMPO} é o valor do campo: datas dd/mm/aaaa, números com vírgula. -->
<projeto>
  <!-- Etiquetas dos itens da nota fiscal: folha A4 com 3 × 10 etiquetas de 6,67 × 2,54 cm. -->
  <relatorio nome="rpt_Rotulos" tipo="etiquetas" dados="rvdsRotulos" titulo="Etiquetas">
    <folha largura="21.0" altura="29.7" margemSuperior="2.15" margemEsquerda="0.2"
           colunas="3" linhas="10" larguraEtiqueta="6.67" alturaEtiqueta="2.54"
           espacoHorizontal="0.3" espacoVertical="0"/>
    <texto x="0.2" y="0.12" tamanho="7" negrito="sim">{COMPONENTE}</texto>
    <texto x="0.2" y="0.45" tamanho="6">DCB: {DCB}   Lote: {LOTE}</texto>
    <texto x="0.2" y="0.73" tamanho="6">Validade: {VALIDADE}   Qtde.: {QUANTIDADE} {UNIDADE}</texto>
    <texto x="0.2" y="1.01" tamanho="6">Fornecedor: {FORNECEDOR}</texto>
    <codigoBarras campo="CODIGO" x="0.2" y="1.38" largura="3.6" altura="0.8"/>
    <texto x="4.0" y="1.5" tamanho="6">NF {NOTAFISCAL}</texto>
    <texto x="4.0" y="1.78" tamanho="6">{CODIGO}</texto>
  </relatorio>
  <!-- Produtos comprados que vencem no período, em A4 deitada. Quem vence sozinho numa data traz a data
       na própria linha; as datas com dois ou mais lotes têm título e, ao fim, a contagem. Um texto
       mais largo que a coluna continua na linha de baixo: nada é cortado. -->
  <relatorio nome="rpt_Vencimentos" tipo="listagem" dados="rvdsVencimentos" periodo="rvdsPeriodo"
             titulo="Produtos com vencimento de {DATAINICIAL} a {DATAFINAL}"
             agrupar="VALIDADE" rotuloGrupo="Vencimento: "
             totalGrupo="{TOTAL} lotes com vencimento em {VALIDADE}"
             totalGeral="Total: {TOTAL} lote(s) com vencimento de {DATAINICIAL} a {DATAFINAL}">
    <pagina largura="29.7" altura="21.0" margem="1.5" tamanho="8"/>
    <coluna campo="VALIDADE" titulo="Vencimento" largura="2.1"/>
    <coluna campo="VENCIDO" titulo="Situação" largura="1.6" negrito="sim"/>
    <coluna campo="COMPONENTE" titulo="Produto" largura="6.9"/>
    <coluna campo="DCB" titulo="DCB" largura="3.0"/>
    <coluna campo="LOTE" titulo="Lote" largura="3.0"/>
    <coluna campo="QUANTIDADE" titulo="Qtde." largura="3.2" alinhamento="direita"/>
    <coluna campo="UNIDADE" titulo="Unid." largura="0.9"/>
    <coluna campo="FORNECEDOR" titulo="Fornecedor" largura="4.1"/>
    <coluna campo="NOTAFISCAL" titulo="Nota Fiscal" largura="1.9"/>
  </relatorio>
</projeto>
)");
}

namespace {

bool holdsFormerDefault(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    return std::find(std::begin(kFormerDefaults), std::end(kFormerDefaults), digest) != std::end(kFormerDefaults);
}

// Writes the default project in one step (a file half written is never left behind).
bool saveDefaultProject(const QString& fileName, QString* error)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(defaultProjectXml()) >= 0 && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace

bool writeDefaultProject(const QString& fileName)
{
    if (QFileInfo::exists(fileName) && !holdsFormerDefault(fileName))
        return false;
    QString error;
    if (!saveDefaultProject(fileName, &error))
        throw ReportError(
            QStringLiteral("Não foi possível gravar o arquivo de relatórios %1: %2").arg(fileName, error));
    return true;
}

bool renewFormerDefaultProject(const QString& fileName)
{
    return holdsFormerDefault(fileName) && saveDefaultProject(fileName, nullptr);
}

} // namespace reports
