#include "PontePraxoLib.h"

#include "EntradasPraxoLib.h"

#include <dlfcn.h>
#include <filesystem>

namespace {

std::string PastaDoExecutavel() {
    std::error_code erro;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", erro).parent_path();
    return p.empty() ? std::string("./") : p.string() + "/";
}

std::string Apara(const std::string& s) {
    const auto i = s.find_first_not_of(' ');
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

// The library, loaded for one call and unloaded however the call ends.
class Biblioteca {
public:
    explicit Biblioteca(const std::string& caminho)
        : alca_(::dlopen(caminho.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!alca_) throw ErroPraxoLib("PraxoLib.Dll não disponível.");
    }
    ~Biblioteca() { ::dlclose(alca_); }
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;

    template <typename F>
    F Entrada(const char* nome) const {
        void* p = ::dlsym(alca_, nome);
        if (!p) throw ErroPraxoLib(std::string("Ponto de Entrada não encontrado na Dll do PRAXO - ") + nome);
        return reinterpret_cast<F>(p);
    }

    std::string UltimoErro() const {
        void* p = ::dlsym(alca_, "UltimoErro");
        const char* t = p ? reinterpret_cast<TUltimoErro>(p)() : nullptr;
        return t ? t : "";
    }

private:
    void* alca_;
};

}  // namespace

TPontePraxoLib::TPontePraxoLib(std::string pasta)
    : pasta_(pasta.empty() ? PastaDoExecutavel() : std::move(pasta)) {}

std::string TPontePraxoLib::CaminhoBiblioteca() const { return Apara(pasta_ + "PraxoLib.dll"); }

bool TPontePraxoLib::ExisteAtualizacao(const std::string& versaoBanco,
                                       const std::string& versaoPrograma) const {
    Biblioteca b(CaminhoBiblioteca());
    const auto f = b.Entrada<TExisteAtualizacao>("ExisteAtualizacao");
    return f(versaoBanco.c_str(), versaoPrograma.c_str());
}

void TPontePraxoLib::GeraEAD(const std::string& texto, const std::string& arquivo,
                             unsigned char indicador) const {
    Biblioteca b(CaminhoBiblioteca());
    const auto f = b.Entrada<TGeraEAD>("GeraEAD");
    if (!f(texto.c_str(), arquivo.c_str(), indicador)) {
        const std::string motivo = b.UltimoErro();
        throw ErroPraxoLib("Não foi possível assinar o arquivo " + arquivo +
                           (motivo.empty() ? std::string(".") : ": " + motivo));
    }
}

void TPontePraxoLib::VerificaGeraEAD() const {
    Biblioteca b(CaminhoBiblioteca());
    b.Entrada<TGeraEAD>("GeraEAD");
}
