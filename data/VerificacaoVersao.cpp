#include "VerificacaoVersao.h"

#include "ArquivoIni.h"
#include "DMNelvora.h"
#include "Plataforma.h"

#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <stdexcept>

extern char** environ;

void IniciaProcessoDestacado(const std::string& programa, const std::vector<std::string>& argumentos) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programa.c_str()));
    for (const auto& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    const int erro = ::posix_spawn(&pid, programa.c_str(), nullptr, nullptr, argv.data(), environ);
    if (erro != 0)
        throw std::runtime_error("Não foi possível iniciar " + programa + ": " + std::strerror(erro));
}

namespace {

std::string Apara(const std::string& s) {
    const auto i = s.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(" \t\r\n") - i + 1);
}

}  // namespace

bool TFDMExporta::VerificaNovaVersao(const std::string& coluna, const std::string& legenda,
                                     const std::string& versaoPrograma, TPlataforma& plataforma) {
    // 1. The version the database expects.
    TConjuntoDados consulta("QVersao", "QVersao", {"SELECT " + coluna + " FROM VERSAOBD"},
                            {Texto(coluna, 255)});
    consulta.DefineConexao(&SQLConnectionPRAXO);
    consulta.Abre();
    const std::string versaoBanco = Apara(consulta.Campo(coluna).Texto());
    consulta.Fecha();

    // 2. The application folder on the server, from the same configuration file.
    std::string servidor;
    if (const auto ini = TArquivoIni::Le(ArquivoConfiguracao()))
        servidor = ini->Valor("EMPRESA", "Servidor Aplicação");

    // 3 and 4.
    if (versaoBanco.empty()) return false;
    if (!Ponte.ExisteAtualizacao(versaoBanco, versaoPrograma)) return false;

    // 5. Hand over to the updater and end.
    const std::string atualizador = servidor + "/AtualizaPraxo.exe";
    if (std::filesystem::exists(atualizador)) {
        const std::string executavel = CaminhoDoExecutavel();
        const std::string nome = std::filesystem::path(executavel).filename().string();
        // The updater expects its command line split at the blanks, the
        // caption's words included.
        const std::string linha =
            executavel + " " + servidor + "/" + nome + " TFrmPrincipal " + legenda;
        std::vector<std::string> argumentos;
        std::istringstream palavras(linha);
        for (std::string p; palavras >> p;) argumentos.push_back(p);
        plataforma.IniciaProcesso(atualizador, argumentos);
        plataforma.TerminaAplicacao();
        return true;
    }

    // 6. No updater where it should be.
    plataforma.Mensagem("PRAXO",
                        "A versão atual do sistema está desatualizada.\r"
                        "Porém, o programa de atualização (ATUALIZAPRAXO.Exe) não foi localizado no "
                        "SERVIDOR.\r"
                        "Não será possível atualizar/executar o sistema agora.\r"
                        "Contate o suporte técnico para resolver o problema.",
                        IconeMensagem::Aviso);
    plataforma.TerminaAplicacao();
    return false;
}
