// The coupon stages: typed-in reductions (60M, 60A, and with coupon items 60D
// and 60I of the reduction's printer), the PAF-ECF reductions, and 60R.
#include "Cenario.h"
#include "Regras.h"

#include <algorithm>

namespace {

using namespace cenario;

std::string Cupom(int codigo, const std::string& maquina, const std::string& coo, const std::string& dia,
                  std::vector<Item> itens, const std::string& status = "A") {
    Documento d{.codigo = "C" + std::to_string(codigo), .agrupamento = "ECF", .numero = coo,
                .serie = "ECF", .modelo = "2D", .data = dia};
    d.itens = std::move(itens);
    return d.Sql() + "INSERT INTO ECF VALUES (" + std::to_string(codigo) + ", 1, '" + maquina + "', '" + coo +
           "', '" + dia + "', '" + status + "', 0);\nINSERT INTO ECFMOVIMENTO VALUES (" +
           std::to_string(codigo) + ", 'C" + std::to_string(codigo) + "');\n";
}

// Two printers sell on 15 March; printer 1's coupon counter passes from 999 to 1000.
std::string Fixture() {
    return Cupom(1, "MAQ1", "999", "2010-03-15",
                 {Item{.produto = 1, .quantidade = 2, .preco = 10, .aliquota = 7},
                  Item{.produto = 2, .quantidade = 1, .preco = 5, .situacao = "041", .aliquota = 0}}) +
           Cupom(2, "MAQ1", "1000", "2010-03-15",
                 {Item{.produto = 1, .quantidade = 1, .preco = 10, .aliquota = 17},
                  Item{.produto = 3, .quantidade = 1, .preco = 4, .situacao = "060", .aliquota = 17}}) +
           Cupom(3, "MAQ2", "45", "2010-03-15",
                 {Item{.produto = 4, .quantidade = 1, .preco = 8, .situacao = "030", .aliquota = 0}}) +
           R"(
INSERT INTO SINTREG60M VALUES (1, '2010-03-15', 'MAQ1', 1, 999, 1000, 10, 1, 35.00, 1000.00, 1);
INSERT INTO SINTREG60M VALUES (2, '2010-03-15', 'MAQ2', 2, 45, 45, 5, 1, 8.00, 500.00, 1);
INSERT INTO SINTREG60A VALUES (1, 1, 'FF', 4.00);
INSERT INTO SINTREG60A VALUES (1, 2, '0700', 20.00);
INSERT INTO ECF_EQPTO VALUES (1, 1, 'MAQ1', '001', 'X');
INSERT INTO ECF_EQPTO VALUES (2, 1, 'MAQ2', '002', 'X');
INSERT INTO ECF_REDUCAOZ VALUES (101, 1, '000010', '001000', '000001', '2010-03-15', '2010-03-15', 35, 1000);
INSERT INTO ECF_REDUCAOZ VALUES (102, 2, '000005', '000045', '000001', '2010-03-15', '2010-03-15', 8, 500);
INSERT INTO ECF_REDUCAOZ VALUES (103, 1, '000011', '001001', '000001', '2010-03-16', '2010-03-16', 0, 1000);
INSERT INTO ECF_REDUCAOZ VALUES (104, 2, '000006', '000046', '000001', '2010-03-17', '2010-03-17', 0, 500);
INSERT INTO ECF_TOTALIZADORES VALUES (1, 101, '01T0700', 20);
INSERT INTO ECF_TOTALIZADORES VALUES (2, 101, '02T1700', 10);
INSERT INTO ECF_TOTALIZADORES VALUES (3, 101, 'F1', 4);
INSERT INTO ECF_TOTALIZADORES VALUES (4, 101, 'N1', 5);
INSERT INTO ECF_TOTALIZADORES VALUES (5, 101, 'Can-T', 1);
INSERT INTO ECF_TOTALIZADORES VALUES (6, 101, 'AT', 3);
INSERT INTO ECF_TOTALIZADORES VALUES (7, 102, 'I1', 8);
INSERT INTO ECF_TOTALIZADORES VALUES (8, 102, '03S0500', 0);
INSERT INTO ECF_TOTALIZADORES VALUES (9, 103, '01T0700', 10);
INSERT INTO ECF_TOTALIZADORES VALUES (10, 104, 'AT', 7);
INSERT INTO ECF_TOTALIZADORES VALUES (11, 104, 'OPNF', 2);
INSERT INTO ECF_TOTALIZADORES VALUES (12, 104, '01T0700', 0);
)";
}

