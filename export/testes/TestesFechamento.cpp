// Records 61 and 61R, the inventory, records 75, 88 and 90, and the run's end:
// success, cancellation, signing, failure.
#include "Assinatura.h"
#include "Cenario.h"

#include <fstream>
#include <future>
#include <thread>

namespace {

using namespace cenario;

std::string NotaModelo2(const std::string& codigo, int numero, const std::string& dia, std::vector<Item> itens) {
    Documento d{.codigo = codigo, .numero = std::to_string(numero), .serie = "D", .modelo = "2", .data = dia};
    d.itens = std::move(itens);
    const int nota = numero;
    return d.Sql() +
           "INSERT INTO TRIBMOVESTOQUE (CODMOVESTOQUE, CODTRIBUTO, ALIQUOTAICMS, BASEICMS, VALORICMS, ISENTO, OUTROS) "
           "SELECT CODMOVESTOQUE, CAST(ALIQUOTAICMS * 100 AS INTEGER), ALIQUOTAICMS, SUM(BASEICMS), "
           "SUM(BASEICMS * ALIQUOTAICMS / 100), 0, 0 FROM ITEMESTOQUE WHERE CODMOVESTOQUE = '" + codigo +
           "' GROUP BY CODMOVESTOQUE, ALIQUOTAICMS;\n"
           "INSERT INTO NOTAFISCAL (CODNOTA, CODEMPRESA, DATAEMISSAONF, MODELONF, SERIENF, NUMERONF, "
           "VALORTOTALPRODUTOS, SITUACAONF) SELECT " + std::to_string(nota) + ", 1, DATAMOVIMENTO, '2', 'D', " +
           std::to_string(numero) + ", VALORPRODUTOS, 'A' FROM MOVESTOQUE WHERE CODMOVESTOQUE = '" + codigo +
           "';\nINSERT INTO NFMOVIMENTO VALUES (" + std::to_string(nota) + ", '" + codigo + "');\n";
}

TEST(Modelo2Test, Registros61E61RComProdutosNoRegistro75) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{.produto = 1}};
    Exportacao e(venda.Sql() +
                 NotaModelo2("N1", 501, "2010-03-12", {Item{.produto = 3, .quantidade = 2, .preco = 5, .aliquota = 7}}) +
                 NotaModelo2("N2", 502, "2010-03-12", {Item{.produto = 3, .quantidade = 1, .preco = 5, .aliquota = 7}}));
    const auto r = e.Executa();
    const auto l61 = DoTipo(r.linhas, "61");
    ASSERT_EQ(l61.size(), 1u);
    EXPECT_EQ(Campo(l61[0], 31, 57), "2010031202D    000501000502");
    EXPECT_EQ(Campo(l61[0], 58, 70), "0000000001500");
    EXPECT_EQ(Campo(l61[0], 122, 125), "0700");
    const auto l61R = DoTipo(r.linhas, "61R");
    ASSERT_EQ(l61R.size(), 1u);
    EXPECT_EQ(Campo(l61R[0], 1, 52), "61R032010B1            00000000030000000000000001500");
    // Model-2 notes have no records 50 or 54; their product has its record 75.
    EXPECT_EQ(DoTipo(r.linhas, "50").size(), 1u);
    EXPECT_EQ(DoTipo(r.linhas, "54").size(), 1u);
    std::vector<std::string> codigos;
    for (const auto& l : DoTipo(r.linhas, "75")) codigos.push_back(Campo(l, 19, 20));
    EXPECT_EQ(codigos, (std::vector<std::string>{"B1", "P1"}));
    const auto b1 = DoTipo(r.linhas, "75").at(0);
    EXPECT_EQ(Campo(b1, 41, 50), "PRODUTO B1");
    EXPECT_EQ(Campo(b1, 105, 108), "0700");  // the rate of the company's stock row
    // One 90 line for type 61 with 61 and 61R together.
    bool achou = false;
    for (const auto& l : DoTipo(r.linhas, "90"))
        if (Campo(l, 31, 32) == "61") achou = Campo(l, 33, 40) == "00000002";
    EXPECT_TRUE(achou);
}

