#include "Auxiliar.h"

#include "Campos.h"
#include "Sintegra.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <random>
#include <locale>

namespace sintegra {
namespace {

struct CasoValor {
    double valor;
    int decimais;
    int largura;
    const char* esperado;
};

class ValorTest : public ::testing::TestWithParam<CasoValor> {};

// The field just written after the two-character code of a record 75.
std::string Escrito(const Linha& l) {
    return std::string(l.Texto() + 2, static_cast<std::size_t>(l.Posicao() - 2));
}

TEST_P(ValorTest, ArredondaComoSeLe) {
    const auto& c = GetParam();
    Linha l("75");
    l.Valor("Valor", c.valor, c.largura, c.decimais);
    EXPECT_EQ(Escrito(l), c.esperado) << c.valor << " with " << c.decimais << " decimals";
}

INSTANTIATE_TEST_SUITE_P(
    Regra5, ValorTest,
    ::testing::Values(
        // halves away from zero on the value as a person reads it
        CasoValor{2.675, 2, 4, "0268"}, CasoValor{1.005, 2, 4, "0101"},
        CasoValor{0.1 + 0.2, 2, 4, "0030"}, CasoValor{0.0005, 3, 4, "0001"},
        CasoValor{0.125, 2, 4, "0013"}, CasoValor{0.004999, 2, 4, "0000"},
        CasoValor{0.005, 2, 4, "0001"}, CasoValor{-0.005, 2, 4, "0001"},
        // examples of the layouts
        CasoValor{1234.5, 2, 13, "0000000123450"}, CasoValor{2.5, 3, 13, "0000000002500"},
        CasoValor{0, 2, 13, "0000000000000"}, CasoValor{-12.5, 2, 13, "0000000001250"},
        CasoValor{1500.75, 2, 12, "000000150075"}, CasoValor{17, 2, 4, "1700"},
        CasoValor{7.5, 2, 4, "0750"}, CasoValor{3, 3, 11, "00000003000"},
        // fields filled exactly, also when rounding stops just short of a new digit
        CasoValor{99999999999.99, 2, 13, "9999999999999"},
        CasoValor{-99999999999.99, 2, 13, "9999999999999"},
        CasoValor{99999999999.994, 2, 13, "9999999999999"},
        CasoValor{9999999999.999, 3, 13, "9999999999999"}, CasoValor{99.99, 2, 4, "9999"},
        CasoValor{99.994, 2, 4, "9999"},
        // more digits than 15 significant ones carry: none is lost or made up
        CasoValor{99999999999999.98, 2, 16, "9999999999999998"},
        CasoValor{12345678901234.56, 2, 16, "1234567890123456"},
        // extremes: tiny, many digits
        CasoValor{1e-300, 2, 4, "0000"}, CasoValor{123456789.123456789, 3, 13,
                                                   "0123456789123"}));

// An independent reference for rule 5: the value printed with 15 significant
// digits (from 10^15 units of the last decimal up, with the fewest digits that
// read back as the same value), then rounded half up on the decimal text.
std::string Referencia(double v, int decimais, int largura) {
    char buf[64];
    const double absoluto = std::fabs(v);
    int precisao = 14;
    if (absoluto * std::pow(10.0, decimais) >= 1e15)
        for (precisao = 0; precisao < 17; ++precisao) {
            std::snprintf(buf, sizeof buf, "%.*e", precisao, absoluto);
            if (std::strtod(buf, nullptr) == absoluto) break;
        }
    std::snprintf(buf, sizeof buf, "%.*e", precisao, absoluto);
    std::string digitos;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') digitos += *p;
    const int m = static_cast<int>(digitos.size());
    const int expoente = std::atoi(p + 1);
    const int inteiros = expoente + 1 + decimais;  // digits before the point after scaling
    std::string resultado;
    bool sobe;
    if (inteiros <= 0) {
        resultado = "0";
        sobe = inteiros == 0 && digitos[0] >= '5';
    } else if (inteiros >= m) {
        resultado = digitos + std::string(static_cast<std::size_t>(inteiros - m), '0');
        sobe = false;
    } else {
        resultado = digitos.substr(0, static_cast<std::size_t>(inteiros));
        sobe = digitos[static_cast<std::size_t>(inteiros)] >= '5';
    }
    if (sobe) {
        int i = static_cast<int>(resultado.size()) - 1;
        while (i >= 0 && resultado[static_cast<std::size_t>(i)] == '9') resultado[static_cast<std::size_t>(i--)] = '0';
        if (i < 0)
            resultado.insert(resultado.begin(), '1');
        else
            ++resultado[static_cast<std::size_t>(i)];
    }
    resultado.erase(0, std::min(resultado.find_first_not_of('0'), resultado.size() - 1));
    if (static_cast<int>(resultado.size()) < decimais + 1)
        resultado.insert(0, static_cast<std::size_t>(decimais + 1) - resultado.size(), '0');
    if (static_cast<int>(resultado.size()) < largura)
        resultado.insert(0, static_cast<std::size_t>(largura) - resultado.size(), '0');
    return resultado;  // longer than `largura` when the value does not fit
}

TEST(ValorReferenciaTest, ConcordaComAReferenciaInclusiveEmEmpates) {
    std::mt19937_64 gerador(20100305);
    std::uniform_int_distribution<long long> centavos(0, 99999999999LL);
    std::uniform_real_distribution<double> real(0, 1e6);
    std::uniform_int_distribution<int> expoente(-6, 14);
    int divergencias = 0;
    for (int i = 0; i < 300000 && divergencias < 10; ++i) {
        const int decimais = 2 + i % 2;
        double v;
        switch (i % 5) {
            case 0:  // a tie of the rounding, as typed: n + 0.5 units of the last place
                v = (static_cast<double>(centavos(gerador)) * 10 + 5) /
                    std::pow(10.0, decimais + 1);
                break;
            case 1:  // a tie nudged by one unit of the binary value
                v = std::nextafter((static_cast<double>(centavos(gerador) % 100000000) + 0.5) /
                                       std::pow(10.0, decimais),
                                   i % 2 ? 0.0 : 1e300);
                break;
            case 2:
                v = static_cast<double>(centavos(gerador)) / 1000.0;
                break;
            case 3:
                v = real(gerador) * std::pow(10.0, expoente(gerador));
                break;
            default:  // sums and products, as the stages compute them
                v = real(gerador) / 7.0 * 3.0 + 0.1 + 0.2;
                break;
        }
        if (i % 7 == 0) v = -v;
        const std::string esperado = Referencia(v, decimais, 16);
        Linha l("75");
        std::string obtido;
        try {
            l.Valor("Valor", v, 16, decimais);
            obtido = Escrito(l);
        } catch (const ErroValorCampo&) {
            obtido = "recusado";
        }
        if (obtido != (esperado.size() > 16 ? "recusado" : esperado)) {
            ++divergencias;
            ADD_FAILURE() << std::setprecision(17) << v << " with " << decimais
                          << " decimals: " << obtido << " expected " << esperado;
        }
    }
}

TEST(Windows1252Test, ConverteCadaCaractere) {
    struct Caso {
        const char* utf8;
        std::string esperado;
    } casos[] = {
        {"JOSÉ AÇÃO", "JOS\xC9 A\xC7\xC3O"},
        {"SAÍDAS", "SA\xCD" "DAS"},
        {"€ – “x”", "\x80 \x96 \x93x\x94"},
        {"✓ 日本", "? ??"},                 // not in the code page
        {"a\r\nb\tc", "a  b c"},            // no value may break a line
        {"\xFF\xC3", "??"},                 // not UTF-8 at all
        {"\xC3\xA7", "\xE7"},
        {"\xE2\x82", "??"},                 // cut short
    };
    for (const auto& c : casos) EXPECT_EQ(ParaWindows1252(c.utf8), c.esperado) << c.utf8;
}

TEST(Windows1252Test, CadaByteLidoComoOWindowsOLe) {
    EXPECT_EQ(Windows1252ParaUnicode('A'), U'A');
    EXPECT_EQ(Windows1252ParaUnicode(0x80), U'€');
    EXPECT_EQ(Windows1252ParaUnicode(0x96), U'–');
    EXPECT_EQ(Windows1252ParaUnicode(0x9F), U'Ÿ');
    EXPECT_EQ(Windows1252ParaUnicode(0x81), char32_t{0x81});  // undefined by the code page
    EXPECT_EQ(Windows1252ParaUnicode(0xCD), U'Í');
    // Every character read from a byte is written back as that byte, save
    // controls, which become blanks, and the undefined five, which are no text.
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Windows1252ParaUnicode(static_cast<unsigned char>(b));
        std::string utf8;
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
        const bool controle = b < 0x20 || b == 0x7F;
        const bool indefinido = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        const std::string esperado(1, controle ? ' ' : indefinido ? '?' : static_cast<char>(b));
        EXPECT_EQ(ParaWindows1252(utf8), esperado) << "byte " << b;
    }
}

TEST(TextoTest, RemovePontuacaoTiraSoOsSeisSinais) {
    EXPECT_EQ(RemovePontuacao("12.345.678/0001-95"), "12345678000195");
    EXPECT_EQ(RemovePontuacao("a_b|c,d e"), "abcd e");
    EXPECT_EQ(RemovePontuacao(" ISENTO "), " ISENTO ");
}

TEST(TextoTest, AlinhaDireitaPreencheOuCorta) {
    EXPECT_EQ(AlinhaDireita("7", 6, '0'), "000007");
    EXPECT_EQ(AlinhaDireita("1234567", 6, '0'), "123456");
    EXPECT_EQ(AlinhaDireita("abc", 0, '0'), "");
    EXPECT_EQ(AlinhaDireita("ÉÇ", 3, ' '), " ÉÇ");   // widths count characters
    EXPECT_EQ(AlinhaDireita("ÉÇÃ", 2, ' '), "ÉÇ");
}

TEST(LinhaTest, InteiroPreencheAteAbrangerOCampo) {
    Linha l("75");
    l.Inteiro("A", 7, 6).Inteiro("B", 999999, 6).Inteiro("C", 0, 3).InteiroEsquerda("D", 201, 4, ' ');
    EXPECT_EQ(Escrito(l), "000007" "999999" "000" "201 ");
}

// A record is written only when its fields fill exactly its 126 characters;
// anything else is a fault of the program, raised before a byte is written.
TEST(LinhaTest, SoUmRegistroCompletoSeGrava) {
    Linha curta("60R");
    curta.Brancos(122);
    EXPECT_THROW(curta.Completa(), std::logic_error);
    Linha completa("60R");
    completa.Brancos(123);
    EXPECT_EQ(completa.Completa(), completa.Texto());
    EXPECT_THROW(completa.Brancos(1), std::logic_error);
}

TEST(TextoValorTest, FormaBrasileira) {
    EXPECT_EQ(TextoValor(1e14, 2), "100.000.000.000.000,00");
    EXPECT_EQ(TextoValor(99999999999.995, 2), "99.999.999.999,995");
    EXPECT_EQ(TextoValor(-1234.5, 2), "-1.234,50");
    EXPECT_EQ(TextoValor(0.1 + 0.2, 3), "0,300");
    EXPECT_EQ(TextoValor(0, 2), "0,00");
    EXPECT_EQ(TextoValor(1e300, 2), "1,00000000000000e+300");
    EXPECT_EQ(TextoValor(0.0 / 0.0, 2), "NaN");
}

// The machine's locale must never change the file: run the writer under a
// locale whose decimal separator is a comma and whose dates are day-first.
TEST(LocaleTest, VirgulaDecimalNaoMudaOArquivo) {
    const char* candidatos[] = {"pt_BR.UTF-8", "pt_BR.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"};
    const char* escolhido = nullptr;
    for (const char* nome : candidatos)
        if (std::setlocale(LC_ALL, nome)) {
            escolhido = nome;
            break;
        }
    ASSERT_NE(escolhido, nullptr)
        << "no locale with a decimal comma is installed; './praxo.sh deps' generates pt_BR.UTF-8";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const auto anterior = std::locale::global(std::locale(escolhido));

    testes::PastaTemporaria pasta;
    {
        tSintegra s(pasta.Prefixo());
        ASSERT_TRUE(s.AbreArquivo("L.TXT"));
        s.Registro50("1", "", std::chrono::year_month_day{std::chrono::year{2010},
                                                          std::chrono::month{3},
                                                          std::chrono::day{5}},
                     "SC", "01", "1", "1", "5102", "P", 1500.75, 1234.5, 2.675, 0, 0.1 + 0.2,
                     7.5, "N");
        s.FechaArquivo();
    }
    std::locale::global(anterior);
    std::setlocale(LC_ALL, "C");
    const auto linhas = testes::LinhasDoArquivo(pasta.Caminho() / "L.TXT");
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_EQ(testes::Campo(linhas[0], 31, 38), "20100305");
    EXPECT_EQ(testes::Campo(linhas[0], 57, 125),
              "0000000150075" "0000000123450" "0000000000268" "0000000000000" "0000000000030"
              "0750");
}

}  // namespace
}  // namespace sintegra
