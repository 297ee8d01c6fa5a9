// Creates a Firebird database (embedded engine for a local path, or a server
// for host:path) and runs SQL scripts on it.
//   CriaBanco [--usuario U] [--senha S] [--substitui] BANCO [SCRIPT.sql ...]
#include "Firebird.h"
#include "Script.h"

#include <cstring>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    fb::Credenciais c{"PRAXO", "varelomi", {}};
    bool substitui = false;
    std::string banco;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--usuario" && i + 1 < argc)
            c.usuario = argv[++i];
        else if (a == "--senha" && i + 1 < argc)
            c.senha = argv[++i];
        else if (a == "--substitui")
            substitui = true;
        else if (banco.empty())
            banco = a;
        else
            scripts.push_back(a);
    }
    if (banco.empty()) {
        std::cerr << "uso: CriaBanco [--usuario U] [--senha S] [--substitui] BANCO [SCRIPT.sql ...]\n";
        return 2;
    }
    try {
        if (fb::BancoLocal(banco) && std::filesystem::exists(banco)) {
            if (!substitui) {
                std::cerr << "O banco " << banco << " já existe (use --substitui).\n";
                return 1;
            }
            std::filesystem::remove(banco);
        }
        auto conexao = fb::Conexao::Cria(banco, c);
        for (const auto& s : scripts) ExecutaArquivoScript(conexao, s);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
