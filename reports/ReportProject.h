#pragma once

#include <QString>

#include <vector>

// The report project: the layouts of the named reports, kept in rpt/rptNFiscal.xml in the product
// folder so that a pharmacy can fit its label sheet without a new program. Every measurement is
// in centimetres, every font size in points.
//
//   <projeto>
//     <relatorio nome="rpt_Rotulos" tipo="etiquetas" dados="rvdsRotulos" titulo="...">
//       <folha largura=".." altura=".." margemSuperior=".." margemEsquerda=".." colunas=".." linhas=".."
//              larguraEtiqueta=".." alturaEtiqueta=".." espacoHorizontal=".." espacoVertical=".."/>
//       <texto x=".." y=".." tamanho=".." negrito="sim">Lote: {LOTE}</texto>
//       <codigoBarras campo="CODIGO" x=".." y=".." largura=".." altura=".."/>
//     </relatorio>
//     <relatorio nome="rpt_Vencimentos" tipo="listagem" dados="rvdsVencimentos" periodo="rvdsPeriodo"
//                titulo="... {DATAINICIAL} ... {DATAFINAL}" agrupar="VALIDADE" rotuloGrupo="Vencimento: "
//                totalGrupo="{TOTAL} lotes" totalGeral="Total: {TOTAL} lote(s) de {DATAINICIAL} a {DATAFINAL}">
//       <pagina largura=".." altura=".." margem=".." tamanho=".."/>
//       <coluna campo="LOTE" titulo="Lote" largura=".." alinhamento="esquerda|direita|centro" negrito="sim"/>
//     </relatorio>
//   </projeto>
//
// In texts, {FIELD} stands for the field of the current row: dates read dd/mm/yyyy, numbers with
// a decimal comma.
namespace reports {

// A text drawn on each label; x and y from the label's top left corner.
struct LabelText {
    double x = 0;
    double y = 0;
    double pointSize = 7;
    bool bold = false;
    QString text;
};

// A Code 128 barcode of a field, drawn in the given box of the label.
struct LabelBarcode {
    QString field;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

struct LabelSheet {
    double pageWidth = 21.0;
    double pageHeight = 29.7;
    double topMargin = 0;
    double leftMargin = 0;
    int columns = 1;
    int rows = 1;
    double labelWidth = 0;
    double labelHeight = 0;
    double horizontalGap = 0;
    double verticalGap = 0;

    int labelsPerPage() const { return columns * rows; }
};

struct ListingColumn {
    enum class Align { Left, Right, Centre };
    QString field;
    QString title;
    double width = 0;
    Align align = Align::Left;
    bool bold = false;
};

struct ListingPage {
    double width = 21.0;
    double height = 29.7;
    double margin = 1.5;
    double pointSize = 8;
};

struct Report {
    enum class Kind { Labels, Listing };
    QString name;
    Kind kind = Kind::Labels;
    QString title;
    QString dataConnection;   // the rows: one label or one listing line each
    QString periodConnection; // listing: the dataset whose fields fill the title's {FIELD}s
    // Labels.
    LabelSheet sheet;
    std::vector<LabelText> texts;
    std::vector<LabelBarcode> barcodes;
    // Listing.
    ListingPage page;
    QString groupField;
    QString groupCaption;
    QString groupTotal; // after a group of two or more rows; {TOTAL} is its count
    QString grandTotal; // at the end; {TOTAL} is the count of rows, with the fields of the title
    std::vector<ListingColumn> columns;
};

class ReportProject {
public:
    // Reads the project file; a missing or malformed file throws ReportError naming it.
    static ReportProject load(const QString& fileName);
    static ReportProject parse(const QByteArray& xml, const QString& fileName);

    const QString& fileName() const { return fileName_; }
    const std::vector<Report>& reports() const { return reports_; }
    // Throws ReportError when the project has no report of that name.
    const Report& report(const QString& name) const;

private:
    QString fileName_;
    std::vector<Report> reports_;
};

// The project that `korvanis-admin init` and `demo` write: labels for A4 sheets of 3 × 10 labels of
// 6.67 × 2.54 cm, and the expiry listing on A4 turned sideways.
QByteArray defaultProjectXml();
// Writes the default project when the file is not there yet, or replaces a default that an earlier
// version wrote and nobody changed (an adjusted project is kept); true when it was written. Throws
// ReportError when the file cannot be written.
bool writeDefaultProject(const QString& fileName);
// Replaces the file by today's default when it still holds, byte for byte, a default an earlier
// version wrote; true when it did. A file that cannot be replaced stays as it is.
bool renewFormerDefaultProject(const QString& fileName);

} // namespace reports
