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
//
// A row set given the table it updates (DefineTabelaAtualizacao) is editable:
// it keeps its rows as plain values instead, takes inserted, changed and
// removed rows in memory, and stores them inside a transaction its caller
// holds. A changed or removed row is found by every value it had when read.
#pragma once

#include "ConexaoSQL.h"
#include "Valor.h"

#include <chrono>
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

// The first `n` characters of a UTF-8 text.
std::string_view PrimeirosCaracteres(std::string_view texto, int n);

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
    // Only while the row set's current row is being inserted or edited.
    void Define(const Valor& valor) const;

private:
    const TConjuntoDados* conjunto_;
    int indice_;
};

// Where an editable row set stands.
enum class EstadoConjunto { Navegando, Inserindo, Editando };

// The database rejected a pending change, or found no row to update or delete.
class ErroArmazenamento : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
    // Straight to the row of that number (1-based, within the filter), as a
    // grid asks for the rows it shows.
    void VaiPara(int numeroRegistro);
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
    // How often the set was opened and the time those openings took (the
    // query and the fetch of every row), for the benchmark.
    int QuantidadeAberturas() const { return quantidadeAberturas_; }
    std::chrono::steady_clock::duration TempoAberturas() const { return tempoAberturas_; }

    // Moves to the n-th row (1-based) within the filter; false when there is none.
    bool IrPara(int numeroRegistro);

    // ---- editing (only on a row set given its table)
    void DefineTabelaAtualizacao(std::string tabela);
    bool Editavel() const { return !tabela_.empty(); }
    const std::string& TabelaAtualizacao() const { return tabela_; }
    EstadoConjunto Estado() const { return estado_; }
    // Runs when a new row has been appended, to fill its first values.
    std::function<void(TConjuntoDados&)> AoNovoRegistro;
    // Runs before a row is posted; Estado() still tells insert from edit.
    std::function<void(TConjuntoDados&)> AntesDePostar;
    // Appends an empty row and starts inserting it.
    void Insere();
    // Starts editing the current row.
    void Edita();
    void DefineValor(std::string_view campo, const Valor& valor);
    // Keeps the row being inserted or edited in the row set's pending changes.
    void Posta();
    // Drops the row being inserted, or the edits of the row being edited.
    void CancelaEdicao();
    // Removes the current row (its deletion becomes a pending change).
    void Exclui();
    bool AlteracoesPendentes() const;
    // Whether the current row came from the database (or was stored since),
    // and a column's value as it was then.
    bool RegistroArmazenado() const;
    Valor ValorLido(std::string_view campo) const;
    // Stores the pending changes in `transacao`: new rows inserted with all
    // their columns, changed rows updated and removed rows deleted, each found
    // by the values it had when read. A row being inserted or edited is posted
    // first. Raises ErroArmazenamento (or the database's error) when a row is
    // rejected or not found; the pending changes stay as they were, and the
    // caller rolls the transaction back.
    void AplicaAlteracoes(TConexaoSQL& conexao, fb::Transacao& transacao);
    // After the caller's commit: what was stored becomes the rows as read.
    void FundeAlteracoes();

