// How long a large month takes to export, against the time of the run's own
// queries alone (fetched and discarded), and how much memory the export needs.
//   BenchExportacao [BANCO.fdb]
// Builds the database from mes-grande.sql when the file does not exist. Each
// measurement runs in a child process, so that its peak memory is its own.
#include "DMNelvora.h"
#include "Script.h"
#include "ThExporta.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

const Data Inicio = FazData(2010, 3, 1);
const Data Fim = FazData(2010, 3, 31);

long MemoriaResidenteKb() {
    std::ifstream f("/proc/self/status");
    std::string linha;
    while (std::getline(f, linha))
        if (linha.rfind("VmRSS:", 0) == 0) return std::stol(linha.substr(6));
    return 0;
}

// Runs a catalogue entry's SQL with the given parameters through one prepared
// statement, fetching every row; `linha` sees each row's buffer. Every read
// runs in one read-only read-committed transaction, as the run's do.
class ConsultaCrua {
public:
    ConsultaCrua(fb::Conexao& c, fb::Transacao& leitura, const TConjuntoDados& entrada)
        : conexao_(c), leitura_(leitura), nomes_(entrada.NomesParametros()) {
        comando_ = std::make_unique<fb::Comando>(c, leitura_, entrada.Sql());
    }
    std::size_t Roda(const std::map<std::string, Valor>& parametros,
                     const std::function<void(const fb::Comando&, const unsigned char*)>& linha = {}) {
        for (std::size_t i = 0; i < nomes_.size(); ++i) comando_->DefineParametro(i, parametros.at(nomes_[i]));
        std::size_t n = 0;
        comando_->Abre(leitura_, [&](const unsigned char* l) {
            ++n;
            if (linha) linha(*comando_, l);
        });
        return n;
    }
    const fb::ColunaResultado& Coluna(const std::string& nome) const {
        for (const auto& c : comando_->Colunas())
            if (c.nome == nome) return c;
        throw std::runtime_error("coluna " + nome);
    }

private:
    fb::Conexao& conexao_;
    fb::Transacao& leitura_;
    std::vector<std::string> nomes_;
    std::unique_ptr<fb::Comando> comando_;
};