std::string Estoque(int produto, double quantidade) {
    static int n = 0;
    const std::string codigo = "AJ" + std::to_string(++n);
    Documento d{.codigo = codigo, .movimento = "E", .agrupamento = "AJU", .data = "2010-01-01"};
    d.itens = {Item{.produto = produto, .quantidade = quantidade, .preco = 1}};
    return d.Sql();
}

TEST(InventarioTest, Registros74NaDataFinalEProdutosNovosComAliquotasDoCadastro) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{.produto = 1, .aliquota = 7}};
    // Product 9 is stocked but missing from the company's catalogue.
    Exportacao e(venda.Sql() + Estoque(1, 10) + Estoque(2, 5) + Estoque(2, 2) +
                 "INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (9, 1);\n"
                 "INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (9, 'Z9', 'SEM CADASTRO');\n"
                 "INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, PRECOCUSTO) VALUES (2, 9, 1);\n" +
                 Estoque(9, 4) + "UPDATE MOVESTOQUE SET CODEMPRESA = 1;\n"
                 "INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, PRECOCUSTO) VALUES (1, 9, 1);\n"
                 "DELETE FROM SALDOESTOQUE WHERE CODEMPRESA = 2;\n");
    e.opcoes.inventario = true;
    e.opcoes.dataInventario = FazData(2010, 2, 1);
    const auto r = e.Executa();
    const auto l74 = DoTipo(r.linhas, "74");
    std::vector<std::string> linhas;
    for (const auto& l : l74) linhas.push_back(Campo(l, 3, 50) + "|" + Campo(l, 80, 81));
    // Before the March sale: 10 of P1, 7 of P2, 4 of Z9; dated the period's last day.
    EXPECT_EQ(linhas, (std::vector<std::string>{
                          "20100331P1            00000000100000000000002000|SC",
                          "20100331P2            00000000070000000000002100|SC",
                          "20100331Z9            00000000040000000000000400|SC"}));
    std::map<std::string, std::string> aliquotas;
    for (const auto& l : DoTipo(r.linhas, "75")) aliquotas[Campo(l, 19, 20)] = Campo(l, 100, 113);
    EXPECT_EQ(aliquotas["P1"], "00000070000000");  // from the item stage: its first values stay
    EXPECT_EQ(aliquotas["P2"], "00000120001000");  // from the catalogue
    EXPECT_EQ(aliquotas["Z9"], "00000000000000");  // not in the catalogue: rates 0
    EXPECT_TRUE(r.progresso->Viu("CursorEspera|1"));
    EXPECT_TRUE(r.progresso->Viu("CursorEspera|0"));
}

TEST(InventarioTest, SemInventarioOsRotulosMudamMesmoAssim) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql() + Estoque(2, 5));
    const auto r = e.Executa();
    EXPECT_TRUE(DoTipo(r.linhas, "74").empty());
    EXPECT_TRUE(r.progresso->Viu("Descricao|Gerando Registro 75 - Inventário (Aguarde...)"));
    for (const auto& l : DoTipo(r.linhas, "90")) EXPECT_NE(Campo(l, 31, 32), "74");
}

TEST(ProdutosTest, Registros75NaOrdemDoTextoDoCodigo) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{.produto = 3}, Item{.produto = 4}, Item{.produto = 5}};
    Exportacao e(venda.Sql());
    const auto r = e.Executa();
    std::vector<std::string> codigos;
    for (const auto& l : DoTipo(r.linhas, "75")) {
        codigos.push_back(Campo(l, 19, 21));
        EXPECT_EQ(Campo(l, 3, 18), "2010030120100331");
        EXPECT_EQ(Campo(l, 33, 40), std::string(8, ' '));  // no NCM
    }
    EXPECT_EQ(codigos, (std::vector<std::string>{"A10", "A7 ", "B1 "}));
}

