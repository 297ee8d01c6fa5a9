// How the connection's parameter list is assembled from dbxconnections.ini,
// and what the connection does with it.
#include "BancoTeste.h"

#include <functional>
#include <unistd.h>

namespace {

using testes::BancoTeste;

std::string UsuarioConectado(TFDMExporta& dm) {
    TConjuntoDados q("QUsuario", "CDSUsuario",
                     {"SELECT CURRENT_USER AS USUARIO FROM RDB$DATABASE"}, {Texto("USUARIO", 31)});
    q.DefineConexao(&dm.SQLConnectionPRAXO);
    q.Abre();
    return q.Campo("USUARIO").Texto();
}

TEST(ConexaoTest, MontaAListaDoArquivoEAcrescentaUsuarioESenha) {
    BancoTeste banco;
    banco.EscreveIni("; comentário\n[OUTRA]\nDatabase=/nao/e/esta.fdb\n\n[EMPRESA]\n"
                     "DriverName=Interbase\n# outro comentário\nDatabase = " + banco.Arquivo() +
                     " \nSQLDialect=3\n");
    auto dm = banco.Modulo();
    dm->SQLConnectionPRAXOBeforeConnect();
    EXPECT_TRUE(dm->ConexaoConfigurada);
    const std::vector<std::string> esperado = {"DriverName=Interbase",
                                               "Database=" + banco.Arquivo(), "SQLDialect=3",
                                               "User_Name=PRAXO", "Password=varelomi"};
    EXPECT_EQ(dm->SQLConnectionPRAXO.Parametros, esperado);
    EXPECT_EQ(dm->SQLConnectionPRAXO.NomeConexao, "EMPRESA");
    EXPECT_EQ(dm->SQLConnectionPRAXO.NomeDriver, "Interbase");
    EXPECT_EQ(dm->SQLConnectionPRAXO.BibliotecaCliente, "fbclient.dll");
    EXPECT_EQ(UsuarioConectado(*dm), "PRAXO");
}

TEST(ConexaoTest, UsuarioESenhaDoArquivoPrevalecem) {
    BancoTeste banco;
    banco.EscreveIni("[EMPRESA]\nDatabase=" + banco.Arquivo() +
                     "\nuser_name=CONTADOR\nPASSWORD=outra\n");
    auto dm = banco.Modulo();
    EXPECT_EQ(UsuarioConectado(*dm), "CONTADOR");
    EXPECT_EQ(dm->SQLConnectionPRAXO.ValorParametro("Password"), "outra");
    EXPECT_EQ(dm->SQLConnectionPRAXO.ValorParametro("User_Name"), "CONTADOR");
}

TEST(ConexaoTest, SecaoEChavesEmMinusculasSaoEncontradas) {
    BancoTeste banco;
    banco.EscreveIni("[empresa]\ndatabase=" + banco.Arquivo() + "\n");
    auto dm = banco.Modulo();
    EXPECT_EQ(UsuarioConectado(*dm), "PRAXO");
}

TEST(ConexaoTest, ArquivoAusenteFalhaENovaTentativaAchaOArquivoPosto) {
    BancoTeste banco;
    const std::string ini = banco.Pasta() + "dbxconnections.ini";
    const std::string conteudo = "[EMPRESA]\nDatabase=" + banco.Arquivo() + "\n";
    std::filesystem::remove(ini);
    auto dm = banco.Modulo();
    try {
        dm->ClientEmpresaLocal.Abre();
        FAIL() << "opening without dbxconnections.ini must fail";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Driver/Connection Registry File '" + ini + "' not found");
    }
    EXPECT_FALSE(dm->ConexaoConfigurada);
    banco.EscreveIni(conteudo);
    dm->ClientEmpresaLocal.Abre();
    EXPECT_TRUE(dm->ClientEmpresaLocal.Ativo());
}

TEST(ConexaoTest, SecaoVaziaFalhaEConsertarOArquivoNaoAjudaAteReiniciar) {
    BancoTeste banco;
    banco.EscreveIni("[EMPRESA]\n[OUTRA]\nDatabase=" + banco.Arquivo() + "\n");
    auto dm = banco.Modulo();
    EXPECT_THROW(dm->ClientEmpresaLocal.Abre(), std::runtime_error);
    EXPECT_TRUE(dm->ConexaoConfigurada);
    banco.EscreveIni("[EMPRESA]\nDatabase=" + banco.Arquivo() + "\n");
    EXPECT_THROW(dm->ClientEmpresaLocal.Abre(), fb::ErroBanco);
    // A new run of the program reads the mended file.
    auto outro = banco.Modulo();
    outro->ClientEmpresaLocal.Abre();
    EXPECT_TRUE(outro->ClientEmpresaLocal.Ativo());
}

// Each configuration or database fault says what is wrong, with the file it
// concerns, in Portuguese.
TEST(ConexaoTest, FalhasDeConfiguracaoEDoBancoDizemOQueFazer) {
    struct Caso {
        const char* nome;
        std::function<void(const BancoTeste&)> prepara;
        std::vector<std::string> trechos;
    };
    const std::string naoBanco = "nao-e-banco.fdb";
    const Caso casos[] = {
        {"ini é uma pasta",
         [](const BancoTeste& b) {
             std::filesystem::remove(b.Pasta() + "dbxconnections.ini");
             std::filesystem::create_directory(b.Pasta() + "dbxconnections.ini");
         },
         {"Não foi possível ler o arquivo de configuração", "o caminho é uma pasta"}},
        {"sem [EMPRESA]", [](const BancoTeste& b) { b.EscreveIni("[OUTRA]\nDatabase=x.fdb\n"); },
         {"não tem a seção [EMPRESA]", "dbxconnections.ini"}},
        {"sem Database", [](const BancoTeste& b) { b.EscreveIni("[EMPRESA]\nSQLDialect=3\n"); },
         {"não informa o banco de dados", "Database"}},
        {"banco ausente",
         [](const BancoTeste& b) { b.EscreveIni("[EMPRESA]\nDatabase=" + b.Pasta() + "sumiu.fdb\n"); },
         {"O banco de dados", "sumiu.fdb", "não existe"}},
        {"não é um banco",
         [&](const BancoTeste& b) {
             testes::EscreveArquivo(b.Pasta() + naoBanco, std::string(8192, 'x'));
             b.EscreveIni("[EMPRESA]\nDatabase=" + b.Pasta() + naoBanco + "\n");
         },
         {naoBanco, "não é um banco de dados Firebird"}},
    };
    for (const auto& c : casos) {
        BancoTeste banco;
        c.prepara(banco);
        auto dm = banco.Modulo();
        try {
            dm->ClientEmpresaLocal.Abre();
            ADD_FAILURE() << c.nome << ": opened";
        } catch (const std::exception& e) {
            for (const auto& t : c.trechos)
                EXPECT_NE(std::string(e.what()).find(t), std::string::npos) << c.nome << ": " << e.what();
        }
    }
}

TEST(ConexaoTest, ErroDoClienteChegaComOTextoDaBiblioteca) {
    BancoTeste banco;
    banco.EscreveIni("[EMPRESA]\nDatabase=" + banco.Pasta() + "nao-existe.fdb\n");
    auto dm = banco.Modulo();
    try {
        dm->ClientEmpresaLocal.Abre();
        FAIL();
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("nao-existe.fdb"), std::string::npos) << e.what();
    }
}

TEST(ConexaoTest, BancoLocalOuServidor) {
    EXPECT_TRUE(fb::BancoLocal("/var/lib/praxo/empresa.fdb"));
    EXPECT_TRUE(fb::BancoLocal("empresa.fdb"));
    EXPECT_TRUE(fb::BancoLocal("C:\\PRAXO\\EMPRESA.FDB"));
    EXPECT_FALSE(fb::BancoLocal("localhost/3050:/var/lib/praxo/empresa.fdb"));
    EXPECT_FALSE(fb::BancoLocal("servidor:/dados/empresa.fdb"));
}

// The embedded engine's lock folder is set before the engine starts, and is
// one the user can write.
TEST(ConexaoTest, PastaDeTravasDefinidaAntesDoMotor) {
    BancoTeste banco;
    auto dm = banco.Modulo();
    dm->ClientEmpresaLocal.Abre();
    const char* travas = std::getenv("FIREBIRD_LOCK");
    ASSERT_NE(travas, nullptr);
    EXPECT_EQ(std::string(travas), fb::PastaDeTravas());
    EXPECT_EQ(::access(travas, W_OK), 0);
}

}  // namespace
