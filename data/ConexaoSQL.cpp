#include "ConexaoSQL.h"

#include "ArquivoIni.h"

namespace {

std::string_view Apara(std::string_view s) {
    const auto i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
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
        conexao_ = fb::Conexao::Abre(banco, c);
    }
    return conexao_;
}