// The subtype and the fields that tell one 60 line from another. Reductions of
// one date come in the server's order: their groups (a 60M and what follows
// it) are put in the order of their 60M lines.
std::vector<std::string> Registros60(const std::vector<std::string>& linhas) {
    std::vector<std::vector<std::string>> grupos(1);
    auto acrescenta = [&](const std::string& t) {
        if (t[0] == 'M' || (t[0] == 'R' && grupos.back().size() && grupos.back()[0][0] != 'R'))
            grupos.emplace_back();
        grupos.back().push_back(t);
    };
    std::vector<std::string> r;
    for (const auto& l : DoTipo(linhas, "60")) {
        const char t = l[2];
        if (t == 'M') r.push_back("M " + Campo(l, 12, 14) + " " + Campo(l, 32, 54));
        if (t == 'A') r.push_back("A " + Campo(l, 12, 14) + " " + Campo(l, 32, 47));
        if (t == 'D') r.push_back("D " + Campo(l, 12, 14) + " " + Campo(l, 32, 33) + " " + Campo(l, 91, 94));
        if (t == 'I') r.push_back("I " + Campo(l, 12, 14) + " " + Campo(l, 34, 44) + " " + Campo(l, 95, 98));
        if (t == 'R') r.push_back("R " + Campo(l, 4, 9) + " " + Campo(l, 10, 11) + " " + Campo(l, 69, 72));
        acrescenta(r.back());
    }
    auto ehReducao = [](const std::vector<std::string>& g) { return !g.empty() && g[0][0] == 'M'; };
    const auto inicio = std::find_if(grupos.begin(), grupos.end(), ehReducao);
    const auto fim = std::find_if_not(inicio, grupos.end(), ehReducao);
    std::stable_sort(inicio, fim, [](const auto& a, const auto& b) { return a[0] < b[0]; });
    r.clear();
    for (const auto& g : grupos) r.insert(r.end(), g.begin(), g.end());
    return r;
}

TEST(CuponsTest, ReducoesDigitadasSemItens) {
    Exportacao e(Fixture());
    const auto r = e.Executa();
    EXPECT_EQ(Registros60(r.linhas), (std::vector<std::string>{
                                         "M MAQ 0012D000999001000000010",
                                         "A MAQ F   000000000400",
                                         "A MAQ 0700000000002000",
                                         "M MAQ 0022D000045000045000005"}));
    EXPECT_TRUE(DoTipo(r.linhas, "75").empty());  // no coupon product collected
}

// Each typed-in reduction gets the items of its own printer on its day.
TEST(CuponsTest, ReducoesDigitadasComItensDaPropriaMaquina) {
    Exportacao e(Fixture());
    e.opcoes.itensCupom = true;
    const auto r = e.Executa();
    EXPECT_EQ(Registros60(r.linhas), (std::vector<std::string>{
                                         "M MAQ 0012D000999001000000010",
                                         "A MAQ F   000000000400",
                                         "A MAQ 0700000000002000",
                                         "D MAQ P2 N   ",  // by rate, then product code
                                         "D MAQ P1 0700",
                                         "D MAQ B1 F   ",
                                         "D MAQ P1 1700",
                                         "I MAQ 001000001P1 1700",  // coupon numbers in text order
                                         "I MAQ 001000002B1 F   ",
                                         "I MAQ 000999001P1 0700",
                                         "I MAQ 000999002P2 N   ",
                                         "M MAQ 0022D000045000045000005",
                                         "D MAQ A7 I   ",
                                         "I MAQ 000045001A7 I   ",
                                         "R 032010 A7 I   ",
                                         "R 032010 B1 F   ",
                                         "R 032010 P1 0700",
                                         "R 032010 P1 1700",
                                         "R 032010 P2 I   "}));
    // The coupon products are collected once, with the first item's values
    // (P1's first 60I item is coupon 1000's, at 17%).
    const auto l75 = DoTipo(r.linhas, "75");
    std::vector<std::string> produtos;
    for (const auto& l : l75) produtos.push_back(Campo(l, 19, 20) + Campo(l, 105, 108));
    EXPECT_EQ(produtos, (std::vector<std::string>{"A70000", "B11700", "P11700", "P20000"}));
}

