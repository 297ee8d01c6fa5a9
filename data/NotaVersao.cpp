// The version note of this executable, read from the file by GetBuildInfo.
#include <cstdint>

namespace {

struct NotaVersao {
    std::uint32_t tamanhoNome;
    std::uint32_t tamanhoDados;
    std::uint32_t tipo;
    char dono[8];  // "PRAXO" padded to four-byte alignment
    std::uint16_t versao[4];
};

__attribute__((section(".note.praxo.versao"), used, aligned(4)))
const NotaVersao Nota = {6, 8, 1, "PRAXO",
                         {PRAXO_VERSAO_MAIOR, PRAXO_VERSAO_MENOR, PRAXO_VERSAO_REVISAO,
                          PRAXO_VERSAO_COMPILACAO}};

}  // namespace
