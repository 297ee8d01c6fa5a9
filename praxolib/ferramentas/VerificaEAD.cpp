// Checks the EAD signature line of a file signed by the stand-in library.
//   VerificaEAD ARQUIVO [CHAVE_PUBLICA.pem]
// Exit status 0 when the signature matches, 1 when it does not, 2 on misuse.
#include "Assinatura.h"
#include "ChaveDemo.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

bool Le(const char* caminho, std::string& conteudo) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) return false;
    std::ostringstream s;
    s << f.rdbuf();
    conteudo = s.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "uso: VerificaEAD ARQUIVO [CHAVE_PUBLICA.pem]\n";
        return 2;
    }
    std::string conteudo, chave = ChavePublicaDemo;
    if (!Le(argv[1], conteudo)) {
        std::cerr << "Não foi possível ler " << argv[1] << "\n";
        return 2;
    }
    if (argc == 3 && !Le(argv[2], chave)) {
        std::cerr << "Não foi possível ler " << argv[2] << "\n";
        return 2;
    }
    switch (VerificaEAD(conteudo, chave)) {
        case ResultadoVerificacao::Valida:
            std::cout << "Assinatura válida: " << argv[1] << "\n";
            return 0;
        case ResultadoVerificacao::Invalida:
            std::cout << "Assinatura INVÁLIDA: " << argv[1] << "\n";
            return 1;
        case ResultadoVerificacao::SemRegistroEAD:
            std::cout << "Sem registro EAD: " << argv[1] << "\n";
            return 1;
    }
    return 1;
}
