// Row sets that take changes in memory and store them in their caller's
// transaction; lookups by key on a numeric index; whole numbers beyond 32 bits.
#include "BancoTeste.h"

namespace {

using testes::BancoTeste;

const char* Unidades = R"(
INSERT INTO UNIDADE VALUES (1, 'UN', 'UNIDADE');
INSERT INTO UNIDADE VALUES (2, 'KG', 'QUILOGRAMA');
INSERT INTO UNIDADE VALUES (3, 'LT', NULL);
)";

class EdicaoTest : public ::testing::Test {
protected:
    BancoTeste banco{Unidades};
    std::unique_ptr<TFDMExporta> dm = banco.Modulo();

    std::unique_ptr<TConjuntoDados> Editavel() {
        auto c = std::make_unique<TConjuntoDados>(
            "QUnidades", "CDSUnidades", std::vector<std::string>{"SELECT * FROM UNIDADE ORDER BY CODUNIDADE"},
            std::vector<DefinicaoCampo>{Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
        c->DefineConexao(&dm->SQLConnectionPRAXO);
        c->DefineTabelaAtualizacao("UNIDADE");
        c->Abre();
        return c;
    }

    // The table as the database holds it now: "code sigla description" per row.
    std::vector<std::string> Tabela() {
        TConjuntoDados c("QTabela", "CDSTabela", {"SELECT * FROM UNIDADE ORDER BY CODUNIDADE"},
                         {Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
        c.DefineConexao(&dm->SQLConnectionPRAXO);
        c.Abre();
        std::vector<std::string> linhas;
        for (c.Primeiro(); !c.Fim(); c.Proximo())
            linhas.push_back(c.Campo("CODUNIDADE").Texto() + " " + c.Campo("SIGLA").Texto() + " " +
                             (c.Campo("DESCRICAO").Nulo() ? "<nulo>" : c.Campo("DESCRICAO").Texto()));
        return linhas;
    }

    void Armazena(TConjuntoDados& c) {
        fb::Transacao t(dm->SQLConnectionPRAXO.Conexao());
        c.AplicaAlteracoes(dm->SQLConnectionPRAXO, t);
        t.Confirma();
        c.FundeAlteracoes();
    }
};

TEST_F(EdicaoTest, InsereAlteraExcluiEArmazenaTudoDeUmaVez) {
    auto c = Editavel();
    c->Insere();
    c->DefineValor("CODUNIDADE", std::int64_t{4});
    c->DefineValor("SIGLA", std::string("CAIXA"));  // cut to its three characters
    c->Posta();
    ASSERT_TRUE(c->Localiza("CODUNIDADE", std::int64_t{3}));
    c->Edita();
    c->Campo("DESCRICAO").Define(std::string("LITRO"));  // a NULL column finds its row too
    c->Posta();
    ASSERT_TRUE(c->Localiza("CODUNIDADE", std::int64_t{1}));
    c->Exclui();
    EXPECT_EQ(c->QuantidadeRegistros(), 3);
    EXPECT_TRUE(c->AlteracoesPendentes());
    EXPECT_EQ(Tabela().size(), 3u);  // nothing stored before the store

    Armazena(*c);
    EXPECT_FALSE(c->AlteracoesPendentes());
    EXPECT_EQ(Tabela(), (std::vector<std::string>{"2 KG QUILOGRAMA", "3 LT LITRO", "4 CAI <nulo>"}));

    // Stored changes are the rows as read: a second round finds them.
    ASSERT_TRUE(c->Localiza("CODUNIDADE", std::int64_t{4}));
    c->Edita();
    c->DefineValor("DESCRICAO", std::string("CAIXA"));
    c->Posta();
    Armazena(*c);
    EXPECT_EQ(Tabela().back(), "4 CAI CAIXA");
}

TEST_F(EdicaoTest, CancelarDescartaAEdicaoOuONovoRegistro) {
    auto c = Editavel();
    c->Edita();
    c->DefineValor("SIGLA", std::string("XX"));
    c->CancelaEdicao();
    EXPECT_EQ(c->Campo("SIGLA").Texto(), "UN");
    c->Insere();
    EXPECT_EQ(c->Estado(), EstadoConjunto::Inserindo);
    c->CancelaEdicao();
    EXPECT_EQ(c->QuantidadeRegistros(), 3);
    EXPECT_FALSE(c->AlteracoesPendentes());
    EXPECT_THROW(c->DefineValor("SIGLA", std::string("XX")), std::runtime_error);  // not editing
}

TEST_F(EdicaoTest, NovoRegistroEAntesDePostarRodamNaOrdem) {
    auto c = Editavel();
    std::vector<std::string> ordem;
    c->AoNovoRegistro = [&](TConjuntoDados& d) {
        ordem.push_back("novo");
        d.DefineValor("SIGLA", std::string("PC"));
    };
    c->AntesDePostar = [&](TConjuntoDados& d) {
        ordem.push_back(d.Estado() == EstadoConjunto::Inserindo ? "posta inclusão" : "posta edição");
        if (d.Estado() == EstadoConjunto::Inserindo) d.DefineValor("CODUNIDADE", std::int64_t{9});
    };
    c->Insere();
    c->Posta();
    c->Edita();
    c->Posta();
    EXPECT_EQ(ordem, (std::vector<std::string>{"novo", "posta inclusão", "posta edição"}));
    EXPECT_EQ(c->Campo("CODUNIDADE").Inteiro(), 9);
    EXPECT_EQ(c->Campo("SIGLA").Texto(), "PC");
}

TEST_F(EdicaoTest, ExcluirDeConjuntoVazioEErro) {
    TConjuntoDados c("QNenhuma", "CDSNenhuma", {"SELECT * FROM UNIDADE WHERE CODUNIDADE = 0"},
                     {Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.DefineTabelaAtualizacao("UNIDADE");
    c.Abre();
    EXPECT_THROW(c.Exclui(), std::runtime_error);
}

// A store that cannot find a row, or whose row the database rejects, fails as
// a whole: the caller's rollback leaves the table as it was (also the rows
// stored before the failing one), and the pending changes stay for another try.
struct CasoFalha {
    const char* nome;
    const char* porFora;  // what another user did after the row set was read
    void (*altera)(TConjuntoDados&);
};

TEST_F(EdicaoTest, ArmazenamentoQueFalhaNaoDeixaNadaPelaMetade) {
    const CasoFalha casos[] = {
        {"alterada por outro", "UPDATE UNIDADE SET DESCRICAO = 'QUILO' WHERE CODUNIDADE = 2",
         [](TConjuntoDados& c) {
             c.Localiza("CODUNIDADE", std::int64_t{2});
             c.Edita();
             c.DefineValor("SIGLA", std::string("KGS"));
         }},
        {"excluída por outro", "DELETE FROM UNIDADE WHERE CODUNIDADE = 2",
         [](TConjuntoDados& c) {
             c.Localiza("CODUNIDADE", std::int64_t{2});
             c.Exclui();
         }},
        {"chave repetida", "INSERT INTO UNIDADE VALUES (7, 'CX', 'CAIXA')",
         [](TConjuntoDados& c) {
             c.Insere();
             c.DefineValor("CODUNIDADE", std::int64_t{7});
         }},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        BancoTeste outro{Unidades};
        auto modulo = outro.Modulo();
        TConjuntoDados c("QUnidades", "CDSUnidades", {"SELECT * FROM UNIDADE ORDER BY CODUNIDADE"},
                         {Inteiro("CODUNIDADE"), Texto("SIGLA", 3), Texto("DESCRICAO", 40)});
        c.DefineConexao(&modulo->SQLConnectionPRAXO);
        c.DefineTabelaAtualizacao("UNIDADE");
        c.Abre();
        // A change stored before the failing one.
        c.Localiza("CODUNIDADE", std::int64_t{1});
        c.Edita();
        c.DefineValor("DESCRICAO", std::string("UNIDADES"));
        c.Posta();
        caso.altera(c);
        c.Posta();
        modulo->SQLConnectionPRAXO.Conexao().Executa(caso.porFora);

        fb::Transacao t(modulo->SQLConnectionPRAXO.Conexao());
        EXPECT_ANY_THROW(c.AplicaAlteracoes(modulo->SQLConnectionPRAXO, t));
        t.Desfaz();
        EXPECT_TRUE(c.AlteracoesPendentes());
        TConjuntoDados u("QUm", "CDSUm", {"SELECT DESCRICAO FROM UNIDADE WHERE CODUNIDADE = 1"},
                         {Texto("DESCRICAO", 40)});
        u.DefineConexao(&modulo->SQLConnectionPRAXO);
        u.Abre();
        EXPECT_EQ(u.Campo("DESCRICAO").Texto(), "UNIDADE");
    }
}

TEST_F(EdicaoTest, LinhaNaoEncontradaDizOQueHouve) {
    auto c = Editavel();
    c->Edita();
    c->DefineValor("SIGLA", std::string("UNS"));
    dm->SQLConnectionPRAXO.Conexao().Executa("UPDATE UNIDADE SET SIGLA = 'U' WHERE CODUNIDADE = 1");
    fb::Transacao t(dm->SQLConnectionPRAXO.Conexao());
    try {
        c->AplicaAlteracoes(dm->SQLConnectionPRAXO, t);
        FAIL();
    } catch (const ErroArmazenamento& e) {
        EXPECT_NE(std::string(e.what()).find("UNIDADE"), std::string::npos) << e.what();
    }
}

// Find by key on a numeric index follows the numbers' order: 2 comes before
// 10, and 10 is found.
TEST_F(EdicaoTest, BuscaChaveEmIndiceNumerico) {
    struct Caso {
        const char* nome;
        const char* tipo;
        DefinicaoCampo campo;
        std::vector<Valor> achadas;
        std::vector<Valor> ausentes;
    };
    const Caso casos[] = {
        {"inteiro", "INTEGER", Inteiro("K"),
         {std::int64_t{2}, std::int64_t{10}, std::int64_t{100}, std::int64_t{-5}, std::string("10"), 10.0},
         {std::int64_t{1}, std::int64_t{11}, std::string("abc"), 10.5, Valor{}}},
        {"grande", "BIGINT", Inteiro("K"), {std::int64_t{5000000000LL}, std::int64_t{10}}, {std::int64_t{705032704}}},
        {"decimal", "NUMERIC(15,2)", Decimal("K", 2), {2.5, std::int64_t{10}, 100.0}, {std::int64_t{3}}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const std::string t = std::string("CAST(%s AS ") + caso.tipo + ") AS K";
        auto linha = [&](const char* v) {
            std::string s = t;
            s.replace(s.find("%s"), 2, v);
            return "SELECT " + s + ", '" + v + "' AS ORIGEM FROM RDB$DATABASE";
        };
        const bool grande = std::string(caso.tipo) == "BIGINT";
        const bool decimal = std::string(caso.tipo) != "INTEGER" && !grande;
        std::vector<std::string> sql = {linha("10"), "UNION ALL " + linha("2"), "UNION ALL " + linha("100"),
                                        "UNION ALL " + linha(grande ? "5000000000" : (decimal ? "2.5" : "-5"))};
        TConjuntoDados c("QChaves", "CDSChaves", sql, {caso.campo, Texto("ORIGEM", 12)});
        c.DefineConexao(&dm->SQLConnectionPRAXO);
        c.DefineIndice("K");
        c.Abre();
        for (const auto& chave : caso.achadas) {
            ASSERT_TRUE(c.BuscaChave(chave)) << c.Campo("ORIGEM").Texto();
            const double k = c.Campo("K").Real();
            std::visit(
                [&](const auto& v) {
                    using T = std::decay_t<decltype(v)>;
                    if constexpr (std::is_same_v<T, std::int64_t>) {
                        EXPECT_EQ(k, static_cast<double>(v));
                    } else if constexpr (std::is_same_v<T, double>) {
                        EXPECT_EQ(k, v);
                    } else if constexpr (std::is_same_v<T, std::string>) {
                        EXPECT_EQ(c.Campo("K").Texto(), v);
                    }
                },
                chave);
        }
        c.Primeiro();
        for (const auto& chave : caso.ausentes) {
            EXPECT_FALSE(c.BuscaChave(chave));
            EXPECT_EQ(c.NumeroRegistro(), 1);  // stays where it was
        }
    }
}

// Whole numbers beyond 32 bits are read and bound whole.
TEST_F(EdicaoTest, InteirosDe64BitsNaoSaoCortados) {
    // Small values first, so the column starts in its compact form and widens.
    TConjuntoDados c("QGrandes", "CDSGrandes",
                     {"SELECT CAST(1 AS BIGINT) AS V FROM RDB$DATABASE",
                      "UNION ALL SELECT CAST(7 AS BIGINT) FROM RDB$DATABASE",
                      "UNION ALL SELECT CAST(4294967298 AS BIGINT) FROM RDB$DATABASE",
                      "UNION ALL SELECT CAST(-9000000000000 AS BIGINT) FROM RDB$DATABASE",
                      "UNION ALL SELECT CAST(7 AS BIGINT) FROM RDB$DATABASE"},
                     {Inteiro("V")});
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.Abre();
    std::vector<std::int64_t> lidos;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) lidos.push_back(c.Campo("V").Inteiro());
    EXPECT_EQ(lidos, (std::vector<std::int64_t>{1, 7, 4294967298LL, -9000000000000LL, 7}));

    // A parameter of an INTEGER column: 2^32 + 2 is refused by the engine,
    // where a cut to 32 bits would have looked up 2.
    TConjuntoDados p("QParametro", "CDSParametro", {"SELECT COUNT(*) AS N FROM UNIDADE WHERE CODUNIDADE = :C"},
                     {Inteiro("N")});
    p.DefineConexao(&dm->SQLConnectionPRAXO);
    p.Parametro("C", std::int64_t{4294967298LL});
    try {
        p.Abre();
        ADD_FAILURE() << "found " << p.Campo("N").Inteiro();
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("overflow"), std::string::npos) << e.what();
    }
    // And a parameter of a BIGINT expression keeps every digit.
    TConjuntoDados eco("QEco", "CDSEco", {"SELECT CAST(:V AS BIGINT) + 0 AS V FROM RDB$DATABASE"}, {Inteiro("V")});
    eco.DefineConexao(&dm->SQLConnectionPRAXO);
    eco.Parametro("V", std::int64_t{-9000000000000LL});
    eco.Abre();
    EXPECT_EQ(eco.Campo("V").Inteiro(), -9000000000000LL);
}

}  // namespace
