// The output file: created beside its target, put under its real name only
// when complete, abandoned without touching an earlier file, failures raised.
#include "Auxiliar.h"

#include "Sintegra.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sintegra {
namespace {

namespace fs = std::filesystem;

Data D(int a, unsigned m, unsigned d) {
    return Data{std::chrono::year{a}, std::chrono::month{m}, std::chrono::day{d}};
}

void EscreveUmaLinha(tSintegra& s) {
    s.Registro75("P1", "", D(2010, 3, 1), D(2010, 3, 31), "NOVO", "UN", 0, 0, 0, 0);
}

void CriaArquivo(const fs::path& p, const std::string& conteudo) {
    std::ofstream(p, std::ios::binary) << conteudo;
}

std::size_t ArquivosNaPasta(const fs::path& p) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(p), {}));
}

TEST(ArquivoTest, NomeCompletoEOCaminhoSeguidoDoNome) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("SINTEGRA_1_Março_2010.TXT"));
    EXPECT_EQ(s.NomeArquivoCompleto(), pasta.Prefixo() + "SINTEGRA_1_Março_2010.TXT");
    s.FechaArquivo();
    EXPECT_TRUE(fs::exists(pasta.Caminho() / "SINTEGRA_1_Março_2010.TXT"));
    EXPECT_EQ(s.NomeArquivoCompleto(), pasta.Prefixo() + "SINTEGRA_1_Março_2010.TXT");
}

TEST(ArquivoTest, SubstituiArquivoExistenteSoAoFechar) {
    testes::PastaTemporaria pasta;
    const auto alvo = pasta.Caminho() / "S.TXT";
    CriaArquivo(alvo, "ARQUIVO ANTERIOR\r\n");
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("S.TXT"));
    EscreveUmaLinha(s);
    EXPECT_EQ(testes::LeArquivo(alvo), "ARQUIVO ANTERIOR\r\n");  // untouched while writing
    s.FechaArquivo();
    const auto linhas = testes::LinhasDoArquivo(alvo);
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_EQ(linhas[0].substr(0, 2), "75");
    EXPECT_EQ(ArquivosNaPasta(pasta.Caminho()), 1u);  // no temporary file left
}

TEST(ArquivoTest, AbandonarDeixaOArquivoAnteriorComoEstava) {
    testes::PastaTemporaria pasta;
    const auto alvo = pasta.Caminho() / "A.TXT";
    CriaArquivo(alvo, "ANTERIOR");
    {
        tSintegra s(pasta.Prefixo());
        ASSERT_TRUE(s.AbreArquivo("A.TXT"));
        EscreveUmaLinha(s);
        EXPECT_TRUE(fs::exists(s.NomeArquivoTemporario()));
        s.AbandonaArquivo();
        EXPECT_FALSE(s.ArquivoAberto());
        s.AbandonaArquivo();  // twice is harmless
    }
    EXPECT_EQ(testes::LeArquivo(alvo), "ANTERIOR");
    EXPECT_EQ(ArquivosNaPasta(pasta.Caminho()), 1u);
}

TEST(ArquivoTest, WriterDestruidoSemFecharAbandonaOArquivo) {
    testes::PastaTemporaria pasta;
    {
        tSintegra s(pasta.Prefixo());
        ASSERT_TRUE(s.AbreArquivo("X.TXT"));
        for (int i = 0; i < 5000; ++i) EscreveUmaLinha(s);  // past the first flush
    }
    EXPECT_EQ(ArquivosNaPasta(pasta.Caminho()), 0u);
}

TEST(ArquivoTest, PastaInexistenteNaoCriaEAvisa) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo() + "nao-existe/");
    EXPECT_FALSE(s.AbreArquivo("N.TXT"));
    EXPECT_FALSE(s.ArquivoAberto());
    EXPECT_EQ(s.MensagemFalhaCriacao(), "Não foi possível criar o arquivo " + pasta.Prefixo() +
                                            "nao-existe/N.TXT no caminho especificado.");
    // A record written on a writer that is not open fails; it does not vanish.
    EXPECT_THROW(EscreveUmaLinha(s), ErroArquivo);
    EXPECT_THROW(s.FechaArquivo(), ErroArquivo);
}

TEST(ArquivoTest, RegistroAntesDeAbrirEErro) {
    tSintegra s("/tmp/");
    EXPECT_THROW(s.Registro88SF(), ErroArquivo);
}

