// ExportaSintegra run as a program: its outputs and exit statuses.
#include "../../data/testes/BancoTeste.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* Base = R"(
INSERT INTO CIDADE VALUES (1, 'BLUMENAU', 'SC', 4202404);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, RAZAOSOCIAL, CNPJ, INSCRICAOESTADUAL, CODCIDADE)
  VALUES (1, 'LOJA', 'LOJA LTDA', '11222333000181', '251000001', 1);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, RAZAOSOCIAL, CNPJ, CODCIDADE) VALUES (3, 'SEM CIDADE', 'SEM CIDADE LTDA', '11222333000181', NULL);
INSERT INTO CADASTRO (CODCADASTRO, NOMECLIENTE, CNPJ, CODCIDADE) VALUES (1, 'CLIENTE', '22333444000181', 1);
INSERT INTO UNIDADE VALUES (1, 'UN', 'UN');
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (1, 1);
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (1, 'P1', 'PRODUTO');
)";

// `quantos` sales of March 2010, one item each.
std::string Vendas(int quantos) {
    return "SET TERM ^ ;\nEXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(quantos) +
           ") DO BEGIN I = I + 1; "
           "INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, DATADOCUMENTO, "
           "MOVIMENTO, AGRUPAMENTO, NUMERODOC, SERIEDOC, MODELODOC, CFOP, VALOR, VALORPRODUTOS) VALUES "
           "('S' || :I, 1, 1, '2010-03-10', '2010-03-10', 'S', 'NFT', :I, '1', '01', '5102', 10, 10); "
           "INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODUNIDADE, QUANTIDADE, "
           "QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, BASEICMS, ALIQUOTAICMS, SITUACAOTRIBUTARIA, CFOP) VALUES "
           "('S' || :I, 1, 1, 1, 1, 1, 10, 10, 17, '000', '5102'); END END^\nSET TERM ; ^\n";
}

struct Execucao {
    int status = -1;
    std::string saida, erros;
};

