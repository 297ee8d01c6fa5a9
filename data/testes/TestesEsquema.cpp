// The suite's procedures, on a small data set whose results are checked by hand.
#include "BancoTeste.h"

#include <map>

namespace {

using testes::BancoTeste;

const char* Fixture = R"(
INSERT INTO CIDADE VALUES (1, 'BLUMENAU', 'SC', 4202404);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, CODCIDADE) VALUES (1, 'LOJA', 1);
INSERT INTO CADASTRO (CODCADASTRO, NOMECLIENTE, NOMEFANTASIA, CNPJ, CPF, INSCRICAOESTADUAL, CODCIDADE)
  VALUES (1, 'CLIENTE PJ', 'FANTASIA PJ', '11222333000181', NULL, '123', 1);
INSERT INTO CADASTRO (CODCADASTRO, NOMECLIENTE, CPF, CODCIDADE) VALUES (2, 'PESSOA', '52998224725', 1);
INSERT INTO UNIDADE VALUES (1, 'UN', 'UN');
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE, CODGRUPO) VALUES (1, 1, 10);
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE, CODGRUPO) VALUES (2, 1, 20);
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (1, 'B1', 'BANANA');
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (2, 'A7', 'ABACAXI');
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, PRECOCUSTO) VALUES (1, 1, 2.50);
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, PRECOCUSTO) VALUES (1, 2, 4.00);
INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, DATADOCUMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC, CFOP)
  VALUES ('A', 1, 1, '2010-02-20', '2010-02-20', 'E', 'AJU', 'AJ', '0000');
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO)
  VALUES ('A', 1, 1, 1, 100, 100, 2.50);
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO)
  VALUES ('A', 2, 2, 1, 10, 10, 4.00);
INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, DATADOCUMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC, CFOP, VALOR)
  VALUES ('S1', 1, 1, '2010-03-10', '2010-03-09', 'S', 'NFT', '10', '5102', 30);
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, CFOP)
  VALUES ('S1', 2, 1, 1, 8, 8, 3.00, '5102');
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, CFOP)
  VALUES ('S1', 1, 2, 1, 1, 1, 6.00, '5405');
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, CFOP, CANCELADO)
  VALUES ('S1', 3, 2, 1, 5, 5, 6.00, '5405', 'S');
INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, DATADOCUMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC, CFOP, STATUS)
  VALUES ('S2', 1, 2, '2010-03-20', '2010-03-20', 'S', 'FAT', '11', '5102', 'C');
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, CFOP)
  VALUES ('S2', 1, 1, 1, 50, 50, 3.00, '5102');
INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, DATADOCUMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC, CFOP)
  VALUES ('E1', 1, 1, '2010-03-25', '2010-03-24', 'E', 'NFE', '900', '1102');
INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, CFOP)
  VALUES ('E1', 1, 1, 1, 20, 20, 2.50, '1102');
INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, DATAMOVIMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC)
  VALUES ('ABRIL', 1, '2010-04-01', 'S', 'NFT', '12');
)";

class EsquemaTest : public ::testing::Test {
protected:
    BancoTeste banco{Fixture};
    std::unique_ptr<TFDMExporta> dm = banco.Modulo();

    std::vector<std::string> Documentos(const std::string& tipo, const std::string& ativo) {
        auto& s = dm->CDSSaidas;
        s.Fecha();
        s.Parametro("TIPODOCUMENTO", "%");
        s.Parametro("TIPOMOVIMENTO", tipo);
        s.Parametro("DATAINICIAL", FazData(2010, 3, 1));
        s.Parametro("DATAFINAL", FazData(2010, 3, 31));
        s.Parametro("EMPRESA", std::int64_t{1});
        s.Parametro("ATIVO", ativo);
        s.Abre();
        std::vector<std::string> r;
        for (s.Primeiro(); !s.Fim(); s.Proximo()) r.push_back(s.Campo("CODMOVESTOQUE").Texto());
        return r;
    }

    std::map<std::string, std::pair<double, double>> Inventario(Data data) {
        auto& c = dm->CDSInventario;
        c.Fecha();
        for (const char* p : {"Grupo", "SubGrupo", "Linha", "Fabricante", "Situacao", "Origem"})
            c.Parametro(p, "%");
        c.Parametro("Empresa", std::int64_t{1});
        c.Parametro("DataPosicao", data);
        c.Parametro("Ordem", "C");
        c.Abre();
        std::map<std::string, std::pair<double, double>> r;
        for (c.Primeiro(); !c.Fim(); c.Proximo())
            r[c.Campo("PRODUTO").Texto()] = {c.Campo("SALDO").Real(), c.Campo("PRECOCUSTO").Real()};
        return r;
    }
};

TEST_F(EsquemaTest, DocumentosComFiltrosDeTextoEPercentSemRestricao) {
    EXPECT_EQ(Documentos("%", "%"), (std::vector<std::string>{"S1", "S2", "E1"}));
    EXPECT_EQ(Documentos("%", "A"), (std::vector<std::string>{"S1", "E1"}));
    EXPECT_EQ(Documentos("E", "%"), (std::vector<std::string>{"E1"}));
}

