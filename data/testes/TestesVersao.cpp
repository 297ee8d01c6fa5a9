// The program's version read from its file, and the start-up version check.
#include "BancoTeste.h"
#include "Plataforma.h"
#include "Versao.h"

namespace {

using testes::BancoTeste;
namespace fs = std::filesystem;

TEST(VersaoTest, LidaDoProprioExecutavelSemExecutalo) {
    const fs::path exe = CaminhoDoExecutavel();
    const std::string pasta = exe.parent_path().string() + "/";
    const std::string nome = exe.filename().string();
    std::string maiusculo = nome;
    for (auto& c : maiusculo) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(GetBuildInfo(maiusculo + ".EXE", "build", pasta), PRAXO_VERSAO_ESPERADA);
    EXPECT_EQ(GetBuildInfo(nome, "BUILD", pasta), PRAXO_VERSAO_ESPERADA);
    const std::string semBuild = std::string(PRAXO_VERSAO_ESPERADA).substr(
        0, std::string(PRAXO_VERSAO_ESPERADA).rfind('.'));
    EXPECT_EQ(GetBuildInfo(nome, "", pasta), semBuild);
}

TEST(VersaoTest, ArquivoSemVersaoDaZeros) {
    testes::PastaTemporaria pasta;
    EXPECT_EQ(GetBuildInfo("PRAXOSintegra.EXE", "BUILD", pasta.Prefixo()), "0.0.0.0");
    testes::EscreveArquivo(pasta.Caminho() / "PRAXOSintegra", "não é um executável");
    EXPECT_EQ(GetBuildInfo("PRAXOSintegra.EXE", "BUILD", pasta.Prefixo()), "0.0.0.0");
    fs::remove(pasta.Caminho() / "PRAXOSintegra");
    fs::copy_file("/bin/true", pasta.Caminho() / "praxosintegra.exe");  // an ELF file without the note
    EXPECT_EQ(GetBuildInfo("PRAXOSintegra.EXE", "BUILD", pasta.Prefixo()), "0.0.0.0");
    EXPECT_EQ(GetBuildInfo("PRAXOSintegra.EXE", "build", pasta.Prefixo()), "0.0.0.0");
    EXPECT_EQ(GetBuildInfo("PRAXOSintegra.EXE", "", pasta.Prefixo()), "0.0.0");
}

class PlataformaGravada : public TPlataforma {
public:
    void Mensagem(const std::string& titulo, const std::string& texto, IconeMensagem icone) override {
        mensagens.push_back(titulo + "|" + texto);
        icones.push_back(icone);
    }
    void IniciaProcesso(const std::string& programa, const std::vector<std::string>& argumentos) override {
        iniciado = programa;
        this->argumentos = argumentos;
    }
    void TerminaAplicacao() override { ++terminos; }

    std::vector<std::string> mensagens;
    std::vector<IconeMensagem> icones;
    std::string iniciado;
    std::vector<std::string> argumentos;
    int terminos = 0;
};

class VerificaVersaoTest : public ::testing::Test {
protected:
    // A database expecting `versao`, the stand-in library beside the program,
    // and the server folder of the updater.
    void Prepara(const std::string& versao, bool comAtualizador) {
        banco = std::make_unique<BancoTeste>("INSERT INTO VERSAOBD VALUES ('" + versao + "');");
        fs::copy_file(PRAXO_BIBLIOTECA, fs::path(banco->Pasta()) / "PraxoLib.dll");
        fs::create_directory(servidor.Caminho() / "app");
        pastaServidor = (servidor.Caminho() / "app").string();
        if (comAtualizador) testes::EscreveArquivo(fs::path(pastaServidor) / "AtualizaPraxo.exe", "");
        // Saved in Windows-1252, as the suite's own tools save it.
        banco->EscreveIni("[EMPRESA]\nDatabase=" + banco->Arquivo() + "\nServidor Aplica\xE7\xE3o=" +
                          pastaServidor + "\n");
        dm = banco->Modulo();
    }
    std::unique_ptr<BancoTeste> banco;
    testes::PastaTemporaria servidor;
    std::string pastaServidor;
    std::unique_ptr<TFDMExporta> dm;
    PlataformaGravada plataforma;
    const std::string legenda = "PRAXO - Exportação de Dados para Sintegra - Versão : 1.0.0.1";
};

TEST_F(VerificaVersaoTest, VersaoEmBrancoNaoFazNada) {
    Prepara("   ", true);
    EXPECT_FALSE(dm->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma));
    EXPECT_TRUE(plataforma.mensagens.empty());
    EXPECT_TRUE(plataforma.iniciado.empty());
    EXPECT_EQ(plataforma.terminos, 0);
}