TEST(CuponsTest, ReducoesDoPafEcf) {
    Exportacao e(Fixture());
    e.opcoes.pafEcf = true;
    e.opcoes.itensCupom = true;
    const auto r = e.Executa();
    // 103 had no coupon that day and 104 only non-fiscal or zero totals: both skipped.
    EXPECT_EQ(Registros60(r.linhas), (std::vector<std::string>{
                                         "M MAQ 0012D000999001000000010",
                                         "A MAQ 0700000000002000",
                                         "A MAQ 1700000000001000",
                                         "A MAQ F   000000000400",
                                         "A MAQ N   000000000500",
                                         "A MAQ CANC000000000100",
                                         "D MAQ P2 N   ",  // by rate, then product code
                                         "D MAQ P1 0700",
                                         "D MAQ B1 F   ",
                                         "D MAQ P1 1700",
                                         "I MAQ 001000001P1 1700",  // coupon numbers in text order
                                         "I MAQ 001000002B1 F   ",
                                         "I MAQ 000999001P1 0700",
                                         "I MAQ 000999002P2 N   ",
                                         "M MAQ 0022D000045000045000005",
                                         "A MAQ I   000000000800",
                                         "D MAQ A7 I   ",
                                         "I MAQ 000045001A7 I   ",
                                         "R 032010 A7 I   ",
                                         "R 032010 B1 F   ",
                                         "R 032010 P1 0700",
                                         "R 032010 P1 1700",
                                         "R 032010 P2 I   "}));
}

TEST(CuponsTest, PafEcfSemItensNaoEscreve60R) {
    Exportacao e(Fixture());
    e.opcoes.pafEcf = true;
    const auto r = e.Executa();
    for (const auto& l : DoTipo(r.linhas, "60")) EXPECT_TRUE(l[2] == 'M' || l[2] == 'A') << l;
}

// The month text of 60R is the period's first month, whatever the period covers.
TEST(CuponsTest, MesDo60RvemDoInicioDoPeriodo) {
    Exportacao e(Cupom(1, "MAQ1", "10", "2013-02-10", {Item{.produto = 1}}));
    e.opcoes.dataInicial = FazData(2013, 1, 15);
    e.opcoes.dataFinal = FazData(2013, 2, 14);
    e.opcoes.itensCupom = true;
    const auto r = e.Executa();
    const auto l60 = DoTipo(r.linhas, "60R");
    ASSERT_EQ(l60.size(), 1u);
    EXPECT_EQ(Campo(l60[0], 4, 9), "012013");
    EXPECT_TRUE(r.progresso->Viu("Etapa|Etapa  6 / 9"));
    EXPECT_TRUE(r.progresso->Viu("Descricao|ECF Periodo 012013   Produto:P1"));
}

TEST(CuponsTest, CodigoDaAliquota) {
    struct Caso {
        const char* situacao;
        double aliquota;
        const char* dI;
        const char* r;
    } casos[] = {{"000", 17, "1700", "1700"}, {"000", 7, "0700", "0700"}, {"000", 12.5, "1250", "1250"},
                 {"000", 0, "0000", "0000"},  {"060", 17, "F", "F"},        {"041", 0, "N", "I"},
                 {"030", 0, "I", "I"},        {"070", 0, "F", "F"},         {"020", 18, "1800", "1800"},
                 {"010", 0, "F", "F"},        {"040", 0, "I", "I"},         {"000", 100, "1000", "1000"},
                 {"000", -7, "0700", "0700"}, {"0", 7, "0700", "0700"}};
    for (const auto& c : casos) {
        EXPECT_EQ(CodigoAliquotaECF(c.situacao, c.aliquota, VarianteAliquota::Registro60DI), c.dI) << c.situacao << " " << c.aliquota;
        EXPECT_EQ(CodigoAliquotaECF(c.situacao, c.aliquota, VarianteAliquota::Registro60R), c.r) << c.situacao << " " << c.aliquota;
    }
}

TEST(CuponsTest, CompletaZerosEModelo) {
    EXPECT_EQ(CompletaZeros(1, 2, 0), "01");
    EXPECT_EQ(CompletaZeros(55, 2, 0), "55");
    EXPECT_EQ(CompletaZeros(123, 2, 0), "123");
    EXPECT_EQ(CompletaZeros(1.5, 6, 2), "001.50");
    std::string m;
    EXPECT_TRUE(ModeloDocumento("2D", m));
    EXPECT_EQ(m, "01");
    EXPECT_TRUE(ModeloDocumento("D2", m));
    EXPECT_EQ(m, "02");
    EXPECT_FALSE(ModeloDocumento("NB", m));
    EXPECT_FALSE(ModeloDocumento("", m));
}

}  // namespace