// (a) The queries of the run, in its order, with its parameters.
std::size_t SoConsultas(const std::string& banco) {
    TFDMExporta dm(fs::temp_directory_path().string() + "/");
    auto conexao = fb::Conexao::Abre(banco, {"PRAXO", "varelomi", {}});
    fb::Transacao leitura(conexao, true);
    const Valor empresa = std::int64_t{1};
    std::size_t linhas = 0;
    std::vector<std::string> documentos;
    ConsultaCrua saidas(conexao, leitura, dm.CDSSaidas);
    linhas += saidas.Roda({{"TIPODOCUMENTO", "%"}, {"TIPOMOVIMENTO", "%"}, {"DATAINICIAL", Inicio},
                           {"DATAFINAL", Fim}, {"EMPRESA", empresa}, {"ATIVO", "%"}},
                          [&](const fb::Comando&, const unsigned char* l) {
                              if (fb::LeTexto(saidas.Coluna("AGRUPAMENTO"), l) != "ECF" &&
                                  fb::LeTexto(saidas.Coluna("MODELODOC"), l).substr(0, 1) != "2")
                                  documentos.push_back(fb::LeTexto(saidas.Coluna("CODMOVESTOQUE"), l));
                          });
    ConsultaCrua itensMov(conexao, leitura, dm.CDSItensMov);
    for (const auto& d : documentos) linhas += itensMov.Roda({{"EMPRESA", empresa}, {"MOVIMENTO", d}});
    ConsultaCrua itens(conexao, leitura, dm.CDSItens);
    linhas += itens.Roda({{"TIPODOCUMENTO", "%"}, {"TIPOMOVIMENTO", "%"}, {"DATAINICIAL", Inicio},
                          {"DATAFINAL", Fim}, {"EMPRESA", empresa}, {"ATIVO", "A"}});
    std::vector<std::pair<std::int64_t, std::pair<Data, std::string>>> reducoes;
    ConsultaCrua m(conexao, leitura, dm.CDSECFM);
    linhas += m.Roda({{"EMPRESA", empresa}, {"DATAINICIO", Inicio}, {"DATAFIM", Fim}},
                     [&](const fb::Comando&, const unsigned char* l) {
                         reducoes.push_back({fb::LeInteiro(m.Coluna("COD60M"), l),
                                             {fb::LeData(m.Coluna("DATAEMISSAO"), l),
                                              fb::LeTexto(m.Coluna("SERIEECF"), l)}});
                     });
    ConsultaCrua a(conexao, leitura, dm.CDSECFA), d(conexao, leitura, dm.CDSECFDMaquina),
        i(conexao, leitura, dm.CDSECFIMaquina);
    for (const auto& [codigo, diaSerie] : reducoes) {
        linhas += a.Roda({{"CODIGO", codigo}});
        const std::map<std::string, Valor> p = {{"EMPRESA", empresa}, {"DI", diaSerie.first},
                                                {"DF", diaSerie.first}, {"SERIEECF", diaSerie.second}};
        linhas += d.Roda(p);
        linhas += i.Roda(p);
    }
    std::vector<std::string> produtos;
    ConsultaCrua r(conexao, leitura, dm.CDSECFR);
    linhas += r.Roda({{"EMPRESA", empresa}, {"DI", Inicio}, {"DF", Fim}},
                     [&](const fb::Comando&, const unsigned char* l) {
                         produtos.push_back(fb::LeTexto(r.Coluna("PRODUTO"), l));
                     });
    ConsultaCrua produto(conexao, leitura, dm.CDSConsProduto);
    for (const auto& p : produtos) linhas += produto.Roda({{"EMPRESA", empresa}, {"PRODUTO", p}});
    ConsultaCrua n61(conexao, leitura, dm.CDSReg61), n61R(conexao, leitura, dm.CDSReg61R);
    const std::map<std::string, Valor> periodo = {{"EMPRESA", empresa}, {"DATAINICIAL", Inicio}, {"DATAFINAL", Fim}};
    linhas += n61.Roda(periodo);
    linhas += n61R.Roda(periodo);
    ConsultaCrua inventario(conexao, leitura, dm.CDSInventario);
    linhas += inventario.Roda({{"GRUPO", "%"}, {"SUBGRUPO", "%"}, {"LINHA", "%"}, {"FABRICANTE", "%"},
                               {"SITUACAO", "%"}, {"ORIGEM", "%"}, {"EMPRESA", empresa},
                               {"DATAPOSICAO", Fim}, {"ORDEM", "C"}});
    ConsultaCrua cadastro(conexao, leitura, dm.CDSCadProduto);
    linhas += cadastro.Roda({{"EMPRESA", empresa}});
    return linhas;
}

// Resident memory at the start of each stage.
class ProgressoMedido : public TProgressoMudo {
public:
    void Etapa(const std::string& texto) override {
        medidas.emplace_back(texto, MemoriaResidenteKb());
    }
    std::vector<std::pair<std::string, long>> medidas;
};

// (b) The whole export of the month, as Processar and Exportar start it.
std::size_t Exporta(const std::string& banco, const std::string& saida) {
    const std::string pasta = fs::path(saida).parent_path().string() + "/";
    std::ofstream(pasta + "dbxconnections.ini") << "[EMPRESA]\nDatabase=" << banco << "\n";
    TFDMExporta dm(pasta);
    OpcoesExportacao o;
    o.empresa = 1;
    o.dataInicial = Inicio;
    o.dataFinal = Fim;
    o.itensCupom = o.inventario = o.registro88 = true;
    o.dataInventario = Fim;
    const long antes = MemoriaResidenteKb();
    PreparaExportacao(dm, o);
    sintegra::tSintegra gerador(pasta);
    gerador.AbreArquivo(fs::path(saida).filename().string());
    EstadoExportacao estado;
    ProgressoMedido progresso;
    ThExporta run(dm, gerador, o, estado, progresso);
    if (!run.Executa()) throw std::runtime_error("a exportação falhou");
    std::fprintf(stderr, "  memória residente: %ld kB antes da conexão", antes);
    for (const auto& [etapa, kb] : progresso.medidas) std::fprintf(stderr, "; %s %ld kB", etapa.c_str(), kb);
    std::fprintf(stderr, "\n");
    // Where the time goes: each catalogue entry the run opened.
    std::fprintf(stderr, "  tempo de cada consulta do catálogo na exportação:\n");
    for (const auto* c : dm.Catalogo())
        if (c->QuantidadeAberturas() > 0)
            std::fprintf(stderr, "    %-18s %7d abertura(s) %9.2f s\n", c->Nome().c_str(), c->QuantidadeAberturas(),
                         std::chrono::duration<double>(c->TempoAberturas()).count());
    return static_cast<std::size_t>(gerador.QtdTotal() + 2);
}

