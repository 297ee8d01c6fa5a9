#include "Campos.h"

#include "Sintegra.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace sintegra {

namespace {

// Windows-1252 bytes 0x80 to 0x9F and the Unicode characters they stand for;
// the five bytes the code page leaves undefined stand for the C1 controls of
// the same number, as Windows reads them.
constexpr char32_t Faixa80[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178,
};

char Byte1252(char32_t c) {
    if (c < 0x20 || c == 0x7F) return ' ';
    if (c < 0x80) return static_cast<char>(c);
    if (c >= 0xA0 && c <= 0xFF) return static_cast<char>(c);
    if (c < 0xA0) return '?';  // C1 controls are no text of the file
    for (int i = 0; i < 32; ++i)
        if (Faixa80[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 character at s[i]; advances i. Invalid sequences give
// U+FFFD after consuming one byte.
char32_t ProximoCaractere(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extras;
    char32_t c;
    if ((b0 & 0xE0) == 0xC0) {
        extras = 1;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extras = 2;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extras = 3;
        c = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extras >= s.size()) {  // sequence cut short
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extras; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t Minimo[4] = {0, 0x80, 0x800, 0x10000};
    if (c < Minimo[extras] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extras + 1;
    return c;
}

constexpr std::uint64_t Potencia10[20] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
    10000000000000000000ULL,
};

// |valor| × 10^decimais rounded to the nearest integer, when that value is
// clearly away from a tie: then rounding the binary value and rounding its
// 15-digit form give the same integer. Returns false near a tie (or for huge
// values), where only the 15-digit form decides.
bool ArredondaLonge(double valor, int decimais, std::uint64_t& resultado) {
    const double x = valor * static_cast<double>(Potencia10[decimais]);
    if (!(x < 4e15)) return false;
    const double inteiro = std::floor(x);
    const double fracao = x - inteiro;
    if (std::fabs(fracao - 0.5) <= x * 1e-14 + 1e-9) return false;
    resultado = static_cast<std::uint64_t>(inteiro) + (fracao > 0.5 ? 1 : 0);
    return true;
}

}  // namespace

char32_t Windows1252ParaUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? Faixa80[byte - 0x80] : byte;
}

bool ByteIndefinido1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string Windows1252ParaUtf8(std::string_view texto, char32_t indefinido) {
    std::string s;
    s.reserve(texto.size() + texto.size() / 8);
    for (unsigned char b : texto) {
        const char32_t c = indefinido && ByteIndefinido1252(b) ? indefinido : Windows1252ParaUnicode(b);
        if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

void AcrescentaWindows1252(std::string_view utf8, std::string& saida) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        // The common case: a run of printable ASCII, copied as it is.
        std::size_t j = i;
        while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) >= 0x20 &&
               static_cast<unsigned char>(utf8[j]) < 0x7F)
            ++j;
        saida.append(utf8.data() + i, j - i);
        i = j;
        if (i < utf8.size()) saida.push_back(Byte1252(ProximoCaractere(utf8, i)));
    }
}

std::string ParaWindows1252(std::string_view utf8) {
    std::string s;
    s.reserve(utf8.size());
    AcrescentaWindows1252(utf8, s);
    return s;
}

int DigitosValor(double valor, int decimais, char* saida) {
    if (!std::isfinite(valor)) valor = 0;
    valor = std::fabs(valor);
    // Away from a tie the binary value decides as well as its 15-digit form.
    char numero[400];
    int n = -1;
    std::uint64_t rapido;
    if (ArredondaLonge(valor, decimais, rapido))
        n = static_cast<int>(std::to_chars(numero, numero + 40, rapido).ptr - numero);
    if (n < 0) {
        // The value as a person reads it: 15 significant digits, d.ddddddddddddddde±X.
        // A field that asks for more digits than that (10^15 units of its last
        // decimal and up) gets the shortest form that reads back as the same
        // value, so that a digit typed in is neither lost nor made up.
        const bool muitosDigitos = valor * static_cast<double>(Potencia10[decimais]) >= 1e15;
        char texto[40];
        const auto r = muitosDigitos
                           ? std::to_chars(texto, texto + sizeof texto, valor,
                                           std::chars_format::scientific)
                           : std::to_chars(texto, texto + sizeof texto, valor,
                                           std::chars_format::scientific, 14);
        std::uint64_t digitos = 0;
        int significativos = 0;
        const char* p = texto;
        for (; p < r.ptr && *p != 'e'; ++p)
            if (*p >= '0' && *p <= '9') {
                digitos = digitos * 10 + static_cast<unsigned>(*p - '0');
                ++significativos;
            }
        int expoente = 0;
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), r.ptr, expoente);
        // valor = digitos * 10^(expoente - significativos + 1); the result is
        // valor * 10^decimais.
        const int k = expoente - significativos + 1 + decimais;
        if (k >= 0) {
            n = static_cast<int>(std::to_chars(numero, numero + 40, digitos).ptr - numero);
            if (digitos != 0) {
                std::memset(numero + n, '0', static_cast<std::size_t>(k));
                n += k;
            }
        } else {
            std::uint64_t inteiro = 0;
            if (-k < 20) {
                const std::uint64_t divisor = Potencia10[-k];
                inteiro = digitos / divisor;
                const std::uint64_t resto = digitos % divisor;
                if (resto >= divisor - resto) ++inteiro;  // halves away from zero
            }
            n = static_cast<int>(std::to_chars(numero, numero + 40, inteiro).ptr - numero);
        }
    }
    // At least one integer digit before the implied decimals.
    const int minimo = decimais + 1;
    int total = 0;
    while (n + total < minimo) saida[total++] = '0';
    std::memcpy(saida + total, numero, static_cast<std::size_t>(n));
    return total + n;
}

