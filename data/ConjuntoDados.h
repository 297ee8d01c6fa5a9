// One entry of the data module's catalogue: a query with named parameters, and
// the in-memory row set that holds every row of its result once opened.
//
// The declared columns are the contract with the database: a declared column
// missing from the result fails the opening with "Field '%s' not found";
// result columns that are not declared are ignored. Fixed text comes
// blank-padded to its declared size, other text is cut to it.
//
// Rows are stored compactly: one fixed-size slot per declared column (texts as
// ids into a pool that holds each distinct text once), no object per value.
#pragma once

#include "ConexaoSQL.h"
#include "Valor.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class TipoCampo { Texto, Inteiro, Pequeno, Data, Decimal };

struct DefinicaoCampo {
    std::string nome;
    TipoCampo tipo = TipoCampo::Texto;
    int tamanho = 20;   // characters, for text
    bool fixo = false;  // fixed-length text, blank-padded to its size
    int casas = 4;      // decimal places, for decimals
};

// Column declarations as the catalogue writes them.
DefinicaoCampo Texto(std::string nome, int tamanho = 20);
DefinicaoCampo TextoFixo(std::string nome, int tamanho);
DefinicaoCampo Inteiro(std::string nome);
DefinicaoCampo Pequeno(std::string nome);
DefinicaoCampo DataCampo(std::string nome);
DefinicaoCampo Decimal(std::string nome, int casas = 4);

// A failure to turn a column's value into the type asked for.
class ErroConversao : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a catalogue entry is made of: its names, its SQL text line by line and
// its declared columns.
struct EntradaCatalogo {
    std::string nomeConsulta;
    std::string nome;
    std::vector<std::string> linhasSql;
    std::vector<DefinicaoCampo> campos;
};

class TConjuntoDados;

// A column of the current row. A NULL reads as empty text, 0 or an empty date.
class TCampo {
public:
    TCampo(const TConjuntoDados* conjunto, int indice) : conjunto_(conjunto), indice_(indice) {}
    const std::string& Nome() const;
    int Indice() const { return indice_; }
    bool Nulo() const;
    std::string Texto() const;
    std::string_view TextoVista() const;  // valid while the row set stays open
    std::int64_t Inteiro() const;         // text is read as a whole number or fails
    double Real() const;
    Data DataValor() const;

private:
    const TConjuntoDados* conjunto_;
    int indice_;
};

class TConjuntoDados {
public:
    using Calculo = std::function<std::string(const TConjuntoDados&)>;

    // `linhasSql` are joined with line breaks and sent as they stand, with each
    // :NAME turned into a parameter.
    TConjuntoDados(std::string nomeConsulta, std::string nome, std::vector<std::string> linhasSql,
                   std::vector<DefinicaoCampo> campos);
    explicit TConjuntoDados(EntradaCatalogo entrada)
        : TConjuntoDados(std::move(entrada.nomeConsulta), std::move(entrada.nome),
                         std::move(entrada.linhasSql), std::move(entrada.campos)) {}
    ~TConjuntoDados();
    TConjuntoDados(const TConjuntoDados&) = delete;
    TConjuntoDados& operator=(const TConjuntoDados&) = delete;

    const std::string& Nome() const { return nome_; }
    const std::string& NomeConsulta() const { return nomeConsulta_; }
    const std::string& Sql() const { return sql_; }
    const std::vector<std::string>& NomesParametros() const { return nomesParametros_; }

    void DefineConexao(TConexaoSQL* conexao) { conexao_ = conexao; }
    // A calculated column, held only in the row set and computed for every row.
    void AcrescentaCalculado(DefinicaoCampo campo, Calculo calculo);
    // An index: rows are ordered by this column and found by key on it.
    void DefineIndice(std::string campo);

    // Parameters by name, without regard to case. One not set keeps the value
    // of the previous opening, or NULL.
    void Parametro(std::string_view nome, Valor valor);

    void Abre();
    void Fecha();
    bool Ativo() const { return ativo_; }

    int QuantidadeRegistros() const;  // rows passing the filter
    bool Vazio() const { return QuantidadeRegistros() == 0; }
    void Primeiro();
    void Proximo();
    void Ultimo();
    bool Fim() const { return fim_; }
    int NumeroRegistro() const { return cursor_ + 1; }  // 1-based, within the filter

    TCampo Campo(std::string_view nome) const;
    const std::vector<DefinicaoCampo>& Campos() const { return campos_; }

    // Walks from the first row to the first whose column equals `valor`
    // (case-sensitive); stays where it was when there is none.
    bool Localiza(std::string_view campo, const Valor& valor);
    // Finds a row by the index's key.
    bool BuscaChave(const Valor& chave);

    // A filter as the stages write it: "( COLUMN <> 'text' )" or with "=".
    void DefineFiltro(const std::string& texto);
    // A further condition on the row, checked with the text filter (both must hold).
    void DefineFiltroFuncao(std::function<bool(const TConjuntoDados&)> condicao);
    void RemoveFiltro();  // both
    const std::string& Filtro() const { return filtro_; }

    // Memory held by the rows, for the benchmark.
    std::size_t BytesDasLinhas() const;

private:
    friend class TCampo;

    struct Coluna {
        DefinicaoCampo def;
        std::size_t deslocamento = 0;
        int origem = -1;  // index in the statement's result
        bool calculada = false;
    };

    const unsigned char* LinhaAtual() const;
    const unsigned char* Linha(std::size_t i) const;
    void VerificaAberto() const;
    int IndiceCampo(std::string_view nome) const;
    std::uint32_t Guarda(std::string_view texto);
    std::string_view TextoGuardado(std::uint32_t id) const { return pool_[id]; }
    bool NuloEm(const unsigned char* linha, int coluna) const;
    std::string TextoEm(const unsigned char* linha, int coluna) const;
    void AplicaFiltroEIndice();
    bool Compara(const unsigned char* linha, int coluna, const Valor& valor) const;

    std::string nomeConsulta_;
    std::string nome_;
    std::string sql_;  // with ? in place of each :NAME
    std::vector<std::string> nomesParametros_;  // upper case, in order of appearance
    std::map<std::string, Valor> parametros_;
    std::vector<Coluna> colunas_;
    std::vector<DefinicaoCampo> campos_;
    std::vector<Calculo> calculos_;  // one per calculated column, in order
    std::string campoIndice_;
    TConexaoSQL* conexao_ = nullptr;
    std::unique_ptr<fb::Comando> comando_;

    bool ativo_ = false;
    std::size_t largura_ = 0;      // bytes of one row
    std::size_t bytesNulos_ = 0;   // null bitmap at the start of each row
    std::vector<std::unique_ptr<unsigned char[]>> blocos_;
    std::size_t quantidade_ = 0;   // rows held
    std::vector<std::uint32_t> visiveis_;  // rows in index order that pass the filter
    bool todasVisiveis_ = true;            // no filter, no index: row i is visible row i
    std::vector<std::uint32_t> ordemIndice_;
    int cursor_ = 0;
    bool fim_ = true;
    // Rows held while a calculated column is computed for the row being fetched.
    const unsigned char* linhaEmCalculo_ = nullptr;

    std::deque<std::string> pool_;
    std::unordered_map<std::string_view, std::uint32_t> ids_;

    std::string filtro_;
    int colunaFiltro_ = -1;
    bool filtroDiferente_ = false;
    std::string valorFiltro_;
    std::function<bool(const TConjuntoDados&)> condicao_;
};
