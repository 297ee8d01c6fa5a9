// Each rule of the check: one field of a clean file spoiled, and the finding it gives.
#include "Arquivo.h"

#include <functional>

namespace verificacao::testes {
namespace {

constexpr Nivel E = Nivel::Erro;
constexpr Nivel A = Nivel::Aviso;

TEST(ArquivoLimpoTest, NaoTemAchado) {
    const auto achados = Verifica(ConteudoLimpo());
    EXPECT_TRUE(achados.empty()) << Lista(achados);
    ASSERT_EQ(LinhasLimpas().size(), 33u);
}

TEST(ArquivoLimpoTest, PedacosDeQualquerTamanhoDaoOsMesmosAchados) {
    auto l = LinhasLimpas();
    Troca(l, 5, 3, "22333444000182");
    l[2].erase(126, 1);  // line 3 ends with LF alone
    l[24].insert(126, std::string(4874, ' '));  // longer than what is kept of a line
    const std::string c = Junta(l);
    const auto inteiro = Resumidos(Verifica(c));
    ASSERT_EQ(inteiro.size(), 3u);
    for (std::size_t pedaco : {1u, 2u, 127u, 128u, 1000u})
        EXPECT_EQ(Resumidos(Verifica(c, pedaco)), inteiro) << "pedaços de " << pedaco;
}

struct Caso {
    const char* nome;
    std::function<void(std::vector<std::string>&)> altera;
    std::vector<Esperado> esperados;
};

const std::vector<Caso> Casos = {
    // Form.
    {"linha de 125 bytes", [](auto& l) { l[24].erase(125, 1); }, {{25, "88SF", 1, E}}},
    {"linha de 5000 bytes", [](auto& l) { l[24].insert(126, std::string(4874, ' ')); }, {{25, "88SF", 1, E}}},
    {"linha terminada só com LF", [](auto& l) { l[2].erase(126, 1); }, {{3, "50", 0, E}}},
    {"última linha sem CR LF", [](auto& l) { l[32].resize(126); }, {{33, "90", 0, E}}},
    {"byte que o Windows-1252 não define", [](auto& l) { Troca(l, 1, 40, "\x81"); }, {{1, "10", 40, E}}},
    {"caractere de controle", [](auto& l) { Troca(l, 19, 45, "\t"); }, {{19, "75", 45, E}}},
    {"tipo desconhecido", [](auto& l) { Troca(l, 15, 1, "52"); }, {{15, "", 1, E}, {28, "90", 33, E}}},
    {"subtipo de 60 desconhecido", [](auto& l) { Troca(l, 15, 3, "X"); }, {{15, "", 1, E}, {28, "90", 33, E}}},
    {"10 e 11 trocados", [](auto& l) { std::swap(l[0], l[1]); }, {{1, "11", 1, E}, {2, "10", 1, E}}},
    {"74 depois de 75", [](auto& l) { std::swap(l[17], l[18]); }, {{19, "74", 1, E}}},
    {"campo numérico com letra", [](auto& l) { Troca(l, 10, 49, "00002A"); }, {{10, "60M", 49, E}}},
    {"data irreal", [](auto& l) { Troca(l, 19, 11, "20100332"); }, {{19, "75", 11, E}}},
    {"brancos preenchidos", [](auto& l) { Troca(l, 11, 60, "X"); }, {{11, "60A", 48, A}}},
    // Identities.
    {"CNPJ com dígito errado", [](auto& l) { Troca(l, 5, 3, "22333444000182"); }, {{5, "50", 3, E}}},
    {"CPF com dígito errado", [](auto& l) { Troca(l, 5, 3, "00052998224726"); }, {{5, "50", 3, E}}},
    {"CPF válido no lugar do CNPJ", [](auto& l) { Troca(l, 5, 3, "00052998224725"); }, {}},
    {"CNPJ em zeros", [](auto& l) { Troca(l, 5, 3, "00000000000000"); }, {{5, "50", 3, E}}},
    {"CNPJ do fornecedor do programa", [](auto& l) { Troca(l, 25, 40, "45997418000154"); }, {{25, "88SF", 40, E}}},
    {"CPF do contador", [](auto& l) { Troca(l, 24, 44, "52998224726"); }, {{24, "88EC", 44, E}}},
    {"Inscrição Estadual com dígito errado", [](auto& l) { Troca(l, 3, 17, "253987653"); }, {{3, "50", 17, E}}},
    {"Inscrição Estadual de outro estado", [](auto& l) { Troca(l, 4, 17, "253987652 "); }, {{4, "50", 17, E}}},
    {"Inscrição Estadual em branco", [](auto& l) { Troca(l, 5, 17, "      "); }, {{5, "50", 17, E}}},
    {"UF inexistente", [](auto& l) { Troca(l, 5, 39, "XX"); }, {{5, "50", 39, E}}},
    {"CEP com hífen", [](auto& l) { Troca(l, 2, 79, "88010-00"); }, {{2, "11", 79, E}}},
    {"CEP de outro estado", [](auto& l) { Troca(l, 2, 79, "01120000"); }, {{2, "11", 79, A}}},
    // Period and dates.
    {"nota de outro mês", [](auto& l) { Troca(l, 5, 31, "20100412"); }, {{5, "50", 31, E}}},
    {"redução Z de outro mês", [](auto& l) {
         for (int n : {10, 11, 12, 13, 14}) Troca(l, n, 4, "20100215");
     }, {{10, "60M", 4, E}, {11, "60A", 4, E}, {12, "60A", 4, E}, {13, "60D", 4, E}, {14, "60I", 4, E},
         {19, "75", 3, E}}},
    {"60R de outro mês", [](auto& l) { Troca(l, 15, 4, "042010"); }, {{15, "60R", 4, E}}},
    {"inventário depois do período", [](auto& l) { Troca(l, 18, 3, "20100401"); },
     {{18, "74", 3, E}, {23, "75", 3, E}}},
    {"período que não é um mês", [](auto& l) { Troca(l, 1, 116, "20100330"); }, {{1, "10", 108, E}, {18, "74", 3, E}}},
    // Codes.
    {"CFOP de saída em nota de entrada", [](auto& l) { Troca(l, 5, 56, "T"); }, {{5, "50", 52, E}}},
    {"CFOP de entrada em nota própria", [](auto& l) { Troca(l, 5, 52, "1949"); }, {{5, "50", 52, A}}},
    {"CFOP de dentro do estado para outro estado", [](auto& l) { Troca(l, 5, 39, "PR"); }, {{5, "50", 52, E}}},
    {"CFOP inexistente", [](auto& l) { Troca(l, 5, 52, "5999"); }, {{5, "50", 52, E}}},
    {"modelo que o registro 50 não admite", [](auto& l) { Troca(l, 5, 41, "02"); }, {{5, "50", 41, E}}},
    {"modelo de cupom inválido", [](auto& l) { Troca(l, 14, 32, "2A"); }, {{14, "60I", 32, E}}},
    {"situação inválida", [](auto& l) { Troca(l, 5, 126, "Z"); }, {{5, "50", 126, E}}},
    {"situação 4 (denegada)", [](auto& l) { Troca(l, 5, 126, "4"); }, {}},
    {"alíquota de ECF inválida", [](auto& l) { Troca(l, 11, 32, "XX  "); }, {{11, "60A", 32, E}}},
    {"modelo que o registro 61 não admite", [](auto& l) { Troca(l, 16, 39, "01"); }, {{16, "61", 39, E}}},
    {"mês que não existe", [](auto& l) { Troca(l, 17, 4, "13"); }, {{17, "61R", 4, E}}},
    {"código de posse inexistente", [](auto& l) { Troca(l, 18, 51, "4"); }, {{18, "74", 51, E}, {18, "74", 52, E}}},
    {"posse de terceiro sem CNPJ", [](auto& l) { Troca(l, 18, 51, "2"); }, {{18, "74", 52, E}}},
    {"finalidade do arquivo inexistente", [](auto& l) { Troca(l, 1, 126, "4"); }, {{1, "10", 126, E}}},
    {"indicador do contador inválido", [](auto& l) { Troca(l, 24, 126, "X"); }, {{24, "88EC", 126, E}}},
    {"CNPJ do 90 diferente do 10", [](auto& l) { Troca(l, 26, 3, "11222333000181"); }, {{26, "90", 3, E}}},
    // Across records.
    {"54 sem o seu 50", [](auto& l) { Troca(l, 9, 22, "000452"); }, {{9, "54", 3, E}}},
    {"produto sem 75", [](auto& l) { Troca(l, 21, 19, "P9"); }, {{9, "54", 0, E}}},
    {"75 que não cobre o uso", [](auto& l) { Troca(l, 19, 3, "20100316"); }, {{19, "75", 3, E}}},
    {"dois 75 do mesmo produto", [](auto& l) { Troca(l, 20, 19, "P1"); }, {{7, "54", 0, E}, {20, "75", 19, E}}},
    {"60A sem o 60M da impressora", [](auto& l) { Troca(l, 11, 12, "DR0208BR000000067890"); },
     {{11, "60A", 12, E}}},
    {"60D de outro dia", [](auto& l) { Troca(l, 13, 4, "20100316"); }, {{13, "60D", 12, E}}},
    {"venda bruta diferente dos 60A", [](auto& l) { Troca(l, 10, 58, "0000000000007100"); },
     {{10, "60M", 58, A}}},
    {"itens que não somam o valor da nota", [](auto& l) { Troca(l, 6, 63, "000000006100"); }, {{3, "50", 57, A}}},
    {"total do 90 com um a mais", [](auto& l) { Troca(l, 27, 33, "00000005"); }, {{27, "90", 33, E}}},
    {"total do 90 com um a menos", [](auto& l) { Troca(l, 31, 33, "00000004"); }, {{31, "90", 33, E}}},
    {"total geral errado", [](auto& l) { Troca(l, 33, 33, "00000034"); }, {{33, "90", 33, E}}},
    {"contagem de linhas 90 errada", [](auto& l) { Troca(l, 26, 126, "7"); }, {{26, "90", 126, E}}},
    {"tipo sem total no 90", [](auto& l) {
         l.erase(l.begin() + 29);
         for (int n = 26; n <= 32; ++n) Troca(l, n, 126, "7");
         Troca(l, 32, 33, "00000032");
     }, {{32, "90", 31, E}}},
    {"90 que não é a última linha", [](auto& l) { l.push_back(l[24]); },
     {{34, "88SF", 1, E}, {34, "", 1, E}, {33, "90", 33, E}, {32, "90", 33, E}}},
};

TEST(RegrasTest, CadaDefeitoDaSeuAchado) {
    for (const auto& caso : Casos) {
        SCOPED_TRACE(caso.nome);
        auto linhas = LinhasLimpas();
        caso.altera(linhas);
        const auto achados = Verifica(Junta(linhas));
        auto esperados = caso.esperados;
        std::sort(esperados.begin(), esperados.end());
        EXPECT_EQ(Resumidos(achados), esperados) << Lista(achados);
    }
}

TEST(RegrasTest, AchadoDizCampoPosicoesEOQueCorrigir) {
    auto l = LinhasLimpas();
    Troca(l, 3, 17, "253987653");
    const auto achados = Verifica(Junta(l));
    ASSERT_EQ(achados.size(), 1u);
    const Achado& a = achados[0];
    EXPECT_EQ(a.Campo, "Inscrição Estadual");
    EXPECT_EQ(a.Fim, 30);
    EXPECT_NE(a.Mensagem.find("\"253987653\""), std::string::npos) << a.Mensagem;
    EXPECT_NE(a.Mensagem.find("cadastro do cliente/fornecedor"), std::string::npos) << a.Mensagem;
    EXPECT_EQ(TextoAchado(a).rfind("ERRO linha 3 registro 50 campo Inscrição Estadual (posições 17-30): ", 0), 0u)
        << TextoAchado(a);
}

// The layout lets record 90 carry several pairs of type and total in one line,
// and each state adds 88 records of its own: neither is a finding.
TEST(RegrasTest, FormasQueOLayoutPermiteNaoSaoAchados) {
    auto l = LinhasLimpas();
    std::string pares;
    for (int n = 26; n <= 32; ++n) pares += l[static_cast<std::size_t>(n - 1)].substr(30, 10);
    std::string primeira = l[25].substr(0, 30) + pares + std::string(25, ' ') + "2\r\n";
    std::string ultima = l[32];
    l.erase(l.begin() + 25, l.end());
    l.push_back("88STITNF" + std::string(118, ' ') + "\r\n");  // a state's own record 88
    l.push_back(primeira);
    l.push_back(ultima);
    Troca(l, 27, 33 + 60, "00000003");  // the 88 total, seventh pair
    Troca(l, 28, 126, "2");
    Troca(l, 28, 33, "00000028");
    const auto achados = Verifica(Junta(l));
    EXPECT_TRUE(achados.empty()) << Lista(achados);
}

// A PAF-ECF file ends with the signature line the maker's library appends
// after the record 90: not a finding, and not one of the file's lines; a line
// after it is.
TEST(RegrasTest, AssinaturaEADDepoisDoNoventa) {
    const std::string assinatura = "EAD" + std::string(512, 'A') + "\r\n";
    const auto achados = Verifica(ConteudoLimpo() + assinatura);
    EXPECT_TRUE(achados.empty()) << Lista(achados);
    const auto depois = Verifica(ConteudoLimpo() + assinatura + LinhasLimpas().back());
    ASSERT_FALSE(depois.empty());
    EXPECT_EQ(depois[0].Campo, "Assinatura");
    EXPECT_EQ(depois[0].Linha, 35u);
}

TEST(RegrasTest, ArquivoVazioESemNoventa) {
    EXPECT_EQ(Resumidos(Verifica("")), (std::vector<Esperado>{{0, "", 0, E}}));
    auto l = LinhasLimpas();
    l.resize(25);
    const auto achados = Verifica(Junta(l));
    ASSERT_EQ(achados.size(), 1u) << Lista(achados);
    EXPECT_EQ(achados[0].Linha, 25u);
    EXPECT_NE(achados[0].Mensagem.find("registro 90"), std::string::npos);
}

}  // namespace
}  // namespace verificacao::testes
