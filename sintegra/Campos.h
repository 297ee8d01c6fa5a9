// The field rules of the Sintegra layouts, written once and named as the
// layouts name them. A line is assembled field by field, left to right, in a
// fixed buffer of 126 bytes; text arrives as UTF-8 and is stored as Windows-1252.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace sintegra {

inline constexpr int TamanhoLinha = 126;

// Appends the Windows-1252 form of a UTF-8 text to `saida`. A character that
// Windows-1252 cannot hold, and a byte that is not valid UTF-8, become "?".
// Control characters (line breaks, tabs) become blanks, so that no value can
// split a record over two lines.
void AcrescentaWindows1252(std::string_view utf8, std::string& saida);
std::string ParaWindows1252(std::string_view utf8);
// The Unicode character a Windows-1252 byte stands for: the one table of the
// code page, for whoever reads Windows-1252 text. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of
// the same number, as Windows reads them.
char32_t Windows1252ParaUnicode(unsigned char byte);
bool ByteIndefinido1252(unsigned char byte);
// Windows-1252 text as UTF-8. `indefinido`, when not 0, stands for the five
// undefined bytes (a report shows U+FFFD rather than an invisible control).
std::string Windows1252ParaUtf8(std::string_view texto, char32_t indefinido = 0);

// Rule 5 without the alignment: the digits of |valor| rounded to `decimais`
// places, halves away from zero, at least one integer digit and exactly
// `decimais` decimals, with neither separator nor sign. The rounding is done on
// the value as written with 15 significant digits (2.675 -> "268", 1.005 -> "101"),
// never on the binary double; from 10^15 units of the last decimal up, on the
// shortest form that reads back as the same double.
// `saida` holds at least TamanhoDigitosValor bytes; returns the digits written.
inline constexpr int TamanhoDigitosValor = 400;
int DigitosValor(double valor, int decimais, char* saida);

// Text pipeline steps applied in place to a Windows-1252 field.
void Apara(std::string& texto);               // rule 4: leading and trailing blanks
void TiraPontuacao(std::string& texto);       // rule 3
void SoDigitos(std::string& texto);           // keeps 0-9 only
void UltimosCaracteres(std::string& texto, std::size_t quantos);

// Brazilian form of an amount for messages: 15 significant digits, at least
// `decimais` decimals, thousands grouped ("1.234,56", "99.999.999.999,995").
std::string TextoValor(double valor, int decimais);

// One record being assembled, field by field from position 1. Numbers that
// their field cannot hold are refused with ErroValorCampo, which names the
// record, the field (as the layout names it, with its positions), the value
// and the reference of what is being written.
class Linha {
public:
    // Starts the record with its type code ("50", "60M", "88SME": the fixed
    // fields of its first positions). Both arguments must outlive the line.
    explicit Linha(std::string_view registro, const std::string* referencia = nullptr);

    // Rule 9: a constant.
    Linha& Fixo(std::string_view constante);
    Linha& Brancos(int largura) { return Preenche(largura, ' '); }
    Linha& Zeros(int largura) { return Preenche(largura, '0'); }
    // Rule 1: left-aligned, filled with `f`, cut to the first `largura` characters.
    Linha& Esquerda(std::string_view texto1252, int largura, char f);
    // Rule 2: right-aligned, filled with `f`, cut to the first `largura` characters.
    Linha& Direita(std::string_view texto1252, int largura, char f);
    // Rule 5: amount with `decimais` implied decimals, right-aligned with zeros,
    // written as its absolute value. More digits than `largura` after rounding,
    // or a value that is not a finite number, is refused.
    Linha& Valor(const char* campo, double valor, int largura, int decimais);
    // Rule 6: integer, right-aligned with zeros. A negative value or one of more
    // than `largura` digits is refused.
    Linha& Inteiro(const char* campo, std::int64_t valor, int largura);
    // Rule 6, left-aligned: the same, filled on the right with `f`.
    Linha& InteiroEsquerda(const char* campo, std::int64_t valor, int largura, char f);
    // A whole number that arrives as text, right-aligned with zeros: a text of
    // digits (leading zeros aside) or a minus sign followed by digits is checked
    // like Inteiro; any other text keeps rule 2.
    Linha& NumeroEmTexto(const char* campo, std::string_view texto1252, int largura);
    // Rule 7: AAAAMMDD.
    Linha& Data(std::chrono::year_month_day data);

    int Posicao() const { return pos_; }  // characters written so far
    const char* Texto() const { return buf_; }
    // The finished record, exactly TamanhoLinha characters; a record of any
    // other length is a fault of the program and raises std::logic_error.
    const char* Completa() const {
        if (pos_ != TamanhoLinha) Incompleta();
        return buf_;
    }

private:
    Linha& Preenche(int largura, char f);
    char* Reserva(int largura);
    [[noreturn]] void AlemDaLinha() const;
    [[noreturn]] void Incompleta() const;
    std::string_view DigitosInteiro(const char* campo, std::int64_t valor, int largura,
                                    char* texto) const;
    [[noreturn]] void Recusa(const char* campo, int largura, std::string valor,
                             const std::string& problema) const;

    char buf_[TamanhoLinha + 2];  // every position is written by the fields
    int pos_ = 0;
    std::string_view registro_;
    const std::string* referencia_;
};

}  // namespace sintegra