TEST(FinalTest, Registros88ETotais) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{.produto = 1}, Item{.produto = 2}};
    Exportacao e(venda.Sql());
    e.opcoes.registro88 = true;
    auto r = e.Executa();
    std::vector<std::string> tipos;
    for (const auto& l : r.linhas)
        tipos.push_back(l.substr(0, 2) != "88" ? l.substr(0, 2) : l.substr(0, l[2] == 'S' && l[3] == 'M' ? 5 : 4));
    EXPECT_EQ(tipos, (std::vector<std::string>{"10", "11", "50", "54", "54", "75", "75", "88SME", "88EC",
                                               "88SF", "90", "90", "90", "90", "90"}));
    const auto ec = DoTipo(r.linhas, "88EC").at(0);
    EXPECT_EQ(Campo(ec, 5, 54), "CARLOS CONTADOR" + std::string(24, ' ') + "01234567890");
    EXPECT_EQ(Campo(ec, 65, 75), "04733334444");
    EXPECT_EQ(Campo(ec, 126, 126), "1");
    std::vector<std::string> totais;
    for (const auto& l : DoTipo(r.linhas, "90")) totais.push_back(Campo(l, 31, 40) + Campo(l, 126, 126));
    EXPECT_EQ(totais, (std::vector<std::string>{"50000000015", "54000000025", "75000000025",
                                                "88000000035", "99000000155"}));
    e.opcoes.novoContador = true;
    r = e.Executa();
    EXPECT_EQ(Campo(DoTipo(r.linhas, "88EC").at(0), 126, 126), "0");
}

TEST(FinalTest, Registro88ECSemContador) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql() + "DELETE FROM RESPTECNICO;\n");
    e.opcoes.registro88 = true;
    const auto ec = DoTipo(e.Executa().linhas, "88EC").at(0);
    EXPECT_EQ(Campo(ec, 5, 125), std::string(39, ' ') + std::string(11, '0') + std::string(10, ' ') +
                                     std::string(11, '0') + std::string(50, ' '));
}

TEST(RunTest, SucessoMostraAMensagemELimpaOsIndicadores) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql());
    const auto r = e.Executa();
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.progresso->mensagens.size(), 1u);
    EXPECT_EQ(r.progresso->mensagens[0], "Arquivo exportado com sucesso.\r\rArquivo: " + r.arquivo);
    EXPECT_FALSE(r.estado->Exportando);
    EXPECT_FALSE(r.estado->CancelaExportacao);
    EXPECT_EQ(r.progresso->UltimaDescricao(), "Arquivo SINTEGRA.TXT foi exportado com sucesso.");
    EXPECT_TRUE(r.progresso->Viu("TotalRegistros|0"));
    // The stage labels, in order.
    std::vector<std::string> etapas;
    for (const auto& ev : r.progresso->eventos)
        if (ev.rfind("Etapa|", 0) == 0) etapas.push_back(ev.substr(6));
    EXPECT_EQ(etapas, (std::vector<std::string>{"Etapa : 1 / 9", "Etapa : 2 / 9", "Etapa : 3 / 9",
                                                "Etapa  6 / 9", "Etapa : 8 / 9", "Etapa : 9 / 9"}));
    EXPECT_FALSE(e.dm->CDSSaidas.Ativo());
    EXPECT_FALSE(e.dm->CDSItens.Ativo());
}

// A cancel during stage 1: the documents stop, no item, the other stages run,
// no record 75, and the file still ends with its 88 and 90 records.
TEST(RunTest, CancelarNaEtapa1) {
    std::string sql;
    for (int i = 1; i <= 4; ++i) {
        Documento d{.codigo = "S" + std::to_string(i), .numero = std::to_string(i)};
        d.itens = {Item{.produto = i}};
        sql += d.Sql();
    }
    sql += NotaModelo2("N1", 501, "2010-03-12", {Item{.produto = 3}});
    Exportacao e(sql);
    // Asked while the third document is being written: it is finished, the fourth is not.
    const auto r = e.Executa("3 Venda:");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(DoTipo(r.linhas, "50").size(), 3u);
    EXPECT_TRUE(DoTipo(r.linhas, "54").empty());
    EXPECT_EQ(DoTipo(r.linhas, "61").size(), 1u);
    EXPECT_TRUE(DoTipo(r.linhas, "75").empty());
    char total[32];
    std::snprintf(total, sizeof total, "99%08zu", r.linhas.size());
    EXPECT_EQ(Campo(r.linhas.back(), 31, 40), total);
    EXPECT_TRUE(r.progresso->mensagens.empty());
    EXPECT_EQ(r.progresso->UltimaDescricao(), "A exportação foi cancelada.");
    EXPECT_FALSE(r.estado->Exportando);
    EXPECT_FALSE(r.estado->CancelaExportacao);
}

