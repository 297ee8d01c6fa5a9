#include "Identidades.h"

#include <algorithm>
#include <array>
#include <string>

namespace verificacao {

namespace {

int Digito(char c) { return c - '0'; }

bool SoDigitos(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool TodosIguais(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [&](char c) { return c == s.front(); });
}

// Sum of the digits of `s` from `inicio` multiplied by the weights, in order.
int Soma(std::string_view s, std::initializer_list<int> pesos, std::size_t inicio = 0) {
    int soma = 0;
    std::size_t i = inicio;
    for (int p : pesos) soma += Digito(s[i++]) * p;
    return soma;
}

// The common rule: eleven minus the remainder, 0 when that gives 10 or 11.
int Modulo11(int soma) {
    const int r = soma % 11;
    return r < 2 ? 0 : 11 - r;
}

// Eleven minus the remainder, 10 taken off when it gives 10 or 11.
int Modulo11MenosDez(int soma) {
    const int d = 11 - soma % 11;
    return d >= 10 ? d - 10 : d;
}

// Ten times the sum, remainder by eleven, 10 counted as 0.
int Modulo11VezesDez(int soma) {
    const int d = soma * 10 % 11;
    return d == 10 ? 0 : d;
}

bool Confere(std::string_view s, std::size_t posicao, int digito) { return Digito(s[posicao]) == digito; }

long Numero(std::string_view s) {
    long n = 0;
    for (char c : s) n = n * 10 + Digito(c);
    return n;
}

bool ComecaCom(std::string_view s, std::string_view prefixo) { return s.substr(0, prefixo.size()) == prefixo; }

// Each state's rule on the digits alone (punctuation removed). true when the
// form and the check digits match; `forma` tells which of the two failed.
struct Resultado {
    bool forma = false;
    bool digito = false;
};

Resultado Ok(bool digito) { return {true, digito}; }
Resultado FormaErrada() { return {false, false}; }

Resultado AC(std::string_view s) {
    if (s.size() != 13 || !ComecaCom(s, "01")) return FormaErrada();
    const int d1 = Modulo11(Soma(s, {4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    const int d2 = Modulo11(Soma(s, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    return Ok(Confere(s, 11, d1) && Confere(s, 12, d2));
}

Resultado AL(std::string_view s) {
    if (s.size() != 9 || !ComecaCom(s, "24")) return FormaErrada();
    return Ok(Confere(s, 8, Modulo11VezesDez(Soma(s, {9, 8, 7, 6, 5, 4, 3, 2}))));
}

Resultado AP(std::string_view s) {
    if (s.size() != 9 || !ComecaCom(s, "03")) return FormaErrada();
    const long n = Numero(s.substr(0, 8));
    int p = 0, d = 0;
    if (n >= 3000001 && n <= 3017000) {
        p = 5;
        d = 0;
    } else if (n >= 3017001 && n <= 3019022) {
        p = 9;
        d = 1;
    }
    int dv = 11 - (p + Soma(s, {9, 8, 7, 6, 5, 4, 3, 2})) % 11;
    if (dv == 10) dv = 0;
    else if (dv == 11) dv = d;
    return Ok(Confere(s, 8, dv));
}

Resultado AM(std::string_view s) {
    if (s.size() != 9) return FormaErrada();
    const int soma = Soma(s, {9, 8, 7, 6, 5, 4, 3, 2});
    const int dv = soma < 11 ? 11 - soma : Modulo11(soma);
    return Ok(Confere(s, 8, dv));
}

Resultado BA(std::string_view s) {
    if (s.size() != 8 && s.size() != 9) return FormaErrada();
    // The digit that picks the modulus: the first of eight, the second of nine.
    const char escolha = s.size() == 8 ? s[0] : s[1];
    const bool modulo10 = std::string_view("0123458").find(escolha) != std::string_view::npos;
    auto dv = [&](int soma) {
        if (modulo10) {
            const int r = soma % 10;
            return r == 0 ? 0 : 10 - r;
        }
        return Modulo11(soma);
    };
    if (s.size() == 8) {
        const int segundo = dv(Soma(s, {7, 6, 5, 4, 3, 2}));
        const int primeiro = dv(Soma(s, {8, 7, 6, 5, 4, 3}) + segundo * 2);
        return Ok(Confere(s, 6, primeiro) && Confere(s, 7, segundo));
    }
    const int segundo = dv(Soma(s, {8, 7, 6, 5, 4, 3, 2}));
    const int primeiro = dv(Soma(s, {9, 8, 7, 6, 5, 4, 3}) + segundo * 2);
    return Ok(Confere(s, 7, primeiro) && Confere(s, 8, segundo));
}

// Nine digits, weights 9 to 2, the common rule: CE, ES, MA, MS, PA, PB, PI, SC, SE.
Resultado NoveDigitos(std::string_view s, std::string_view prefixo = {}) {
    if (s.size() != 9 || !ComecaCom(s, prefixo)) return FormaErrada();
    return Ok(Confere(s, 8, Modulo11(Soma(s, {9, 8, 7, 6, 5, 4, 3, 2}))));
}

Resultado DF(std::string_view s) {
    if (s.size() != 13 || !ComecaCom(s, "07")) return FormaErrada();
    const int d1 = Modulo11(Soma(s, {4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    const int d2 = Modulo11(Soma(s, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}));
    return Ok(Confere(s, 11, d1) && Confere(s, 12, d2));
}

Resultado GO(std::string_view s) {
    if (s.size() != 9) return FormaErrada();
    const std::string_view inicio = s.substr(0, 2);
    if (inicio != "10" && inicio != "11" && inicio != "15" && !(inicio >= "20" && inicio <= "29"))
        return FormaErrada();
    const long n = Numero(s.substr(0, 8));
    if (n == 11094402) return Ok(s[8] == '0' || s[8] == '1');
    const int r = Soma(s, {9, 8, 7, 6, 5, 4, 3, 2}) % 11;
    int dv;
    if (r == 0) dv = 0;
    else if (r == 1) dv = (n >= 10103105 && n <= 10119997) ? 1 : 0;
    else dv = 11 - r;
    return Ok(Confere(s, 8, dv));
}

Resultado MT(std::string_view s) {
    if (s.size() != 11) return FormaErrada();
    return Ok(Confere(s, 10, Modulo11(Soma(s, {3, 2, 9, 8, 7, 6, 5, 4, 3, 2}))));
}

Resultado MG(std::string_view s) {
    if (s.size() != 13) return FormaErrada();
    // First digit: a 0 after the town code, weights 1 and 2 alternately, the
    // digits of the products added, then up to the next ten.
    std::string igualado = std::string(s.substr(0, 3)) + "0" + std::string(s.substr(3, 8));
    int soma = 0;
    for (std::size_t i = 0; i < igualado.size(); ++i) {
        const int p = Digito(igualado[i]) * (i % 2 == 0 ? 1 : 2);
        soma += p / 10 + p % 10;
    }
    const int d1 = (10 - soma % 10) % 10;
    const int d2 = Modulo11(Soma(s, {3, 2, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
    return Ok(Confere(s, 11, d1) && Confere(s, 12, d2));
}

Resultado PR(std::string_view s) {
    if (s.size() != 10) return FormaErrada();
    const int d1 = Modulo11(Soma(s, {3, 2, 7, 6, 5, 4, 3, 2}));
    const int d2 = Modulo11(Soma(s, {4, 3, 2, 7, 6, 5, 4, 3, 2}));
    return Ok(Confere(s, 8, d1) && Confere(s, 9, d2));
}

Resultado PE(std::string_view s) {
    if (s.size() == 9) {
        const int d1 = Modulo11(Soma(s, {8, 7, 6, 5, 4, 3, 2}));
        const int d2 = Modulo11(Soma(s, {9, 8, 7, 6, 5, 4, 3, 2}));
        return Ok(Confere(s, 7, d1) && Confere(s, 8, d2));
    }
    if (s.size() == 14)  // the former registration, still accepted
        return Ok(Confere(s, 13, Modulo11MenosDez(Soma(s, {5, 4, 3, 2, 1, 9, 8, 7, 6, 5, 4, 3, 2}))));
    return FormaErrada();
}

Resultado RJ(std::string_view s) {
    if (s.size() != 8) return FormaErrada();
    return Ok(Confere(s, 7, Modulo11(Soma(s, {2, 7, 6, 5, 4, 3, 2}))));
}

Resultado RN(std::string_view s) {
    if (!ComecaCom(s, "20")) return FormaErrada();
    if (s.size() == 9) return Ok(Confere(s, 8, Modulo11VezesDez(Soma(s, {9, 8, 7, 6, 5, 4, 3, 2}))));
    if (s.size() == 10) return Ok(Confere(s, 9, Modulo11VezesDez(Soma(s, {10, 9, 8, 7, 6, 5, 4, 3, 2}))));
    return FormaErrada();
}

Resultado RS(std::string_view s) {
    if (s.size() != 10) return FormaErrada();
    return Ok(Confere(s, 9, Modulo11(Soma(s, {2, 9, 8, 7, 6, 5, 4, 3, 2}))));
}

Resultado RO(std::string_view s) {
    if (s.size() == 14)
        return Ok(Confere(s, 13, Modulo11MenosDez(Soma(s, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}))));
    if (s.size() == 9)  // before August 2000: the town code does not count
        return Ok(Confere(s, 8, Modulo11MenosDez(Soma(s, {6, 5, 4, 3, 2}, 3))));
    return FormaErrada();
}

Resultado RR(std::string_view s) {
    if (s.size() != 9 || !ComecaCom(s, "24")) return FormaErrada();
    return Ok(Confere(s, 8, Soma(s, {1, 2, 3, 4, 5, 6, 7, 8}) % 9));
}

Resultado SP(std::string_view s) {
    auto dv = [](int soma) { return soma % 11 % 10; };
    if (s.size() == 13 && s[0] == 'P') {  // rural producer
        const std::string_view d = s.substr(1);
        if (!SoDigitos(d)) return FormaErrada();
        return Ok(Confere(d, 8, dv(Soma(d, {1, 3, 4, 5, 6, 7, 8, 10}))));
    }
    if (s.size() != 12 || !SoDigitos(s)) return FormaErrada();
    return Ok(Confere(s, 8, dv(Soma(s, {1, 3, 4, 5, 6, 7, 8, 10}))) &&
              Confere(s, 11, dv(Soma(s, {3, 2, 10, 9, 8, 7, 6, 5, 4, 3, 2}))));
}

Resultado TO(std::string_view s) {
    if (s.size() == 9) return NoveDigitos(s);
    if (s.size() != 11) return FormaErrada();
    const std::string_view tipo = s.substr(2, 2);
    if (tipo != "01" && tipo != "02" && tipo != "03" && tipo != "99") return FormaErrada();
    const std::string semTipo = std::string(s.substr(0, 2)) + std::string(s.substr(4, 7));
    return Ok(Confere(s, 10, Modulo11(Soma(semTipo, {9, 8, 7, 6, 5, 4, 3, 2}))));
}

struct Regra {
    std::string_view uf;
    Resultado (*confere)(std::string_view);
};

const std::array<Regra, 27> Regras = {{
    {"AC", AC},
    {"AL", AL},
    {"AM", AM},
    {"AP", AP},
    {"BA", BA},
    {"CE", [](std::string_view s) { return NoveDigitos(s); }},
    {"DF", DF},
    {"ES", [](std::string_view s) { return NoveDigitos(s); }},
    {"GO", GO},
    {"MA", [](std::string_view s) { return NoveDigitos(s, "12"); }},
    {"MG", MG},
    {"MS", [](std::string_view s) { return NoveDigitos(s, "28"); }},
    {"MT", MT},
    {"PA", [](std::string_view s) { return NoveDigitos(s, "15"); }},
    {"PB", [](std::string_view s) { return NoveDigitos(s); }},
    {"PE", PE},
    {"PI", [](std::string_view s) { return NoveDigitos(s); }},
    {"PR", PR},
    {"RJ", RJ},
    {"RN", RN},
    {"RO", RO},
    {"RR", RR},
    {"RS", RS},
    {"SC", [](std::string_view s) { return NoveDigitos(s); }},
    {"SE", [](std::string_view s) { return NoveDigitos(s); }},
    {"SP", SP},
    {"TO", TO},
}};

const Regra* RegraDa(std::string_view uf) {
    for (const auto& r : Regras)
        if (r.uf == uf) return &r;
    return nullptr;
}

}  // namespace

bool CNPJValido(std::string_view s) {
    if (s.size() != 14 || !SoDigitos(s) || TodosIguais(s)) return false;
    return Confere(s, 12, Modulo11(Soma(s, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}))) &&
           Confere(s, 13, Modulo11(Soma(s, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2})));
}

bool CPFValido(std::string_view s) {
    if (s.size() != 11 || !SoDigitos(s) || TodosIguais(s)) return false;
    return Confere(s, 9, Modulo11(Soma(s, {10, 9, 8, 7, 6, 5, 4, 3, 2}))) &&
           Confere(s, 10, Modulo11(Soma(s, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2})));
}

bool UFValida(std::string_view uf) { return RegraDa(uf) != nullptr; }

ResultadoIE ConfereInscricaoEstadual(std::string_view uf, std::string_view ie) {
    std::string s;
    s.reserve(ie.size());
    for (char c : ie) {
        if (c == ' ' || c == '.' || c == '-' || c == '/') continue;
        s += c;
    }
    if (s == "ISENTO") return ResultadoIE::Isento;
    const Regra* regra = RegraDa(uf);
    if (!regra) return ResultadoIE::UFDesconhecida;
    const bool produtorSP = uf == "SP" && !s.empty() && s[0] == 'P';
    if (!produtorSP && !SoDigitos(s)) return ResultadoIE::FormaInvalida;
    const Resultado r = regra->confere(s);
    if (!r.forma) return ResultadoIE::FormaInvalida;
    return r.digito ? ResultadoIE::Valida : ResultadoIE::DigitoInvalido;
}

}  // namespace verificacao
