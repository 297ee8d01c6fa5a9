// Every catalogue entry against the demo database, the calculated columns, and
// the queries whose texts were mended so that their sums are right.
#include "BancoTeste.h"

#include <map>
#include <set>

namespace {

using testes::BancoTeste;

const Data Inicio = FazData(2010, 3, 1);
const Data Fim = FazData(2010, 3, 31);
const Data Dia15 = FazData(2010, 3, 15);
const std::string Maquina1 = "BE051075600000012345";
const std::string Maquina2 = "DR0208BR000000067890";

class CatalogoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { banco_ = new BancoTeste({}, true); }
    static void TearDownTestSuite() {
        delete banco_;
        banco_ = nullptr;
    }
    static BancoTeste* banco_;
    std::unique_ptr<TFDMExporta> dm = banco_->Modulo();
};
BancoTeste* CatalogoTest::banco_ = nullptr;

struct Abertura {
    TConjuntoDados* conjunto;
    std::vector<std::pair<std::string, Valor>> parametros;
};

TEST_F(CatalogoTest, CadaEntradaAbreComSeusParametrosEColunas) {
    const Valor empresa = std::int64_t{1};
    const std::vector<Abertura> aberturas = {
        {&dm->CDSSaidas, {{"TIPODOCUMENTO", "%"}, {"TIPOMOVIMENTO", "%"}, {"DATAINICIAL", Inicio},
                          {"DATAFINAL", Fim}, {"EMPRESA", empresa}, {"ATIVO", "%"}}},
        {&dm->CDSItens, {{"TIPODOCUMENTO", "%"}, {"TIPOMOVIMENTO", "%"}, {"DATAINICIAL", Inicio},
                         {"DATAFINAL", Fim}, {"EMPRESA", empresa}, {"ATIVO", "A"}}},
        {&dm->CDSItensMov, {{"EMPRESA", empresa}, {"MOVIMENTO", "S2001"}}},
        {&dm->CDSReg61, {{"empresa", empresa}, {"datainicial", Inicio}, {"datafinal", Fim}}},
        {&dm->CDSReg61R, {{"EMPRESA", empresa}, {"DATAINICIAL", Inicio}, {"DATAFINAL", Fim}}},
        {&dm->CDSECFM, {{"EMPRESA", empresa}, {"DATAINICIO", Inicio}, {"DATAFIM", Fim}}},
        {&dm->CDSECFA, {{"CODIGO", std::int64_t{1}}}},
        {&dm->CDSECFD, {{"EMPRESA", empresa}, {"DI", Dia15}, {"DF", Dia15}, {"REDUCAO", std::int64_t{101}}}},
        {&dm->CDSECFI, {{"EMPRESA", empresa}, {"DI", Dia15}, {"DF", Dia15}, {"REDUCAO", std::int64_t{101}}}},
        {&dm->CDSECFR, {{"EMPRESA", empresa}, {"DI", Inicio}, {"DF", Fim}}},
        {&dm->CDSCupomM, {{"EMPRESA", empresa}, {"DATAINICIO", Inicio}, {"DATAFIM", Fim}}},
        {&dm->CDSCupomA, {{"CODREDUCAO", std::int64_t{101}}}},
        {&dm->CDSConsCOO_do_Dia, {{"EMPRESA", empresa}, {"SERIEECF", Maquina1}, {"DATA", Dia15}}},
        {&dm->CDSECFDMaquina, {{"EMPRESA", empresa}, {"DI", Dia15}, {"DF", Dia15}, {"SERIEECF", Maquina1}}},
        {&dm->CDSECFIMaquina, {{"EMPRESA", empresa}, {"DI", Dia15}, {"DF", Dia15}, {"SERIEECF", Maquina1}}},
        {&dm->ClientEmpresaLocal, {}},
        {&dm->CDSContador, {{"CODIGO", empresa}}},
        {&dm->CDSInventario, {{"Grupo", "%"}, {"SubGrupo", "%"}, {"Linha", "%"}, {"Fabricante", "%"},
                              {"Situacao", "%"}, {"Origem", "%"}, {"Empresa", empresa},
                              {"DataPosicao", Fim}, {"Ordem", "C"}}},
        {&dm->CDSConsProduto, {{"EMPRESA", empresa}, {"PRODUTO", "1001"}}},
        {&dm->CDSCadProduto, {{"EMPRESA", empresa}}},
    };
    ASSERT_EQ(aberturas.size(), dm->Catalogo().size());
    for (const auto& a : aberturas) {
        SCOPED_TRACE(a.conjunto->Nome());
        for (const auto& [nome, valor] : a.parametros) a.conjunto->Parametro(nome, valor);
        ASSERT_NO_THROW(a.conjunto->Abre());
        EXPECT_GT(a.conjunto->QuantidadeRegistros(), 0);
        for (const auto& campo : a.conjunto->Campos()) {
            const auto c = a.conjunto->Campo(campo.nome);
            EXPECT_NO_THROW(c.Texto()) << campo.nome;
            if (campo.tipo == TipoCampo::Texto && campo.fixo && !c.Nulo()) {
                EXPECT_EQ(c.Texto().size(), static_cast<std::size_t>(campo.tamanho)) << campo.nome;
            }
        }
        a.conjunto->Fecha();
    }
}

