// Tables of the codes a Sintegra file uses: CFOP, document models, the CEP
// ranges of each state, and the Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace verificacao {

// Whether the four digits name an operation of the national CFOP table.
bool CFOPExiste(std::string_view cfop);

// Whether the eight-digit CEP lies in the ranges of the state.
// A state without ranges (unknown abbreviation) gives true.
bool CEPDaUF(std::string_view cep, std::string_view uf);

// Whether the byte is one the Windows-1252 code page leaves undefined.
bool ByteIndefinido(unsigned char c);

// Windows-1252 text turned into UTF-8 (for messages that quote the file).
std::string ParaUTF8(std::string_view cp1252);

}  // namespace verificacao
