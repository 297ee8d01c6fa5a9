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

// The Z-reduction window's queries, on the connection the window is handed:
// the printers of a month, the stored reductions of a printer, one reduction
// and its rate rows (both editable), the key generator, the duplicate test and
// the coupon numbers of a printer's day. The window calls these operations and
// never runs SQL of its own.
class TConsultasReducaoZ {
public:
    explicit TConsultasReducaoZ(TConexaoSQL& conexao);
    ~TConsultasReducaoZ();
    TConsultasReducaoZ(const TConsultasReducaoZ&) = delete;
    TConsultasReducaoZ& operator=(const TConsultasReducaoZ&) = delete;

    TConexaoSQL& Conexao;
    // The company list, read as the data module's ClientEmpresaLocal is.
    TConjuntoDados CDSEmpresaLocal;
    TConjuntoDados CDSConsSeries;
    TConjuntoDados CDSConsulta;
    TConjuntoDados CDSRegM;  // editable: SINTREG60M
    TConjuntoDados CDSRegA;  // editable: SINTREG60A
    TConjuntoDados SQLGeraCodigo;
    TConjuntoDados QConsExisteData;
    TConjuntoDados QConsCupons;

    // The next key of the named generator; every call consumes a value.
    std::int64_t NovoCodigo(const std::string& gerador);
    // How many reductions are stored for this printer number, serial and day.
    std::int64_t QuantidadeMovimentos(std::int64_t numero, const std::string& serie, Data emissao);

    // The first and last coupon of a printer's day, by number (999 before
    // 1000); 0 when the day has none. A coupon number that is not a number
    // raises an error naming it.
    struct FaixaCupons {
        std::int64_t primeiro = 0;
        std::int64_t ultimo = 0;
    };
    FaixaCupons CuponsDoDia(const std::string& serie, Data dia);

    // Stores the pending changes of CDSRegM, then of CDSRegA, in one
    // read-committed transaction; on any failure rolls it back and raises,
    // the pending changes staying in the row sets.
    void ArmazenaReducao();
    // Another stored reduction of this printer number, serial and day than
    // the one in CDSRegM: a reduction being edited does not count itself.
    bool ReducaoRepetida(std::int64_t numero, const std::string& serie, Data emissao);
    // Opens the reduction `codigo` with its rate rows and removes them in the
    // row sets (raises when there is no such reduction); ArmazenaReducao stores it.
    void PreparaExclusao(std::int64_t codigo);
    // Both: removes the reduction with its rate rows in one transaction.
    void ExcluiReducao(std::int64_t codigo);
};
