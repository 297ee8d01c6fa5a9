// An ini-format file read by section and key, as dbxconnections.ini is: section
// and key names compared without regard to case, the first matching line wins,
// blank lines and comment lines (";" or "#") are not entries. The file may be
// saved in UTF-8 or in Windows-1252; its text is held as UTF-8.
#pragma once

#include "Campos.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TArquivoIni {
public:
    using Entrada = std::pair<std::string, std::string>;  // key, value

    // The file's contents, or nothing when the file does not exist or cannot be read.
    static std::optional<TArquivoIni> Le(const std::string& caminho);
    static TArquivoIni DeTexto(std::string_view conteudo);

    bool TemSecao(std::string_view secao) const;
    // Every key=value entry of the first section of that name, in file order.
    std::vector<Entrada> Secao(std::string_view secao) const;
    // The value of the first matching key, or `padrao`.
    std::string Valor(std::string_view secao, std::string_view chave,
                      const std::string& padrao = {}) const;

private:
    struct Secao_ {
        std::string nome;
        std::vector<Entrada> entradas;
    };
    std::vector<Secao_> secoes_;
};

// Text comparison that ignores the case of ASCII letters.
bool IguaisSemCaixa(std::string_view a, std::string_view b);
// Windows-1252 bytes to UTF-8 (the writer's one table of the code page).
using sintegra::Windows1252ParaUtf8;
bool Utf8Valido(std::string_view texto);