// A Cancelar pressed after Exportar but before the run reads the flag is not
// lost: the run takes the cancel ending.
TEST(RunTest, CancelarAntesDoInicioDaExecucaoNaoSePerde) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql());
    const auto r = e.Executa({}, true);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(DoTipo(r.linhas, "50").empty());
    EXPECT_TRUE(DoTipo(r.linhas, "54").empty());
    EXPECT_TRUE(r.progresso->mensagens.empty());
    EXPECT_EQ(r.progresso->UltimaDescricao(), "A exportação foi cancelada.");
    EXPECT_FALSE(r.estado->CancelaExportacao);
}

std::string LeArquivo(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(RunTest, ModoPafEcfAssinaOArquivoMesmoCancelado) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql());
    std::filesystem::copy_file(PRAXO_BIBLIOTECA, e.Pasta() + "PraxoLib.dll");
    e.dm = std::make_unique<TFDMExporta>(e.Pasta());
    e.opcoes.modoPafEcf = true;
    auto r = e.Executa();
    ASSERT_TRUE(r.ok);
    ASSERT_FALSE(r.ead.empty());
    const std::string chave = LeArquivo(PRAXO_CHAVE_PUBLICA);
    EXPECT_EQ(VerificaEAD(r.conteudo, chave), ResultadoVerificacao::Valida);
    r = e.Executa("1 Venda:");
    EXPECT_EQ(r.progresso->UltimaDescricao(), "A exportação foi cancelada.");
    EXPECT_EQ(VerificaEAD(r.conteudo, chave), ResultadoVerificacao::Valida);
}

// Without the library the run fails, and no unsigned file takes the name.
TEST(RunTest, ModoPafEcfSemBibliotecaFalhaSemDeixarArquivo) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql());
    e.opcoes.modoPafEcf = true;
    const auto r = e.Executa();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.progresso->erros, std::vector<std::string>{"PraxoLib.Dll não disponível."});
    EXPECT_FALSE(std::filesystem::exists(r.arquivo));
    EXPECT_FALSE(r.estado->Exportando);
}

}  // namespace

namespace {

using namespace cenario;

// A progress whose success message holds the run until the test lets it go,
// so that the test sees the run while it is surely still going.
class ProgressoRetido : public ProgressoGravado {
public:
    using ProgressoGravado::ProgressoGravado;
    void MensagemFinal(const std::string& t) override {
        ProgressoGravado::MensagemFinal(t);
        liberado_.get_future().wait();
    }
    void Libera() { liberado_.set_value(); }

private:
    std::promise<void> liberado_;
};

// The run started on a thread of its own: the start clears a Cancelar left
// from before, and the caller is told on the run's thread when it ends.
TEST(RunTest, IniciaEmOutraLinhaDeExecucao) {
    Documento venda{.codigo = "S1"};
    venda.itens = {Item{}};
    Exportacao e(venda.Sql());
    ASSERT_TRUE(PreparaExportacao(*e.dm, e.opcoes));
    sintegra::tSintegra gerador(e.Pasta());
    ASSERT_TRUE(gerador.AbreArquivo("THREAD.TXT"));
    EstadoExportacao estado;
    estado.CancelaExportacao = true;  // left from an earlier Cancelar
    ProgressoRetido progresso(estado);
    std::promise<std::pair<bool, std::thread::id>> fim;
    ThExporta::Inicia(std::make_shared<ThExporta>(*e.dm, gerador, e.opcoes, estado, progresso),
                      [&](bool ok) { fim.set_value({ok, std::this_thread::get_id()}); });
    EXPECT_TRUE(estado.Exportando);  // the run waits in its success message
    EXPECT_FALSE(estado.CancelaExportacao);
    progresso.Libera();
    auto futuro = fim.get_future();
    ASSERT_EQ(futuro.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const auto [ok, linha] = futuro.get();
    EXPECT_TRUE(ok);
    EXPECT_NE(linha, std::this_thread::get_id());
    EXPECT_FALSE(estado.Exportando);
    EXPECT_EQ(progresso.mensagens.size(), 1u);
    std::ifstream f(e.Pasta() + "THREAD.TXT", std::ios::binary);
    std::ostringstream c;
    c << f.rdbuf();
    EXPECT_EQ(Linhas(c.str()).size(), 11u);  // 10, 11, 50, 54, 75, 88SME and five 90 lines
}

}  // namespace
