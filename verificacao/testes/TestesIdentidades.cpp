// Check digits of CNPJ, CPF and the Inscrição Estadual of every state, with
// the example numbers the states publish.
#include "Identidades.h"

#include <gtest/gtest.h>

#include <string>

namespace verificacao {
namespace {

TEST(IdentidadesTest, CNPJ) {
    for (const char* valido : {"11222333000181", "83512494000110", "45997418000153", "76543210000198"})
        EXPECT_TRUE(CNPJValido(valido)) << valido;
    for (const char* invalido : {"11222333000182", "11222333000191", "11111111111111", "00000000000000",
                                 "1122233300018", "112223330001811", "1122233300018A"})
        EXPECT_FALSE(CNPJValido(invalido)) << invalido;
}

TEST(IdentidadesTest, CPF) {
    for (const char* valido : {"52998224725", "12345678909"}) EXPECT_TRUE(CPFValido(valido)) << valido;
    for (const char* invalido : {"52998224724", "52998224715", "11111111111", "5299822472", "529982247250"})
        EXPECT_FALSE(CPFValido(invalido)) << invalido;
}

// The example of each state, and the same with one check digit changed.
struct Exemplo {
    const char* uf;
    const char* valida;
    const char* digitoErrado;
};
const Exemplo Exemplos[] = {
    {"AC", "01.004.823/001-12", "0100482300113"},
    {"AL", "240000048", "240000049"},
    {"AP", "030123459", "030123458"},
    {"AM", "99.999.999-0", "999999991"},
    {"BA", "123456-63", "12345664"},
    {"BA", "612345-57", "61234558"},
    {"BA", "1000003-06", "100000307"},
    {"CE", "06000001-5", "060000016"},
    {"DF", "07.300001.001-09", "0730000100108"},
    {"ES", "999999990", "999999991"},
    {"GO", "10.987.654-7", "109876548"},
    {"MA", "12.000.038-5", "120000386"},
    {"MT", "0013000001-9", "00130000018"},
    {"MS", "28.330.014-0", "283300141"},
    {"MG", "062.307.904/0081", "0623079040082"},
    {"MG", "062.307.904/0081", "0623079040091"},
    {"PA", "15-999999-5", "159999996"},
    {"PB", "06000001-5", "060000014"},
    {"PR", "123.45678-50", "1234567851"},
    {"PE", "0321418-40", "032141841"},
    {"PE", "18.1.001.0000004-9", "18100100000048"},
    {"PI", "01234567-9", "012345678"},
    {"RJ", "99.999.99-3", "99999994"},
    {"RN", "20.040.040-1", "200400402"},
    {"RN", "20.0.040.040-0", "2000400401"},
    {"RS", "224/3658792", "2243658793"},
    {"RO", "101.62521-3", "101625214"},
    {"RO", "0000000062521-3", "00000000625214"},
    {"RR", "24006628-1", "240066282"},
    {"SC", "251.040.852", "251040853"},
    {"SP", "110.042.490.114", "110042490115"},
    {"SP", "110.042.490.114", "110042491114"},
    {"SP", "P-01100424.3/002", "P011004244002"},
    {"SE", "27123456-3", "271234564"},
    {"TO", "29.01.022783-6", "29010227837"},
};

TEST(InscricaoEstadualTest, ExemplosDosEstados) {
    for (const auto& e : Exemplos) {
        SCOPED_TRACE(std::string(e.uf) + " " + e.valida);
        EXPECT_EQ(ConfereInscricaoEstadual(e.uf, e.valida), ResultadoIE::Valida);
        EXPECT_EQ(ConfereInscricaoEstadual(e.uf, e.digitoErrado), ResultadoIE::DigitoInvalido) << e.digitoErrado;
    }
}

TEST(InscricaoEstadualTest, TodosOsVinteESeteEstadosTemRegra) {
    const char* ufs[] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",
                         "PB", "PR", "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO"};
    for (const char* uf : ufs) {
        EXPECT_TRUE(UFValida(uf)) << uf;
        bool temExemplo = false;
        for (const auto& e : Exemplos) temExemplo |= std::string(e.uf) == uf;
        EXPECT_TRUE(temExemplo) << uf;
    }
    EXPECT_FALSE(UFValida("EX"));
    EXPECT_FALSE(UFValida("XX"));
}

TEST(InscricaoEstadualTest, FormasInvalidasIsentoEEstadoDesconhecido) {
    const struct {
        const char* uf;
        const char* ie;
        ResultadoIE resultado;
    } casos[] = {
        {"SC", "ISENTO", ResultadoIE::Isento},
        {"SP", "  ISENTO  ", ResultadoIE::Isento},
        {"SC", "25104085", ResultadoIE::FormaInvalida},     // eight digits
        {"SC", "2510408521", ResultadoIE::FormaInvalida},   // ten
        {"SC", "25104085A", ResultadoIE::FormaInvalida},    // a letter
        {"AC", "0200482300112", ResultadoIE::FormaInvalida},  // AC starts with 01
        {"AL", "250000048", ResultadoIE::FormaInvalida},    // AL starts with 24
        {"TO", "29050227836", ResultadoIE::FormaInvalida},  // no such TO kind
        {"RS", "", ResultadoIE::FormaInvalida},
        {"XX", "251040852", ResultadoIE::UFDesconhecida},
    };
    for (const auto& c : casos)
        EXPECT_EQ(ConfereInscricaoEstadual(c.uf, c.ie), c.resultado) << c.uf << " " << c.ie;
}

}  // namespace
}  // namespace verificacao
