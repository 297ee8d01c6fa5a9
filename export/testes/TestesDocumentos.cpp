// Stage 1 (records 10, 11, 50) and stage 2 (records 54 and the product list).
#include "Cenario.h"

namespace {

using namespace cenario;

// Fields of a record 50: model, series, number, CFOP, issuer, values, rate, situation.
struct Registro50 {
    std::string modelo, serie, numero, cfop, emitente;
    std::string total, base, icms, outras, aliquota, situacao;
};
Registro50 Le50(const std::string& l) {
    return {Campo(l, 41, 42), Campo(l, 43, 45), Campo(l, 46, 51), Campo(l, 52, 55), Campo(l, 56, 56),
            Campo(l, 57, 69), Campo(l, 70, 82), Campo(l, 83, 95), Campo(l, 109, 121), Campo(l, 122, 125),
            Campo(l, 126, 126)};
}

TEST(DocumentosTest, CabecalhoDaEmpresa) {
    Documento d{.codigo = "S1"};
    d.itens = {Item{}};
    Exportacao e(d.Sql());
    const auto r = e.Executa();
    ASSERT_TRUE(r.ok);
    const auto& l10 = r.linhas.at(0);
    EXPECT_EQ(Campo(l10, 1, 30), "1011222333000181251000001     ");
    EXPECT_EQ(Campo(l10, 31, 65), "LOJA DE TESTES LTDA                ");
    EXPECT_EQ(Campo(l10, 66, 97), "BLUMENAU                      SC");
    // DDD "047" and the fax's eight digits are eleven: the ten-digit field keeps the last ten.
    EXPECT_EQ(Campo(l10, 98, 126), "4733330001" "20100301" "20100331" "331");
    const auto& l11 = r.linhas.at(1);
    EXPECT_EQ(Campo(l11, 1, 41), "11RUA DAS PALMEIRAS                 00010");
    EXPECT_EQ(Campo(l11, 79, 86), "89010000");
    EXPECT_EQ(Campo(l11, 115, 126), "004733330000");
}

// Items with rates 7, 7, 12, 7 of one CFOP: three records 50.
TEST(DocumentosTest, GruposSaoSequenciasDeItensComMesmaAliquotaECFOP) {
    Documento d{.codigo = "S1", .numero = "123"};
    d.itens = {Item{.quantidade = 2, .preco = 10, .aliquota = 7}, Item{.quantidade = 1, .preco = 5, .aliquota = 7},
               Item{.quantidade = 1, .preco = 20, .aliquota = 12}, Item{.quantidade = 3, .preco = 1, .aliquota = 7}};
    Exportacao e(d.Sql());
    const auto r = e.Executa();
    const auto l50 = DoTipo(r.linhas, "50");
    ASSERT_EQ(l50.size(), 3u);
    const auto a = Le50(l50[0]), b = Le50(l50[1]), c = Le50(l50[2]);
    EXPECT_EQ(a.total, "0000000002500");
    EXPECT_EQ(a.base, "0000000002500");
    EXPECT_EQ(a.icms, "0000000000175");
    EXPECT_EQ(a.aliquota, "0700");
    EXPECT_EQ(b.total, "0000000002000");
    EXPECT_EQ(b.icms, "0000000000240");
    EXPECT_EQ(b.aliquota, "1200");
    EXPECT_EQ(c.total, "0000000000300");
    EXPECT_EQ(c.aliquota, "0700");
    EXPECT_EQ(a.numero, "000123");
    EXPECT_EQ(a.emitente, "P");
    EXPECT_EQ(a.situacao, "N");
}

// Freight 10, insurance 4, expenses 6 and a discount of 20 over goods of 100:
// each item takes its share.
TEST(DocumentosTest, EncargosEDescontoRateadosPelosItens) {
    Documento d{.codigo = "S1", .frete = 10, .seguro = 4, .despesas = 6, .desconto = 20};
    d.itens = {Item{.quantidade = 1, .preco = 75, .aliquota = 17}, Item{.quantidade = 1, .preco = 25, .aliquota = 12}};
    Exportacao e(d.Sql());
    const auto l50 = DoTipo(e.Executa().linhas, "50");
    ASSERT_EQ(l50.size(), 2u);
    EXPECT_EQ(Le50(l50[0]).total, "0000000007500");  // 75 + 0.75 × (10 + 4 + 6 - 20)
    EXPECT_EQ(Le50(l50[0]).outras, "0000000000000");
    // Freight alone, with the goods' value 0: the whole freight goes to each item.
    Documento z{.codigo = "S2", .numero = "2", .frete = 10, .valorProdutos = 0};
    z.itens = {Item{.quantidade = 1, .preco = 30, .aliquota = 17}, Item{.quantidade = 1, .preco = 5, .aliquota = 12}};
    Exportacao e2(z.Sql());
    const auto z50 = DoTipo(e2.Executa().linhas, "50");
    ASSERT_EQ(z50.size(), 2u);
    // VALOR is 10 (goods declared 0), so the discount is 0 + 10 - 10 = 0: each item gets all the freight.
    EXPECT_EQ(Le50(z50[0]).total, "0000000004000");
    EXPECT_EQ(Le50(z50[1]).total, "0000000001500");
    EXPECT_EQ(Le50(z50[0]).outras, "0000000001000");
}

TEST(DocumentosTest, SubstituicaoTributariaNaoMudaBaseNemOutras) {
    Documento d{.codigo = "E1", .movimento = "E", .agrupamento = "NFE", .cfop = "1403"};
    d.itens = {Item{.quantidade = 10, .preco = 3, .situacao = "010", .aliquota = 17, .cfop = "1403", .baseST = 42}};
    Exportacao e(d.Sql());
    const auto a = Le50(DoTipo(e.Executa().linhas, "50").at(0));
    EXPECT_EQ(a.total, "0000000003000");
    EXPECT_EQ(a.base, "0000000000000");
    EXPECT_EQ(a.icms, "0000000000000");
    EXPECT_EQ(a.outras, "0000000000000");
    EXPECT_EQ(a.emitente, "T");
}

TEST(DocumentosTest, CFOP5929E6929DeclaramONumeroSemValores) {
    Documento d{.codigo = "S1", .cfop = "6929"};
    d.itens = {Item{.preco = 50, .cfop = "6102"}, Item{.preco = 20, .aliquota = 12, .cfop = "6102"}};
    Documento u{.codigo = "S2", .numero = "2", .cfop = "5929"};
    u.itens = {Item{.preco = 50}};
    Exportacao e(d.Sql() + u.Sql());
    const auto r = e.Executa();
    const auto l50 = DoTipo(r.linhas, "50");
    ASSERT_EQ(l50.size(), 2u);
    EXPECT_EQ(Le50(l50[0]).cfop, "6929");
    EXPECT_EQ(Campo(l50[0], 57, 125), std::string(69, '0'));
    EXPECT_EQ(Le50(l50[1]).cfop, "5929");
    EXPECT_EQ(Campo(l50[1], 57, 125), std::string(69, '0'));
    EXPECT_TRUE(DoTipo(r.linhas, "54").empty());  // no item, no product
    EXPECT_TRUE(DoTipo(r.linhas, "75").empty());
}

TEST(DocumentosTest, DocumentoSemItensTemUmRegistroZerado) {
    Documento d{.codigo = "S1", .cfop = "5949"};
    Exportacao e(d.Sql());
    const auto l50 = DoTipo(e.Executa().linhas, "50");
    ASSERT_EQ(l50.size(), 1u);
    EXPECT_EQ(Le50(l50[0]).cfop, "5949");
    EXPECT_EQ(Campo(l50[0], 31, 38), "20100310");
    EXPECT_EQ(Campo(l50[0], 57, 125), std::string(69, '0'));
}

// Model, series, issuer, situation and date of each kind of document.
TEST(DocumentosTest, ModeloSerieEmitenteSituacaoEData) {
    std::string sql;
    auto doc = [&](Documento d) {
        d.itens = {Item{}};
        sql += d.Sql();
    };
    doc({.codigo = "A", .numero = "1", .serie = "M1", .modelo = "1A"});
    doc({.codigo = "B", .numero = "2", .serie = "NB", .modelo = "D2"});
    doc({.codigo = "C", .numero = "3", .serie = "U", .modelo = "01", .modeloTerceiro = "55"});
    doc({.codigo = "D", .numero = "4", .modelo = "2D", .modeloTerceiro = "NB"});
    doc({.codigo = "E", .numero = "5", .status = "C"});  // a cancelled sale
    doc({.codigo = "F", .movimento = "E", .agrupamento = "NFE", .numero = "6", .data = "2010-03-20",
         .dataDocumento = "2010-02-25"});
    doc({.codigo = "G", .movimento = "E", .agrupamento = "NFE", .numero = "7", .status = "C"});
    doc({.codigo = "H", .numero = "8", .data = "2010-03-21", .dataDocumento = "2010-03-19"});
    Exportacao e(sql);
    const auto r = e.Executa();
    std::map<std::string, std::string> porNumero;
    for (const auto& l : DoTipo(r.linhas, "50")) porNumero[Le50(l).numero] = l;
    ASSERT_EQ(porNumero.size(), 7u);  // the cancelled entry is not declared
    EXPECT_EQ(Le50(porNumero["000001"]).modelo + "|" + Le50(porNumero["000001"]).serie, "01|   ");
    EXPECT_EQ(Le50(porNumero["000002"]).modelo + "|" + Le50(porNumero["000002"]).serie, "02|   ");
    EXPECT_EQ(Le50(porNumero["000003"]).modelo + "|" + Le50(porNumero["000003"]).serie, "55|U  ");
    EXPECT_EQ(Le50(porNumero["000004"]).modelo, "01");
    EXPECT_EQ(Le50(porNumero["000005"]).situacao, "S");
    EXPECT_EQ(Le50(porNumero["000005"]).total, "0000000001000");
    EXPECT_EQ(Le50(porNumero["000006"]).emitente, "T");
    EXPECT_EQ(Campo(porNumero["000006"], 31, 38), "20100320");  // an entry: the movement's date
    EXPECT_EQ(Campo(porNumero["000008"], 31, 38), "20100319");  // an exit: the document's date
    EXPECT_EQ(porNumero.count("000007"), 0u);
    // Both kinds met: no 88SME nor 88SMS.
    EXPECT_TRUE(DoTipo(r.linhas, "88").empty());
}

TEST(DocumentosTest, CupomEModelo2NaoGeram50NemContam) {
    Documento c{.codigo = "C1", .agrupamento = "ECF", .modelo = "2D"};
    c.itens = {Item{}};
    Documento m{.codigo = "M1", .numero = "9", .modelo = "02"};
    m.itens = {Item{}};
    Documento n{.codigo = "M2", .numero = "10", .modelo = "2"};
    n.itens = {Item{}};
    Exportacao e(c.Sql() + m.Sql() + n.Sql());
    const auto r = e.Executa();
    // The six-line file: nothing met, no 88 records asked for.
    ASSERT_EQ(r.linhas.size(), 6u);
    EXPECT_EQ(Campo(r.linhas[2], 1, 5), "88SMS");
    EXPECT_EQ(Campo(r.linhas[3], 1, 5), "88SME");
    EXPECT_EQ(Campo(r.linhas[4], 31, 40), "8800000002");
    EXPECT_EQ(Campo(r.linhas[5], 31, 40), "9900000006");
    EXPECT_EQ(Campo(r.linhas[5], 126, 126), "2");
    // The progress bar's maximum counted every document, coupon included.
    EXPECT_TRUE(r.progresso->Viu("MaximoStatus|3"));
}

TEST(DocumentosTest, ModeloQueNaoENumeroParaAExportacaoENomeiaODocumento) {
    Documento d{.codigo = "MOV77", .numero = "4455", .modelo = "XY"};
    d.itens = {Item{}};
    Exportacao e(d.Sql());
    std::filesystem::create_directories(e.Pasta());
    const std::string anterior = std::string(126, 'X') + "\r\n";
    testes::EscreveArquivo(e.Pasta() + "SINTEGRA.TXT", anterior);
    const auto r = e.Executa();
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.progresso->erros.size(), 1u);
    EXPECT_EQ(r.progresso->erros[0], "O modelo \"XY\" do documento 4455 (movimento MOV77) não é um número.");
    EXPECT_FALSE(r.estado->Exportando);
    EXPECT_FALSE(r.estado->CancelaExportacao);
    EXPECT_EQ(r.conteudo, anterior);  // the earlier file stays as it was
    EXPECT_TRUE(r.progresso->mensagens.empty());
    for (const auto& entrada : std::filesystem::directory_iterator(e.Pasta()))
        EXPECT_NE(entrada.path().extension(), ".tmp") << "temporary file left: " << entrada.path();
}

