// Layout of each record type: one table of cases per record, each case a call
// and the text expected at given positions (1-based, as the layouts number them).
#include "Auxiliar.h"

#include "Sintegra.h"

#include <functional>

namespace sintegra {
namespace {

using testes::Campo;

Data D(int a, unsigned m, unsigned d) {
    return Data{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{d}};
}

struct Trecho {
    int inicio;
    std::string texto;  // Windows-1252 bytes
};

struct CasoRegistro {
    std::string nome;
    std::function<void(tSintegra&)> escreve;
    std::vector<Trecho> trechos;
};

std::ostream& operator<<(std::ostream& o, const CasoRegistro& c) { return o << c.nome; }

class RegistroTest : public ::testing::TestWithParam<CasoRegistro> {};

TEST_P(RegistroTest, Layout) {
    const auto& caso = GetParam();
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("R.TXT"));
    caso.escreve(s);
    s.FechaArquivo();
    const auto linhas = testes::LinhasDoArquivo(pasta.Caminho() / "R.TXT");
    ASSERT_EQ(linhas.size(), 1u);
    for (const auto& t : caso.trechos)
        EXPECT_EQ(Campo(linhas[0], t.inicio, t.inicio + static_cast<int>(t.texto.size()) - 1),
                  t.texto)
            << "at position " << t.inicio << " of [" << linhas[0] << "]";
}

std::string NomeDoCaso(const ::testing::TestParamInfo<CasoRegistro>& i) { return i.param.nome; }

const std::string B(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
const std::string Z(int n) { return std::string(static_cast<std::size_t>(n), '0'); }

// ------------------------------------------------------------------ 10 and 11
INSTANTIATE_TEST_SUITE_P(
    Registro10, RegistroTest,
    ::testing::Values(
        CasoRegistro{"Completo",
                     [](tSintegra& s) {
                         s.Registro10("12.345.678/0001-95", "254.356.711", "JOSÉ & FILHOS LTDA",
                                      "SÃO JOSÉ", "SC", "(48) 3333-4444", D(2010, 3, 1),
                                      D(2010, 3, 31), 3, 3, 1);
                     },
                     {{1, "10"},
                      {3, "12345678000195"},
                      {17, "254356711" + B(5)},
                      {31, "JOS\xC9 & FILHOS LTDA" + B(17)},
                      {66, "S\xC3O JOS\xC9" + B(22)},
                      {96, "SC"},
                      {98, "4833334444"},
                      {108, "20100301"},
                      {116, "20100331"},
                      {124, "331"}}},
        CasoRegistro{"CNPJDe13DigitosEInscricaoVazia",
                     [](tSintegra& s) {
                         s.Registro10("1234567800019", "", "", "", "", "", D(2010, 3, 5),
                                      D(2010, 3, 5), 1, 2, 3);
                     },
                     {{3, "01234567800019"}, {17, B(14)}, {98, Z(10)}, {108, "20100305"},
                      {124, "123"}}},
        CasoRegistro{"IsentoMantemLetrasENomeLongoCortado",
                     [](tSintegra& s) {
                         s.Registro10("1", "ISENTO", std::string(40, 'N'), "M", "SCX", "1",
                                      D(2010, 3, 5), D(2010, 3, 5), 3, 3, 1);
                     },
                     {{17, "ISENTO" + B(8)}, {31, std::string(35, 'N')}, {96, "SC"},
                      {98, "0000000001"}}},
        // The suite keeps the DDD with its leading zero: the fax keeps its last ten digits.
        CasoRegistro{"FaxComDDDDeTresDigitos",
                     [](tSintegra& s) {
                         s.Registro10("1", "", "", "", "SC", std::string("048") + "32223344",
                                      D(2010, 3, 1), D(2010, 3, 31), 3, 3, 1);
                     },
                     {{96, "SC4832223344"}, {108, "20100301"}}}),
    NomeDoCaso);

INSTANTIATE_TEST_SUITE_P(
    Registro11, RegistroTest,
    ::testing::Values(
        CasoRegistro{"Completo",
                     [](tSintegra& s) {
                         s.Registro11("RUA DAS FLORES", "123", "SALA 2", "CENTRO", "01310-100",
                                      "MARIA", "(47) 3322-1100");
                     },
                     {{1, "11"},
                      {3, "RUA DAS FLORES" + B(20)},
                      {37, "00123"},
                      {42, "SALA 2" + B(16)},
                      {64, "CENTRO" + B(9)},
                      {79, "01310100"},
                      {87, "MARIA" + B(23)},
                      {115, "004733221100"}}},
        CasoRegistro{"CEPCurtoENumeroSemDigitos",
                     [](tSintegra& s) { s.Registro11("", "S/N", "", "", "89010", "", ""); },
                     {{37, "00000"}, {79, "89010000"}, {115, Z(12)}}}),
    NomeDoCaso);

// ------------------------------------------------------------------ 50 and 54
INSTANTIATE_TEST_SUITE_P(
    Registro50, RegistroTest,
    ::testing::Values(
        CasoRegistro{"Completo",
                     [](tSintegra& s) {
                         s.Registro50("12.345.678/0001-95", "254.356.711", D(2010, 3, 5), "SC",
                                      "01", "1", "123", "5.102", "P", 1500.75, 1000, 170, 0,
                                      500.75, 17, "N");
                     },
                     {{1, "50"},
                      {3, "12345678000195"},
                      {17, "254356711" + B(5)},
                      {31, "20100305"},
                      {39, "SC"},
                      {41, "01"},
                      {43, "1  "},
                      {46, "000123"},
                      {52, "5102"},
                      {56, "P"},
                      {57, "0000000150075"},
                      {70, "0000000100000"},
                      {83, "0000000017000"},
                      {96, Z(13)},
                      {109, "0000000050075"},
                      {122, "1700"},
                      {126, "N"}}},
        CasoRegistro{"InscricaoEmBrancoEIsento",
                     [](tSintegra& s) {
                         s.Registro50("", "   ", D(2010, 3, 5), "", "", "", "", "", "", 0, 0, 0,
                                      0, 0, 7.5, "");
                     },
                     {{3, Z(14)}, {17, "ISENTO" + B(8)}, {39, B(7)}, {46, Z(10)}, {56, " "},
                      {122, "0750"}, {126, " "}}},
        CasoRegistro{"NumeroLongoGuardaOsUltimosSeis",
                     [](tSintegra& s) {
                         s.Registro50("1", "1", D(2010, 3, 5), "SC", "55", "001", "1234567",
                                      "5102", "T", 0, 0, 0, 0, 0, 0, "S");
                     },
                     {{41, "55"}, {43, "001"}, {46, "234567"}, {56, "T"}, {126, "S"}}}),
    NomeDoCaso);

INSTANTIATE_TEST_SUITE_P(
    Registro54, RegistroTest,
    ::testing::Values(
        CasoRegistro{"Completo",
                     [](tSintegra& s) {
                         s.Registro54("12.345.678/0001-95", "01", "1", "123", "5102", "060",
                                      "1", "PROD-001", 3, 1500.75, 1.5, 1000, 200, 30, 17);
                     },
                     {{1, "54"},
                      {3, "12345678000195"},
                      {17, "01"},
                      {19, "1  "},
                      {22, "000123"},
                      {28, "5102"},
                      {32, "060"},
                      {35, "001"},
                      {38, "PROD-001" + B(6)},
                      {52, "00000003000"},
                      {63, "000000150075"},
                      {75, "000000000150"},
                      {87, "000000100000"},
                      {99, "000000020000"},
                      {111, "000000003000"},
                      {123, "1700"}}},
        CasoRegistro{"CSTCurtoECodigoLongo",
                     [](tSintegra& s) {
                         s.Registro54("", "", "", "1234567", "", "40", "991",
                                      "ABCDEFGHIJKLMNO", 0, 0, 0, 0, 0, 0, 0);
                     },
                     {{17, B(5)}, {22, "234567"}, {28, "0000"}, {32, " 40"}, {35, "991"},
                      {38, "ABCDEFGHIJKLMN"}, {52, Z(75)}}},
        CasoRegistro{"CSTDeUmCaractere",
                     [](tSintegra& s) {
                         s.Registro54("", "", "", "", "", "0", "", "", 0, 0, 0, 0, 0, 0, 0);
                     },
                     {{32, "  0"}, {35, "000"}}}),
    NomeDoCaso);

// ------------------------------------------------------------------ 60
INSTANTIATE_TEST_SUITE_P(
    Registro60, RegistroTest,
    ::testing::Values(
        CasoRegistro{"M",
                     [](tSintegra& s) {
                         s.Registro60M("BE0512SC56789012345678", "1", D(2010, 3, 5), "2D", 1234,
                                       1300, 45, 1, 1500.75, 123456.78);
                     },
                     {{1, "60M"},
                      {4, "20100305"},
                      {12, "BE0512SC567890123456"},
                      {32, "001"},
                      {35, "2D"},
                      {37, "001234"},
                      {43, "001300"},
                      {49, "000045"},
                      {55, "001"},
                      {58, "0000000000150075"},
                      {74, "0000000012345678"},
                      {90, B(37)}}},
        CasoRegistro{"MComModeloDeUmCaractere",
                     [](tSintegra& s) {
                         s.Registro60M("X", "12", D(2010, 3, 5), "2", 0, 0, 0, 0, 0, 0);
                     },
                     {{12, "X" + B(19)}, {32, "012"}, {35, "02"}}},
        CasoRegistro{"MNumeroDeOrdemComZerosAEsquerda",
                     [](tSintegra& s) {
                         s.Registro60M("X", "0001", D(2010, 3, 5), "2D", 0, 999999, 0, 999, 0, 0);
                     },
                     {{32, "0012D000000999999000000999"}}},
        CasoRegistro{"ACodigoFF",
                     [](tSintegra& s) { s.Registro60A("S1", "FF", D(2010, 3, 5), 10); },
                     {{1, "60A"}, {4, "20100305"}, {12, "S1" + B(18)}, {32, "F   "},
                      {36, "000000001000"}, {48, B(79)}}},
        CasoRegistro{"ACodigoIIComBrancos",
                     [](tSintegra& s) { s.Registro60A("S1", " II ", D(2010, 3, 5), 0); },
                     {{32, "I   "}}},
        CasoRegistro{"AAliquotaEmDigitos",
                     [](tSintegra& s) { s.Registro60A("S1", "1700", D(2010, 3, 5), 0); },
                     {{32, "1700"}}},
        CasoRegistro{"ACodigoNaoMapeadoFicaComoVeio",
                     [](tSintegra& s) { s.Registro60A("S1", " F", D(2010, 3, 5), 0); },
                     {{32, " F  "}}},
        CasoRegistro{"D",
                     [](tSintegra& s) {
                         s.Registro60D("S1", "P1", D(2010, 3, 5), "F", 2.5, 30, 20, 3.4);
                     },
                     {{1, "60D"},
                      {4, "20100305"},
                      {12, "S1" + B(18)},
                      {32, "P1" + B(12)},
                      {46, "0000000002500"},
                      {59, "0000000000003000"},
                      {75, "0000000000002000"},
                      {91, "F   "},
                      {95, "0000000000340"},
                      {108, B(19)}}},
        CasoRegistro{"I",
                     [](tSintegra& s) {
                         s.Registro60I("S1", "2D", D(2010, 3, 5), "P1", "1700", 1234, 3, 1, 10,
                                       10, 1.7);
                     },
                     {{1, "60I"},
                      {4, "20100305"},
                      {12, "S1" + B(18)},
                      {32, "2D"},
                      {34, "001234"},
                      {40, "003"},
                      {43, "P1" + B(12)},
                      {57, "0000000001000"},
                      {70, "0000000001000"},
                      {83, "000000001000"},
                      {95, "1700"},
                      {99, "000000000170"},
                      {111, B(16)}}},
        CasoRegistro{"R",
                     [](tSintegra& s) { s.Registro60R("032010", "P1", "I", 2, 20, 0); },
                     {{1, "60R"},
                      {4, "032010"},
                      {10, "P1" + B(12)},
                      {24, "0000000002000"},
                      {37, "0000000000002000"},
                      {53, Z(16)},
                      {69, "I   "},
                      {73, B(54)}}},
        CasoRegistro{"RComMesAnoCurtoNaoDesalinha",
                     [](tSintegra& s) { s.Registro60R("32010", "P1", "I", 0, 0, 0); },
                     {{4, "32010 "}, {10, "P1"}}}),
    NomeDoCaso);

// ------------------------------------------------------------------ 61, 61R, 74, 75
INSTANTIATE_TEST_SUITE_P(
    Registro61e74e75, RegistroTest,
    ::testing::Values(
        CasoRegistro{"Um",
                     [](tSintegra& s) {
                         s.Registro61(2, "D  ", D(2010, 3, 5), 10, 25, 1000, 800, 96, 50, 150,
                                      12);
                     },
                     {{1, "61"},
                      {3, B(28)},
                      {31, "20100305"},
                      {39, "02D  "},
                      {44, "  "},
                      {46, "000010"},
                      {52, "000025"},
                      {58, "0000000100000"},
                      {71, "0000000080000"},
                      {84, "000000009600"},
                      {96, "0000000005000"},
                      {109, "0000000015000"},
                      {122, "1200"},
                      {126, " "}}},
        CasoRegistro{"UmComSerieCurtaOuLonga",
                     [](tSintegra& s) { s.Registro61(2, "U", D(2010, 3, 5), 0, 0, 0, 0, 0, 0, 0, 0); },
                     {{41, "U  "}, {44, "  "}}},
        CasoRegistro{"UmR",
                     [](tSintegra& s) { s.Registro61R(3, 2010, "P1", 2.5, 100, 80, 12); },
                     {{1, "61R"},
                      {4, "032010"},
                      {10, "P1" + B(12)},
                      {24, "0000000002500"},
                      {37, "0000000000010000"},
                      {53, "0000000000008000"},
                      {69, "1200"},
                      {73, B(54)}}},
        CasoRegistro{"SetentaEQuatro",
                     [](tSintegra& s) { s.Registro74("P1", D(2010, 3, 31), "SC", 12.5, 300); },
                     {{1, "74"},
                      {3, "20100331"},
                      {11, "P1" + B(12)},
                      {25, "0000000012500"},  // three implied decimals, as every quantity
                      {38, "0000000030000"},
                      {51, "1"},
                      {52, Z(14)},
                      {66, B(14)},
                      {80, "SC"},
                      {82, B(45)}}},
        CasoRegistro{"SetentaECinco",
                     [](tSintegra& s) {
                         s.Registro75("P1", "123456", D(2010, 3, 1), D(2010, 3, 31),
                                      std::string(60, 'D'), "UN", 10, 17, 33.33, 1234.5);
                     },
                     {{1, "75"},
                      {3, "20100301"},
                      {11, "20100331"},
                      {19, "P1" + B(12)},
                      {33, "  123456"},
                      {41, std::string(53, 'D')},
                      {94, "UN" + B(4)},
                      {100, "01000"},
                      {105, "1700"},
                      {109, "03333"},
                      {114, "0000000123450"}}}),
    NomeDoCaso);

// ------------------------------------------------------------------ 88
INSTANTIATE_TEST_SUITE_P(
    Registro88, RegistroTest,
    ::testing::Values(
        CasoRegistro{"EC",
                     [](tSintegra& s) {
                         s.Registro88EC(std::string(45, 'C'), "123.456.789-0", "SC-012345",
                                        "(47) 3322-1100", "contador@exemplo.com.br", "1");
                     },
                     {{1, "88EC"},
                      {5, std::string(39, 'C')},
                      {44, "01234567890"},
                      {55, "SC-012345 "},
                      {65, "47332211000"},
                      {76, "contador@exemplo.com.br" + B(27)},
                      {126, "1"}}},
        CasoRegistro{"ECIndicadorLongoNaoDesalinha",
                     [](tSintegra& s) { s.Registro88EC("", "", "", "", "", "01"); },
                     {{5, B(39)}, {44, Z(11)}, {55, B(10)}, {65, Z(11)}, {126, "0"}}},
        CasoRegistro{"ECTelefoneComDDDDeTresDigitosENoveNoNumero",
                     [](tSintegra& s) {
                         s.Registro88EC("", "", "", std::string("048") + "999887766", "", "1");
                     },
                     {{65, "48999887766"}, {76, B(50)}}},
        CasoRegistro{"SME",
                     [](tSintegra& s) { s.Registro88SME("12.345.678/0001-95", "ISENTO"); },
                     {{1, "88SME"},
                      {6, "12345678000195"},
                      {20, "00000000ISENTO"},
                      {34, "SEM MOVIMENTO DE ENTRADAS" + B(9)},
                      {68, B(59)}}},
        CasoRegistro{"SMS",
                     [](tSintegra& s) { s.Registro88SMS("12345678000195", "254.356.711"); },
                     {{1, "88SMS"},
                      {20, "00000254356711"},
                      {34, "SEM MOVIMENTO DE SA\xCD" "DAS" + B(11)},
                      {68, B(59)}}}),
    NomeDoCaso);

bool CNPJValido(const std::string& c) {
    if (c.size() != 14) return false;
    auto dv = [&](int n) {
        static const int pesos[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
        int soma = 0;
        for (int i = 0; i < n; ++i) soma += (c[static_cast<std::size_t>(i)] - '0') * pesos[13 - n + i];
        return soma % 11 < 2 ? 0 : 11 - soma % 11;
    };
    return dv(12) == c[12] - '0' && dv(13) == c[13] - '0';
}

TEST(Registro88SFTest, IdentificaOFornecedor) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("SF.TXT"));
    s.Registro88SF();
    s.FechaArquivo();
    const auto l = testes::LinhasDoArquivo(pasta.Caminho() / "SF.TXT").at(0);
    EXPECT_EQ(Campo(l, 1, 4), "88SF");
    const auto nome = Campo(l, 5, 39);
    EXPECT_NE(nome[0], ' ');
    EXPECT_TRUE(CNPJValido(Campo(l, 40, 53))) << Campo(l, 40, 53);
    const auto telefones = Campo(l, 54, 75);
    EXPECT_EQ(telefones.find_first_not_of("0123456789"), std::string::npos);
    const auto email = Campo(l, 76, 125);
    EXPECT_NE(email.find('@'), std::string::npos);
    EXPECT_EQ(email.back(), ' ');
    EXPECT_EQ(Campo(l, 126, 126), "1");
}

// ------------------------------------------------------------------ counters and 90
TEST(ContadoresTest, CadaTipoNoSeuContador) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("C.TXT"));
    s.Registro10("", "", "", "", "", "", D(2010, 3, 1), D(2010, 3, 31), 3, 3, 1);
    s.Registro11("", "", "", "", "", "", "");
    EXPECT_EQ(s.QtdTotal(), 0);
    s.Registro88SF();
    EXPECT_EQ(s.Qtd88(), 1);
    EXPECT_EQ(s.QtdTotal(), 1);
    s.Registro60M("", "", D(2010, 3, 1), "2D", 0, 0, 0, 0, 0, 0);
    s.Registro60A("", "", D(2010, 3, 1), 0);
    s.Registro60D("", "", D(2010, 3, 1), "", 0, 0, 0, 0);
    s.Registro60I("", "", D(2010, 3, 1), "", "", 0, 0, 0, 0, 0, 0);
    s.Registro60R("032010", "", "", 0, 0, 0);
    EXPECT_EQ(s.Qtd60(), 5);
    for (int i = 0; i < 3; ++i) s.Registro61(2, "D  ", D(2010, 3, 1), 0, 0, 0, 0, 0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) s.Registro61R(3, 2010, "", 0, 0, 0, 0);
    EXPECT_EQ(s.Qtd61(), 5);
    s.Registro74("", D(2010, 3, 1), "", 0, 0);
    s.Registro75("", "", D(2010, 3, 1), D(2010, 3, 1), "", "", 0, 0, 0, 0);
    s.Registro88EC("", "", "", "", "", "1");
    s.Registro88SME("", "");
    s.Registro88SMS("", "");
    EXPECT_EQ(s.Qtd74(), 1);
    EXPECT_EQ(s.Qtd75(), 1);
    EXPECT_EQ(s.Qtd88(), 4);
    EXPECT_EQ(s.Qtd50(), 0);
    EXPECT_EQ(s.Qtd54(), 0);
    EXPECT_EQ(s.QtdTotal(), 16);
    s.FechaArquivo();
}

