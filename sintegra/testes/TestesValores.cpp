// Numbers that their field cannot hold: refused with a message that names the
// record, the field with its positions, the value and what was being written,
// and never written cut or with a sign in the middle of a field.
#include "Auxiliar.h"

#include "Sintegra.h"

#include <functional>
#include <limits>

namespace sintegra {
namespace {

Data D(int a, unsigned m, unsigned d) {
    return Data{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{d}};
}

const char* const Nota = "nota 123 (movimento 45)";
const char* const Reducao = "redução Z do ECF 1 de 15/03/2010";
const char* const Produto = "produto 7";

struct CasoRecusa {
    std::string nome;
    const char* referencia;
    std::function<void(tSintegra&)> escreve;
    std::string registro;
    std::string campo;
    int inicio, fim;
    std::string valor;  // as the message shows it
};

std::ostream& operator<<(std::ostream& o, const CasoRecusa& c) { return o << c.nome; }

class RecusaTest : public ::testing::TestWithParam<CasoRecusa> {};

TEST_P(RecusaTest, NomeiaRegistroCampoValorEReferencia) {
    const auto& c = GetParam();
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("V.TXT"));
    s.DefineReferencia(c.referencia);
    try {
        c.escreve(s);
        ADD_FAILURE() << "the value was written";
    } catch (const ErroValorCampo& e) {
        EXPECT_EQ(e.Registro(), c.registro);
        EXPECT_EQ(e.Campo(), c.campo);
        EXPECT_EQ(e.PosicaoInicial(), c.inicio);
        EXPECT_EQ(e.PosicaoFinal(), c.fim);
        EXPECT_EQ(e.Valor(), c.valor);
        EXPECT_EQ(e.Referencia(), c.referencia);
        const std::string mensagem = e.what();
        for (const std::string& parte :
             {"registro " + c.registro + ", " + c.referencia + ":", "o valor " + c.valor + " ",
              "\"" + c.campo + "\" (posições " + std::to_string(c.inicio) + " a " +
                  std::to_string(c.fim) + ")"})
            EXPECT_NE(mensagem.find(parte), std::string::npos) << parte << "\nin: " << mensagem;
    }
    s.FechaArquivo();
    EXPECT_TRUE(testes::LinhasDoArquivo(pasta.Caminho() / "V.TXT").empty());
}

std::string NomeDoCaso(const ::testing::TestParamInfo<CasoRecusa>& i) { return i.param.nome; }

void Nota50(tSintegra& s, double valorTotal, double aliquota = 17) {
    s.Registro50("1", "", D(2010, 3, 5), "SC", "01", "1", "123", "5102", "P", valorTotal, 0, 0, 0,
                 0, aliquota, "N");
}

void Reducao60M(tSintegra& s, std::string_view ordem, std::int64_t cooInicial,
                std::int64_t cooFinal, std::int64_t reinicio) {
    s.Registro60M("BE0512", ordem, D(2010, 3, 15), "2D", cooInicial, cooFinal, 45, reinicio,
                  1500.75, 123456.78);
}

const double Infinito = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Valores, RecusaTest,
    ::testing::Values(
        // amounts: more digits than the field, also after rounding carries into a new digit
        CasoRecusa{"ValorDe1e14", Nota, [](tSintegra& s) { Nota50(s, 1e14); }, "50",
                   "Valor total", 57, 69, "100.000.000.000.000,00"},
        CasoRecusa{"ValorNegativoDe1e14", Produto,
                   [](tSintegra& s) { s.Registro74("7", D(2010, 3, 31), "SC", 1, -1e14); }, "74",
                   "Valor do produto", 38, 50, "-100.000.000.000.000,00"},
        CasoRecusa{"ArredondamentoGanhaUmDigito", Nota,
                   [](tSintegra& s) { Nota50(s, 99999999999.995); }, "50", "Valor total", 57, 69,
                   "99.999.999.999,995"},
        CasoRecusa{"UmDigitoAMais", Nota, [](tSintegra& s) { Nota50(s, 0, 100); }, "50",
                   "Alíquota", 122, 125, "100,00"},
        CasoRecusa{"QuantidadeComTresDecimais", Nota,
                   [](tSintegra& s) {
                       s.Registro54("1", "01", "1", "123", "5102", "000", "1", "P", 1e8, 0, 0, 0,
                                    0, 0, 0);
                   },
                   "54", "Quantidade", 52, 62, "100.000.000,000"},
        CasoRecusa{"AliquotaDoProduto", Produto,
                   [](tSintegra& s) {
                       s.Registro75("7", "", D(2010, 3, 1), D(2010, 3, 31), "", "", 0, 100, 0, 0);
                   },
                   "75", "Alíquota do ICMS", 105, 108, "100,00"},
        CasoRecusa{"ValorQueNaoEUmNumero", Reducao,
                   [](tSintegra& s) { s.Registro60A("BE0512", "1700", D(2010, 3, 15), 0.0 / 0.0); },
                   "60A", "Valor acumulado no totalizador parcial", 36, 47, "NaN"},
        CasoRecusa{"ValorInfinito", Reducao,
                   [](tSintegra& s) {
                       s.Registro60D("BE0512", "7", D(2010, 3, 15), "F", 1, 1, 1, Infinito);
                   },
                   "60D", "Valor do ICMS", 95, 107, "infinito"},
        // integers: a minus sign, or one digit more than the field
        CasoRecusa{"UltimoCupomMenosUm", Reducao,
                   [](tSintegra& s) { Reducao60M(s, "1", 1, -1, 1); }, "60M",
                   "Contador de ordem de operação no fim do dia", 43, 48, "-1"},
        CasoRecusa{"PrimeiroCupomComSeteDigitos", Reducao,
                   [](tSintegra& s) { Reducao60M(s, "1", 1000000, 1, 1); }, "60M",
                   "Contador de ordem de operação no início do dia", 37, 42, "1000000"},
        CasoRecusa{"ContadorDeReinicio", Reducao,
                   [](tSintegra& s) { Reducao60M(s, "1", 1, 1, 1000); }, "60M",
                   "Contador de reinício de operação", 55, 57, "1000"},
        CasoRecusa{"NumeroDoEquipamentoEmTexto", Reducao,
                   [](tSintegra& s) { Reducao60M(s, "1000", 1, 1, 1); }, "60M",
                   "Número de ordem sequencial do equipamento", 32, 34, "1000"},
        CasoRecusa{"NumeroDoEquipamentoNegativo", Reducao,
                   [](tSintegra& s) { Reducao60M(s, "-1", 1, 1, 1); }, "60M",
                   "Número de ordem sequencial do equipamento", 32, 34, "-1"},
        CasoRecusa{"CupomDoItemNegativo", Reducao,
                   [](tSintegra& s) {
                       s.Registro60I("BE0512", "2D", D(2010, 3, 15), "7", "F", -5, 1, 1, 1, 1, 1);
                   },
                   "60I", "Número de ordem do documento fiscal", 34, 39, "-5"},
        CasoRecusa{"ItemDoCupomAlemDe999", Reducao,
                   [](tSintegra& s) {
                       s.Registro60I("BE0512", "2D", D(2010, 3, 15), "7", "F", 5, 1000, 1, 1, 1,
                                     1);
                   },
                   "60I", "Número do item", 40, 42, "1000"},
        CasoRecusa{"ItemDaNotaAlemDe999", Nota,
                   [](tSintegra& s) {
                       s.Registro54("1", "01", "1", "123", "5102", "000", "1000", "P", 1, 0, 0, 0,
                                    0, 0, 0);
                   },
                   "54", "Número do item", 35, 37, "1000"},
        CasoRecusa{"NumeroFinalDoResumo", "notas modelo 2 série D de 05/03/2010",
                   [](tSintegra& s) {
                       s.Registro61(2, "D  ", D(2010, 3, 5), 1, 1234567, 0, 0, 0, 0, 0, 0);
                   },
                   "61", "Número final de ordem", 52, 57, "1234567"},
        CasoRecusa{"AnoDeCincoDigitos", Produto,
                   [](tSintegra& s) { s.Registro61R(3, 20100, "7", 0, 0, 0, 0); }, "61R",
                   "Ano de emissão", 6, 9, "20100"},
        CasoRecusa{"MesNegativo", Produto,
                   [](tSintegra& s) { s.Registro61R(-3, 2010, "7", 0, 0, 0, 0); }, "61R",
                   "Mês de emissão", 4, 5, "-3"},
        CasoRecusa{"TotalDeNoveDigitos", "totais",
                   [](tSintegra& s) { s.Registro90("1", "", "99", 123456789); }, "90",
                   "Total de registros", 33, 40, "123456789"},
        CasoRecusa{"CodigoDoArquivo", "empresa 1",
                   [](tSintegra& s) {
                       s.Registro10("1", "", "", "", "", "", D(2010, 3, 1), D(2010, 3, 31), 3, 3,
                                    10);
                   },
                   "10", "Código da finalidade do arquivo", 126, 126, "10"}),
    NomeDoCaso);

TEST(RecusaTest, MensagemCompleta) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("V.TXT"));
    s.DefineReferencia(Reducao);
    try {
        Reducao60M(s, "1", 1, -1, 1);
        FAIL() << "the value was written";
    } catch (const ErroValorCampo& e) {
        EXPECT_STREQ(e.what(),
                     "Não foi possível gravar o registro 60M, redução Z do ECF 1 de 15/03/2010: "
                     "o valor -1 do campo \"Contador de ordem de operação no fim do dia\" "
                     "(posições 43 a 48) é negativo, e o campo só aceita números de 0 a 999999. "
                     "Corrija esse valor na origem e exporte novamente.");
    }
    s.DefineReferencia("");
    try {
        Nota50(s, 99999999999.995);
        FAIL() << "the value was written";
    } catch (const ErroValorCampo& e) {
        EXPECT_STREQ(e.what(),
                     "Não foi possível gravar o registro 50: o valor 99.999.999.999,995 do campo "
                     "\"Valor total\" (posições 57 a 69) não cabe no campo, que aceita valores "
                     "até 99.999.999.999,99. Corrija esse valor na origem e exporte novamente.");
    }
    s.AbandonaArquivo();
}

}  // namespace
}  // namespace sintegra
