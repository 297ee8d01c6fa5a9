#include "Codigos.h"

#include "Campos.h"

#include <array>
#include <span>
#include <utility>

namespace verificacao {

namespace {

// The groups of the national CFOP table, by the last three digits. The same
// groups serve the operations within the state, with other states and abroad;
// the few codes of a group that a direction lacks are not told apart.
constexpr std::pair<int, int> GruposEntrada[] = {
    {101, 135}, {151, 159}, {201, 212}, {251, 258}, {301, 306}, {351, 360},
    {401, 415}, {451, 452}, {501, 506}, {551, 557}, {601, 605}, {651, 664},
    {901, 934}, {949, 949},
};
constexpr std::pair<int, int> GruposSaida[] = {
    {101, 125}, {151, 159}, {201, 210}, {251, 258}, {301, 307}, {351, 360},
    {401, 415}, {451, 451}, {501, 505}, {551, 557}, {601, 606}, {651, 667},
    {901, 934}, {949, 949},
};

struct Faixa {
    int de, ate;  // first five digits of the CEP
};
struct FaixasUF {
    std::string_view uf;
    std::array<Faixa, 2> faixas;
};
constexpr FaixasUF CEPs[] = {
    {"SP", {{{1000, 19999}, {0, -1}}}},     {"RJ", {{{20000, 28999}, {0, -1}}}},
    {"ES", {{{29000, 29999}, {0, -1}}}},    {"MG", {{{30000, 39999}, {0, -1}}}},
    {"BA", {{{40000, 48999}, {0, -1}}}},    {"SE", {{{49000, 49999}, {0, -1}}}},
    {"PE", {{{50000, 56999}, {0, -1}}}},    {"AL", {{{57000, 57999}, {0, -1}}}},
    {"PB", {{{58000, 58999}, {0, -1}}}},    {"RN", {{{59000, 59999}, {0, -1}}}},
    {"CE", {{{60000, 63999}, {0, -1}}}},    {"PI", {{{64000, 64999}, {0, -1}}}},
    {"MA", {{{65000, 65999}, {0, -1}}}},    {"PA", {{{66000, 68899}, {0, -1}}}},
    {"AP", {{{68900, 68999}, {0, -1}}}},    {"AM", {{{69000, 69299}, {69400, 69899}}}},
    {"RR", {{{69300, 69399}, {0, -1}}}},    {"AC", {{{69900, 69999}, {0, -1}}}},
    {"DF", {{{70000, 72799}, {73000, 73699}}}}, {"GO", {{{72800, 72999}, {73700, 76799}}}},
    {"RO", {{{76800, 76999}, {0, -1}}}},    {"TO", {{{77000, 77999}, {0, -1}}}},
    {"MT", {{{78000, 78899}, {0, -1}}}},    {"MS", {{{79000, 79999}, {0, -1}}}},
    {"PR", {{{80000, 87999}, {0, -1}}}},    {"SC", {{{88000, 89999}, {0, -1}}}},
    {"RS", {{{90000, 99999}, {0, -1}}}},
};


}  // namespace

bool CFOPExiste(std::string_view cfop) {
    if (cfop.size() != 4) return false;
    int n = 0;
    for (char c : cfop) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    const int direcao = n / 1000, resto = n % 1000;
    const bool entrada = direcao >= 1 && direcao <= 3;
    const bool saida = direcao >= 5 && direcao <= 7;
    if (!entrada && !saida) return false;
    for (auto [de, ate] : entrada ? std::span<const std::pair<int, int>>(GruposEntrada)
                                  : std::span<const std::pair<int, int>>(GruposSaida))
        if (resto >= de && resto <= ate) return true;
    return false;
}

bool CEPDaUF(std::string_view cep, std::string_view uf) {
    if (cep.size() < 5) return false;
    int n = 0;
    for (char c : cep.substr(0, 5)) n = n * 10 + (c - '0');
    for (const auto& e : CEPs) {
        if (e.uf != uf) continue;
        for (const auto& f : e.faixas)
            if (n >= f.de && n <= f.ate) return true;
        return false;
    }
    return true;
}

bool ByteIndefinido(unsigned char c) { return sintegra::ByteIndefinido1252(c); }

std::string ParaUTF8(std::string_view s) { return sintegra::Windows1252ParaUtf8(s, U'\uFFFD'); }

}  // namespace verificacao
