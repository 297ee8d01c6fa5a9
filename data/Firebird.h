// A thin RAII layer over Firebird's own C++ client interface (firebird/Interface.h).
// Nothing above this layer touches the client library's types: attachments,
// transactions, prepared statements and cursors are released however a scope
// is left, and every failure is raised as ErroBanco with the server's text.
#pragma once

#include "Valor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

namespace fb {

// A failure reported by the client library, with its text unchanged and the
// library's error codes (isc_*), the first one first.
class ErroBanco : public std::runtime_error {
public:
    explicit ErroBanco(const std::string& texto, std::vector<std::intptr_t> codigos = {})
        : std::runtime_error(texto), codigos_(std::move(codigos)) {}
    const std::vector<std::intptr_t>& Codigos() const { return codigos_; }
    bool Tem(std::intptr_t codigo) const;
    // The operating system's error number the library reported, or 0.
    int ErroSistema() const { return erroSistema_; }
    void DefineErroSistema(int erro) { erroSistema_ = erro; }

private:
    std::vector<std::intptr_t> codigos_;
    int erroSistema_ = 0;
};

// The embedded engine runs in a mode that lets several processes share one
// database file (the window and the command at the same time), with a
// configuration folder of its own beside the lock files. Empty when the
// environment names its own FIREBIRD folder or no engine was found.
std::string PastaConfiguracaoEmbutida();

// The processes of this machine that hold the file open (name and pid), for a
// message that says who has a database in use.
std::vector<std::string> ProcessosComArquivo(const std::string& arquivo);

// The folder the embedded engine keeps its lock files in. Every process of the
// program chooses it the same way: FIREBIRD_LOCK when the environment names
// one, otherwise a folder of the user's own under the temporary folder, so that
// a normal user can open a database file without a server.
std::string PastaDeTravas();

// Where a Database value leads: a local file (embedded engine) or a server.
bool BancoLocal(const std::string& banco);

struct Credenciais {
    std::string usuario;
    std::string senha;
    std::string papel;  // SQL role, empty for none
};

class Transacao;

class Conexao {
public:
    Conexao() = default;
    ~Conexao();
    Conexao(Conexao&& outra) noexcept;
    Conexao& operator=(Conexao&& outra) noexcept;

    // SQL dialect 3, connection character set UTF8.
    static Conexao Abre(const std::string& banco, const Credenciais& credenciais);
    // A new database, its own character set WIN1252.
    static Conexao Cria(const std::string& banco, const Credenciais& credenciais);

    bool Aberta() const { return anexo_ != nullptr; }
    void Fecha();
    // Runs one statement without parameters in a transaction of its own.
    void Executa(const std::string& sql);
    Firebird::IAttachment* Anexo() const { return anexo_; }
    // Names the attachment (0 when closed), so that prepared statements know
    // when they belong to an attachment that is gone.
    std::uint64_t Geracao() const { return geracao_; }
    // Stops the statement running on this attachment, from another thread:
    // it fails with "operation was cancelled".
    void Interrompe();

private:
    Firebird::IAttachment* anexo_ = nullptr;
    std::uint64_t geracao_ = 0;
};

class Transacao {
public:
    // Read-committed (record version, wait); read-only when `somenteLeitura`.
    Transacao(Conexao& conexao, bool somenteLeitura = false);
    ~Transacao();  // rolls back what was not committed
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;

    void Confirma();
    void Desfaz();
    bool Ativa() const { return transacao_ != nullptr; }
    Firebird::ITransaction* Ponteiro() const { return transacao_; }

private:
    Firebird::ITransaction* transacao_ = nullptr;
};

// One column of a statement's result, as the server describes it.
struct ColunaResultado {
    std::string nome;  // the column's label (alias)
    unsigned tipo = 0;  // SQL_* without the nullable bit
    int escala = 0;
    unsigned tamanho = 0;  // bytes
    unsigned deslocamento = 0;
    unsigned deslocamentoNulo = 0;
};

// A statement prepared once and executed again with new parameter values.
class Comando {
public:
    Comando(Conexao& conexao, Transacao& transacao, const std::string& sql);
    ~Comando();
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;

    std::size_t QuantidadeParametros() const { return parametros_.size(); }
    const std::vector<ColunaResultado>& Colunas() const { return colunas_; }

    // Converts the value into the parameter's described type.
    void DefineParametro(std::size_t indice, const Valor& valor);

    // Runs the statement; calls `linha` once per row fetched, with the row's
    // buffer to be read through the Le* functions below.
    void Abre(Transacao& transacao, const std::function<void(const unsigned char*)>& linha);
    void Executa(Transacao& transacao);
    // Rows inserted, updated or deleted by the last execution.
    std::uint64_t LinhasAfetadas();

    std::uint64_t Geracao() const { return geracao_; }

private:
    Firebird::IStatement* comando_ = nullptr;
    Firebird::IMessageMetadata* entrada_ = nullptr;
    Firebird::IMessageMetadata* saida_ = nullptr;
    std::vector<ColunaResultado> parametros_;
    std::vector<ColunaResultado> colunas_;
    std::vector<unsigned char> bufferEntrada_;
    std::vector<unsigned char> bufferSaida_;
    std::uint64_t geracao_ = 0;
};

// Reading one column of a fetched row. Text arrives as UTF-8.
bool EhNulo(const ColunaResultado& c, const unsigned char* linha);
std::string LeTexto(const ColunaResultado& c, const unsigned char* linha);
// A text column's bytes as they lie in the row's buffer (CHAR comes blank-padded).
std::string_view VistaTexto(const ColunaResultado& c, const unsigned char* linha);
// Numbers: integers, scaled integers (NUMERIC/DECIMAL) and floating columns.
std::int64_t LeInteiro(const ColunaResultado& c, const unsigned char* linha);
double LeReal(const ColunaResultado& c, const unsigned char* linha);
// An integer or scaled-integer column's value as an integer scaled by 10^casas,
// when that is exact; false for other types or when places would be lost.
bool LeInteiroEscalado(const ColunaResultado& c, const unsigned char* linha, int casas,
                       std::int64_t& valor);
Data LeData(const ColunaResultado& c, const unsigned char* linha);
bool EhTexto(const ColunaResultado& c);
bool EhNumero(const ColunaResultado& c);
bool EhData(const ColunaResultado& c);

}  // namespace fb
