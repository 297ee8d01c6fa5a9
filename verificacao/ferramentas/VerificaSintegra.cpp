// Checks a Sintegra file before it goes to the tax authority.
//   VerificaSintegra ARQUIVO [--resumo] [--formato texto|csv]
// Exit status 0 without ERRO, 1 with ERRO, 2 when the file cannot be read or
// the arguments are wrong.
#include "Verificacao.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

const char* Ajuda =
    "Uso: VerificaSintegra ARQUIVO [--resumo] [--formato texto|csv]\n"
    "\n"
    "Confere um arquivo Sintegra antes da entrega: o tamanho e o fim de cada linha,\n"
    "os caracteres, a ordem e os campos de cada registro, CNPJ, CPF e Inscrição\n"
    "Estadual, datas do período, CFOP, modelos, as notas dos itens, os registros 75\n"
    "dos produtos, as reduções Z dos cupons e os totais do registro 90.\n"
    "\n"
    "Cada achado diz a linha, o registro, o campo e o que corrigir:\n"
    "  ERRO   o validador do Sintegra rejeitaria o arquivo;\n"
    "  AVISO  o arquivo seria aceito, mas algo parece errado.\n"
    "\n"
    "Opções:\n"
    "  --resumo           mostra também o resumo para o contador: registros por tipo,\n"
    "                     notas por CFOP e por alíquota, venda bruta por impressora\n"
    "                     e totais por alíquota dos cupons\n"
    "  --formato texto    achados em texto, um por linha (o padrão)\n"
    "  --formato csv      achados em CSV separado por ponto e vírgula\n"
    "  --help             mostra esta ajuda\n"
    "\n"
    "Saída: 0 sem ERRO, 1 com algum ERRO, 2 se o arquivo não puder ser lido.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string arquivo;
    bool resumo = false, csv = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << Ajuda;
            return 0;
        }
        if (a == "--resumo") {
            resumo = true;
        } else if (a == "--formato" && i + 1 < argc) {
            const std::string f = argv[++i];
            if (f == "csv") csv = true;
            else if (f == "texto") csv = false;
            else {
                std::cerr << "Formato desconhecido: " << f << " (use texto ou csv).\n";
                return 2;
            }
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "Opção desconhecida: " << a << "\n\n" << Ajuda;
            return 2;
        } else if (arquivo.empty()) {
            arquivo = a;
        } else {
            std::cerr << "Informe um só arquivo.\n\n" << Ajuda;
            return 2;
        }
    }
    if (arquivo.empty()) {
        std::cerr << Ajuda;
        return 2;
    }

    std::error_code erro;
    std::ifstream f(arquivo, std::ios::binary);
    if (!f || std::filesystem::is_directory(arquivo, erro)) {
        std::cerr << "Não foi possível abrir o arquivo " << arquivo << ".\n";
        return 2;
    }
    if (csv) std::cout << verificacao::CabecalhoCSV() << "\n";
    verificacao::Resumo r;
    verificacao::Contagem c;
    const bool lido = verificacao::VerificaFluxo(
        f,
        [&](const verificacao::Achado& a) {
            std::cout << (csv ? verificacao::LinhaCSV(a) : verificacao::TextoAchado(a)) << "\n";
        },
        &r, &c);
    if (!lido) {
        std::cerr << "Falha ao ler o arquivo " << arquivo << ".\n";
        return 2;
    }
    if (csv) {
        if (resumo) std::cout << "\n" << verificacao::ResumoCSV(r);
    } else {
        std::cout << (c.Erros + c.Avisos == 0 ? "Nenhum achado.\n" : "") << arquivo << ": " << c.Erros << " ERRO, "
                  << c.Avisos << " AVISO, " << r.Linhas << " linhas.\n";
        if (resumo) std::cout << "\n" << verificacao::TextoResumo(r);
    }
    return c.Erros > 0 ? 1 : 0;
}
