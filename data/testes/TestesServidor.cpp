// The program against a Firebird server on loopback, reached as host/port:path.
#include "BancoTeste.h"

#include <fstream>

namespace {

std::string ConexaoDoServidor() {
    std::ifstream f(PRAXO_ESTADO_SERVIDOR);
    std::string conexao;
    std::getline(f, conexao);
    return conexao;
}

class ServidorTest : public ::testing::Test {
protected:
    void SetUp() override {
        conexao = ConexaoDoServidor();
        if (conexao.empty()) GTEST_SKIP() << "servidor Firebird não iniciado (exige root)";
    }
    std::unique_ptr<TFDMExporta> Modulo(const std::string& extra = {}) {
        testes::EscreveArquivo(pasta.Caminho() / "dbxconnections.ini",
                               "[EMPRESA]\nDatabase=" + conexao + "\n" + extra);
        return std::make_unique<TFDMExporta>(pasta.Prefixo());
    }
    std::string conexao;
    testes::PastaTemporaria pasta;
};

TEST_F(ServidorTest, ConectaComoPRAXOELeOCatalogo) {
    auto dm = Modulo();
    dm->ClientEmpresaLocal.Abre();
    EXPECT_EQ(dm->ClientEmpresaLocal.QuantidadeRegistros(), 2);
    EXPECT_EQ(dm->ClientEmpresaLocal.Campo("NOMECIDADE").Texto(), "FLORIANÓPOLIS");
    auto& itens = dm->CDSItens;
    itens.Parametro("TIPODOCUMENTO", "%");
    itens.Parametro("TIPOMOVIMENTO", "%");
    itens.Parametro("DATAINICIAL", FazData(2010, 3, 1));
    itens.Parametro("DATAFINAL", FazData(2010, 3, 31));
    itens.Parametro("EMPRESA", std::int64_t{1});
    itens.Parametro("ATIVO", "A");
    itens.Abre();
    EXPECT_GT(itens.QuantidadeRegistros(), 20);
    // Re-executed with new parameters on the same prepared statement.
    auto& mov = dm->CDSItensMov;
    for (const char* codigo : {"S2001", "S2002", "S2004"}) {
        mov.Fecha();
        mov.Parametro("EMPRESA", std::int64_t{1});
        mov.Parametro("MOVIMENTO", codigo);
        mov.Abre();
        EXPECT_FALSE(mov.Vazio()) << codigo;
    }
}

TEST_F(ServidorTest, SenhaErradaTrazOTextoDoServidor) {
    auto dm = Modulo("Password=errada\n");
    try {
        dm->ClientEmpresaLocal.Abre();
        FAIL() << "a wrong password must be refused";
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("Your user name and password are not defined"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
