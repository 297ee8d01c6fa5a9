// Helpers shared by the writer's tests: a scratch folder and the lines of a file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sintegra::testes {

class PastaTemporaria {
public:
    PastaTemporaria() {
        std::string modelo = (std::filesystem::temp_directory_path() / "sintegra-XXXXXX").string();
        if (!::mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        caminho_ = modelo;
    }
    ~PastaTemporaria() {
        std::error_code e;
        std::filesystem::remove_all(caminho_, e);
    }
    const std::filesystem::path& Caminho() const { return caminho_; }
    std::string Prefixo() const { return caminho_.string() + "/"; }

private:
    std::filesystem::path caminho_;
};

inline std::string LeArquivo(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Splits a Sintegra file into its lines, checking that every line is exactly
// 126 bytes followed by CR LF.
inline std::vector<std::string> LinhasDoArquivo(const std::filesystem::path& p) {
    const std::string conteudo = LeArquivo(p);
    std::vector<std::string> linhas;
    std::size_t i = 0;
    while (i < conteudo.size()) {
        const auto fim = conteudo.find("\r\n", i);
        if (fim == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF: " << conteudo.substr(i);
            break;
        }
        linhas.push_back(conteudo.substr(i, fim - i));
        EXPECT_EQ(fim - i, 126u) << "line " << linhas.size() << ": [" << linhas.back() << "]";
        i = fim + 2;
    }
    return linhas;
}

// The field at 1-based inclusive positions, as the layouts number them.
inline std::string Campo(const std::string& linha, int inicio, int fim) {
    return linha.substr(static_cast<std::size_t>(inicio - 1),
                        static_cast<std::size_t>(fim - inicio + 1));
}

}  // namespace sintegra::testes