void Apara(std::string& texto) {
    const auto primeiro = texto.find_first_not_of(' ');
    if (primeiro == std::string::npos) {
        texto.clear();
        return;
    }
    const auto ultimo = texto.find_last_not_of(' ');
    texto = texto.substr(primeiro, ultimo - primeiro + 1);
}

void TiraPontuacao(std::string& texto) {
    std::erase_if(texto, [](char c) {
        return c == '.' || c == ',' || c == '-' || c == '_' || c == '|' || c == '/';
    });
}

void SoDigitos(std::string& texto) {
    std::erase_if(texto, [](char c) { return c < '0' || c > '9'; });
}

void UltimosCaracteres(std::string& texto, std::size_t quantos) {
    if (texto.size() > quantos) texto.erase(0, texto.size() - quantos);
}

namespace {

// Groups the digits of an integer part by thousands with dots.
std::string AgrupaMilhares(std::string_view digitos) {
    std::string s;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i > 0 && (digitos.size() - i) % 3 == 0) s.push_back('.');
        s.push_back(digitos[i]);
    }
    return s;
}

// The largest amount a field holds: 99.999.999.999,99 for 13 with 2 decimals.
std::string MaiorValor(int largura, int decimais) {
    return AgrupaMilhares(std::string(static_cast<std::size_t>(largura - decimais), '9')) + "," +
           std::string(static_cast<std::size_t>(decimais), '9');
}

std::string MaiorInteiro(int largura) {
    return std::string(static_cast<std::size_t>(largura), '9');
}

}  // namespace

std::string TextoValor(double valor, int decimais) {
    if (std::isnan(valor)) return "NaN";
    if (std::isinf(valor)) return valor < 0 ? "-infinito" : "infinito";
    char texto[80];
    const double absoluto = std::fabs(valor);
    if (absoluto >= 1e18) {
        const auto fim = std::to_chars(texto, texto + sizeof texto, valor,
                                       std::chars_format::scientific, 14).ptr;
        std::string s(texto, fim);
        std::replace(s.begin(), s.end(), '.', ',');
        return s;
    }
    int casas = decimais;
    if (absoluto > 0)
        casas = std::clamp(14 - static_cast<int>(std::floor(std::log10(absoluto))), decimais, 20);
    const auto fim =
        std::to_chars(texto, texto + sizeof texto, absoluto, std::chars_format::fixed, casas).ptr;
    std::string_view numero(texto, static_cast<std::size_t>(fim - texto));
    const auto ponto = numero.find('.');
    std::string_view inteiros = numero.substr(0, ponto);
    std::string_view fracao = ponto == std::string_view::npos ? std::string_view{}
                                                              : numero.substr(ponto + 1);
    while (fracao.size() > static_cast<std::size_t>(decimais) && fracao.back() == '0')
        fracao.remove_suffix(1);
    std::string s = valor < 0 ? "-" : "";
    s += AgrupaMilhares(inteiros);
    if (!fracao.empty()) s += "," + std::string(fracao);
    return s;
}

Linha::Linha(std::string_view registro, const std::string* referencia)
    : registro_(registro), referencia_(referencia) {
    Fixo(registro);
}

void Linha::Recusa(const char* campo, int largura, std::string valor,
                   const std::string& problema) const {
    throw ErroValorCampo(std::string(registro_), campo, pos_ + 1, pos_ + largura,
                         std::move(valor), referencia_ ? *referencia_ : std::string(),
                         problema);
}

// The two faults of the program are raised out of line, so that the checks
// cost the field rules no more than a comparison.
void Linha::AlemDaLinha() const {
    throw std::logic_error("Registro " + std::string(registro_) +
                           ": campo além da posição 126 (erro do programa).");
}

void Linha::Incompleta() const {
    throw std::logic_error("Registro " + std::string(registro_) + " com " +
                           std::to_string(pos_) + " caracteres em vez de 126 (erro do " +
                           "programa); a linha não foi gravada.");
}

char* Linha::Reserva(int largura) {
    if (largura < 0 || pos_ + largura > TamanhoLinha) AlemDaLinha();
    char* p = buf_ + pos_;
    pos_ += largura;
    return p;
}

Linha& Linha::Preenche(int largura, char f) {
    std::memset(Reserva(largura), f, static_cast<std::size_t>(largura));
    return *this;
}

