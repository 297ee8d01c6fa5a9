// The program's version, major.minor.release.build, written into each
// executable at build time as an ELF note (section ".note.praxo.versao",
// owner "PRAXO"), so that it can be read from the file without running it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct VersaoArquivo {
    std::uint16_t maior = 0, menor = 0, revisao = 0, compilacao = 0;
};

// The version note of an executable file, when it has one.
std::optional<VersaoArquivo> LeVersaoDoArquivo(const std::string& caminho);

// The version of the program file `NomeExecutavel` in `pasta` (the executable's
// folder when empty), its name matched without regard to case and with or
// without the ".EXE" ending: "major.minor.release", plus ".build" when `Tipo`
// is "BUILD" in any case. "0.0.0" (".0") when the file holds no version.
std::string GetBuildInfo(const std::string& NomeExecutavel, const std::string& Tipo,
                         const std::string& pasta = {});