TEST_F(EsquemaTest, DocumentoTrazDadosDoClienteESituacao) {
    Documentos("%", "%");
    auto& s = dm->CDSSaidas;
    ASSERT_TRUE(s.Localiza("CODMOVESTOQUE", std::string("S1")));
    EXPECT_EQ(s.Campo("DOCCONSUMIDOR").Texto(), "11222333000181");
    EXPECT_EQ(s.Campo("NOMEFANTASIACLIENTE").Texto(), "FANTASIA PJ");
    EXPECT_EQ(s.Campo("ESTADOCLIENTE").Texto(), "SC");
    EXPECT_EQ(s.Campo("SITUACAO").Texto(), "NORMAL");
    EXPECT_EQ(s.Campo("DATADOCUMENTO").DataValor(), FazData(2010, 3, 9));
    ASSERT_TRUE(s.Localiza("CODMOVESTOQUE", std::string("S2")));
    EXPECT_EQ(s.Campo("DOCCONSUMIDOR").Texto(), "52998224725");  // a person: the CPF
    EXPECT_EQ(s.Campo("SITUACAO").Texto(), "CANC.");
}

TEST_F(EsquemaTest, ItensDoPeriodoSemCanceladosEComDadosDoDocumento) {
    auto& c = dm->CDSItens;
    c.Parametro("TIPODOCUMENTO", "%");
    c.Parametro("TIPOMOVIMENTO", "%");
    c.Parametro("DATAINICIAL", FazData(2010, 3, 1));
    c.Parametro("DATAFINAL", FazData(2010, 3, 31));
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Parametro("ATIVO", "A");
    c.Abre();
    std::vector<std::string> itens;
    for (c.Primeiro(); !c.Fim(); c.Proximo())
        itens.push_back(c.Campo("NUMERODOC").Texto() + ":" + c.Campo("PRODUTO").Texto() + ":" +
                        c.Campo("CFOP").Texto() + ":" + c.Campo("CFOP_MOV").Texto());
    // ordered by document date, number, addressee, CFOP and rate
    EXPECT_EQ(itens, (std::vector<std::string>{"10:B1:5102:5102", "10:A7:5405:5102",
                                               "900:B1:1102:1102"}));
    ASSERT_TRUE(c.Localiza("PRODUTO", std::string("B1")));
    EXPECT_DOUBLE_EQ(c.Campo("VALORUNITARIO").Real(), 3.0);
    EXPECT_DOUBLE_EQ(c.Campo("QUANTIDADEDEEMBALAGEM").Real(), 8.0);
}

TEST_F(EsquemaTest, ItensDeUmMovimentoNaSuaOrdem) {
    auto& c = dm->CDSItensMov;
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Parametro("MOVIMENTO", "S1");
    c.Abre();
    std::vector<std::string> itens;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) itens.push_back(c.Campo("PRODUTO").Texto());
    EXPECT_EQ(itens, (std::vector<std::string>{"A7", "B1"}));
    c.Fecha();
    c.Parametro("EMPRESA", std::int64_t{2});  // another company's key finds nothing
    c.Abre();
    EXPECT_TRUE(c.Vazio());
}

TEST_F(EsquemaTest, InventarioNaDataPedida) {
    using P = std::pair<double, double>;
    // Before the March sale: the opening balance, valued at cost.
    EXPECT_EQ(Inventario(FazData(2010, 3, 1)),
              (std::map<std::string, P>{{"A7", P{10, 40}}, {"B1", P{100, 250}}}));
    // After it and after the entry; the cancelled sale and the cancelled item do not count.
    EXPECT_EQ(Inventario(FazData(2010, 3, 31)),
              (std::map<std::string, P>{{"A7", P{9, 36}}, {"B1", P{112, 280}}}));
    EXPECT_TRUE(Inventario(FazData(2010, 1, 31)).empty());  // nothing held yet
}

TEST_F(EsquemaTest, InventarioOrdenadoPeloCodigoEFiltradoPeloGrupo) {
    auto& c = dm->CDSInventario;
    for (const char* p : {"SubGrupo", "Linha", "Fabricante", "Situacao", "Origem"}) c.Parametro(p, "%");
    c.Parametro("Grupo", "20");
    c.Parametro("Empresa", std::int64_t{1});
    c.Parametro("DataPosicao", FazData(2010, 3, 31));
    c.Parametro("Ordem", "C");
    c.Abre();
    ASSERT_EQ(c.QuantidadeRegistros(), 1);
    EXPECT_EQ(c.Campo("PRODUTO").Texto(), "A7");
    EXPECT_EQ(c.Campo("SIGLA").Texto(), "UN");
}

TEST_F(EsquemaTest, GeraCodigoDevolveOProximoValor) {
    TConjuntoDados g("SQLGeraCodigo", "SQLGeraCodigo", {"SELECT NOVO", "FROM GERACODIGO(:GERADORCODIGO, :INCREMENTO)"},
                     {Inteiro("NOVO")});
    g.DefineConexao(&dm->SQLConnectionPRAXO);
    for (int esperado = 1; esperado <= 2; ++esperado) {
        g.Fecha();
        g.Parametro("GERADORCODIGO", "COD60M_GEN");
        g.Parametro("INCREMENTO", std::int64_t{1});
        g.Abre();
        EXPECT_EQ(g.Campo("NOVO").Inteiro(), esperado);
    }
}

}  // namespace
