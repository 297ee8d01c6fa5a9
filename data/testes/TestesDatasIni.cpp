#include "ArquivoIni.h"
#include "Datas.h"

#include <gtest/gtest.h>

namespace {

TEST(DatasTest, PrimeiroEUltimoDiaDoMes) {
    struct Caso {
        Data dia, primeiro, ultimo;
    } casos[] = {
        {FazData(2008, 2, 10), FazData(2008, 2, 1), FazData(2008, 2, 29)},
        {FazData(1900, 2, 28), FazData(1900, 2, 1), FazData(1900, 2, 28)},
        {FazData(2000, 2, 1), FazData(2000, 2, 1), FazData(2000, 2, 29)},
        {FazData(2007, 12, 31), FazData(2007, 12, 1), FazData(2007, 12, 31)},
        {FazData(2008, 1, 1), FazData(2008, 1, 1), FazData(2008, 1, 31)},
        {FazData(2010, 4, 15), FazData(2010, 4, 1), FazData(2010, 4, 30)},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(PrimeiroDiaMes(c.dia), c.primeiro) << TextoData(c.dia);
        EXPECT_EQ(UltimoDiaMes(c.dia), c.ultimo) << TextoData(c.dia);
    }
}

TEST(DatasTest, TextosDeData) {
    EXPECT_EQ(InverteData(FazData(2008, 3, 5)), "2008/03/05");
    EXPECT_EQ(TextoData(FazData(2008, 3, 5)), "05/03/2008");
    Data d;
    EXPECT_TRUE(LeTextoData("31/03/2010", d));
    EXPECT_EQ(d, FazData(2010, 3, 31));
    EXPECT_FALSE(LeTextoData("31/02/2010", d));
    EXPECT_FALSE(LeTextoData("2010-03-31", d));
    EXPECT_FALSE(LeTextoData("31/03/2010x", d));
}

TEST(IniTest, PrimeiraLinhaValeESemDiferencaDeCaixa) {
    const auto ini = TArquivoIni::DeTexto(
        "[Empresa]\r\nDatabase=a.fdb\r\n; comentário\r\ndatabase=b.fdb\r\n\r\n"
        "[EMPRESA]\r\nDatabase=c.fdb\r\n");
    EXPECT_EQ(ini.Valor("EMPRESA", "DATABASE"), "a.fdb");
    EXPECT_EQ(ini.Secao("empresa").size(), 2u);
    EXPECT_EQ(ini.Valor("OUTRA", "X", "padrão"), "padrão");
}

// The key "Servidor Aplicação" is found whether the file is saved in
// Windows-1252 or in UTF-8.
TEST(IniTest, ChaveAcentuadaEmWindows1252OuUtf8) {
    const std::string utf8 = "[EMPRESA]\nServidor Aplicação=\\\\SERVIDOR\\PRAXO\n";
    const std::string cp1252 = "[EMPRESA]\nServidor Aplica\xE7\xE3o=\\\\SERVIDOR\\PRAXO\n";
    for (const auto& conteudo : {utf8, cp1252, "\xEF\xBB\xBF" + utf8})
        EXPECT_EQ(TArquivoIni::DeTexto(conteudo).Valor("EMPRESA", "Servidor Aplicação"),
                  "\\\\SERVIDOR\\PRAXO");
}

TEST(IniTest, ConversaoDeWindows1252) {
    EXPECT_EQ(Windows1252ParaUtf8("S\xC3O \x80 \x93x\x94"), "SÃO € “x”");
    EXPECT_TRUE(Utf8Valido("São José"));
    EXPECT_FALSE(Utf8Valido("S\xE3o"));
    EXPECT_FALSE(Utf8Valido("\xC3"));
}

}  // namespace
