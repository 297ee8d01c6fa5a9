// A PraxoLib.dll that writes each load and unload into the file named by
// PRAXOLIB_REGISTRO, for the bridge's tests.
#include <cstdio>
#include <cstdlib>

namespace {

void Registra(const char* evento) {
    if (const char* arquivo = std::getenv("PRAXOLIB_REGISTRO")) {
        if (FILE* f = std::fopen(arquivo, "a")) {
            std::fprintf(f, "%s\n", evento);
            std::fclose(f);
        }
    }
}

__attribute__((constructor)) void Carregada() { Registra("carregada"); }
__attribute__((destructor)) void Descarregada() { Registra("descarregada"); }

}  // namespace

extern "C" {
bool ExisteAtualizacao(const char*, const char*) {
    Registra("ExisteAtualizacao");
    return true;
}
bool GeraEAD(const char*, const char*, unsigned char) {
    Registra("GeraEAD");
    return false;
}
const char* UltimoErro() { return "arquivo recusado"; }
}
