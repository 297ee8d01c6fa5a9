// ExportaSintegra: the export of the main window without a window, for
// automation and for a first try on a machine without a display.
#include "DMNelvora.h"
#include "ErroSistema.h"
#include "Destino.h"
#include "Plataforma.h"
#include "Regras.h"
#include "ThExporta.h"
#include "Verificacao.h"
#include "Versao.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

const char* const Meses[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                             "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};

const char* const Ajuda = R"(Uso: ExportaSintegra --empresa N (--mes M --ano AAAA | --inicio DD/MM/AAAA --fim DD/MM/AAAA) [opções]

Exporta os movimentos fiscais de uma empresa para o arquivo do Sintegra, como o
botão Exportar da janela principal, sem janela.

  --empresa N            código da empresa (CODEMPRESA)
  --mes M --ano AAAA     período mensal: o mês M (1 a 12) do ano AAAA
  --inicio DD/MM/AAAA --fim DD/MM/AAAA
                         período livre; o nome do arquivo leva o mês e o ano do início
  --itens-cupom          exporta os itens de cupom fiscal (registros 60D, 60I e 60R)
  --paf-ecf              obtém os dados de cupom gerados pelo PAF-ECF
  --inventario [DD/MM/AAAA]
                         exporta o inventário (registros 74) na data dada, ou no
                         último dia do período
  --reg88                gera os registros 88EC (contador) e 88SF
  --novo-contador        declara novo responsável técnico no registro 88EC
  --assinar              modo PAF-ECF: dados do PAF-ECF e itens de cupom, e o arquivo
                         é assinado pela biblioteca PraxoLib.dll (registro EAD)
  --saida ARQUIVO        o arquivo a gravar; sem ela, SINTEGRA_<empresa>_<mês>_<ano>.TXT
                         na pasta do programa
  --config ARQUIVO       o dbxconnections.ini a ler; sem ela, o da pasta do programa
  --sem-verificacao      não verifica o arquivo gravado (por padrão ele é verificado
                         como o validador do Sintegra faria, e os ERROS e AVISOS
                         encontrados são mostrados; a situação de saída não muda)
  --help                 mostra esta ajuda

O progresso vai para a saída de erros. Ao terminar, mostra o nome completo do
arquivo e quantos registros de cada tipo ele tem.

Situação de saída: 0 exportado; 1 erro (empresa desconhecida, período inválido,
nada a exportar, falha na exportação, destino recusado); 2 argumentos inválidos;
130, 143 e 129 interrompido por Ctrl-C, SIGTERM ou SIGHUP: nenhum arquivo é
gravado e um arquivo anterior de mesmo nome fica como estava.
)";

EstadoExportacao Estado;
std::atomic<int> Sinal{0};
int TuboSinal[2] = {-1, -1};
// The connection the watcher interrupts; the mutex keeps it alive while it does.
std::mutex TravaConexao;
TConexaoSQL* ConexaoAtiva = nullptr;
std::atomic<bool> Terminando{false};

// Ctrl-C, SIGTERM and SIGHUP stop the run at once: it publishes nothing.
extern "C" void AoInterromper(int sinal) {
    int esperado = 0;
    Sinal.compare_exchange_strong(esperado, sinal);
    Estado.Interrompe = true;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(TuboSinal[1], &byte, 1);
}