TEST(Registro90Test, UmaLinhaPorTipoMaisANoventaENove) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("T.TXT"));
    const char* cnpj = "12.345.678/0001-95";
    s.Registro50(cnpj, "", D(2010, 3, 5), "", "", "", "", "", "", 0, 0, 0, 0, 0, 0, "");
    s.Registro54(cnpj, "", "", "", "", "", "", "", 0, 0, 0, 0, 0, 0, 0);
    s.Registro88SME(cnpj, "");
    // The closing stage's pattern: every type with its counter, then "99".
    s.Registro90(cnpj, "", "50", s.Qtd50());
    s.Registro90(cnpj, "", "54", s.Qtd54());
    s.Registro90(cnpj, "", "60", s.Qtd60());  // 0: no line
    s.Registro90(cnpj, "", "61", s.Qtd61());
    s.Registro90(cnpj, "", "74", s.Qtd74());
    s.Registro90(cnpj, "", "75", s.Qtd75());
    s.Registro90(cnpj, "", "88", s.Qtd88());
    EXPECT_EQ(s.QtdTotal(), 6);
    s.Registro90(cnpj, "", "99", s.QtdTotal() + 3);
    s.Registro90(cnpj, "", "99", 0);   // nothing, and nothing counted
    s.Registro90(cnpj, "", "99", -1);
    EXPECT_EQ(s.QtdTotal(), 7);
    s.FechaArquivo();

    const auto linhas = testes::LinhasDoArquivo(pasta.Caminho() / "T.TXT");
    ASSERT_EQ(linhas.size(), 7u);
    const char* tipos[] = {"50", "54", "88", "99"};
    const char* totais[] = {"00000001", "00000001", "00000001", "00000009"};
    for (int i = 0; i < 4; ++i) {
        const auto& l = linhas[static_cast<std::size_t>(3 + i)];
        EXPECT_EQ(Campo(l, 1, 2), "90");
        EXPECT_EQ(Campo(l, 3, 16), "12345678000195");
        EXPECT_EQ(Campo(l, 17, 30), B(14));
        EXPECT_EQ(Campo(l, 31, 32), tipos[i]);
        EXPECT_EQ(Campo(l, 33, 40), totais[i]);
        EXPECT_EQ(Campo(l, 41, 125), B(85));
        EXPECT_EQ(Campo(l, 126, 126), "4");
    }
}

TEST(Registro90Test, TotalComOitoDigitos) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("T.TXT"));
    s.Registro90("1", "254.356.711", "99", 123);
    s.FechaArquivo();
    const auto l = testes::LinhasDoArquivo(pasta.Caminho() / "T.TXT").at(0);
    EXPECT_EQ(Campo(l, 17, 30), "254356711" + B(5));
    EXPECT_EQ(Campo(l, 33, 40), "00000123");
    EXPECT_EQ(Campo(l, 126, 126), "1");
}

}  // namespace
}  // namespace sintegra
