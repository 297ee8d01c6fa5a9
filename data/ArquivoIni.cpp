#include "ArquivoIni.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string_view Apara(std::string_view s) {
    const auto i = s.find_first_not_of(" \t\r");
    if (i == std::string_view::npos) return {};
    const auto f = s.find_last_not_of(" \t\r");
    return s.substr(i, f - i + 1);
}

char Minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IguaisSemCaixa(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Minuscula(a[i]) != Minuscula(b[i])) return false;
    return true;
}

bool Utf8Valido(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size()) {
        const auto b = static_cast<unsigned char>(t[i]);
        const int extras = b < 0x80            ? 0
                           : (b & 0xE0) == 0xC0 ? 1
                           : (b & 0xF0) == 0xE0 ? 2
                           : (b & 0xF8) == 0xF0 ? 3
                                                : -1;
        if (extras < 0 || (extras == 1 && b < 0xC2)) return false;
        if (i + static_cast<std::size_t>(extras) >= t.size() && extras > 0) return false;
        for (int k = 1; k <= extras; ++k)
            if ((static_cast<unsigned char>(t[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extras) + 1;
    }
    return true;
}

std::optional<TArquivoIni> TArquivoIni::Le(const std::string& caminho) {
    std::error_code e;
    if (std::filesystem::is_directory(caminho, e)) return std::nullopt;
    std::ifstream f(caminho, std::ios::binary);
    if (!f) return std::nullopt;
    std::ostringstream s;
    s << f.rdbuf();
    return DeTexto(s.str());
}

TArquivoIni TArquivoIni::DeTexto(std::string_view conteudo) {
    if (conteudo.substr(0, 3) == "\xEF\xBB\xBF") conteudo.remove_prefix(3);
    const std::string texto =
        Utf8Valido(conteudo) ? std::string(conteudo) : Windows1252ParaUtf8(conteudo);
    TArquivoIni ini;
    Secao_* atual = nullptr;
    std::istringstream linhas(texto);
    std::string linha;
    while (std::getline(linhas, linha)) {
        const auto l = Apara(linha);
        if (l.empty() || l[0] == ';' || l[0] == '#') continue;
        if (l.front() == '[') {
            const auto fim = l.find(']');
            ini.secoes_.push_back({std::string(Apara(l.substr(1, fim == std::string_view::npos ? l.size() - 1 : fim - 1))), {}});
            atual = &ini.secoes_.back();
            continue;
        }
        if (!atual) continue;
        const auto igual = l.find('=');
        if (igual == std::string_view::npos) continue;
        atual->entradas.emplace_back(std::string(Apara(l.substr(0, igual))),
                                     std::string(Apara(l.substr(igual + 1))));
    }
    return ini;
}

bool TArquivoIni::TemSecao(std::string_view secao) const {
    for (const auto& s : secoes_)
        if (IguaisSemCaixa(s.nome, secao)) return true;
    return false;
}

std::vector<TArquivoIni::Entrada> TArquivoIni::Secao(std::string_view secao) const {
    for (const auto& s : secoes_)
        if (IguaisSemCaixa(s.nome, secao)) return s.entradas;
    return {};
}

std::string TArquivoIni::Valor(std::string_view secao, std::string_view chave,
                               const std::string& padrao) const {
    for (const auto& [k, v] : Secao(secao))
        if (IguaisSemCaixa(k, chave)) return v;
    return padrao;
}