std::string Le(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

class ComandoTest : public ::testing::Test {
protected:
    // Starts the command; `aoIniciar` runs while it runs.
    Execucao Roda(std::vector<std::string> argumentos, const std::function<void(pid_t)>& aoIniciar = {},
                  fs::path saida = {}, std::string programa = PRAXO_EXPORTA_SINTEGRA) {
        if (saida.empty()) saida = pasta.Caminho() / "stdout.txt";
        const fs::path erros = pasta.Caminho() / "stderr.txt";
        posix_spawn_file_actions_t acoes;
        posix_spawn_file_actions_init(&acoes);
        posix_spawn_file_actions_addopen(&acoes, 1, saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&acoes, 2, erros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        argumentos.insert(argumentos.begin(), programa);
        std::vector<char*> argv;
        for (auto& a : argumentos) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid;
        EXPECT_EQ(posix_spawn(&pid, programa.c_str(), &acoes, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&acoes);
        if (aoIniciar) aoIniciar(pid);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                fs::is_regular_file(saida) ? Le(saida) : "", Le(erros)};
    }
    std::vector<std::string> Periodo(std::vector<std::string> extra) {
        std::vector<std::string> a = {"--config", banco->Pasta() + "dbxconnections.ini", "--saida", Arquivo()};
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    }
    std::string Arquivo() const { return (pasta.Caminho() / "saida" / "SAIDA.TXT").string(); }
    void SetUp() override { fs::create_directory(pasta.Caminho() / "saida"); }

    testes::PastaTemporaria pasta;
    std::unique_ptr<testes::BancoTeste> banco = std::make_unique<testes::BancoTeste>(std::string(Base) + Vendas(3));
};

TEST_F(ComandoTest, AjudaExplicaCadaOpcao) {
    const auto r = Roda({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* opcao : {"--empresa", "--mes", "--ano", "--inicio", "--fim", "--itens-cupom", "--paf-ecf",
                              "--inventario", "--reg88", "--novo-contador", "--assinar", "--saida", "--config",
                              "--sem-verificacao"})
        EXPECT_NE(r.saida.find(opcao), std::string::npos) << opcao;
}

TEST_F(ComandoTest, ExportaEContaOsRegistros) {
    const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010", "--reg88"}));
    EXPECT_EQ(r.status, 0) << r.erros;
    EXPECT_NE(r.saida.find(Arquivo()), std::string::npos);
    EXPECT_NE(r.saida.find("registros 50: 3"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("registros 54: 3"), std::string::npos) << r.saida;
    EXPECT_NE(r.erros.find("Etapa : 9 / 9"), std::string::npos) << r.erros;
    // No accountant in the database: the 88EC goes out blank, and the user is told.
    EXPECT_NE(r.erros.find("não tem responsável técnico (contador) cadastrado"), std::string::npos) << r.erros;
    EXPECT_EQ(Le(Arquivo()).size() % 128, 0u);
    // The written file is checked as the authority's validator would.
    EXPECT_NE(r.saida.find("Verificação do arquivo: "), std::string::npos) << r.saida;
    const auto sem = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010", "--sem-verificacao"}));
    EXPECT_EQ(sem.status, 0) << sem.erros;
    EXPECT_EQ(sem.saida.find("Verificação"), std::string::npos) << sem.saida;
}

TEST_F(ComandoTest, ErrosSaoClarosENaoGravamArquivo) {
    struct Caso {
        std::vector<std::string> argumentos;
        int status;
        std::string mensagem;
    } casos[] = {
        {{}, 2, "Informe a empresa"},
        {{"--empresa", "1"}, 2, "Informe o período"},
        {{"--empresa", "1", "--mes", "3", "--ano", "2010", "--inicio", "01/03/2010"}, 2, "Informe o período"},
        {{"--empresa", "x", "--mes", "3", "--ano", "2010"}, 2, "Valor inválido para --empresa"},
        {{"--empresa", "1", "--mes", "3", "--ano", "2010", "--nada"}, 2, "Opção desconhecida: --nada"},
        {{"--empresa", "1", "--inicio", "31/02/2010", "--fim", "01/03/2010"}, 2, "Data inválida para --inicio"},
        {{"--empresa", "1", "--mes", "3", "--ano", "0"}, 1, "Ano informado inválido."},
        {{"--empresa", "1", "--mes", "13", "--ano", "2010"}, 1, "O período informado é inválido."},
        {{"--empresa", "1", "--inicio", "10/03/2010", "--fim", "05/03/2010"}, 1, "O período informado é inválido."},
        {{"--empresa", "9", "--mes", "3", "--ano", "2010"}, 1, "A empresa 9 não existe"},
        {{"--empresa", "1", "--mes", "4", "--ano", "2010"}, 1, "Não existem informações a serem exportadas"},
        {{"--empresa", "1", "--mes", "3", "--ano", "10"}, 1, "Ano informado inválido: 10"},
        {{"--empresa", "1", "--mes", "3", "--ano", "2100"}, 1, "Ano informado inválido"},
        {{"--empresa", "1", "--inicio", "01/03/10", "--fim", "31/03/2010"}, 2, "Data inválida para --inicio"},
        {{"--empresa", "1", "--inicio", "01/03/1899", "--fim", "31/03/2010"}, 2, "o ano vai de 1900 a 2099"},
        {{"--empresa", "3", "--mes", "3", "--ano", "2010"}, 1, "A empresa 3 está sem cidade"},
        {{"--empresa", "1", "--mes", "3", "--ano", "2010", "--saida", ""}, 2, "Informe o nome do arquivo"},
    };
    for (const auto& c : casos) {
        const auto r = Roda(Periodo(c.argumentos));
        EXPECT_EQ(r.status, c.status) << r.erros;
        EXPECT_NE(r.erros.find(c.mensagem), std::string::npos) << r.erros;
        EXPECT_TRUE(fs::is_empty(pasta.Caminho() / "saida"));
    }
}

// A destination that is not a plain file, or that is the database or the
// configuration, is refused before anything is read, and is left as it was.
TEST_F(ComandoTest, DestinoQueDestruiriaOutroArquivoERecusado) {
    const fs::path fifo = pasta.Caminho() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string ini = banco->Pasta() + "dbxconnections.ini";
    const auto tamanhoBanco = fs::file_size(banco->Arquivo());
    const std::pair<std::string, std::string> casos[] = {
        {banco->Arquivo(), "é o banco de dados da empresa"},
        {(pasta.Caminho() / "saida").string(), "é uma pasta"},
        {fifo.string(), "é um FIFO"},
        {"/dev/null", "é um dispositivo"},
        {ini, "é o arquivo de configuração"},
    };
    for (const auto& [destino, mensagem] : casos) {
        auto argumentos = Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010"});
        argumentos[3] = destino;  // --saida
        const auto r = Roda(argumentos);
        EXPECT_EQ(r.status, 1) << destino;
        EXPECT_NE(r.erros.find(mensagem), std::string::npos) << r.erros;
    }
    EXPECT_EQ(fs::file_size(banco->Arquivo()), tamanhoBanco);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(pasta.Caminho() / "saida"));
    EXPECT_NE(Le(ini).find("[EMPRESA]"), std::string::npos);
}

TEST_F(ComandoTest, ConfiguracaoAusenteEErroDoBanco) {
    const auto r = Roda({"--config", (pasta.Caminho() / "nao-existe.ini").string(), "--empresa", "1", "--mes", "3",
                         "--ano", "2010"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("Driver/Connection Registry File"), std::string::npos) << r.erros;
}

// Ctrl-C, SIGTERM and SIGHUP, early or late in the run, stop it and publish
// nothing: the earlier file stays byte for byte and no temporary file is left.
// The command stops itself when the stage begins (PRAXO_PARA_EM), so the
// signal always arrives in that stage.
TEST_F(ComandoTest, InterrupcoesNaoPublicamNada) {
    const std::string anterior = std::string(126, 'A') + "\r\n";
    for (const char* etapa : {"Etapa : 1 / 9", "Etapa : 8 / 9"})
        for (const auto& [sinal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
            testes::EscreveArquivo(Arquivo(), anterior);
            ::setenv("PRAXO_PARA_EM", etapa, 1);
            const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010"}), [&](pid_t pid) {
                int st = 0;
                ASSERT_EQ(::waitpid(pid, &st, WUNTRACED), pid);
                ASSERT_TRUE(WIFSTOPPED(st)) << etapa;
                ::kill(pid, sinal);
                ::kill(pid, SIGCONT);
            });
            ::unsetenv("PRAXO_PARA_EM");
            EXPECT_EQ(r.status, status) << etapa << " " << sinal << ": " << r.erros;
            EXPECT_NE(r.erros.find("nenhum arquivo foi gravado"), std::string::npos) << r.erros;
            EXPECT_EQ(Le(Arquivo()), anterior) << etapa << " " << sinal;
            EXPECT_EQ(std::distance(fs::directory_iterator(pasta.Caminho() / "saida"), {}), 1) << etapa;
        }
}

// The window and the command (or two of either) work on one embedded
// database at the same time.
TEST_F(ComandoTest, DoisProgramasNoMesmoBanco) {
    auto dm = banco->Modulo();
    dm->ClientEmpresaLocal.Abre();  // this program holds the database open
    const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010"}));
    EXPECT_EQ(r.status, 0) << r.erros;
    dm->ClientEmpresaLocal.Fecha();
    dm->ClientEmpresaLocal.Abre();  // and still reads it afterwards
    EXPECT_FALSE(dm->ClientEmpresaLocal.Vazio());
}

// In PAF-ECF mode a missing maker's library fails at once, before the
// database is even opened (here it could not be: the configuration names none).
TEST_F(ComandoTest, ModoPafEcfSemBibliotecaFalhaAntesDeLerOBanco) {
    const fs::path programa = pasta.Caminho() / "ExportaSintegra";
    fs::copy_file(PRAXO_EXPORTA_SINTEGRA, programa);
    testes::EscreveArquivo(pasta.Caminho() / "dbxconnections.ini",
                           "[EMPRESA]\nDatabase=" + (pasta.Caminho() / "nao-existe.fdb").string() + "\n");
    const auto r = Roda({"--empresa", "1", "--mes", "3", "--ano", "2010", "--assinar", "--saida", Arquivo()}, {},
                        {}, programa.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("PraxoLib.Dll não disponível."), std::string::npos) << r.erros;
    EXPECT_EQ(r.erros.find("nao-existe.fdb"), std::string::npos) << r.erros;
    EXPECT_TRUE(fs::is_empty(pasta.Caminho() / "saida"));
}

// A failed write of the record counts is an error, though the file is there.
TEST_F(ComandoTest, SaidaPadraoQueFalhaDaErro) {
    const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010"}), {}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("Não foi possível escrever na saída padrão: o disco está cheio"), std::string::npos)
        << r.erros;
    EXPECT_TRUE(fs::exists(Arquivo()));
}

}  // namespace