TEST_F(CatalogoTest, DocumentosDoPeriodoNaOrdemDaConsulta) {
    auto& s = dm->CDSSaidas;
    s.Parametro("TIPODOCUMENTO", "%");
    s.Parametro("TIPOMOVIMENTO", "%");
    s.Parametro("DATAINICIAL", Inicio);
    s.Parametro("DATAFINAL", Fim);
    s.Parametro("EMPRESA", std::int64_t{1});
    s.Parametro("ATIVO", "%");
    s.Abre();
    std::map<std::string, std::string> situacao, tipo;
    Data anterior = FazData(2000, 1, 1);
    for (s.Primeiro(); !s.Fim(); s.Proximo()) {
        EXPECT_LE(anterior, s.Campo("DATAMOVIMENTO").DataValor());
        anterior = s.Campo("DATAMOVIMENTO").DataValor();
        situacao[s.Campo("CODMOVESTOQUE").Texto()] = s.Campo("SITUACAO").Texto();
        tipo[s.Campo("CODMOVESTOQUE").Texto()] = s.Campo("TIPO").Texto();
    }
    EXPECT_EQ(situacao["S2003"], "CANC.");
    EXPECT_EQ(situacao["S2001"], "NORMAL");
    EXPECT_EQ(tipo["S2001"], "NF");
    EXPECT_EQ(tipo["C0998"], "CF");
    EXPECT_EQ(situacao.count("AJ0001"), 0u);  // a stock adjustment is no document
}

// The grouping of a document decides the TIPO shown in the preview.
TEST_F(CatalogoTest, ColunaCalculadaTipo) {
    TConjuntoDados c("QTipo", "CDSTipo",
                     {"SELECT CAST(A AS CHAR(3)) AS AGRUPAMENTO FROM (",
                      "SELECT 'NFT' AS A FROM RDB$DATABASE UNION ALL SELECT 'FAT' FROM RDB$DATABASE",
                      "UNION ALL SELECT 'NFE' FROM RDB$DATABASE UNION ALL SELECT 'ECF' FROM RDB$DATABASE",
                      "UNION ALL SELECT 'ecf' FROM RDB$DATABASE UNION ALL SELECT 'NF' FROM RDB$DATABASE",
                      "UNION ALL SELECT 'AJU' FROM RDB$DATABASE)"},
                     {TextoFixo("AGRUPAMENTO", 3)});
    c.AcrescentaCalculado(Texto("TIPO", 2), CDSSaidasCalcFields);
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.Abre();
    std::vector<std::string> tipos;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) tipos.push_back(c.Campo("TIPO").Texto());
    EXPECT_EQ(tipos, (std::vector<std::string>{"NF", "NF", "NF", "CF", "", "", ""}));
}

TEST_F(CatalogoTest, ColunaCalculadaSituacaoTributariaDosTotalizadores) {
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"N1", "NN"},      {"I1", "II"},   {"F1", "FF"},   {"Can-T", "CANC"}, {"DT", "DESC"},
        {"01T1700", "1700"}, {"02T0700", "0700"}, {"03S0500", "ISS"}, {"F2", ""}, {"n1", ""},
        {"XX", ""}};
    std::string sql;
    for (const auto& [t, _] : casos)
        sql += (sql.empty() ? "" : " UNION ALL ") + std::string("SELECT CAST('") + t +
               "' AS VARCHAR(7)) AS TOTALIZADOR, 1.00 AS VALOR FROM RDB$DATABASE";
    TConjuntoDados c("QTotalizadores", "CDSTotalizadores", {sql},
                     {Texto("TOTALIZADOR", 7), Decimal("VALOR", 2)});
    c.AcrescentaCalculado(Texto("SituacaoTributaria", 4), CDSCupomACalcFields);
    c.DefineConexao(&dm->SQLConnectionPRAXO);
    c.Abre();
    std::size_t i = 0;
    for (c.Primeiro(); !c.Fim(); c.Proximo(), ++i)
        EXPECT_EQ(c.Campo("SituacaoTributaria").Texto(), casos.at(i).second) << casos[i].first;
    EXPECT_EQ(i, casos.size());
}

