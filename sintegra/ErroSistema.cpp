#include "ErroSistema.h"

#include <cerrno>
#include <cstring>

std::string DescricaoErroSistema(int erro) {
    switch (erro) {
    case ENOSPC: return "o disco está cheio";
    case EDQUOT: return "a cota de disco do usuário acabou";
    case EACCES:
    case EPERM: return "sem permissão";
    case EFBIG: return "o arquivo ficou grande demais (limite de tamanho de arquivo)";
    case EROFS: return "o disco é somente leitura";
    case ENOENT: return "o arquivo ou a pasta não existe";
    case ENOTDIR: return "parte do caminho não é uma pasta";
    case EISDIR: return "o caminho é uma pasta";
    case EIO: return "erro de entrada e saída no disco";
    case ENAMETOOLONG: return "o nome do arquivo é longo demais";
    case EMFILE:
    case ENFILE: return "arquivos abertos demais";
    case EEXIST: return "o arquivo já existe";
    case ENOMEM: return "memória insuficiente";
    case EBUSY: return "o arquivo está em uso";
    case ETXTBSY: return "o arquivo está em uso por um programa";
    case EPIPE: return "a saída foi fechada";
    case ENXIO:
    case ENODEV: return "o dispositivo não existe";
    default: return std::string("erro do sistema ") + std::to_string(erro) + " (" + std::strerror(erro) + ")";
    }
}
