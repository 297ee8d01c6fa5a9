#include "Versao.h"

#include "ArquivoIni.h"
#include "Plataforma.h"

#include <cstring>
#include <elf.h>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr char NomeSecao[] = ".note.praxo.versao";
constexpr char Dono[] = "PRAXO";

template <typename Ehdr, typename Shdr>
std::optional<VersaoArquivo> LeNota(const std::vector<char>& b) {
    if (b.size() < sizeof(Ehdr)) return std::nullopt;
    Ehdr e;
    std::memcpy(&e, b.data(), sizeof e);
    if (e.e_shoff == 0 || e.e_shentsize != sizeof(Shdr) || e.e_shstrndx >= e.e_shnum ||
        e.e_shoff + static_cast<std::size_t>(e.e_shnum) * sizeof(Shdr) > b.size())
        return std::nullopt;
    auto secao = [&](std::size_t i) {
        Shdr s;
        std::memcpy(&s, b.data() + e.e_shoff + i * sizeof(Shdr), sizeof s);
        return s;
    };
    const Shdr nomes = secao(e.e_shstrndx);
    for (std::size_t i = 0; i < e.e_shnum; ++i) {
        const Shdr s = secao(i);
        if (s.sh_type != SHT_NOTE || nomes.sh_offset + s.sh_name >= b.size()) continue;
        const char* nome = b.data() + nomes.sh_offset + s.sh_name;
        if (std::strncmp(nome, NomeSecao, sizeof NomeSecao) != 0) continue;
        // namesz, descsz, type, then the owner's name and the four numbers.
        if (s.sh_offset + s.sh_size > b.size() || s.sh_size < 12 + 8 + 8) return std::nullopt;
        const char* p = b.data() + s.sh_offset;
        std::uint32_t tamanhoNome, tamanhoDados;
        std::memcpy(&tamanhoNome, p, 4);
        std::memcpy(&tamanhoDados, p + 4, 4);
        if (tamanhoNome != sizeof Dono || tamanhoDados != 8 || std::strcmp(p + 12, Dono) != 0)
            return std::nullopt;
        VersaoArquivo v;
        std::uint16_t n[4];
        std::memcpy(n, p + 12 + 8, sizeof n);
        v.maior = n[0];
        v.menor = n[1];
        v.revisao = n[2];
        v.compilacao = n[3];
        return v;
    }
    return std::nullopt;
}

bool TerminaComExe(const std::string& nome) {
    return nome.size() >= 4 && IguaisSemCaixa(nome.substr(nome.size() - 4), ".exe");
}

}  // namespace

std::optional<VersaoArquivo> LeVersaoDoArquivo(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) return std::nullopt;
    std::vector<char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (b.size() < EI_NIDENT || std::memcmp(b.data(), ELFMAG, SELFMAG) != 0) return std::nullopt;
    if (b[EI_CLASS] == ELFCLASS64) return LeNota<Elf64_Ehdr, Elf64_Shdr>(b);
    if (b[EI_CLASS] == ELFCLASS32) return LeNota<Elf32_Ehdr, Elf32_Shdr>(b);
    return std::nullopt;
}

std::string GetBuildInfo(const std::string& NomeExecutavel, const std::string& Tipo,
                         const std::string& pasta) {
    const bool comBuild = IguaisSemCaixa(Tipo, "BUILD");
    const std::string base =
        TerminaComExe(NomeExecutavel) ? NomeExecutavel.substr(0, NomeExecutavel.size() - 4) : NomeExecutavel;
    std::optional<VersaoArquivo> v;
    std::error_code erro;
    for (const auto& entrada :
         std::filesystem::directory_iterator(pasta.empty() ? PastaDoExecutavel() : pasta, erro)) {
        const std::string nome = entrada.path().filename().string();
        if (!IguaisSemCaixa(nome, base) && !IguaisSemCaixa(nome, base + ".exe")) continue;
        if ((v = LeVersaoDoArquivo(entrada.path().string()))) break;
    }
    if (!v) return comBuild ? "0.0.0.0" : "0.0.0";
    std::string texto = std::to_string(v->maior) + "." + std::to_string(v->menor) + "." +
                        std::to_string(v->revisao);
    if (comBuild) texto += "." + std::to_string(v->compilacao);
    return texto;
}
