#include "ConexaoSQL.h"

#include "ArquivoIni.h"
#include "ErroSistema.h"

#include <ibase.h>

namespace {

std::string_view Apara(std::string_view s) {
    const auto i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

std::string Juntos(const std::vector<std::string>& nomes) {
    std::string r;
    for (const auto& n : nomes) r += (r.empty() ? "" : ", ") + n;
    return r;
}

// What went wrong when the database would not open, and what to do about it;
// the engine's own text follows as a detail.
[[noreturn]] void FalhaAoAbrir(const std::string& banco, const fb::ErroBanco& e) {
    std::string texto;
    const bool local = fb::BancoLocal(banco);
    if (banco.empty()) {
        texto = "O arquivo de configuração não informa o banco de dados (Database, seção [EMPRESA]).";
    } else if (e.Tem(isc_already_opened) || (local && (e.Tem(isc_lock_timeout) || e.Tem(isc_no_lock_mgr)))) {
        const auto processos = fb::ProcessosComArquivo(banco);
        texto = "O banco de dados " + banco + " está em uso por outro programa" +
                (processos.empty() ? "" : " (" + Juntos(processos) + ")") +
                " que não permite compartilhá-lo. Feche esse programa, ou acesse o banco por um "
                "servidor Firebird, e tente de novo.";
    } else if (e.Tem(isc_bad_db_format)) {
        texto = "O arquivo " + banco + " não é um banco de dados Firebird. Confira o valor de Database "
                "na seção [EMPRESA] de dbxconnections.ini.";
    } else if (e.Tem(isc_io_error) || e.Tem(isc_io_open_err) || e.Tem(isc_io_access_err)) {
        const int erro = e.ErroSistema();
        if (erro == ENOENT)
            texto = "O banco de dados " + banco + " não existe. Confira o valor de Database na seção "
                    "[EMPRESA] de dbxconnections.ini.";
        else
            texto = "Não foi possível abrir o banco de dados " + banco +
                    (erro ? ": " + DescricaoErroSistema(erro) : std::string()) +
                    ". Confira se o arquivo existe e se este usuário pode lê-lo e gravá-lo.";
    } else if (e.Tem(isc_login)) {
        texto = "O servidor recusou o usuário e a senha ao abrir o banco de dados " + banco +
                ". Confira User_Name e Password na seção [EMPRESA] de dbxconnections.ini.";
    } else if (e.Tem(isc_network_error) || e.Tem(isc_unavailable)) {
        texto = "Não foi possível falar com o servidor do banco de dados " + banco +
                ". Confira se o servidor Firebird está ligado e se o endereço está certo.";
    } else {
        texto = "Não foi possível abrir o banco de dados " + banco + ".";
    }
    fb::ErroBanco traduzido(texto + "\n(Detalhe: " + e.what() + ")", e.Codigos());
    traduzido.DefineErroSistema(e.ErroSistema());
    throw traduzido;
}

}  // namespace

std::string TConexaoSQL::ValorParametro(std::string_view chave) const {
    for (const auto& linha : Parametros) {
        const auto igual = linha.find('=');
        const std::string_view k =
            std::string_view(linha).substr(0, igual == std::string::npos ? linha.size() : igual);
        if (IguaisSemCaixa(Apara(k), chave))
            return igual == std::string::npos ? std::string() : linha.substr(igual + 1);
    }
    return {};
}

fb::Conexao& TConexaoSQL::Conexao() {
    std::lock_guard trava(trava_);
    if (!conexao_.Aberta()) {
        if (AntesDeConectar) AntesDeConectar();
        const std::string banco(Apara(ValorParametro("Database")));
        fb::Credenciais c{ValorParametro("User_Name"), ValorParametro("Password"), {}};
        try {
            if (banco.empty()) throw fb::ErroBanco("Database vazio");
            conexao_ = fb::Conexao::Abre(banco, c);
        } catch (const fb::ErroBanco& e) {
            FalhaAoAbrir(banco, e);
        }
        anexoAtivo_ = &conexao_;
    }
    return conexao_;
}

fb::Transacao& TConexaoSQL::TransacaoLeitura() {
    fb::Conexao& c = Conexao();
    if (!leitura_ || geracaoLeitura_ != c.Geracao()) {
        leitura_.reset();
        leitura_ = std::make_unique<fb::Transacao>(c, true);
        geracaoLeitura_ = c.Geracao();
    }
    return *leitura_;
}

void TConexaoSQL::DescartaTransacaoLeitura() {
    std::lock_guard trava(trava_);
    leitura_.reset();
}

void TConexaoSQL::Desconecta() {
    std::lock_guard trava(trava_);
    leitura_.reset();
    anexoAtivo_ = nullptr;
    conexao_.Fecha();
}

void TConexaoSQL::Interrompe() {
    if (auto* c = anexoAtivo_.load()) c->Interrompe();
}