TEST_F(VerificaVersaoTest, BibliotecaDizQueNaoHaAtualizacao) {
    Prepara("1.0.0.1", true);
    EXPECT_FALSE(dm->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma));
    EXPECT_TRUE(plataforma.mensagens.empty());
    EXPECT_TRUE(plataforma.iniciado.empty());
    EXPECT_EQ(plataforma.terminos, 0);
}

TEST_F(VerificaVersaoTest, AtualizacaoPendenteIniciaOAtualizadorETermina) {
    Prepara(" 1.2.0.0 ", true);
    EXPECT_TRUE(dm->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma));
    EXPECT_TRUE(plataforma.mensagens.empty());
    EXPECT_EQ(plataforma.terminos, 1);
    EXPECT_EQ(plataforma.iniciado, pastaServidor + "/AtualizaPraxo.exe");
    const std::string exe = CaminhoDoExecutavel();
    const std::vector<std::string> esperado = {
        exe, pastaServidor + "/" + fs::path(exe).filename().string(), "TFrmPrincipal", "PRAXO", "-",
        "Exportação", "de", "Dados", "para", "Sintegra", "-", "Versão", ":", "1.0.0.1"};
    EXPECT_EQ(plataforma.argumentos, esperado);
}

TEST_F(VerificaVersaoTest, AtualizadorAusenteAvisaUmaVezETermina) {
    Prepara("2.0", false);
    EXPECT_FALSE(dm->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma));
    ASSERT_EQ(plataforma.mensagens.size(), 1u);
    EXPECT_EQ(plataforma.mensagens[0],
              "PRAXO|A versão atual do sistema está desatualizada.\r"
              "Porém, o programa de atualização (ATUALIZAPRAXO.Exe) não foi localizado no SERVIDOR.\r"
              "Não será possível atualizar/executar o sistema agora.\r"
              "Contate o suporte técnico para resolver o problema.");
    EXPECT_EQ(plataforma.icones[0], IconeMensagem::Aviso);
    EXPECT_EQ(plataforma.terminos, 1);
    EXPECT_TRUE(plataforma.iniciado.empty());
}

TEST_F(VerificaVersaoTest, TabelaVaziaEColunaAusente) {
    Prepara("1.0.0.1", true);
    banco.reset();
    BancoTeste vazio;
    auto outro = vazio.Modulo();
    EXPECT_FALSE(outro->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma));
    EXPECT_THROW(outro->VerificaNovaVersao("VERSAO_OUTRA", legenda, "1.0.0.1", plataforma), fb::ErroBanco);
}

TEST_F(VerificaVersaoTest, BibliotecaAusenteEErro) {
    Prepara("2.0", true);
    fs::remove(fs::path(banco->Pasta()) / "PraxoLib.dll");
    EXPECT_THROW(dm->VerificaNovaVersao("VERSAO_SIN", legenda, "1.0.0.1", plataforma), ErroPraxoLib);
    EXPECT_EQ(plataforma.terminos, 0);
}

TEST(ProcessoTest, IniciaSemShellESemEsperar) {
    testes::PastaTemporaria pasta;
    const auto saida = pasta.Caminho() / "argumentos.txt";
    const auto script = pasta.Caminho() / "atualiza.sh";
    testes::EscreveArquivo(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + saida.string() + ".tmp && mv " +
                                       saida.string() + ".tmp " + saida.string() + "\n");
    fs::permissions(script, fs::perms::owner_all);
    IniciaProcessoDestacado(script.string(), {"a b", "$HOME", "c"});
    for (int i = 0; i < 100 && !fs::exists(saida); ++i) ::usleep(20000);
    std::ifstream f(saida);
    std::stringstream s;
    s << f.rdbuf();
    EXPECT_EQ(s.str(), "a b\n$HOME\nc\n");
    EXPECT_THROW(IniciaProcessoDestacado((pasta.Caminho() / "nao-existe").string(), {}), std::runtime_error);
}

}  // namespace
