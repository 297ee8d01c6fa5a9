// Test databases: a fresh embedded database with the suite's schema (and,
// when asked, a fixture script), in a scratch folder that also holds the
// dbxconnections.ini pointing at it, as the program's folder would.
#pragma once

#include "DMNelvora.h"
#include "Firebird.h"
#include "Script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace testes {

namespace fs = std::filesystem;

inline const fs::path PastaSql = PRAXO_PASTA_SQL;

class PastaTemporaria {
public:
    PastaTemporaria() {
        std::string modelo = (fs::temp_directory_path() / "praxo-teste-XXXXXX").string();
        if (!::mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        caminho_ = modelo;
    }
    ~PastaTemporaria() {
        std::error_code e;
        fs::remove_all(caminho_, e);
    }
    const fs::path& Caminho() const { return caminho_; }
    std::string Prefixo() const { return caminho_.string() + "/"; }

private:
    fs::path caminho_;
};

inline void EscreveArquivo(const fs::path& p, const std::string& conteudo) {
    std::ofstream(p, std::ios::binary) << conteudo;
}

// A database with the schema only, built once per test program and copied
// for each test (copying a closed database file is much faster than creating it).
inline const fs::path& Modelo() {
#ifdef PRAXO_MODELO_TESTE
    static const fs::path construido = PRAXO_MODELO_TESTE;
    if (fs::exists(construido)) return construido;
#endif
    static PastaTemporaria pasta;
    static const fs::path modelo = [] {
        const fs::path p = pasta.Caminho() / "modelo.fdb";
        auto c = fb::Conexao::Cria(p.string(), {"PRAXO", "varelomi", {}});
        ExecutaArquivoScript(c, (PastaSql / "esquema.sql").string());
        return p;
    }();
    return modelo;
}

class BancoTeste {
public:
    // `fixture` is SQL run after the schema; with `demo` the demo data set first.
    explicit BancoTeste(const std::string& fixture = {}, bool demo = false) {
        arquivo_ = pasta_.Caminho() / "empresa.fdb";
        fs::copy_file(Modelo(), arquivo_);
        if (demo || !fixture.empty()) {
            auto c = fb::Conexao::Abre(arquivo_.string(), {"PRAXO", "varelomi", {}});
            if (demo) ExecutaArquivoScript(c, (PastaSql / "demo.sql").string());
            if (!fixture.empty()) ExecutaScript(c, fixture);
        }
        EscreveIni("[EMPRESA]\nDriverName=Interbase\nDatabase=" + arquivo_.string() +
                   "\nSQLDialect=3\n");
    }
    void EscreveIni(const std::string& conteudo) const {
        EscreveArquivo(pasta_.Caminho() / "dbxconnections.ini", conteudo);
    }
    std::string Pasta() const { return pasta_.Prefixo(); }
    std::string Arquivo() const { return arquivo_.string(); }
    std::unique_ptr<TFDMExporta> Modulo() const { return std::make_unique<TFDMExporta>(Pasta()); }

private:
    PastaTemporaria pasta_;
    fs::path arquivo_;
};

}  // namespace testes
