// The program's connection to the company database: a parameter list of
// key=value lines, a handler that assembles it each time the connection is
// about to open, and the attachment itself, opened on first use.
#pragma once

#include "Firebird.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TConexaoSQL {
public:
    std::string NomeConexao;
    std::string NomeDriver;
    std::string BibliotecaDriver;
    std::string BibliotecaCliente;
    bool PedeLogin = false;
    // key=value lines; when a key is read the first matching line wins.
    std::vector<std::string> Parametros;
    // Runs each time the connection is about to open.
    std::function<void()> AntesDeConectar;

    // The value of the first line whose key matches, without regard to case.
    std::string ValorParametro(std::string_view chave) const;

    // The open attachment; opens it first when it is closed.
    fb::Conexao& Conexao();
    bool Conectada() const { return conexao_.Aberta(); }
    void Desconecta();
    // Stops the statement running on the connection, from any thread; the
    // statement fails with the engine's "operation was cancelled".
    void Interrompe();

    // The connection is shared by the window and the export thread; whoever
    // runs a statement on it holds this lock for the statement's duration.
    std::recursive_mutex& Trava() { return trava_; }

    // The one read-only read-committed transaction the reads of the
    // connection run in (the caller holds Trava()). Starting a transaction
    // for each of a month's thousands of reads costs more than the reads; a
    // read-only read-committed transaction holds back no garbage collection
    // and sees every commit. Discarded after a failed read.
    fb::Transacao& TransacaoLeitura();
    void DescartaTransacaoLeitura();

private:
    fb::Conexao conexao_;
    std::atomic<fb::Conexao*> anexoAtivo_{nullptr};
    std::unique_ptr<fb::Transacao> leitura_;
    std::uint64_t geracaoLeitura_ = 0;
    std::recursive_mutex trava_;
};
