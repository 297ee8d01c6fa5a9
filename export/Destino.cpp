#include "Destino.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

bool MesmoArquivo(const std::string& a, const std::string& b) {
    std::error_code e;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, e) && !e;
}

}  // namespace

std::string MotivoDestinoRecusado(TFDMExporta& dm, const std::string& caminho) {
    if (caminho.empty() || caminho.back() == '/')
        return "Informe o nome do arquivo a gravar.";
    struct stat st {};
    if (::stat(caminho.c_str(), &st) == 0) {
        const char* tipo = S_ISDIR(st.st_mode)    ? "uma pasta"
                           : S_ISFIFO(st.st_mode) ? "um FIFO"
                           : S_ISSOCK(st.st_mode) ? "um socket"
                           : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "um dispositivo"
                                                                        : nullptr;
        if (tipo)
            return "O destino " + caminho + " é " + tipo +
                   ", não um arquivo: informe o nome de um arquivo a gravar.";
    }
    if (MesmoArquivo(caminho, dm.ArquivoBancoLocal()))
        return "O destino " + caminho +
               " é o banco de dados da empresa: informe outro nome para o arquivo do Sintegra.";
    if (MesmoArquivo(caminho, dm.ArquivoConfiguracao()))
        return "O destino " + caminho +
               " é o arquivo de configuração do programa: informe outro nome para o arquivo do Sintegra.";
    return {};
}