// A database error inside a stage names the stage and the document: here the
// items procedure overflows on one note's quantity times price.
TEST(DocumentosTest, ErroDoBancoNomeiaAEtapaEODocumento) {
    Documento bom{.codigo = "MOV1", .numero = "10"};
    bom.itens = {Item{}};
    Documento grande{.codigo = "MOV2", .numero = "20", .valorProdutos = 1};
    grande.itens = {Item{.quantidade = 1e7, .preco = 1e7, .base = 0}};
    Exportacao e(bom.Sql() + grande.Sql());
    const auto r = e.Executa();
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.progresso->erros.size(), 1u);
    const std::string& erro = r.progresso->erros[0];
    EXPECT_EQ(erro.rfind("Erro do banco de dados na etapa de documentos (registros 10, 11 e 50), ao ler "
                         "nota 20 (movimento MOV2): ", 0), 0u) << erro;
    EXPECT_NE(erro.find("overflow"), std::string::npos) << erro;
    EXPECT_TRUE(r.conteudo.empty());
}

// ---------------------------------------------------------------- records 54

struct Registro54 {
    std::string cfop, cst, item, produto, quantidade, valor, desconto, base, ipi, aliquota;
};
Registro54 Le54(const std::string& l) {
    return {Campo(l, 28, 31), Campo(l, 32, 34),  Campo(l, 35, 37),   Campo(l, 38, 51),  Campo(l, 52, 62),
            Campo(l, 63, 74), Campo(l, 75, 86), Campo(l, 87, 98), Campo(l, 111, 122), Campo(l, 123, 126)};
}