// Installed before the database is opened, so that no interrupt is lost. A
// watcher thread stops the statement the engine is running, again and again
// until the command ends, so that even a long query gives way within a second.
void InstalaInterrupcoes() {
    if (::pipe(TuboSinal) != 0) return;
    std::thread([] {
        char byte;
        while (::read(TuboSinal[0], &byte, 1) < 0 && errno == EINTR) {
        }
        while (!Terminando) {
            {
                std::lock_guard trava(TravaConexao);
                if (ConexaoAtiva) ConexaoAtiva->Interrompe();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }).detach();
    struct sigaction acao {};
    acao.sa_handler = AoInterromper;
    sigemptyset(&acao.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &acao, nullptr);
    // A file-size limit and a closed output are ordinary write errors.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

// Ends the command at once: the run has already removed its temporary file,
// and the engine, whose statement may have been stopped halfway, is left as a
// kill would leave it rather than taken through an orderly shutdown.
[[noreturn]] void TerminaInterrompido() {
    std::cerr << "A exportação foi interrompida; nenhum arquivo foi gravado.\n";
    std::cerr.flush();
    std::_Exit(128 + Sinal.load());
}

// For the tests of interrupts: when the stage named in PRAXO_PARA_EM begins,
// the command stops itself (SIGSTOP) and, once continued, waits for the
// interrupt it was sent before going on.
void ParaSePedido(const std::string& etapa) {
    static const char* pedido = std::getenv("PRAXO_PARA_EM");
    if (!pedido || etapa != pedido) return;
    ::raise(SIGSTOP);
    for (int i = 0; i < 1000 && !Estado.Interrompe; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class ErroUso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Progress on standard error: one line per stage, and a live line on a terminal.
class ProgressoConsole : public TProgressoExportacao {
public:
    ProgressoConsole() : terminal_(::isatty(STDERR_FILENO)) {}
    void Etapa(const std::string& texto) override {
        LimpaLinha();
        etapa_ = texto;
        pendente_ = true;
        ParaSePedido(texto);
    }
    void Descricao(const std::string& texto) override {
        if (pendente_) {
            LimpaLinha();
            std::cerr << etapa_ << " - " << texto << "\n";
            pendente_ = false;
        }
    }
    void MaximoStatus(int maximo) override { maximo_ = maximo; }
    void PosicaoStatus(int posicao) override {
        if (!terminal_ || maximo_ <= 0 || posicao <= 0) return;
        const int passo = std::max(1, maximo_ / 200);
        if (posicao % passo && posicao != maximo_) return;
        std::fprintf(stderr, "\r  %s  %d / %d ", etapa_.c_str(), posicao, maximo_);
        linhaViva_ = true;
    }
    void MaximoItens(int maximo) override { MaximoStatus(maximo); }
    void PosicaoItens(int posicao) override { PosicaoStatus(posicao); }
    void TotalRegistros(const std::string&) override {}
    void CursorEspera(bool) override {}
    void MensagemFinal(const std::string&) override { LimpaLinha(); }
    void Erro(const std::string& texto) override {
        LimpaLinha();
        std::cerr << "Erro: " << texto << "\n";
    }

private:
    void LimpaLinha() {
        if (linhaViva_) std::fprintf(stderr, "\r%80s\r", "");
        linhaViva_ = false;
    }
    bool terminal_;
    bool linhaViva_ = false;
    bool pendente_ = false;
    std::string etapa_;
    int maximo_ = 0;
};

// Years of four digits, 1900 to 2099: "10" is not 2010.
bool AnoValido(int ano) { return ano >= 1900 && ano <= 2099; }

int Numero(const std::string& opcao, const std::string& valor) {
    long long n;
    if (!LeInteiro(valor, n) || n < 0 || n > 999999) throw ErroUso("Valor inválido para " + opcao + ": " + valor);
    return static_cast<int>(n);
}

Data DataArgumento(const std::string& opcao, const std::string& valor) {
    Data d;
    const auto barra = valor.rfind('/');
    if (!LeTextoData(valor, d) || barra == std::string::npos || valor.size() - barra - 1 != 4)
        throw ErroUso("Data inválida para " + opcao + ": " + valor + " (use DD/MM/AAAA)");
    if (!AnoValido(static_cast<int>(d.year())))
        throw ErroUso("Data inválida para " + opcao + ": " + valor + " (o ano vai de 1900 a 2099)");
    return d;
}

struct Argumentos {
    int empresa = -1, mes = -1, ano = -1;
    std::optional<Data> inicio, fim, inventario;
    bool comInventario = false;
    OpcoesExportacao opcoes;
    std::optional<std::string> saida;
    std::string config;
    bool verifica = true;
};

Argumentos LeArgumentos(int argc, char** argv) {
    Argumentos a;
    for (int i = 1; i < argc; ++i) {
        const std::string op = argv[i];
        auto valor = [&]() -> std::string {
            if (i + 1 >= argc) throw ErroUso("Falta o valor de " + op);
            return argv[++i];
        };
        if (op == "--empresa") a.empresa = Numero(op, valor());
        else if (op == "--mes") a.mes = Numero(op, valor());
        else if (op == "--ano") a.ano = Numero(op, valor());
        else if (op == "--inicio") a.inicio = DataArgumento(op, valor());
        else if (op == "--fim") a.fim = DataArgumento(op, valor());
        else if (op == "--itens-cupom") a.opcoes.itensCupom = true;
        else if (op == "--paf-ecf") a.opcoes.pafEcf = true;
        else if (op == "--inventario") {
            a.comInventario = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') a.inventario = DataArgumento(op, argv[++i]);
        } else if (op == "--reg88") a.opcoes.registro88 = true;
        else if (op == "--novo-contador") a.opcoes.novoContador = true;
        else if (op == "--assinar") a.opcoes.modoPafEcf = true;
        else if (op == "--saida") a.saida = valor();
        else if (op == "--config") a.config = valor();
        else if (op == "--sem-verificacao") a.verifica = false;
        else throw ErroUso("Opção desconhecida: " + op);
    }
    if (a.empresa < 0) throw ErroUso("Informe a empresa (--empresa N).");
    const bool mensal = a.mes >= 0 || a.ano >= 0;
    const bool livre = a.inicio || a.fim;
    if (mensal == livre) throw ErroUso("Informe o período: --mes e --ano, ou --inicio e --fim.");
    if (a.saida && a.saida->empty()) throw ErroUso("Informe o nome do arquivo em --saida.");
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << Ajuda;
            return 0;
        }
    Argumentos a;
    try {
        a = LeArgumentos(argc, argv);
    } catch (const ErroUso& e) {
        std::cerr << e.what() << "\nUse --help para ver as opções.\n";
        return 2;
    }

    // The period, as Processar fixes it.
    auto& o = a.opcoes;
    o.empresa = a.empresa;
    int mesNome, anoNome;
    if (a.mes >= 0 || a.ano >= 0) {
        if (a.ano <= 0) {
            std::cerr << "Ano informado inválido.\n";
            return 1;
        }
        if (!AnoValido(a.ano)) {
            std::cerr << "Ano informado inválido: " << a.ano << " (use os quatro dígitos, de 1900 a 2099).\n";
            return 1;
        }
        if (a.mes < 1 || a.mes > 12) {
            std::cerr << "O período informado é inválido.\n";
            return 1;
        }
        o.dataInicial = PrimeiroDiaMes(FazData(a.ano, static_cast<unsigned>(a.mes), 1));
        o.dataFinal = UltimoDiaMes(o.dataInicial);
        mesNome = a.mes;
        anoNome = a.ano;
    } else {
        if (!a.inicio || !a.fim || *a.inicio > *a.fim) {
            std::cerr << "O período informado é inválido.\n";
            return 1;
        }
        o.dataInicial = *a.inicio;
        o.dataFinal = *a.fim;
        mesNome = static_cast<int>(static_cast<unsigned>(o.dataInicial.month()));
        anoNome = static_cast<int>(o.dataInicial.year());
    }
    o.inventario = a.comInventario;
    o.dataInventario = a.inventario.value_or(o.dataFinal);
    if (o.modoPafEcf) o.pafEcf = o.itensCupom = true;

    InstalaInterrupcoes();
    TFDMExporta dm;
    {
        std::lock_guard trava(TravaConexao);
        ConexaoAtiva = &dm.SQLConnectionPRAXO;
    }
    // Before the data module goes, the watcher lets go of its connection.
    struct Solta {
        ~Solta() {
            std::lock_guard trava(TravaConexao);
            ConexaoAtiva = nullptr;
            Terminando = true;
        }
    } solta;
    if (!a.config.empty()) dm.DefineArquivoConfiguracao(std::filesystem::absolute(a.config).string());

    // The file: the program's folder and the monthly name, unless --saida names one.
    std::string pasta = PastaDoExecutavel(), nome;
    if (a.saida) {
        const auto caminho = std::filesystem::absolute(*a.saida);
        pasta = caminho.parent_path().string() + "/";
        nome = caminho.filename().string();
    } else {
        nome = "SINTEGRA_" + std::to_string(o.empresa) + "_" + Meses[mesNome - 1] + "_" +
               std::to_string(anoNome) + ".TXT";
    }
    try {
        // Nothing is read before the destination and the signer are known to be sound.
        if (const auto motivo = MotivoDestinoRecusado(dm, pasta + nome); !motivo.empty()) {
            std::cerr << motivo << "\n";
            return 1;
        }
        if (o.modoPafEcf) dm.Ponte.VerificaGeraEAD();
        if (!PreparaExportacao(dm, o)) {
            if (Estado.Interrompe) TerminaInterrompido();
            std::cerr << dm.MotivoEmpresaAusente(o.empresa) << "\n";
            return 1;
        }
        const auto& saidas = dm.CDSSaidas;
        if (saidas.Vazio()) {
            std::cerr << "Não existem informações a serem exportadas para a empresa " << o.empresa
                      << " no período de " << TextoData(o.dataInicial) << " a " << TextoData(o.dataFinal)
                      << ".\n";
            return 1;
        }
        if (o.registro88 && dm.CDSContador.Vazio())
            std::cerr << "Aviso: a empresa " << o.empresa
                      << " não tem responsável técnico (contador) cadastrado: o registro 88EC sai em branco.\n";
    } catch (const std::exception& e) {
        if (Estado.Interrompe) TerminaInterrompido();
        std::cerr << "Erro: " << e.what() << "\n";
        return 1;
    }
    if (Estado.Interrompe) TerminaInterrompido();

    sintegra::tSintegra gerador(pasta);
    if (!gerador.AbreArquivo(nome)) {
        std::cerr << gerador.MensagemFalhaCriacao() << "\n";
        return 1;
    }

    ProgressoConsole progresso;
    ThExporta exportacao(dm, gerador, o, Estado, progresso);
    const bool exportado = exportacao.Executa();
    Terminando = true;
    if (!exportado) {
        if (Estado.Interrompe) TerminaInterrompido();
        return 1;
    }

    const int outros = gerador.Qtd50() + gerador.Qtd54() + gerador.Qtd60() + gerador.Qtd61() +
                       gerador.Qtd74() + gerador.Qtd75() + gerador.Qtd88();
    std::cout << gerador.NomeArquivoCompleto() << "\n";
    const std::pair<const char*, int> contagem[] = {
        {"10", 1}, {"11", 1}, {"50", gerador.Qtd50()}, {"54", gerador.Qtd54()}, {"60", gerador.Qtd60()},
        {"61", gerador.Qtd61()}, {"74", gerador.Qtd74()}, {"75", gerador.Qtd75()}, {"88", gerador.Qtd88()},
        {"90", gerador.QtdTotal() - outros}};
    for (const auto& [tipo, quantidade] : contagem)
        if (quantidade > 0) std::cout << "  registros " << tipo << ": " << quantidade << "\n";
    std::cout << "  total de linhas: " << gerador.QtdTotal() + 2 << "\n";
    if (a.verifica) std::cout << verificacao::VerificaArquivoExportado(gerador.NomeArquivoCompleto()).Texto;
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "Não foi possível escrever na saída padrão: " << DescricaoErroSistema(errno)
                  << ". O arquivo foi gravado em " << gerador.NomeArquivoCompleto() << ".\n";
        return 1;
    }
    return 0;
}
