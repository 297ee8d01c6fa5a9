// The bridge with the stand-in library present, absent, without its entry
// points, and with a library that records how often it is loaded.
#include "Assinatura.h"
#include "ChaveDemo.h"
#include "PontePraxoLib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class PastaTemporaria {
public:
    PastaTemporaria() {
        std::string modelo = (fs::temp_directory_path() / "praxolib-XXXXXX").string();
        if (!::mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        caminho_ = modelo;
    }
    ~PastaTemporaria() { fs::remove_all(caminho_); }
    fs::path Arquivo(const std::string& nome) const { return caminho_ / nome; }
    std::string Prefixo() const { return caminho_.string() + "/"; }

private:
    fs::path caminho_;
};

std::string Le(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void Escreve(const fs::path& p, const std::string& conteudo) {
    std::ofstream(p, std::ios::binary) << conteudo;
}

std::string MensagemDe(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErroPraxoLib& e) {
        return e.what();
    }
    return "(nenhum erro)";
}

const TPontePraxoLib Substituta(PRAXO_PASTA_PROGRAMAS);

TEST(PonteTest, ComparaVersoesParteAParteComoNumeros) {
    struct Caso {
        const char *banco, *programa;
        bool atualizacao;
    } casos[] = {
        {"1.10.0", "1.9.9", true},    {"1.9.9", "1.10.0", false}, {"1.0.0.1", "1.0.0.1", false},
        {"1.0.0.2", "1.0.0.1", true}, {"1.0", "1.0.0.0", false},  {"1.0.0.1", "1.0", true},
        {"2", "1.99.99.99", true},    {"", "1.0.0.1", false},     {"1.0.0.1", "", true},
    };
    for (const auto& c : casos)
        EXPECT_EQ(Substituta.ExisteAtualizacao(c.banco, c.programa), c.atualizacao)
            << c.banco << " vs " << c.programa;
}

TEST(PonteTest, GeraEADAssinaOArquivoEAAssinaturaConfere) {
    PastaTemporaria pasta;
    const auto arquivo = pasta.Arquivo("PAF.TXT");
    const std::string conteudo = std::string(126, '1') + "\r\n" + std::string(126, '9') + "\r\n";
    Escreve(arquivo, conteudo);
    Substituta.GeraEAD("", arquivo.string(), 1);
    const std::string assinado = Le(arquivo);
    ASSERT_EQ(assinado.compare(0, conteudo.size(), conteudo), 0);
    const std::string linha = assinado.substr(conteudo.size());
    EXPECT_EQ(linha.substr(0, 3), "EAD");
    EXPECT_EQ(linha.substr(linha.size() - 2), "\r\n");
    EXPECT_EQ(linha.size(), 3u + 512u + 2u);  // RSA 2048: 256 bytes in hexadecimal
    EXPECT_EQ(VerificaEAD(assinado, ChavePublicaDemo), ResultadoVerificacao::Valida);
    // The command agrees, and refuses a file changed after signing.
    const std::string comando = std::string(PRAXO_PASTA_PROGRAMAS) + "VerificaEAD " + arquivo.string() + " >/dev/null";
    EXPECT_EQ(std::system(comando.c_str()), 0);
    std::string alterado = assinado;
    alterado[5] = '2';
    Escreve(arquivo, alterado);
    EXPECT_EQ(VerificaEAD(alterado, ChavePublicaDemo), ResultadoVerificacao::Invalida);
    EXPECT_NE(std::system(comando.c_str()), 0);
    EXPECT_EQ(VerificaEAD(conteudo, ChavePublicaDemo), ResultadoVerificacao::SemRegistroEAD);
}

TEST(PonteTest, GeraEADDeArquivoInexistenteEErro) {
    PastaTemporaria pasta;
    const auto arquivo = pasta.Arquivo("NAO.TXT");
    EXPECT_NE(MensagemDe([&] { Substituta.GeraEAD("", arquivo.string(), 1); })
                  .find("Não foi possível assinar o arquivo " + arquivo.string()),
              std::string::npos);
    EXPECT_FALSE(fs::exists(arquivo));
}

TEST(PonteTest, BibliotecaAusente) {
    PastaTemporaria pasta;
    const TPontePraxoLib ponte(pasta.Prefixo());
    EXPECT_EQ(ponte.CaminhoBiblioteca(), pasta.Prefixo() + "PraxoLib.dll");
    EXPECT_EQ(MensagemDe([&] { ponte.ExisteAtualizacao("2", "1"); }), "PraxoLib.Dll não disponível.");
    Escreve(pasta.Arquivo("X.TXT"), "x");
    EXPECT_EQ(MensagemDe([&] { ponte.GeraEAD("", pasta.Arquivo("X.TXT").string(), 1); }),
              "PraxoLib.Dll não disponível.");
    EXPECT_EQ(Le(pasta.Arquivo("X.TXT")), "x");
}

TEST(PonteTest, PontoDeEntradaAusente) {
    const TPontePraxoLib ponte(PRAXO_PASTA_SEM_PONTOS);
    EXPECT_EQ(MensagemDe([&] { ponte.ExisteAtualizacao("2", "1"); }),
              "Ponto de Entrada não encontrado na Dll do PRAXO - ExisteAtualizacao");
    EXPECT_EQ(MensagemDe([&] { ponte.GeraEAD("", "/tmp/x", 1); }),
              "Ponto de Entrada não encontrado na Dll do PRAXO - GeraEAD");
}

TEST(PonteTest, CarregaEDescarregaAcadaChamada) {
    PastaTemporaria pasta;
    const auto registro = pasta.Arquivo("registro.txt");
    ::setenv("PRAXOLIB_REGISTRO", registro.c_str(), 1);
    const TPontePraxoLib ponte(PRAXO_PASTA_CONTADORA);
    EXPECT_TRUE(ponte.ExisteAtualizacao("2", "1"));
    EXPECT_TRUE(ponte.ExisteAtualizacao("2", "1"));
    // A failure inside the library reaches the caller, and the library is unloaded all the same.
    EXPECT_EQ(MensagemDe([&] { ponte.GeraEAD("", "/tmp/arquivo.txt", 1); }),
              "Não foi possível assinar o arquivo /tmp/arquivo.txt: arquivo recusado");
    ::unsetenv("PRAXOLIB_REGISTRO");
    EXPECT_EQ(Le(registro),
              "carregada\nExisteAtualizacao\ndescarregada\n"
              "carregada\nExisteAtualizacao\ndescarregada\n"
              "carregada\nGeraEAD\ndescarregada\n");
}

}  // namespace
