// The row set of a catalogue entry: parameters, declared columns, walking,
// searching, filtering, reopening.
#include "BancoTeste.h"

namespace {

using testes::BancoTeste;

const char* Fixture = R"(
INSERT INTO UNIDADE VALUES (1, 'UN', 'UNIDADE');
INSERT INTO UNIDADE VALUES (2, 'KG', 'QUILOGRAMA');
INSERT INTO UNIDADE VALUES (3, 'CX', 'CAIXA');
INSERT INTO UNIDADE VALUES (4, 'PC', 'PEÇA');
INSERT INTO UNIDADE VALUES (5, 'LT', NULL);
)";

class ConjuntoDadosTest : public ::testing::Test {
protected:
    BancoTeste banco{Fixture};
    std::unique_ptr<TFDMExporta> dm = banco.Modulo();

    std::unique_ptr<TConjuntoDados> Unidades(std::vector<DefinicaoCampo> campos,
                                             std::string onde = "CODUNIDADE >= :MINIMO") {
        auto c = std::make_unique<TConjuntoDados>(
            "QUnidades", "CDSUnidades",
            std::vector<std::string>{"SELECT U.*", "FROM UNIDADE U", "WHERE " + onde,
                                     "ORDER BY CODUNIDADE"},
            std::move(campos));
        c->DefineConexao(&dm->SQLConnectionPRAXO);
        return c;
    }
};