TEST(ItensTest, DoisCFOPsNoDocumentoNumeradosCadaUmComSeusEncargos) {
    Documento d{.codigo = "S1", .frete = 10, .despesas = 5};
    d.itens = {Item{.produto = 1}, Item{.produto = 2}, Item{.produto = 3, .situacao = "060", .cfop = "5405"}};
    Exportacao e(d.Sql());
    const auto l54 = DoTipo(e.Executa().linhas, "54");
    std::vector<std::string> itens;
    for (const auto& l : l54) itens.push_back(Le54(l).cfop + ":" + Le54(l).item + ":" + Le54(l).desconto);
    EXPECT_EQ(itens, (std::vector<std::string>{
                         "5102:001:000000000000", "5102:002:000000000000", "5102:991:000000001000",
                         "5102:999:000000000500", "5405:001:000000000000", "5405:991:000000001000",
                         "5405:999:000000000500"}));
    EXPECT_EQ(Le54(l54[4]).aliquota, "0000");  // situation 060: no rate
    EXPECT_EQ(Le54(l54[2]).cst, "   ");
    EXPECT_EQ(Le54(l54[2]).produto, std::string(14, ' '));
}

// The IPI of an item counts its quantity: 3 × 10.00 at 10% is 3.00.
// A supplier's NF-e typed in with the suite's own model 01: its records 54
// carry the model of its record 50, so the validator finds their document.
TEST(ItensTest, ModeloDo54EODoSeuRegistro50) {
    struct Caso {
        Documento doc;
        std::string modelo;
    };
    const Caso casos[] = {
        {{.codigo = "A", .movimento = "E", .agrupamento = "NFE", .numero = "1", .modelo = "01",
          .modeloTerceiro = "55"}, "55"},
        {{.codigo = "B", .movimento = "E", .agrupamento = "NFE", .numero = "2", .modelo = "01",
          .modeloTerceiro = "NB"}, "01"},
        {{.codigo = "C", .numero = "3", .serie = " 1 ", .modelo = "1A"}, "01"},
        {{.codigo = "D", .numero = "4", .modelo = "01", .modeloTerceiro = "55"}, "55"},
    };
    std::string sql;
    for (auto c : casos) {
        c.doc.itens = {Item{}};
        c.doc.frete = 1;
        sql += c.doc.Sql();
    }
    // Two entries of one supplier, number and series that disagree on the
    // model: their items keep their own.
    for (const auto& [codigo, terceiro] : {std::pair{"E1", "55"}, std::pair{"E2", "57"}}) {
        Documento d{.codigo = codigo, .movimento = "E", .agrupamento = "NFE", .numero = "5",
                    .modelo = "01", .modeloTerceiro = terceiro};
        d.itens = {Item{}};
        sql += d.Sql();
    }
    Exportacao e(sql);
    const auto r = e.Executa();
    ASSERT_TRUE(r.ok);
    std::map<std::string, std::string> modelo50;
    for (const auto& l : DoTipo(r.linhas, "50")) modelo50[Le50(l).numero] = Le50(l).modelo;
    for (const auto& c : casos) {
        const std::string numero = "00000" + c.doc.numero;
        EXPECT_EQ(modelo50[numero], c.modelo) << numero;
        int itens = 0;
        for (const auto& l : DoTipo(r.linhas, "54"))
            if (Campo(l, 22, 27) == numero) {
                EXPECT_EQ(Campo(l, 17, 18), c.modelo) << numero << " item " << Le54(l).item;
                ++itens;
            }
        EXPECT_EQ(itens, 2) << numero;  // the item and its freight
    }
    for (const auto& l : DoTipo(r.linhas, "54")) {
        if (Campo(l, 22, 27) == "000005") {
            EXPECT_EQ(Campo(l, 17, 18), "01");
        }
    }
}

