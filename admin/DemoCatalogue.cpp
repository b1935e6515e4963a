#include "admin/DemoCatalogue.h"

namespace catalogue {

const std::vector<Supplier>& suppliers()
{
    static const std::vector<Supplier> list = {
        {"Embalagens São Paulo Ltda", "Embalagens SP", "Rua Voluntários da Pátria, 1520", "02010-000", "São Paulo",
         "SP", "(11) 2281-4410", "embalagenssp.com.br"},
        {"Cápsulas do Brasil Ind. e Com. Ltda", "Capsubrás", "Av. Itavuvu, 3300", "18078-005", "Sorocaba", "SP",
         "(15) 3225-9012", "capsubras.com.br"},
        {"Distribuidora Farmacêutica Paulista Ltda", "Dipaul", "Rua Barão de Jaguara, 870", "13015-002", "Campinas",
         "SP", "(19) 3232-7788", "dipaul.com.br"},
        {"Vidraria Santa Luzia Ltda", "Vidros Santa Luzia", "Rua Uranos, 455", "21060-070", "Rio de Janeiro", "RJ",
         "(21) 2270-3311", "vidrossantaluzia.com.br"},
        {"Etiquetas e Rótulos Minas Ltda", "Etiquetas Minas", "Av. Amazonas, 5210", "30411-186", "Belo Horizonte", "MG",
         "(31) 3371-2040", "etiquetasminas.com.br"},
        {"Luvas e Descartáveis Sul Ltda", "Descartáveis Sul", "Av. Assis Brasil, 2890", "91010-003", "Porto Alegre",
         "RS", "(51) 3344-6120", "descartaveissul.com.br"},
        {"Filtros e Membranas Técnicas Ltda", "FilterTec", "Rua João Bettega, 1950", "81070-000", "Curitiba", "PR",
         "(41) 3346-8800", "filtertec.com.br"},
        {"Química Fina Nordeste Ltda", "Química Nordeste", "Av. Mascarenhas de Morais, 4100", "51150-000", "Recife",
         "PE", "(81) 3339-5566", "quimicanordeste.com.br"},
        {"Papelaria e Gráfica Ipiranga Ltda", "Gráfica Ipiranga", "Rua Bom Pastor, 2100", "04203-001", "São Paulo",
         "SP", "(11) 2063-1177", "graficaipiranga.com.br"},
        {"Plásticos Joinville Indústria Ltda", "Plastijoi", "Rua Dona Francisca, 8300", "89219-600", "Joinville", "SC",
         "(47) 3467-2200", "plastijoi.com.br"},
        {"Farmaquímica Goiana Ltda", "Farmaquímica", "Av. Anhanguera, 7600", "74110-010", "Goiânia", "GO",
         "(62) 3251-4499", "farmaquimica.com.br"},
        {"D'Ávila Suprimentos Hospitalares Ltda", "D'Ávila Suprimentos", "Av. Tancredo Neves, 1632", "41820-020",
         "Salvador", "BA", "(71) 3341-0808", "davilasuprimentos.com.br"},
        {"Comercial Araújo & Filhos Ltda", "Araújo & Filhos", "Av. Bezerra de Menezes, 1850", "60325-002", "Fortaleza",
         "CE", "(85) 3281-7070", "araujoefilhos.com.br"},
        {"Laboratório Equipar Instrumentos Ltda", "Equipar", "Av. Presidente Vargas, 2121", "14020-260",
         "Ribeirão Preto", "SP", "(16) 3623-4545", "equipar.com.br"},
        {"Higiene Total Produtos de Limpeza Ltda", "Higiene Total", "Rua Abolição, 1300", "13041-445", "Campinas", "SP",
         "(19) 3272-9090", "higienetotal.com.br"},
        {"Bisnagas e Tubos Paraná Ltda", "Bisnagas Paraná", "Av. Tiradentes, 3900", "86070-545", "Londrina", "PR",
         "(43) 3327-6161", "bisnagasparana.com.br"},
        {"Frascos Âmbar Indústria e Comércio Ltda", "Frascos Âmbar", "Rua Capitão Gabriel, 410", "07056-000",
         "Guarulhos", "SP", "(11) 2409-3030", "frascosambar.com.br"},
        {"Uniformes Brancos Confecções Ltda", "Uniformes Brancos", "Rua São Paulo, 2750", "89030-000", "Blumenau", "SC",
         "(47) 3322-1515", "uniformesbrancos.com.br"},
        {"Cosméticos Bela Flor Ltda", "Bela Flor Cosméticos", "Rua Pedro Álvares Cabral, 980", "06401-030", "Barueri",
         "SP", "(11) 4198-2626", "belaflor.com.br"},
        {"Importadora Pharma Insumos Ltda", "Pharma Insumos", "Rua Tabapuã, 1123", "04533-014", "São Paulo", "SP",
         "(11) 3078-5050", "pharmainsumos.com.br"},
    };
    return list;
}

const std::vector<Product>& products()
{
    static const std::vector<Product> list = {
        // Capsules, kept by the unit and bought by the thousand.
        {"Cápsula gelatinosa nº 00 incolor", "SUP", "Cápsulas", "un", "mil", 0.045, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 0 incolor", "SUP", "Cápsulas", "un", "mil", 0.038, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 1 incolor", "SUP", "Cápsulas", "un", "mil", 0.032, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 2 incolor", "SUP", "Cápsulas", "un", "mil", 0.028, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 3 incolor", "SUP", "Cápsulas", "un", "mil", 0.025, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 4 incolor", "SUP", "Cápsulas", "un", "mil", 0.022, 36, "Capsugel"},
        {"Cápsula gelatinosa nº 0 azul/branca", "SUP", "Cápsulas", "un", "mil", 0.041, 36, "Cápsulas Brasil"},
        {"Cápsula gelatinosa nº 1 verde/branca", "SUP", "Cápsulas", "un", "mil", 0.035, 36, "Cápsulas Brasil"},
        {"Cápsula vegetal de hipromelose nº 0", "SUP", "Cápsulas", "un", "mil", 0.085, 36, "Cápsulas Brasil"},
        {"Cápsula vegetal de hipromelose nº 1", "SUP", "Cápsulas", "un", "mil", 0.078, 36, "Cápsulas Brasil"},
        {"Cápsula gastrorresistente nº 0", "SUP", "Cápsulas", "un", "mil", 0.12, 24, "Cápsulas Brasil"},
        // Containers and closures.
        {"Pote plástico branco 60 ml", "SUP", "Embalagens", "un", "un", 0.42, 60, "Plastijoi"},
        {"Pote plástico branco 120 ml", "SUP", "Embalagens", "un", "un", 0.55, 60, "Plastijoi"},
        {"Pote plástico branco 250 ml", "SUP", "Embalagens", "un", "un", 0.78, 60, "Plastijoi"},
        {"Frasco âmbar vidro 30 ml conta-gotas", "SUP", "Embalagens", "un", "un", 1.35, 60, "Santa Luzia"},
        {"Frasco âmbar vidro 60 ml", "SUP", "Embalagens", "un", "un", 1.10, 60, "Santa Luzia"},
        {"Frasco âmbar vidro 100 ml", "SUP", "Embalagens", "un", "un", 1.25, 60, "Santa Luzia"},
        {"Frasco plástico âmbar 120 ml", "SUP", "Embalagens", "un", "un", 0.65, 60, "Frascos Âmbar"},
        {"Frasco plástico âmbar 250 ml", "SUP", "Embalagens", "un", "un", 0.82, 60, "Frascos Âmbar"},
        {"Frasco airless 30 ml", "SUP", "Embalagens", "un", "un", 4.90, 60, "Frascos Âmbar"},
        {"Bisnaga de alumínio 30 g", "SUP", "Embalagens", "un", "un", 1.15, 60, "Bisnagas Paraná"},
        {"Bisnaga plástica 60 g", "SUP", "Embalagens", "un", "un", 0.95, 60, "Bisnagas Paraná"},
        {"Tampa rosca com lacre 28 mm", "SUP", "Embalagens", "un", "mil", 0.12, 60, "Plastijoi"},
        {"Válvula spray 24 mm", "SUP", "Embalagens", "un", "un", 0.58, 60, "Plastijoi"},
        {"Envelope plástico zip 10x15 cm", "SUP", "Embalagens", "un", "mil", 0.09, 60, "Embalagens SP"},
        // Labels.
        {"Etiqueta adesiva 40x25 mm", "SUP", "Rótulos", "un", "mil", 0.012, 24, "Etiquetas Minas"},
        {"Etiqueta adesiva 60x40 mm", "SUP", "Rótulos", "un", "mil", 0.018, 24, "Etiquetas Minas"},
        {"Etiqueta 'uso externo' vermelha", "SUP", "Rótulos", "un", "mil", 0.015, 24, "Etiquetas Minas"},
        {"Etiqueta 'agite antes de usar'", "SUP", "Rótulos", "un", "mil", 0.015, 24, "Etiquetas Minas"},
        {"Ribbon de cera 110 mm x 74 m", "SUP", "Rótulos", "un", "un", 18.50, 24, "Etiquetas Minas"},
        // Protective equipment.
        {"Luva de procedimento látex média", "SUP", "EPI", "cx", "cx", 24.90, 36, "Descartáveis Sul"},
        {"Luva de procedimento nitrílica pequena", "SUP", "EPI", "cx", "cx", 29.90, 36, "Descartáveis Sul"},
        {"Luva de procedimento nitrílica média", "SUP", "EPI", "cx", "cx", 29.90, 36, "Descartáveis Sul"},
        {"Máscara descartável tripla", "SUP", "EPI", "cx", "cx", 12.50, 36, "Descartáveis Sul"},
        {"Touca descartável sanfonada", "SUP", "EPI", "cx", "cx", 9.80, 36, "Descartáveis Sul"},
        {"Avental descartável manga longa", "SUP", "EPI", "un", "un", 1.80, 36, "Descartáveis Sul"},
        {"Propé descartável", "SUP", "EPI", "cx", "cx", 15.00, 36, "Descartáveis Sul"},
        // Laboratory.
        {"Papel filtro qualitativo 12,5 cm", "SUP", "Laboratório", "cx", "cx", 14.50, 60, "FilterTec"},
        {"Membrana filtrante 0,22 µm 47 mm", "SUP", "Laboratório", "un", "un", 6.40, 36, "FilterTec"},
        {"Filtro de seringa 0,45 µm", "SUP", "Laboratório", "un", "un", 3.20, 36, "FilterTec"},
        {"Seringa descartável 5 ml", "SUP", "Laboratório", "un", "un", 0.35, 60, "D'Ávila"},
        {"Seringa dosadora oral 10 ml", "SUP", "Laboratório", "un", "un", 0.60, 60, "D'Ávila"},
        {"Ponteira para micropipeta 1000 µl", "SUP", "Laboratório", "un", "mil", 0.05, 60, "Equipar"},
        {"Gral de porcelana 180 ml", "SUP", "Laboratório", "un", "un", 38.00, 120, "Equipar"},
        {"Espátula de aço inox 15 cm", "SUP", "Laboratório", "un", "un", 12.90, 120, "Equipar"},
        {"Béquer de vidro 250 ml", "SUP", "Laboratório", "un", "un", 9.50, 120, "Equipar"},
        {"Proveta graduada 100 ml", "SUP", "Laboratório", "un", "un", 22.00, 120, "Equipar"},
        // Cleaning and process materials.
        {"Álcool etílico 70%", "SUP", "Limpeza", "ml", "l", 0.012, 24, "Higiene Total"},
        {"Álcool isopropílico", "SUP", "Limpeza", "ml", "l", 0.035, 24, "Química Nordeste"},
        {"Detergente enzimático", "SUP", "Limpeza", "ml", "l", 0.045, 24, "Higiene Total"},
        {"Hipoclorito de sódio 1%", "SUP", "Limpeza", "ml", "l", 0.006, 12, "Higiene Total"},
        {"Água purificada", "SUP", "Limpeza", "ml", "l", 0.0009, 6, "Química Nordeste"},
        {"Talco farmacêutico", "SUP", "Excipientes", "g", "kg", 0.025, 36, "Farmaquímica"},
        {"Amido de milho", "SUP", "Excipientes", "g", "kg", 0.018, 24, "Farmaquímica"},
        {"Celulose microcristalina 101", "SUP", "Excipientes", "g", "kg", 0.06, 36, "Pharma Insumos"},
        {"Estearato de magnésio", "SUP", "Excipientes", "g", "kg", 0.09, 36, "Pharma Insumos"},
        {"Lactose monoidratada", "SUP", "Excipientes", "g", "kg", 0.04, 36, "Pharma Insumos"},
        {"Dióxido de silício coloidal", "SUP", "Excipientes", "g", "kg", 0.12, 36, "Pharma Insumos"},
        {"Óleo mineral", "SUP", "Excipientes", "ml", "l", 0.03, 36, "Química Nordeste"},
        // Shop and office.
        {"Sacola plástica personalizada", "SUP", "Expedição", "un", "mil", 0.22, 120, "Embalagens SP"},
        {"Caixa de papelão para entrega", "SUP", "Expedição", "un", "un", 1.40, 120, "Embalagens SP"},
        {"Fita adesiva transparente 48 mm", "SUP", "Expedição", "un", "un", 4.50, 60, "Gráfica Ipiranga"},
        {"Bobina térmica 80 mm", "SUP", "Escritório", "un", "un", 3.90, 60, "Gráfica Ipiranga"},
        {"Papel sulfite 75 g/m²", "SUP", "Escritório", "cx", "cx", 27.00, 120, "Gráfica Ipiranga"},
        // Products for resale.
        {"Protetor solar fator 50 120 ml", "REV", "Dermocosméticos", "un", "un", 32.90, 24, "Bela Flor"},
        {"Xampu anticaspa 200 ml", "REV", "Higiene", "un", "un", 18.40, 24, "Bela Flor"},
        {"Vitamina C 1 g efervescente", "REV", "Suplementos", "un", "un", 9.90, 18, "Dipaul"},
        {"Sabonete líquido glicerinado 250 ml", "REV", "Higiene", "un", "un", 7.80, 24, "Bela Flor"},
        {"Repelente loção 100 ml", "REV", "Dermocosméticos", "un", "un", 16.50, 24, "Dipaul"},
        {"Termômetro clínico digital", "REV", "Correlatos", "un", "un", 14.90, 60, "Dipaul"},
        // Bases of the pharmacy's own products.
        {"Creme base não iônico", "PRP", "Bases", "g", "kg", 0.038, 12, "Pharma Insumos"},
        {"Gel base de natrosol", "PRP", "Bases", "g", "kg", 0.032, 12, "Pharma Insumos"},
        {"Xampu base neutro", "PRP", "Bases", "ml", "l", 0.021, 12, "Pharma Insumos"},
        {"Loção cremosa base", "PRP", "Bases", "ml", "l", 0.034, 12, "Pharma Insumos"},
        {"Pomada base lanolina e vaselina", "PRP", "Bases", "g", "kg", 0.045, 18, "Farmaquímica"},
    };
    return list;
}

} // namespace catalogue
