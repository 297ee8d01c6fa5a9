// ExportaSintegra run as a program: its outputs and exit statuses.
#include "../../data/testes/BancoTeste.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* Base = R"(
INSERT INTO CIDADE VALUES (1, 'BLUMENAU', 'SC', 4202404);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, RAZAOSOCIAL, CNPJ, INSCRICAOESTADUAL, CODCIDADE)
  VALUES (1, 'LOJA', 'LOJA LTDA', '11222333000181', '251000001', 1);
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
    Execucao Roda(std::vector<std::string> argumentos, const std::function<void(pid_t)>& aoIniciar = {}) {
        const fs::path saida = pasta.Caminho() / "stdout.txt", erros = pasta.Caminho() / "stderr.txt";
        posix_spawn_file_actions_t acoes;
        posix_spawn_file_actions_init(&acoes);
        posix_spawn_file_actions_addopen(&acoes, 1, saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&acoes, 2, erros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string programa = PRAXO_EXPORTA_SINTEGRA;
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
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Le(saida), Le(erros)};
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
                              "--inventario", "--reg88", "--novo-contador", "--assinar", "--saida", "--config"})
        EXPECT_NE(r.saida.find(opcao), std::string::npos) << opcao;
}

TEST_F(ComandoTest, ExportaEContaOsRegistros) {
    const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010", "--reg88"}));
    EXPECT_EQ(r.status, 0) << r.erros;
    EXPECT_NE(r.saida.find(Arquivo()), std::string::npos);
    EXPECT_NE(r.saida.find("registros 50: 3"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("registros 54: 3"), std::string::npos) << r.saida;
    EXPECT_NE(r.erros.find("Etapa : 9 / 9"), std::string::npos) << r.erros;
    EXPECT_EQ(Le(Arquivo()).size() % 128, 0u);
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
    };
    for (const auto& c : casos) {
        const auto r = Roda(Periodo(c.argumentos));
        EXPECT_EQ(r.status, c.status) << r.erros;
        EXPECT_NE(r.erros.find(c.mensagem), std::string::npos) << r.erros;
        EXPECT_TRUE(fs::is_empty(pasta.Caminho() / "saida"));
    }
}

TEST_F(ComandoTest, ConfiguracaoAusenteEErroDoBanco) {
    const auto r = Roda({"--config", (pasta.Caminho() / "nao-existe.ini").string(), "--empresa", "1", "--mes", "3",
                         "--ano", "2010"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.erros.find("Driver/Connection Registry File"), std::string::npos) << r.erros;
}

// Ctrl-C takes the cancel path: the file is closed with records 88 and 90 for
// what was written, and the command ends with 130.
TEST_F(ComandoTest, CtrlCCancelaEFechaOArquivo) {
    banco = std::make_unique<testes::BancoTeste>(std::string(Base) + Vendas(20000));
    const auto r = Roda(Periodo({"--empresa", "1", "--mes", "3", "--ano", "2010"}), [&](pid_t pid) {
        // Once the file is being written, stage 1 is under way.
        for (int i = 0; i < 500 && fs::is_empty(pasta.Caminho() / "saida"); ++i) ::usleep(10000);
        ::usleep(50000);
        ::kill(pid, SIGINT);
    });
    EXPECT_EQ(r.status, 130) << r.erros;
    const std::string conteudo = Le(Arquivo());
    ASSERT_GE(conteudo.size(), 128u);
    const std::size_t linhas = conteudo.size() / 128;
    EXPECT_LT(linhas, 20000u);
    char total[32];
    std::snprintf(total, sizeof total, "99%08zu", linhas);
    EXPECT_EQ(conteudo.substr(conteudo.size() - 128 + 30, 10), total);
    EXPECT_NE(r.erros.find("A exportação foi cancelada."), std::string::npos) << r.erros;
}

}  // namespace
