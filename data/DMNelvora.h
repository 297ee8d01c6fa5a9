// The data module: the program's only gateway to the company database. It owns
// the connection SQLConnectionPRAXO, every entry of the query catalogue and the
// shared date operations.
#pragma once

#include "ConexaoSQL.h"
#include "ConjuntoDados.h"
#include "Datas.h"
#include "PontePraxoLib.h"
#include "VerificacaoVersao.h"

#include <string>

class TFDMExporta {
public:
    // `pastaPrograma` is the folder of the running executable (with its
    // separator); dbxconnections.ini is read from it. Empty: the real one.
    explicit TFDMExporta(std::string pastaPrograma = {});
    ~TFDMExporta();
    TFDMExporta(const TFDMExporta&) = delete;
    TFDMExporta& operator=(const TFDMExporta&) = delete;

    const std::string& PastaPrograma() const { return pastaPrograma_; }
    // dbxconnections.ini of the program's folder, unless another file was named.
    std::string ArquivoConfiguracao() const {
        return arquivoConfiguracao_.empty() ? pastaPrograma_ + "dbxconnections.ini" : arquivoConfiguracao_;
    }
    void DefineArquivoConfiguracao(std::string arquivo) { arquivoConfiguracao_ = std::move(arquivo); }

    // Assembles the parameter list of the connection from [EMPRESA] of
    // dbxconnections.ini; runs each time the connection is about to open.
    void SQLConnectionPRAXOBeforeConnect();
    bool ConexaoConfigurada = false;

    TConexaoSQL SQLConnectionPRAXO;

    // Movements.
    TConjuntoDados CDSSaidas;
    TConjuntoDados CDSItens;
    TConjuntoDados CDSItensMov;
    TConjuntoDados CDSReg61;
    TConjuntoDados CDSReg61R;
    // Fiscal printers.
    TConjuntoDados CDSECFM;
    TConjuntoDados CDSECFA;
    TConjuntoDados CDSECFD;
    TConjuntoDados CDSECFI;
    TConjuntoDados CDSECFR;
    TConjuntoDados CDSCupomM;
    TConjuntoDados CDSCupomA;
    TConjuntoDados CDSConsCOO_do_Dia;
    // Coupon items of one printer on one day, for the typed-in reductions.
    TConjuntoDados CDSECFDMaquina;
    TConjuntoDados CDSECFIMaquina;
    // Company, accountant, products, inventory.
    TConjuntoDados ClientEmpresaLocal;
    TConjuntoDados CDSContador;
    TConjuntoDados CDSInventario;
    TConjuntoDados CDSConsProduto;
    TConjuntoDados CDSCadProduto;

    // Every entry, for the code that walks the whole catalogue.
    std::vector<TConjuntoDados*> Catalogo();

    // The maker's library, in the program's folder.
    TPontePraxoLib Ponte;

    // Asks the database which version of the program it expects; when this
    // one is out of date, starts the updater (true) or says it is missing, and
    // asks the application to end.
    bool VerificaNovaVersao(const std::string& coluna, const std::string& legenda,
                            const std::string& versaoPrograma, TPlataforma& plataforma);

    // Why ClientEmpresaLocal has no row for the company: it does not exist, or
    // its city is missing (the company query joins the city). A text for the user.
    std::string MotivoEmpresaAusente(std::int64_t codigo);

    // The local file the configuration's Database names (also behind a
    // server address on this machine), or empty.
    std::string ArquivoBancoLocal();

    static Data PrimeiroDiaMes(Data d) { return ::PrimeiroDiaMes(d); }
    static Data UltimoDiaMes(Data d) { return ::UltimoDiaMes(d); }
    static std::string InverteData(Data d) { return ::InverteData(d); }

private:
    std::string pastaPrograma_;
    std::string arquivoConfiguracao_;
};

// Calculated columns.
std::string CDSSaidasCalcFields(const TConjuntoDados& saidas);       // TIPO
std::string CDSCupomACalcFields(const TConjuntoDados& totalizadores);  // SituacaoTributaria
