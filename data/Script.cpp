#include "Script.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string Apara(const std::string& s) {
    const auto i = s.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(" \t\r\n") - i + 1);
}

bool ComecaCom(const std::string& s, const char* prefixo) {
    std::size_t i = 0;
    for (; prefixo[i]; ++i) {
        if (i >= s.size()) return false;
        char c = s[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefixo[i]) return false;
    }
    return true;
}

}  // namespace

bool ComecaComentario(std::string_view sql, std::size_t i) {
    return i + 1 < sql.size() && ((sql[i] == '-' && sql[i + 1] == '-') || (sql[i] == '/' && sql[i + 1] == '*'));
}

std::size_t FimDeTextoOuComentario(std::string_view sql, std::size_t i) {
    if (i >= sql.size()) return i;
    const char c = sql[i];
    std::size_t fim = std::string_view::npos, depois = 0;
    if (c == '\'' || c == '"') {
        fim = sql.find(c, i + 1);
        depois = 1;
    } else if (ComecaComentario(sql, i) && c == '-') {
        fim = sql.find('\n', i);
    } else if (ComecaComentario(sql, i)) {
        fim = sql.find("*/", i + 2);
        depois = 2;
    } else {
        return i;
    }
    return fim == std::string_view::npos ? sql.size() : fim + depois;
}

std::vector<std::string> DivideScript(const std::string& texto) {
    std::vector<std::string> comandos;
    std::string terminador = ";";
    std::string atual;
    for (std::size_t i = 0; i < texto.size();) {
        const char c = texto[i];
        if (const auto fim = FimDeTextoOuComentario(texto, i); fim != i) {
            if (!ComecaComentario(texto, i)) atual.append(texto, i, fim - i);  // comments are left out
            i = fim;
        } else if (texto.compare(i, terminador.size(), terminador) == 0) {
            const std::string comando = Apara(atual);
            atual.clear();
            i += terminador.size();
            if (comando.empty()) continue;
            if (ComecaCom(comando, "SET TERM")) {
                terminador = Apara(comando.substr(8));
                continue;
            }
            comandos.push_back(comando);
        } else {
            atual += c;
            ++i;
        }
    }
    if (!Apara(atual).empty()) comandos.push_back(Apara(atual));
    return comandos;
}

void ExecutaScript(fb::Conexao& conexao, const std::string& texto) {
    for (const auto& comando : DivideScript(texto)) {
        if (ComecaCom(comando, "COMMIT")) continue;  // every statement commits itself
        try {
            conexao.Executa(comando);
        } catch (const fb::ErroBanco& e) {
            throw fb::ErroBanco(std::string(e.what()) + "\nno comando:\n" + comando);
        }
    }
}

void ExecutaArquivoScript(fb::Conexao& conexao, const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw std::runtime_error("Não foi possível ler o script " + caminho);
    std::ostringstream s;
    s << f.rdbuf();
    ExecutaScript(conexao, s.str());
}
