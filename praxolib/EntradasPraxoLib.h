// The entry points of PraxoLib.dll, with C linkage.
#pragma once

extern "C" {
// True when versaoBanco is newer than versaoPrograma.
typedef bool (*TExisteAtualizacao)(const char* versaoBanco, const char* versaoPrograma);
// Appends the signature line to the named file; false when it could not.
typedef bool (*TGeraEAD)(const char* texto, const char* arquivo, unsigned char indicador);
// The text of the library's last failure (optional entry point).
typedef const char* (*TUltimoErro)();
}
