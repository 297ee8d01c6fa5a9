// Check of a written Sintegra file: reads it as a stream, line by line, and
// reports what the tax authority's validator would reject (ERRO) or what it
// would take but is probably wrong (AVISO), with the line, the record, the
// field and what to correct in the suite; and sums up the file for the
// accountant.
//
// Memory stays constant apart from the product codes in use, the keys of the
// records 50 (their items come after all of them) and the totals per CFOP,
// rate and printer of the summary.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace verificacao {

enum class Nivel { Erro, Aviso };

// "ERRO" or "AVISO".
const char* TextoNivel(Nivel n);

struct Achado {
    std::uint64_t Linha = 0;  // 1-based; 0 for the file as a whole
    std::string Registro;     // "50", "60M", "88SF"...; empty when unknown
    std::string Campo;        // the field's name as the layout names it
    int Inicio = 0, Fim = 0;  // positions of the field, 1-based; 0 when none
    Nivel NivelAchado = Nivel::Erro;
    std::string Mensagem;     // what is wrong and what to correct, in Portuguese
};

// Amounts are kept in cents, as the file writes them.
struct Totais50 {
    std::uint64_t Registros = 0;
    std::int64_t Valor = 0, Base = 0, ICMS = 0, Isenta = 0, Outras = 0;
};

struct TotaisImpressora {
    std::uint64_t Reducoes = 0;  // records 60M
    std::int64_t VendaBruta = 0;
    std::int64_t GrandeTotal = 0;  // of its last reduction
};

struct Resumo {
    std::uint64_t Linhas = 0;
    std::map<std::string, std::uint64_t> RegistrosPorTipo;  // "10", "50", "60M", "88EC"...
    std::string CNPJ, RazaoSocial, UF;
    std::string DataInicial, DataFinal;  // AAAAMMDD, as in record 10
    // Records 50 in force (situação N or E); cancelled and denied ones are counted apart.
    std::map<std::string, Totais50> Registros50PorCFOP;
    std::map<std::string, Totais50> Registros50PorAliquota;  // "17,00"
    std::uint64_t Registros50Cancelados = 0;
    std::map<std::string, TotaisImpressora> VendaPorImpressora;  // serial number
    std::map<std::string, std::int64_t> ECFPorAliquota;        // 60A: code → cents
};

struct Contagem {
    std::uint64_t Erros = 0, Avisos = 0;
};

// The checker itself: feed it the file's bytes in pieces of any size, then
// call Termina once. Findings go to the receiver as they are found (those of
// the rules across records at the end).
class TVerificadorSintegra {
public:
    using Receptor = std::function<void(const Achado&)>;
    explicit TVerificadorSintegra(Receptor receptor);
    ~TVerificadorSintegra();
    TVerificadorSintegra(const TVerificadorSintegra&) = delete;
    TVerificadorSintegra& operator=(const TVerificadorSintegra&) = delete;

    void Trecho(const char* dados, std::size_t tamanho);
    void Termina();

    const Resumo& ResumoArquivo() const;
    const Contagem& Contagens() const;

private:
    struct Estado;
    Estado* e_;
};

// Checks a stream to its end. Returns false only when the stream fails to
// read (the findings then stop where the reading stopped).
bool VerificaFluxo(std::istream& entrada, const TVerificadorSintegra::Receptor& receptor,
                   Resumo* resumo = nullptr, Contagem* contagem = nullptr);

// A file checked whole, its findings kept (at most `limiteAchados`, the
// counts always whole).
struct Relatorio {
    bool Lido = false;
    std::string FalhaLeitura;  // when not read: why, in Portuguese
    std::vector<Achado> Achados;
    Contagem Contagens;
    Resumo ResumoArquivo;
};
Relatorio VerificaArquivo(const std::string& caminho,
                          std::size_t limiteAchados = static_cast<std::size_t>(-1));

// What the export command shows after writing a file: the counts and the first
// findings, one a line.
struct VerificacaoExportacao {
    bool Lido = false;
    std::uint64_t Erros = 0, Avisos = 0;
    std::string Texto;
};
VerificacaoExportacao VerificaArquivoExportado(const std::string& caminho, std::size_t primeiros = 10);

// Reports. The finding in one line of text; the whole report as text or as
// CSV (";" between fields, the Brazilian spreadsheet's habit); the summary alone.
std::string TextoAchado(const Achado& a);
std::string LinhaCSV(const Achado& a);
std::string CabecalhoCSV();
std::string TextoResumo(const Resumo& r);
std::string ResumoCSV(const Resumo& r);
// Cents as "1.234,56".
std::string FormataCentavos(std::int64_t centavos);

}  // namespace verificacao