TEST_F(CatalogoTest, TotalizadoresZeradosENaoFiscaisNaoChegam) {
    auto& a = dm->CDSCupomA;
    a.Parametro("CODREDUCAO", std::int64_t{101});
    a.Abre();
    std::set<std::string> codigos;
    for (a.Primeiro(); !a.Fim(); a.Proximo()) codigos.insert(a.Campo("TOTALIZADOR").Texto());
    EXPECT_EQ(codigos, (std::set<std::string>{"01T0700", "02T1700", "F1", "I1", "N1", "Can-T", "DT"}));
    a.Fecha();
    a.Parametro("CODREDUCAO", std::int64_t{104});
    a.Abre();
    EXPECT_TRUE(a.Vazio());
}

// Products by code and quantity of a walk over one of the coupon-item entries.
std::map<std::string, double> Quantidades(TConjuntoDados& c) {
    std::map<std::string, double> q;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) q[c.Campo("PRODUTO").Texto()] += c.Campo("QUANTIDADE").Real();
    return q;
}

// The T-shirt has three variants; a coupon of printer 2 sells two of the large
// blue one. Joined on the product alone, each variant's code came out with it.
TEST_F(CatalogoTest, ItensDoDiaContamCadaVarianteUmaVez) {
    auto& d = dm->CDSECFD;
    d.Parametro("EMPRESA", std::int64_t{1});
    d.Parametro("DI", Dia15);
    d.Parametro("DF", Dia15);
    d.Parametro("REDUCAO", std::int64_t{102});
    d.Abre();
    EXPECT_EQ(Quantidades(d), (std::map<std::string, double>{{"1001", 3}, {"2001", 2}, {"3001AZG", 2}}));

    auto& r = dm->CDSECFR;
    r.Parametro("EMPRESA", std::int64_t{1});
    r.Parametro("DI", Inicio);
    r.Parametro("DF", Fim);
    r.Abre();
    const auto q = Quantidades(r);
    EXPECT_EQ(q.at("3001AZG"), 2);
    EXPECT_EQ(q.at("3001AZM"), 1);
    EXPECT_EQ(q.at("3001VMM"), 1);  // a cancelled item: this entry does not leave them out
}

TEST_F(CatalogoTest, PrimeiroEUltimoCupomComoNumeros) {
    auto& c = dm->CDSConsCOO_do_Dia;
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Parametro("SERIEECF", Maquina1);
    c.Parametro("DATA", Dia15);
    c.Abre();
    ASSERT_EQ(c.QuantidadeRegistros(), 1);
    EXPECT_EQ(c.Campo("MIN").Texto(), "998");
    EXPECT_EQ(c.Campo("MAX").Texto(), "1000");
    c.Fecha();
    c.Parametro("DATA", FazData(2010, 3, 17));  // no coupon that day
    c.Abre();
    ASSERT_EQ(c.QuantidadeRegistros(), 1);
    EXPECT_EQ(c.Campo("MIN").Texto(), "");
}

struct Grupo61 {
    double total, base, icms;
    int inicial, final;
};

// Note 503 of 13 March keeps its rate-17 tax in two rows; its product total
// (30.29) must count once in that group, not once per tax row.
TEST_F(CatalogoTest, Registro61ContaCadaNotaUmaVezPorGrupo) {
    auto& c = dm->CDSReg61;
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Parametro("DATAINICIAL", Inicio);
    c.Parametro("DATAFINAL", Fim);
    c.Abre();
    std::map<std::pair<unsigned, double>, Grupo61> grupos;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) {
        EXPECT_EQ(c.Campo("MODELONF").Texto(), "2 ");
        EXPECT_EQ(c.Campo("SERIENF").Texto(), "D  ");
        grupos[{static_cast<unsigned>(c.Campo("DATAEMISSAONF").DataValor().day()),
                c.Campo("ALIQUOTAICMS").Real()}] =
            Grupo61{c.Campo("TOTALBRUTO").Real(), c.Campo("BASEICMS").Real(),
                    c.Campo("VALORICMS").Real(), static_cast<int>(c.Campo("NUMEROINICIAL").Inteiro()),
                    static_cast<int>(c.Campo("NUMEROFINAL").Inteiro())};
    }
    ASSERT_EQ(grupos.size(), 4u);
    const auto& g = grupos.at({13, 17.0});
    EXPECT_DOUBLE_EQ(g.total, 30.29);
    EXPECT_DOUBLE_EQ(g.base, 12.49);
    EXPECT_DOUBLE_EQ(g.icms, 2.12);
    EXPECT_EQ(g.inicial, 503);
    EXPECT_DOUBLE_EQ(grupos.at({13, 7.0}).total, 30.29);
    EXPECT_DOUBLE_EQ(grupos.at({12, 17.0}).total, 13.73);
    EXPECT_EQ(grupos.at({12, 17.0}).final, 501);
    EXPECT_DOUBLE_EQ(grupos.at({12, 7.0}).total, 15.90);
}

