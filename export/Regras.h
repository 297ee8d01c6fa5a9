// Small rules the stages share.
#pragma once

#include <stdexcept>
#include <string>

// A model code or coupon number that does not read as a number.
class ErroConversaoExportacao : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Apara(const std::string& s);

// The number with `decimais` decimals, zero-filled on the left to `largura`;
// a longer text is returned whole. Width 2: 1 gives "01", 55 gives "55".
std::string CompletaZeros(double numero, int largura, int decimais);

// The two-digit document model of records 50 and 54 from a trimmed model
// code: "1A", "1B", "2D" are "01", "D2" is "02", other codes are read as a
// number. Returns false when the code does not read as a number.
bool ModeloDocumento(const std::string& codigo, std::string& modelo);

// Reads a whole number from text (blanks around allowed).
bool LeInteiro(const std::string& texto, long long& valor);

enum class VarianteAliquota { Registro60DI, Registro60R };

// The four-character code of records 60D, 60I and 60R: "I", "N", "F" from the
// tax situation's last two characters, otherwise the rate as four digits.
std::string CodigoAliquotaECF(const std::string& situacao, double aliquota, VarianteAliquota variante);