Linha& Linha::Fixo(std::string_view constante) {
    std::memcpy(Reserva(static_cast<int>(constante.size())), constante.data(),
                constante.size());
    return *this;
}

Linha& Linha::Esquerda(std::string_view texto, int largura, char f) {
    char* p = Reserva(largura);
    const auto n = std::min<std::size_t>(texto.size(), static_cast<std::size_t>(largura));
    std::memcpy(p, texto.data(), n);
    std::memset(p + n, f, static_cast<std::size_t>(largura) - n);
    return *this;
}

Linha& Linha::Direita(std::string_view texto, int largura, char f) {
    char* p = Reserva(largura);
    const auto w = static_cast<std::size_t>(largura);
    if (texto.size() >= w) {
        std::memcpy(p, texto.data(), w);  // the rightmost characters are lost
    } else {
        std::memset(p, f, w - texto.size());
        std::memcpy(p + (w - texto.size()), texto.data(), texto.size());
    }
    return *this;
}

Linha& Linha::Valor(const char* campo, double valor, int largura, int decimais) {
    if (!std::isfinite(valor))
        Recusa(campo, largura, TextoValor(valor, decimais), "não é um número");
    // The common case: digits written straight into the field from the right.
    std::uint64_t r;
    const double absoluto = std::fabs(valor);
    if (largura < 20 && ArredondaLonge(absoluto, decimais, r)) {
        if (r >= Potencia10[largura])
            Recusa(campo, largura, TextoValor(valor, decimais),
                   "não cabe no campo, que aceita valores até " + MaiorValor(largura, decimais));
        char* p = Reserva(largura);
        for (int i = largura - 1; i >= 0; --i) {
            p[i] = static_cast<char>('0' + r % 10);
            r /= 10;
        }
        return *this;
    }
    char digitos[TamanhoDigitosValor];
    const int n = DigitosValor(valor, decimais, digitos);
    if (n > largura)
        Recusa(campo, largura, TextoValor(valor, decimais),
               "não cabe no campo, que aceita valores até " + MaiorValor(largura, decimais));
    return Direita(std::string_view(digitos, static_cast<std::size_t>(n)), largura, '0');
}

std::string_view Linha::DigitosInteiro(const char* campo, std::int64_t valor, int largura,
                                       char* texto) const {
    const auto fim = std::to_chars(texto, texto + 24, valor).ptr;
    const std::string_view digitos(texto, static_cast<std::size_t>(fim - texto));
    if (valor < 0)
        Recusa(campo, largura, std::string(digitos),
               "é negativo, e o campo só aceita números de 0 a " + MaiorInteiro(largura));
    if (digitos.size() > static_cast<std::size_t>(largura))
        Recusa(campo, largura, std::string(digitos),
               "não cabe no campo, que aceita números de 0 a " + MaiorInteiro(largura));
    return digitos;
}

Linha& Linha::Inteiro(const char* campo, std::int64_t valor, int largura) {
    char texto[24];
    return Direita(DigitosInteiro(campo, valor, largura, texto), largura, '0');
}

Linha& Linha::InteiroEsquerda(const char* campo, std::int64_t valor, int largura, char f) {
    char texto[24];
    return Esquerda(DigitosInteiro(campo, valor, largura, texto), largura, f);
}

Linha& Linha::NumeroEmTexto(const char* campo, std::string_view texto, int largura) {
    const bool negativo = !texto.empty() && texto[0] == '-';
    const std::string_view digitos = texto.substr(negativo ? 1 : 0);
    const bool numero = !digitos.empty() && std::all_of(digitos.begin(), digitos.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!numero) return Direita(texto, largura, '0');
    const auto significativos = std::min(digitos.find_first_not_of('0'), digitos.size());
    const std::string_view valor = digitos.substr(significativos);
    if (negativo && !valor.empty())
        Recusa(campo, largura, std::string(texto),
               "é negativo, e o campo só aceita números de 0 a " + MaiorInteiro(largura));
    if (valor.size() > static_cast<std::size_t>(largura))
        Recusa(campo, largura, std::string(texto),
               "não cabe no campo, que aceita números de 0 a " + MaiorInteiro(largura));
    return Direita(valor, largura, '0');
}

Linha& Linha::Data(std::chrono::year_month_day data) {
    char* p = Reserva(8);
    int ano = static_cast<int>(data.year());
    const unsigned mes = static_cast<unsigned>(data.month());
    const unsigned dia = static_cast<unsigned>(data.day());
    if (ano < 0 || ano > 9999) ano = 0;
    p[0] = static_cast<char>('0' + ano / 1000);
    p[1] = static_cast<char>('0' + ano / 100 % 10);
    p[2] = static_cast<char>('0' + ano / 10 % 10);
    p[3] = static_cast<char>('0' + ano % 10);
    p[4] = static_cast<char>('0' + mes / 10 % 10);
    p[5] = static_cast<char>('0' + mes % 10);
    p[6] = static_cast<char>('0' + dia / 10 % 10);
    p[7] = static_cast<char>('0' + dia % 10);
    return *this;
}

}  // namespace sintegra