// Per product and rate the sums of the items themselves, each item once.
TEST_F(CatalogoTest, Registro61RSomaOsItens) {
    auto& c = dm->CDSReg61R;
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Parametro("DATAINICIAL", Inicio);
    c.Parametro("DATAFINAL", Fim);
    c.Abre();
    std::map<std::string, std::tuple<double, double, double>> itens;
    for (c.Primeiro(); !c.Fim(); c.Proximo()) {
        EXPECT_EQ(c.Campo("MES").Inteiro(), 3);
        EXPECT_EQ(c.Campo("ANO").Inteiro(), 2010);
        itens[c.Campo("PRODUTO").Texto()] = {c.Campo("QUANTIDADE").Real(),
                                             c.Campo("TOTALBRUTO").Real(), c.Campo("BASEICMS").Real()};
    }
    using T = std::tuple<double, double, double>;
    EXPECT_EQ(itens, (std::map<std::string, T>{{"1001", T{1, 15.90, 15.90}},
                                               {"1002", T{2, 17.80, 17.80}},
                                               {"1003", T{3, 10.47, 10.47}},
                                               {"4001", T{7, 15.75, 15.75}}}));
}

// Two printers sold on 15 March; each typed-in reduction gets its own
// printer's items only.
TEST_F(CatalogoTest, ItensDeUmaMaquinaNoDia) {
    auto abre = [&](TConjuntoDados& c, const std::string& maquina) {
        c.Fecha();
        c.Parametro("EMPRESA", std::int64_t{1});
        c.Parametro("DI", Dia15);
        c.Parametro("DF", Dia15);
        c.Parametro("SERIEECF", maquina);
        c.Abre();
    };
    abre(dm->CDSECFDMaquina, Maquina2);
    EXPECT_EQ(Quantidades(dm->CDSECFDMaquina),
              (std::map<std::string, double>{{"1001", 3}, {"2001", 2}, {"3001AZG", 2}}));
    abre(dm->CDSECFDMaquina, Maquina1);
    EXPECT_EQ(Quantidades(dm->CDSECFDMaquina),
              (std::map<std::string, double>{{"1001", 3}, {"1003", 2.5}, {"1004", 6}, {"1005", 1},
                                             {"2001", 3}, {"3001AZM", 1}}));  // cancelled item out
    abre(dm->CDSECFIMaquina, Maquina2);
    std::vector<std::string> itens;
    for (auto& c = dm->CDSECFIMaquina; !c.Fim(); c.Proximo())
        itens.push_back(c.Campo("NUMEROCUPOMFISCAL").Texto() + "/" + c.Campo("CODSEQUENCIA").Texto());
    EXPECT_EQ(itens, (std::vector<std::string>{"45/1", "45/2", "46/1"}));
    abre(dm->CDSECFIMaquina, Maquina1);
    EXPECT_EQ(dm->CDSECFIMaquina.QuantidadeRegistros(), 8);
}

TEST_F(CatalogoTest, EmpresaSemCidadeFicaForaDaLista) {
    BancoTeste banco(R"(
        INSERT INTO CIDADE VALUES (1, 'FLORIANÓPOLIS', 'SC', 4205407);
        INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, CODCIDADE) VALUES (1, 'COM CIDADE', 1);
        INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, CODCIDADE) VALUES (2, 'SEM CIDADE', 99);
    )");
    auto outro = banco.Modulo();
    outro->ClientEmpresaLocal.Abre();
    EXPECT_EQ(outro->ClientEmpresaLocal.QuantidadeRegistros(), 1);
    EXPECT_EQ(outro->ClientEmpresaLocal.Campo("NOMECIDADE").Texto(), "FLORIANÓPOLIS");
}

TEST_F(CatalogoTest, EmpresaSemContadorDeixaOContadorVazio) {
    auto& c = dm->CDSContador;
    c.Parametro("CODIGO", std::int64_t{2});
    c.Abre();
    EXPECT_TRUE(c.Vazio());
    EXPECT_EQ(c.Campo("NOMERESPONSAVEL").Texto(), "");
}

TEST_F(CatalogoTest, CadastroDeProdutosBuscadoPeloCodigo) {
    auto& c = dm->CDSCadProduto;
    c.Parametro("EMPRESA", std::int64_t{1});
    c.Abre();
    ASSERT_TRUE(c.BuscaChave(std::string("3001VMM")));
    EXPECT_DOUBLE_EQ(c.Campo("IPI").Real(), 10);
    EXPECT_DOUBLE_EQ(c.Campo("ICMS").Real(), 17);
    ASSERT_TRUE(c.BuscaChave(std::string("4001")));
    EXPECT_DOUBLE_EQ(c.Campo("ALIQREDUCAOICMS").Real(), 29.4118);
    EXPECT_FALSE(c.BuscaChave(std::string("9999")));
}

}  // namespace
