#include "Plataforma.h"

#include <filesystem>

std::string CaminhoDoExecutavel() {
    std::error_code erro;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", erro);
    return erro ? std::string() : p.string();
}

std::string PastaDoExecutavel() {
    const auto p = std::filesystem::path(CaminhoDoExecutavel()).parent_path();
    return p.empty() ? std::string("./") : p.string() + "/";
}