private:
    friend class TCampo;

    // A growing array in fixed blocks: growing never copies what is there.
    template <typename T>
    class Blocos {
    public:
        static constexpr std::size_t Tamanho = 4096;
        void Acrescenta(T v) {
            if (n_ % Tamanho == 0) blocos_.push_back(std::make_unique<T[]>(Tamanho));
            blocos_[n_ / Tamanho][n_ % Tamanho] = v;
            ++n_;
        }
        T operator[](std::size_t i) const { return blocos_[i / Tamanho][i % Tamanho]; }
        std::size_t Quantidade() const { return n_; }
        std::size_t Bytes() const { return blocos_.size() * Tamanho * sizeof(T); }
        void Limpa() {
            blocos_.clear();
            blocos_.shrink_to_fit();
            n_ = 0;
        }

    private:
        std::vector<std::unique_ptr<T[]>> blocos_;
        std::size_t n_ = 0;
    };

    // One column's values, held in the narrowest form that holds them all:
    // text ids in 16 bits while the set has few distinct texts; numbers (whole
    // numbers, dates, decimals as integers scaled by their declared places) as
    // 8- or 16-bit codes into the column's own table of distinct values while
    // there are few, as 32-bit integers after that, and as doubles when a
    // decimal does not fit.
    struct Coluna {
        enum class Forma { Id16, Id32, Codigo8, Codigo16, Inteiro32, Inteiro64, Real64 };
        DefinicaoCampo def;
        int origem = -1;  // index in the statement's result
        bool calculada = false;
        Forma forma = Forma::Codigo8;
        Blocos<std::uint16_t> id16;
        Blocos<std::uint32_t> id32;
        Blocos<std::uint8_t> codigo8;
        Blocos<std::uint16_t> codigo16;
        std::vector<std::int32_t> valores;  // the distinct values the codes stand for
        std::unordered_map<std::int32_t, std::uint16_t> codigos;
        Blocos<std::int32_t> inteiros;
        Blocos<std::int64_t> inteiros64;  // once a whole number does not fit in 32 bits
        Blocos<double> reais;
        std::vector<bool> nulos;  // empty while the column has no NULL

        void Limpa();
        bool Nulo(std::size_t linha) const { return linha < nulos.size() && nulos[linha]; }
        void MarcaNulo(std::size_t linha);
        void AcrescentaId(std::uint32_t id);
        std::uint32_t Id(std::size_t linha) const {
            return forma == Forma::Id16 ? id16[linha] : id32[linha];
        }
        void AcrescentaInteiro(std::int64_t v);
        std::int64_t Inteiro(std::size_t linha) const;
        // A decimal as a scaled integer of its declared places, or a double.
        void AcrescentaEscalado(std::int64_t valorNasCasas);
        void AcrescentaReal(double v);
        double Real(std::size_t linha) const;
        std::size_t Bytes() const;

    private:
        std::size_t Quantidade() const;
        void ParaInteiros();
        void ParaInteiros64();
    };

    // A row of an editable row set: its values now and, once read from the
    // database, the values it had then.
    struct LinhaEditavel {
        std::vector<Valor> valores;
        std::optional<std::vector<Valor>> lidos;  // empty for a row not yet stored
    };

    static constexpr std::size_t SemLinha = static_cast<std::size_t>(-1);
    std::size_t LinhaAtual() const;
    void VerificaAberto() const;
    int IndiceCampo(std::string_view nome) const;
    std::uint32_t Guarda(std::string_view texto);
    std::string_view TextoGuardado(std::uint32_t id) const { return pool_[id]; }
    bool NuloEm(std::size_t linha, int coluna) const;
    std::string TextoEm(std::size_t linha, int coluna) const;
    std::string_view VistaEm(std::size_t linha, int coluna) const;
    void AplicaFiltroEIndice();
    bool Compara(std::size_t linha, int coluna, const Valor& valor) const;
    // Orders a row's index value against a key: <0, 0, >0.
    int ComparaChave(std::size_t linha, int coluna, const Valor& chave) const;
    bool AntesNoIndice(std::size_t a, std::size_t b, int coluna) const;
    void LimpaLinhas();
    const Valor& ValorEditavel(std::size_t linha, int coluna) const {
        return linhasEditaveis_[linha].valores[static_cast<std::size_t>(coluna)];
    }
    Valor ValorParaColuna(int coluna, const Valor& valor) const;
    void PassaParaEditavel();
    void VerificaNavegando(const char* operacao) const;

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
    int quantidadeAberturas_ = 0;
    std::chrono::steady_clock::duration tempoAberturas_{};
    std::size_t quantidade_ = 0;   // rows held
    std::vector<std::uint32_t> visiveis_;  // rows in index order that pass the filter
    bool todasVisiveis_ = true;            // no filter, no index: row i is visible row i
    std::vector<std::uint32_t> ordemIndice_;
    int cursor_ = 0;
    bool fim_ = true;
    // The row a calculated column or a filter condition is evaluated on.
    std::size_t linhaEmAvaliacao_ = SemLinha;

    std::deque<std::string> pool_;
    std::unordered_map<std::string_view, std::uint32_t> ids_;

    std::string filtro_;
    int colunaFiltro_ = -1;
    bool filtroDiferente_ = false;
    std::string valorFiltro_;
    std::function<bool(const TConjuntoDados&)> condicao_;

    std::string tabela_;  // empty: read-only
    std::vector<LinhaEditavel> linhasEditaveis_;
    std::vector<std::vector<Valor>> removidas_;  // stored rows removed, as read
    EstadoConjunto estado_ = EstadoConjunto::Navegando;
    std::vector<Valor> antesDaEdicao_;  // to drop the edits of the row being edited
};