TEST(ItensTest, IPIDoItemMultiplicaAQuantidade) {
    Documento d{.codigo = "S1"};
    d.itens = {Item{.quantidade = 3, .preco = 10, .aliquotaIPI = 10}};
    Exportacao e(d.Sql());
    const auto i = Le54(DoTipo(e.Executa().linhas, "54").at(0));
    EXPECT_EQ(i.quantidade, "00000003000");
    EXPECT_EQ(i.valor, "000000003000");
    EXPECT_EQ(i.ipi, "000000000300");
}

// A model-2 note among other documents: its items stay out of the walk, so the
// document after it is numbered from 1 with its own charges once.
TEST(ItensTest, NotaModelo2ForaDaCaminhadaNaoAtrapalhaAProxima) {
    Documento m{.codigo = "M1", .numero = "100", .modelo = "2", .frete = 7};
    m.itens = {Item{.produto = 4}, Item{.produto = 4}};
    Documento d{.codigo = "S1", .numero = "101", .frete = 3};
    d.itens = {Item{.produto = 1}, Item{.produto = 2}};
    Exportacao e(m.Sql() + d.Sql());
    const auto l54 = DoTipo(e.Executa().linhas, "54");
    std::vector<std::string> itens;
    for (const auto& l : l54) itens.push_back(Campo(l, 22, 27) + ":" + Le54(l).item);
    EXPECT_EQ(itens, (std::vector<std::string>{"000101:001", "000101:002", "000101:991"}));
}

TEST(ItensTest, ProdutoEntraUmaVezComOsValoresDoPrimeiroItem) {
    Documento a{.codigo = "S1", .numero = "1"};
    a.itens = {Item{.produto = 1, .aliquota = 7, .baseST = 0}};
    Documento b{.codigo = "S2", .numero = "2"};
    b.itens = {Item{.produto = 1, .aliquota = 17, .baseST = 99}};
    Exportacao e(a.Sql() + b.Sql());
    const auto l75 = DoTipo(e.Executa().linhas, "75");
    ASSERT_EQ(l75.size(), 1u);
    EXPECT_EQ(Campo(l75[0], 19, 32), "P1            ");
    EXPECT_EQ(Campo(l75[0], 105, 108), "0700");
    EXPECT_EQ(Campo(l75[0], 114, 126), std::string(13, '0'));
}

}  // namespace
