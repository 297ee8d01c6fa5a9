// The project's stand-in for the maker's PraxoLib.dll. A site replaces it with
// the maker's real library; this one compares versions and signs files with
// the project's demo key.
#include "Assinatura.h"
#include "ChaveDemo.h"
#include "EntradasPraxoLib.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

thread_local std::string ultimoErro;

std::vector<long> Partes(const char* versao) {
    std::vector<long> partes;
    std::string texto = versao ? versao : "";
    std::istringstream s(texto);
    std::string parte;
    while (std::getline(s, parte, '.')) partes.push_back(std::strtol(parte.c_str(), nullptr, 10));
    return partes;
}

}  // namespace

extern "C" {

// Dotted numbers compared part by part as numbers (1.10.0 is newer than
// 1.9.9); a missing part counts as 0.
bool ExisteAtualizacao(const char* versaoBanco, const char* versaoPrograma) {
    const auto banco = Partes(versaoBanco), programa = Partes(versaoPrograma);
    for (std::size_t i = 0; i < std::max(banco.size(), programa.size()); ++i) {
        const long b = i < banco.size() ? banco[i] : 0;
        const long p = i < programa.size() ? programa[i] : 0;
        if (b != p) return b > p;
    }
    return false;
}

// Appends "EAD" and the signature of the file's content, then CR LF.
bool GeraEAD(const char* /*texto*/, const char* arquivo, unsigned char /*indicador*/) {
    try {
        std::ifstream entrada(arquivo, std::ios::binary);
        if (!entrada) {
            ultimoErro = std::string("arquivo não encontrado: ") + arquivo;
            return false;
        }
        std::ostringstream conteudo;
        conteudo << entrada.rdbuf();
        const std::string linha = "EAD" + AssinaHex(conteudo.str(), ChavePrivadaDemo) + "\r\n";
        std::ofstream saida(arquivo, std::ios::binary | std::ios::app);
        saida << linha;
        saida.flush();
        if (!saida) {
            ultimoErro = std::string("falha ao gravar em ") + arquivo;
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        ultimoErro = e.what();
        return false;
    }
}

const char* UltimoErro() { return ultimoErro.c_str(); }
}