TEST_F(ConjuntoDadosTest, CaminhaDoPrimeiroAoUltimoEConheceAQuantidade) {
    auto c = Unidades({Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
    c->Parametro("minimo", std::int64_t{2});  // names without regard to case
    c->Abre();
    EXPECT_EQ(c->QuantidadeRegistros(), 4);
    std::vector<std::string> siglas;
    for (c->Primeiro(); !c->Fim(); c->Proximo()) siglas.push_back(c->Campo("sigla").Texto());
    EXPECT_EQ(siglas, (std::vector<std::string>{"KG", "CX", "PC", "LT"}));
    // At the end the set stays on its last row.
    EXPECT_EQ(c->Campo("SIGLA").Texto(), "LT");
    EXPECT_TRUE(c->Campo("DESCRICAO").Nulo());
    EXPECT_EQ(c->Campo("DESCRICAO").Texto(), "");
    c->Ultimo();
    EXPECT_TRUE(c->Fim());
    // Straight to a row, as a grid asks for it; numbers beyond the ends stop there.
    for (const auto& [numero, sigla] : {std::pair{3, "PC"}, std::pair{1, "KG"}, std::pair{9, "LT"}, std::pair{0, "KG"}}) {
        c->VaiPara(numero);
        EXPECT_FALSE(c->Fim());
        EXPECT_EQ(c->Campo("SIGLA").Texto(), sigla) << numero;
    }
    c->Proximo();
    EXPECT_EQ(c->Campo("SIGLA").Texto(), "CX");
}

TEST_F(ConjuntoDadosTest, ReabreComNovosParametrosEGuardaOsQueNaoMudaram) {
    auto c = Unidades({Inteiro("CODUNIDADE")}, "CODUNIDADE BETWEEN :DE AND :ATE");
    c->Parametro("DE", std::int64_t{2});
    c->Parametro("ATE", std::int64_t{3});
    c->Abre();
    EXPECT_EQ(c->QuantidadeRegistros(), 2);
    c->Fecha();
    EXPECT_FALSE(c->Ativo());
    c->Parametro("ATE", std::int64_t{5});  // DE keeps 2
    c->Abre();
    EXPECT_EQ(c->QuantidadeRegistros(), 4);
    c->Abre();  // opening an open set changes nothing
    EXPECT_EQ(c->QuantidadeRegistros(), 4);
}

TEST_F(ConjuntoDadosTest, ParametroNuncaDefinidoENulo) {
    auto c = Unidades({Inteiro("CODUNIDADE")});
    c->Abre();
    EXPECT_TRUE(c->Vazio());
    EXPECT_TRUE(c->Fim());
}

TEST_F(ConjuntoDadosTest, ParametroDesconhecidoEErro) {
    auto c = Unidades({Inteiro("CODUNIDADE")});
    EXPECT_THROW(c->Parametro("NAOEXISTE", std::int64_t{1}), std::runtime_error);
}

TEST_F(ConjuntoDadosTest, ColunaDeclaradaAusenteFalhaAAbertura) {
    auto c = Unidades({Inteiro("CODUNIDADE"), Texto("NOMEUNIDADE", 10)});
    c->Parametro("MINIMO", std::int64_t{1});
    try {
        c->Abre();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Field 'NOMEUNIDADE' not found");
    }
    EXPECT_FALSE(c->Ativo());
}

TEST_F(ConjuntoDadosTest, ColunasNaoDeclaradasSaoIgnoradasEPedirUmaEErro) {
    auto c = Unidades({Inteiro("CODUNIDADE")});
    c->Parametro("MINIMO", std::int64_t{1});
    c->Abre();
    EXPECT_THROW(c->Campo("SIGLA"), std::runtime_error);
}

TEST_F(ConjuntoDadosTest, TextoFixoVemCompletadoEOutroTextoCortado) {
    auto c = Unidades({Inteiro("CODUNIDADE"), TextoFixo("SIGLA", 5), Texto("DESCRICAO", 4)});
    c->Parametro("MINIMO", std::int64_t{1});
    c->Abre();
    c->Localiza("CODUNIDADE", std::int64_t{4});
    EXPECT_EQ(c->Campo("SIGLA").Texto(), "PC   ");
    EXPECT_EQ(c->Campo("DESCRICAO").Texto(), "PEÇA");  // four characters, five bytes
    c->Localiza("CODUNIDADE", std::int64_t{2});
    EXPECT_EQ(c->Campo("DESCRICAO").Texto(), "QUIL");
}

TEST_F(ConjuntoDadosTest, LocalizaPorValorEBuscaPelaChaveDoIndice) {
    auto c = Unidades({Inteiro("CODUNIDADE"), Texto("SIGLA", 3)});
    c->DefineIndice("SIGLA");
    c->Parametro("MINIMO", std::int64_t{1});
    c->Abre();
    // The index orders the rows by its key.
    std::vector<std::string> siglas;
    for (c->Primeiro(); !c->Fim(); c->Proximo()) siglas.push_back(c->Campo("SIGLA").Texto());
    EXPECT_EQ(siglas, (std::vector<std::string>{"CX", "KG", "LT", "PC", "UN"}));
    ASSERT_TRUE(c->BuscaChave(std::string("PC")));
    EXPECT_EQ(c->Campo("CODUNIDADE").Inteiro(), 4);
    EXPECT_FALSE(c->BuscaChave(std::string("pc")));  // case-sensitive
    EXPECT_EQ(c->Campo("CODUNIDADE").Inteiro(), 4);    // stays where it was
    ASSERT_TRUE(c->Localiza("SIGLA", std::string("KG")));
    EXPECT_EQ(c->Campo("CODUNIDADE").Inteiro(), 2);
    EXPECT_FALSE(c->Localiza("SIGLA", std::string("XX")));
    EXPECT_EQ(c->Campo("CODUNIDADE").Inteiro(), 2);
}

TEST_F(ConjuntoDadosTest, FiltroEscondeLinhasEQuantidadeContaSoAsVisiveis) {
    auto c = Unidades({Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
    c->Parametro("MINIMO", std::int64_t{1});
    c->Abre();
    const int antes = c->QuantidadeRegistros();
    c->DefineFiltro(" ( SIGLA <> 'KG') ");
    EXPECT_EQ(antes, 5);
    EXPECT_EQ(c->QuantidadeRegistros(), 4);
    for (c->Primeiro(); !c->Fim(); c->Proximo()) EXPECT_NE(c->Campo("SIGLA").Texto(), "KG");
    c->DefineFiltro("DESCRICAO <> 'CAIXA'");  // a NULL is not 'CAIXA'
    EXPECT_EQ(c->QuantidadeRegistros(), 4);
    c->DefineFiltro("(SIGLA = 'CX')");
    EXPECT_EQ(c->QuantidadeRegistros(), 1);
    c->RemoveFiltro();
    EXPECT_EQ(c->QuantidadeRegistros(), 5);
    EXPECT_THROW(c->DefineFiltro("SIGLA LIKE 'K%'"), std::runtime_error);
}

TEST_F(ConjuntoDadosTest, ConversoesDeTipo) {
    TConjuntoDados c("QTipos", "CDSTipos",
                     {"SELECT CAST('123' AS VARCHAR(10)) AS NUMERO, CAST('12A' AS VARCHAR(10)) AS "
                      "ERRADO, CAST(12.345 AS NUMERIC(15,3)) AS VALOR, DATE '2010-03-05' AS DIA, "
                      "CAST(NULL AS INTEGER) AS NADA FROM RDB$DATABASE"},
                     {Texto("NUMERO", 10), Texto("ERRADO", 10), Decimal("VALOR", 3),
                      DataCampo("DIA"), Inteiro("NADA")});
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.Abre();
    EXPECT_EQ(c.Campo("NUMERO").Inteiro(), 123);
    EXPECT_THROW(c.Campo("ERRADO").Inteiro(), ErroConversao);
    EXPECT_DOUBLE_EQ(c.Campo("VALOR").Real(), 12.345);
    EXPECT_EQ(c.Campo("DIA").DataValor(), FazData(2010, 3, 5));
    EXPECT_EQ(c.Campo("DIA").Texto(), "05/03/2010");
    EXPECT_TRUE(c.Campo("NADA").Nulo());
    EXPECT_EQ(c.Campo("NADA").Inteiro(), 0);
}

TEST_F(ConjuntoDadosTest, ConjuntoFechadoRecusaNavegar) {
    auto c = Unidades({Inteiro("CODUNIDADE")});
    EXPECT_EQ(c->QuantidadeRegistros(), 0);
    EXPECT_THROW(c->Primeiro(), std::runtime_error);
}

TEST_F(ConjuntoDadosTest, ParametrosDentroDeAspasNaoSaoParametros) {
    TConjuntoDados c("QAspas", "CDSAspas",
                     {"SELECT ':NAOE' AS TEXTO, :SIM AS VALOR FROM RDB$DATABASE -- :COMENTARIO"},
                     {Texto("TEXTO", 10), Inteiro("VALOR")});
    EXPECT_EQ(c.NomesParametros(), std::vector<std::string>{"SIM"});
}

TEST_F(ConjuntoDadosTest, ErroDoBancoTrazOTextoDoServidor) {
    TConjuntoDados c("QErrada", "CDSErrada", {"SELECT NAOEXISTE FROM UNIDADE"}, {Inteiro("NAOEXISTE")});
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    try {
        c.Abre();
        FAIL();
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("Column unknown"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("NAOEXISTE"), std::string::npos) << e.what();
    }
}

}  // namespace

namespace {

// Values stored in the narrowest form read back exactly, through every change
// of form: few distinct values, more than 256, more than 65,536, decimals too
// large for 32 bits, floating columns, texts beyond 65,536 distinct, NULLs.
TEST_F(ConjuntoDadosTest, FormasCompactasDevolvemOsValoresExatos) {
    TConjuntoDados c("QMuitos", "CDSMuitos",
                     {"EXECUTE BLOCK RETURNS (I INTEGER, POUCOS INTEGER, PRECO NUMERIC(15,5), GRANDE NUMERIC(18,2),",
                      "  FLUTUANTE DOUBLE PRECISION, TEXTO VARCHAR(10), TALVEZ NUMERIC(15,2), DIA DATE) AS",
                      "BEGIN I = 0; WHILE (I < 70000) DO BEGIN I = I + 1;",
                      "  POUCOS = MOD(I, 3); PRECO = I * 0.00001 + MOD(I, 500);",
                      "  GRANDE = IIF(I > 60000, 30000000.01 + I, I * 0.01); FLUTUANTE = I / 3e0;",
                      "  TEXTO = 'T' || I; TALVEZ = IIF(MOD(I, 7) = 0, NULL, I * 0.25);",
                      "  DIA = DATEADD(MOD(I, 400) DAY TO DATE '2010-01-01'); SUSPEND; END END"},
                     {Inteiro("I"), Inteiro("POUCOS"), Decimal("PRECO", 5), Decimal("GRANDE", 2),
                      Decimal("FLUTUANTE", 4), Texto("TEXTO", 10), Decimal("TALVEZ", 2), DataCampo("DIA")});
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.Abre();
    ASSERT_EQ(c.QuantidadeRegistros(), 70000);
    const auto i = c.Campo("I"), poucos = c.Campo("POUCOS"), preco = c.Campo("PRECO"),
               grande = c.Campo("GRANDE"), flutuante = c.Campo("FLUTUANTE"), texto = c.Campo("TEXTO"),
               talvez = c.Campo("TALVEZ"), dia = c.Campo("DIA");
    int n = 0;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) {
        ++n;
        ASSERT_EQ(i.Inteiro(), n);
        ASSERT_EQ(poucos.Inteiro(), n % 3);
        // The double a decimal column gives is the one nearest its decimal value.
        ASSERT_EQ(preco.Real(), static_cast<double>(static_cast<long long>(n) + 100000LL * (n % 500)) / 100000.0) << n;
        ASSERT_EQ(grande.Real(), n > 60000 ? static_cast<double>(3000000001LL + 100LL * n) / 100.0
                                           : static_cast<double>(n) / 100.0) << n;
        ASSERT_DOUBLE_EQ(flutuante.Real(), n / 3.0);
        ASSERT_EQ(texto.Texto(), "T" + std::to_string(n));
        ASSERT_EQ(talvez.Nulo(), n % 7 == 0);
        if (n % 7) {
            ASSERT_EQ(talvez.Real(), n * 0.25);
        }
        ASSERT_EQ(dia.DataValor(), Data{std::chrono::sys_days{FazData(2010, 1, 1)} + std::chrono::days{n % 400}});
    }
    EXPECT_EQ(n, 70000);
}

}  // namespace
