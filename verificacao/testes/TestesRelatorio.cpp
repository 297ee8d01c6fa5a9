// The summary, the reports, the check after an export, the command, and the
// demo company's export checked whole.
#include "Arquivo.h"

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace verificacao::testes {
namespace {

TEST(ResumoTest, ContaRegistrosESomaNotasECupons) {
    auto l = LinhasLimpas();
    Troca(l, 4, 126, "S");  // a cancelled note stays out of the totals
    Resumo r;
    std::istringstream entrada(Junta(l));
    ASSERT_TRUE(VerificaFluxo(entrada, {}, &r));
    EXPECT_EQ(r.Linhas, 33u);
    EXPECT_EQ(r.RegistrosPorTipo.at("50"), 3u);
    EXPECT_EQ(r.RegistrosPorTipo.at("60A"), 2u);
    EXPECT_EQ(r.RegistrosPorTipo.at("61R"), 1u);
    EXPECT_EQ(r.RegistrosPorTipo.at("90"), 8u);
    EXPECT_EQ(r.CNPJ, "83512494000110");
    EXPECT_EQ(r.DataInicial, "20100301");
    EXPECT_EQ(r.Registros50Cancelados, 1u);
    ASSERT_EQ(r.Registros50PorCFOP.size(), 2u);
    const Totais50& venda = r.Registros50PorCFOP.at("5102");
    EXPECT_EQ(venda.Registros, 1u);
    EXPECT_EQ(venda.Valor, 11000);
    EXPECT_EQ(venda.Base, 10000);
    EXPECT_EQ(venda.ICMS, 1700);
    EXPECT_EQ(venda.Outras, 1000);
    EXPECT_EQ(r.Registros50PorAliquota.at("17,00").Valor, 11000);
    EXPECT_EQ(r.Registros50PorAliquota.at("0,00").Registros, 1u);
    const TotaisImpressora& ecf = r.VendaPorImpressora.at("BE051075600000012345");
    EXPECT_EQ(ecf.Reducoes, 1u);
    EXPECT_EQ(ecf.VendaBruta, 7000);
    EXPECT_EQ(ecf.GrandeTotal, 150000);
    EXPECT_EQ(r.ECFPorAliquota.at("1700"), 5000);
    EXPECT_EQ(r.ECFPorAliquota.at("F"), 2000);

    const std::string texto = TextoResumo(r);
    EXPECT_NE(texto.find("Período: 01/03/2010 a 31/03/2010"), std::string::npos) << texto;
    EXPECT_NE(texto.find("110,00"), std::string::npos) << texto;
    EXPECT_NE(ResumoCSV(r).find("Registros 50 por CFOP;5102;1;110,00;100,00;17,00;0,00;10,00"), std::string::npos)
        << ResumoCSV(r);
}

TEST(RelatorioTest, CentavosEmFormaBrasileira) {
    EXPECT_EQ(FormataCentavos(0), "0,00");
    EXPECT_EQ(FormataCentavos(5), "0,05");
    EXPECT_EQ(FormataCentavos(123456), "1.234,56");
    EXPECT_EQ(FormataCentavos(123456789012), "1.234.567.890,12");
    EXPECT_EQ(FormataCentavos(-100), "-1,00");
}

TEST(RelatorioTest, CSVProtegeSeparadorEAspas) {
    const Achado a{7, "50", "CNPJ", 3, 16, Nivel::Aviso, "diz \"x\"; e y"};
    EXPECT_EQ(LinhaCSV(a), "AVISO;7;50;CNPJ;3;16;\"diz \"\"x\"\"; e y\"");
    EXPECT_EQ(CabecalhoCSV(), "Nível;Linha;Registro;Campo;Início;Fim;Mensagem");
}

class ArquivoEmDiscoTest : public ::testing::Test {
protected:
    std::string Grava(const std::string& conteudo) {
        const auto p = pasta.Caminho() / "ARQUIVO.TXT";
        std::ofstream(p, std::ios::binary) << conteudo;
        return p.string();
    }
    PastaTemporaria pasta;
};

TEST_F(ArquivoEmDiscoTest, VerificacaoDaExportacaoDaContagensEOsPrimeirosAchados) {
    auto l = LinhasLimpas();
    for (int n = 3; n <= 14; ++n) l[static_cast<std::size_t>(n - 1)].erase(126, 1);  // twelve LF-only ends
    const auto v = VerificaArquivoExportado(Grava(Junta(l)));
    ASSERT_TRUE(v.Lido);
    EXPECT_EQ(v.Erros, 12u);
    EXPECT_EQ(v.Avisos, 0u);
    EXPECT_EQ(v.Texto.rfind("Verificação do arquivo: 12 ERRO, 0 AVISO.\n", 0), 0u) << v.Texto;
    EXPECT_NE(v.Texto.find("ERRO linha 12 "), std::string::npos) << v.Texto;
    EXPECT_EQ(v.Texto.find("ERRO linha 13 "), std::string::npos) << v.Texto;
    EXPECT_NE(v.Texto.find("... e mais 2 "), std::string::npos) << v.Texto;

    const auto limpo = VerificaArquivoExportado(Grava(ConteudoLimpo()));
    EXPECT_EQ(limpo.Erros + limpo.Avisos, 0u);
    EXPECT_EQ(limpo.Texto, "Verificação do arquivo: 0 ERRO, 0 AVISO.\n");

    const auto ausente = VerificaArquivoExportado((pasta.Caminho() / "NAO_EXISTE.TXT").string());
    EXPECT_FALSE(ausente.Lido);
    EXPECT_NE(ausente.Texto.find("Não foi possível abrir"), std::string::npos);
}

int Roda(const std::string& comando) {
    const int s = std::system(comando.c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
}

TEST_F(ArquivoEmDiscoTest, ComandoSaiComZeroUmOuDois) {
    const std::string programa = PRAXO_VERIFICA_SINTEGRA;
    const std::string saida = (pasta.Caminho() / "saida.txt").string();
    const std::string limpo = Grava(ConteudoLimpo());
    EXPECT_EQ(Roda(programa + " " + limpo + " --resumo > " + saida), 0);
    EXPECT_NE(LeArquivo(saida).find("Registros por tipo"), std::string::npos);

    auto l = LinhasLimpas();
    Troca(l, 5, 3, "22333444000182");
    const auto defeituoso = (pasta.Caminho() / "DEFEITO.TXT").string();
    std::ofstream(defeituoso, std::ios::binary) << Junta(l);
    EXPECT_EQ(Roda(programa + " " + defeituoso + " --formato csv > " + saida), 1);
    EXPECT_EQ(LeArquivo(saida).rfind(CabecalhoCSV() + "\nERRO;5;50;CNPJ;3;16;", 0), 0u) << LeArquivo(saida);

    EXPECT_EQ(Roda(programa + " " + (pasta.Caminho() / "NAO_EXISTE.TXT").string() + " 2> " + saida), 2);
    EXPECT_EQ(Roda(programa + " " + pasta.Caminho().string() + " > " + saida + " 2>&1"), 2);  // a folder
    EXPECT_EQ(LeArquivo(saida).find("ERRO"), std::string::npos);
    EXPECT_EQ(Roda(programa + " --help > " + saida), 0);
    EXPECT_NE(LeArquivo(saida).find("Uso: VerificaSintegra ARQUIVO"), std::string::npos);
    EXPECT_EQ(Roda(programa + " " + limpo + " --formato xml 2> " + saida), 2);
}

// The demo company's month exported by the command, with every option.
TEST_F(ArquivoEmDiscoTest, ExportacaoDemoNaoTemErro) {
    const std::string arquivo = (pasta.Caminho() / "DEMO.TXT").string();
    ASSERT_EQ(Roda(std::string(PRAXO_EXPORTA_SINTEGRA) + " --empresa 1 --mes 3 --ano 2010 --itens-cupom " +
                   "--inventario --reg88 --saida " + arquivo + " > /dev/null 2>&1"),
              0);
    const Relatorio r = VerificaArquivo(arquivo);
    ASSERT_TRUE(r.Lido);
    std::vector<Achado> erros;
    for (const auto& a : r.Achados)
        if (a.NivelAchado == Nivel::Erro) erros.push_back(a);
    EXPECT_TRUE(erros.empty()) << Lista(erros);
    EXPECT_GT(r.ResumoArquivo.Linhas, 100u);
}

}  // namespace
}  // namespace verificacao::testes