struct Medida {
    double segundos = 0;
    long picoKb = 0;
    std::size_t quantidade = 0;
};

// Runs `f` in a child process; its time, peak memory and result.
Medida EmProcessoFilho(const std::function<std::size_t()>& f) {
    int canal[2];
    if (::pipe(canal) != 0) throw std::runtime_error("pipe");
    const auto inicio = Relogio::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(canal[0]);
        std::size_t n = 0;
        try {
            n = f();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "erro: %s\n", e.what());
            ::_exit(1);
        }
        if (::write(canal[1], &n, sizeof n) != sizeof n) ::_exit(1);
        ::_exit(0);
    }
    ::close(canal[1]);
    Medida m;
    if (::read(canal[0], &m.quantidade, sizeof m.quantidade) != sizeof m.quantidade)
        throw std::runtime_error("a medida falhou");
    ::close(canal[0]);
    int status;
    rusage uso{};
    ::wait4(pid, &status, 0, &uso);
    m.segundos = std::chrono::duration<double>(Relogio::now() - inicio).count();
    m.picoKb = uso.ru_maxrss;
    return m;
}

std::size_t ItensDoMes(const std::string& banco) {
    auto c = fb::Conexao::Abre(banco, {"PRAXO", "varelomi", {}});
    TConjuntoDados q("QContagem", "QContagem",
                     {"SELECT COUNT(*) AS N FROM ITEMESTOQUE I JOIN MOVESTOQUE M ON (M.CODMOVESTOQUE = "
                      "I.CODMOVESTOQUE) WHERE M.CODEMPRESA = 1 AND M.DATAMOVIMENTO BETWEEN '2010-03-01' AND "
                      "'2010-03-31'"},
                     {Inteiro("N")});
    fb::Transacao leitura(c, true);
    ConsultaCrua contagem(c, leitura, q);
    std::size_t n = 0;
    contagem.Roda({}, [&](const fb::Comando&, const unsigned char* l) {
        n = static_cast<std::size_t>(fb::LeInteiro(contagem.Coluna("N"), l));
    });
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string banco = argc > 1 ? argv[1] : (fs::temp_directory_path() / "praxo-bench-mes-grande.fdb").string();
    if (!fs::exists(banco)) {
        std::fprintf(stderr, "Criando %s ...\n", banco.c_str());
        const auto inicio = Relogio::now();
        auto c = fb::Conexao::Cria(banco, {"PRAXO", "varelomi", {}});
        ExecutaArquivoScript(c, PRAXO_PASTA_SQL "/esquema.sql");
        ExecutaArquivoScript(c, PRAXO_BENCH_SQL);
        std::fprintf(stderr, "  em %.1f s\n", std::chrono::duration<double>(Relogio::now() - inicio).count());
    }
    const std::size_t itens = ItensDoMes(banco);
    const std::string saida = (fs::temp_directory_path() / "praxo-bench" / "SINTEGRA.TXT").string();
    fs::create_directories(fs::path(saida).parent_path());

    SoConsultas(banco);  // once to warm the file cache
    const Medida consultas = EmProcessoFilho([&] { return SoConsultas(banco); });
    const Medida exportacao = EmProcessoFilho([&] { return Exporta(banco, saida); });

    std::printf("Itens do mês:                    %zu\n", itens);
    std::printf("(a) só as consultas:             %.2f s (%zu linhas lidas, pico %ld MB)\n", consultas.segundos,
                consultas.quantidade, consultas.picoKb / 1024);
    std::printf("(b) exportação completa:         %.2f s (%zu registros gravados)\n", exportacao.segundos,
                exportacao.quantidade);
    std::printf("razão (b)/(a):                   %.2f\n", exportacao.segundos / consultas.segundos);
    std::printf("registros gravados por segundo:  %.0f\n", exportacao.quantidade / exportacao.segundos);
    std::printf("pico de memória da exportação:   %ld MB, %.0f bytes por item do mês\n", exportacao.picoKb / 1024,
                exportacao.picoKb * 1024.0 / static_cast<double>(itens));
    fs::remove(saida);
    return 0;
}