TEST(ArquivoTest, LinhasSaoSempre126MaisCRLF) {
    testes::PastaTemporaria pasta;
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("L.TXT"));
    const std::string longo(300, 'X');
    const std::string acentos = "ÇÃÉÍÓÚ€✓\r\n";
    // Texts of every length; numbers as large as their fields hold.
    for (const auto& t : {std::string(), longo, acentos}) {
        s.Registro10(t, t, t, t, t, t, D(2010, 3, 1), D(2010, 3, 31), 9, 9, 0);
        s.Registro11(t, t, t, t, t, t, t);
        s.Registro50(t, t, D(2010, 3, 1), t, t, t, t, t, t, -99999999999.99, 99999999999.994, 0,
                     0, 0, 99.99, t);
        s.Registro54(t, t, t, t, t, t, t, t, 99999999.999, 0, 0, 0, 0, 0, 99.994);
        s.Registro60M(t, t, D(2010, 3, 1), t, 0, 999999, 0, 999, 0, 99999999999999.99);
        s.Registro60A(t, t, D(2010, 3, 1), 0);
        s.Registro60D(t, t, D(2010, 3, 1), t, 0, 0, 0, 0);
        s.Registro60I(t, t, D(2010, 3, 1), t, t, 999999, 999, 0, 0, 0, 0);
        s.Registro60R(t, t, t, 0, 0, 0);
        s.Registro61(99, t, D(2010, 3, 1), 0, 999999, 0, 0, 0, 0, 0, 0);
        s.Registro61R(12, 201, t, 0, 0, 0, 0);
        s.Registro74(t, D(2010, 3, 1), t, 0, 0);
        s.Registro75(t, t, D(2010, 3, 1), D(2010, 3, 1), t, t, 0, 0, 0, 0);
        s.Registro88EC(t, t, t, t, t, t);
        s.Registro88SME(t, t);
        s.Registro88SMS(t, t);
        s.Registro90(t, t, t, 99999999);
    }
    s.FechaArquivo();
    EXPECT_EQ(testes::LinhasDoArquivo(pasta.Caminho() / "L.TXT").size(), 51u);
}

// A full disk: the file-size limit makes the write fail as a full disk would.
TEST(ArquivoTest, FalhaDeGravacaoNomeiaOArquivoENadaFica) {
    testes::PastaTemporaria pasta;
    const auto alvo = pasta.Caminho() / "F.TXT";
    CriaArquivo(alvo, "ANTERIOR");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit anterior{};
    ::getrlimit(RLIMIT_FSIZE, &anterior);
    rlimit limite = anterior;
    limite.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);

    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("F.TXT"));
    for (int i = 0; i < 20; ++i) EscreveUmaLinha(s);
    std::string mensagem;
    try {
        s.FechaArquivo();
    } catch (const ErroArquivo& e) {
        mensagem = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &anterior);
    EXPECT_NE(mensagem.find(alvo.string()), std::string::npos) << mensagem;
    EXPECT_NE(mensagem.find("o arquivo ficou grande demais"), std::string::npos) << mensagem;
    EXPECT_EQ(testes::LeArquivo(alvo), "ANTERIOR");
    EXPECT_EQ(ArquivosNaPasta(pasta.Caminho()), 1u);
}

TEST(ArquivoTest, PastaRemovidaAntesDeFecharEErroNoFechamento) {
    testes::PastaTemporaria pasta;
    fs::create_directory(pasta.Caminho() / "saida");
    tSintegra s(pasta.Prefixo() + "saida/");
    ASSERT_TRUE(s.AbreArquivo("G.TXT"));
    EscreveUmaLinha(s);
    fs::rename(pasta.Caminho() / "saida", pasta.Caminho() / "outra");
    try {
        s.FechaArquivo();
        FAIL() << "closing into a folder that is gone must fail";
    } catch (const ErroArquivo& e) {
        EXPECT_NE(std::string(e.what()).find(pasta.Prefixo() + "saida/G.TXT"), std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(s.ArquivoAberto());
}

// Temporary files of this target whose process is gone are removed when the
// next run opens it; one of a living process, and other files, stay.
TEST(ArquivoTest, TemporariosAbandonadosSaoRemovidos) {
    testes::PastaTemporaria pasta;
    // A process that has ended: its pid is free.
    const pid_t morto = ::fork();
    if (morto == 0) ::_exit(0);
    ::waitpid(morto, nullptr, 0);
    const std::string abandonado = "S.TXT.~" + std::to_string(morto) + "-0.tmp";
    const std::string vivo = "S.TXT.~" + std::to_string(::getppid()) + "-3.tmp";
    for (const auto& nome : {abandonado, vivo, std::string("OUTRO.TXT.~1-0.tmp"), std::string("S.TXT.~x-0.tmp")})
        CriaArquivo(pasta.Caminho() / nome, "PARCIAL");
    tSintegra s(pasta.Prefixo());
    ASSERT_TRUE(s.AbreArquivo("S.TXT"));
    EscreveUmaLinha(s);
    s.FechaArquivo();
    EXPECT_FALSE(fs::exists(pasta.Caminho() / abandonado));
    EXPECT_TRUE(fs::exists(pasta.Caminho() / vivo));
    EXPECT_TRUE(fs::exists(pasta.Caminho() / "OUTRO.TXT.~1-0.tmp"));
    EXPECT_TRUE(fs::exists(pasta.Caminho() / "S.TXT.~x-0.tmp"));
}

}  // namespace
}  // namespace sintegra
