// The EAD signature record of a file: "EAD" followed by the hexadecimal RSA
// signature (SHA-256) of every byte of the file before that line, ended by CR LF.
#pragma once

#include <string>

// Signs `conteudo` with the private key in PEM form; returns the hexadecimal
// signature. Throws std::runtime_error on failure.
std::string AssinaHex(const std::string& conteudo, const std::string& chavePrivadaPem);

enum class ResultadoVerificacao { Valida, Invalida, SemRegistroEAD };

// Checks the last line of the file's text: an EAD line whose signature matches
// the bytes before it under the public key.
ResultadoVerificacao VerificaEAD(const std::string& conteudoArquivo,
                                 const std::string& chavePublicaPem);
