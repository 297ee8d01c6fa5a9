// Check digits of the identities a Sintegra file carries: CNPJ, CPF and the
// Inscrição Estadual of each of the 27 states.
#pragma once

#include <string_view>

namespace verificacao {

// `digitos` holds exactly the 14 digits (or 11 for the CPF) and nothing else.
bool CNPJValido(std::string_view digitos);
bool CPFValido(std::string_view digitos);

// Whether `uf` is one of the 27 state abbreviations ("EX" is not).
bool UFValida(std::string_view uf);

enum class ResultadoIE {
    Valida,
    Isento,            // the word ISENTO
    UFDesconhecida,    // no rule: the state abbreviation is not one of the 27
    FormaInvalida,     // wrong length, letters, or digits a state never issues
    DigitoInvalido,    // the check digits do not match
};

// `ie` is the field as read, blanks and the punctuation ". - /" allowed around
// and between the digits; the state's rule decides the rest.
ResultadoIE ConfereInscricaoEstadual(std::string_view uf, std::string_view ie);

}  // namespace verificacao
