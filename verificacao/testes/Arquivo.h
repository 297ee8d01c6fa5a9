// A small clean Sintegra file written by the program's own writer, and the
// means to spoil one field of it and check the result.
#pragma once

#include "../../sintegra/testes/Auxiliar.h"
#include "Sintegra.h"
#include "Verificacao.h"

#include <algorithm>
#include <sstream>
#include <tuple>

namespace verificacao::testes {

using sintegra::testes::LeArquivo;
using sintegra::testes::PastaTemporaria;

inline sintegra::Data D(int a, int m, int d) {
    return std::chrono::year_month_day{std::chrono::year{a}, std::chrono::month{static_cast<unsigned>(m)},
                                       std::chrono::day{static_cast<unsigned>(d)}};
}

// Lines of the clean file, by number:
//  1 10 | 2 11 | 3 50 exit 120 | 4 50 entry 451 | 5 50 without items 205 |
//  6-8 54 of 120 (P1, P2, freight 991) | 9 54 of 451 (P3) | 10 60M | 11-12 60A |
// 13 60D | 14 60I | 15 60R | 16 61 | 17 61R (P4) | 18 74 (P5) | 19-23 75 P1..P5 |
// 24 88EC | 25 88SF | 26-33 90: 50, 54, 60, 61, 74, 75, 88, 99.
inline std::string ConteudoLimpo() {
    static const std::string conteudo = [] {
        PastaTemporaria pasta;
        sintegra::tSintegra s(pasta.Prefixo());
        if (!s.AbreArquivo("LIMPO.TXT")) throw std::runtime_error("clean file");
        const std::string cnpj = "83.512.494/0001-10", ie = "254.356.710";
        s.Registro10(cnpj, ie, "EMPÓRIO BOA VISTA LTDA", "FLORIANÓPOLIS", "SC", "4832223345", D(2010, 3, 1),
                     D(2010, 3, 31), 3, 3, 1);
        s.Registro11("RUA FELIPE SCHMIDT", "515", "", "CENTRO", "88010001", "JOÃO DA SILVA", "04832223344");
        s.Registro50("22333444000181", "253.987.652", D(2010, 3, 8), "SC", "01", "1", "120", "5102", "P", 110, 100,
                     17, 0, 10, 17, "N");
        s.Registro50("76543210000198", "90123456-63", D(2010, 3, 5), "PR", "01", "2", "451", "2102", "T", 50, 50, 6,
                     0, 0, 12, "N");
        s.Registro50("22333444000181", "", D(2010, 3, 12), "SC", "55", "1", "205", "5929", "P", 0, 0, 0, 0, 0, 0,
                     "N");
        s.Registro54("22333444000181", "01", "1", "120", "5102", "000", "1", "P1", 2, 60, 0, 60, 0, 0, 17);
        s.Registro54("22333444000181", "01", "1", "120", "5102", "000", "2", "P2", 1, 40, 0, 40, 0, 0, 17);
        s.Registro54("22333444000181", "01", "1", "120", "5102", "", "991", "", 0, 0, 10, 0, 0, 0, 0);
        s.Registro54("76543210000198", "01", "2", "451", "2102", "000", "1", "P3", 5, 50, 0, 50, 0, 0, 12);
        const std::string ecf = "BE051075600000012345";
        s.Registro60M(ecf, "1", D(2010, 3, 15), "2D", 100, 110, 20, 1, 70, 1500);
        s.Registro60A(ecf, "1700", D(2010, 3, 15), 50);
        s.Registro60A(ecf, "FF", D(2010, 3, 15), 20);
        s.Registro60D(ecf, "P1", D(2010, 3, 15), "1700", 1, 30, 30, 5.1);
        s.Registro60I(ecf, "2D", D(2010, 3, 15), "P1", "1700", 105, 1, 1, 30, 30, 5.1);
        s.Registro60R("032010", "P1", "1700", 1, 30, 30);
        s.Registro61(2, "D  ", D(2010, 3, 12), 501, 502, 20, 20, 3.4, 0, 0, 17);
        s.Registro61R(3, 2010, "P4", 2, 20, 20, 17);
        s.Registro74("P5", D(2010, 3, 31), "SC", 3, 45);
        for (const char* p : {"P1", "P2", "P3", "P4", "P5"})
            s.Registro75(p, "", D(2010, 3, 1), D(2010, 3, 31), std::string("PRODUTO ") + p, "UN", 0, 17, 0, 0);
        s.Registro88EC("MARIA APARECIDA", "529.982.247-25", "SC-012345", "4832224455", "maria@contabil.com.br", "1");
        s.Registro88SF();
        s.Registro90(cnpj, ie, "50", s.Qtd50());
        s.Registro90(cnpj, ie, "54", s.Qtd54());
        s.Registro90(cnpj, ie, "60", s.Qtd60());
        s.Registro90(cnpj, ie, "61", s.Qtd61());
        s.Registro90(cnpj, ie, "74", s.Qtd74());
        s.Registro90(cnpj, ie, "75", s.Qtd75());
        s.Registro90(cnpj, ie, "88", s.Qtd88());
        s.Registro90(cnpj, ie, "99", s.QtdTotal() + 3);
        s.FechaArquivo();
        return LeArquivo(pasta.Caminho() / "LIMPO.TXT");
    }();
    return conteudo;
}

// The clean file's lines, each with its CR LF.
inline std::vector<std::string> LinhasLimpas() {
    std::vector<std::string> linhas;
    const std::string c = ConteudoLimpo();
    for (std::size_t i = 0; i < c.size();) {
        const std::size_t fim = c.find('\n', i);
        linhas.push_back(c.substr(i, fim - i + 1));
        i = fim + 1;
    }
    return linhas;
}

inline std::string Junta(const std::vector<std::string>& linhas) {
    std::string r;
    for (const auto& l : linhas) r += l;
    return r;
}

// Writes `texto` over line `n` (1-based) from position `posicao` on.
inline void Troca(std::vector<std::string>& linhas, int n, int posicao, const std::string& texto) {
    linhas.at(static_cast<std::size_t>(n - 1)).replace(static_cast<std::size_t>(posicao - 1), texto.size(), texto);
}

inline std::vector<Achado> Verifica(const std::string& conteudo, std::size_t pedaco = 0) {
    std::vector<Achado> achados;
    TVerificadorSintegra v([&](const Achado& a) { achados.push_back(a); });
    if (pedaco == 0) {
        v.Trecho(conteudo.data(), conteudo.size());
    } else {
        for (std::size_t i = 0; i < conteudo.size(); i += pedaco)
            v.Trecho(conteudo.data() + i, std::min(pedaco, conteudo.size() - i));
    }
    v.Termina();
    return achados;
}

// What a test expects of a finding: line, record, first position, level.
using Esperado = std::tuple<std::uint64_t, std::string, int, Nivel>;

inline std::vector<Esperado> Resumidos(const std::vector<Achado>& achados) {
    std::vector<Esperado> r;
    for (const auto& a : achados) r.emplace_back(a.Linha, a.Registro, a.Inicio, a.NivelAchado);
    std::sort(r.begin(), r.end());
    return r;
}

inline std::string Lista(const std::vector<Achado>& achados) {
    std::string r;
    for (const auto& a : achados) r += "  " + TextoAchado(a) + "\n";
    return r;
}

}  // namespace verificacao::testes
