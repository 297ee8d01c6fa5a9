// tSintegra: the writer of the Sintegra magnetic file.
//
// It owns the output file, formats every record type field by field into lines
// of exactly 126 Windows-1252 bytes followed by CR LF, and counts what it wrote
// so that the closing stage can write the totals (record 90). It knows no
// database and no window: every value arrives as an argument.
//
// Text arguments are UTF-8. Each text field is converted to Windows-1252 before
// it is aligned and cut, so widths are counted in Windows-1252 characters.
//
// A number is never cut nor written with a sign inside a field: an amount with
// more digits than its field, or an integer that is negative or too long
// (counters, coupon and item numbers, also the item number of record 54 and the
// equipment number of 60M, which arrive as text of digits), raises
// ErroValorCampo and nothing of that record is written. Amounts are written as
// their absolute value. Text fields keep their rules: a longer text keeps its
// first characters (the document number of 50 and 54 its last six, the fax of
// 10 and the telephone of 88EC their last digits).
//
// The file is written into a temporary file beside the target and moved onto
// the target name only by FechaArquivo; a run that fails half-way never leaves
// a truncated file under the real name, and an earlier file of that name stays
// as it was until the new one is complete.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sintegra {

using Data = std::chrono::year_month_day;

class Linha;  // one record being assembled (Campos.h)

// A write, close or move failure of the output file. The text names the file
// and the system's reason.
class ErroArquivo : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number that its field cannot hold: it has more digits than the field, or
// it is a negative integer (an integer field has no place for a sign). The
// writer refuses it rather than cut it; the text names the record, the field
// with its positions, the value and the reference set by DefineReferencia.
class ErroValorCampo : public std::runtime_error {
public:
    ErroValorCampo(std::string registro, std::string campo, int posicaoInicial,
                   int posicaoFinal, std::string valor, std::string referencia,
                   const std::string& problema);

    const std::string& Registro() const { return registro_; }      // "60M"
    const std::string& Campo() const { return campo_; }            // as the layout names it
    int PosicaoInicial() const { return posicaoInicial_; }
    int PosicaoFinal() const { return posicaoFinal_; }
    const std::string& Valor() const { return valor_; }            // Brazilian form: 1.234,56
    const std::string& Referencia() const { return referencia_; }  // may be empty

private:
    std::string registro_, campo_, valor_, referencia_;
    int posicaoInicial_, posicaoFinal_;
};

// Public text operations of the writer, also used by the export stages.
// RemovePontuacao deletes ".", ",", "-", "_", "|" and "/" and keeps everything else.
std::string RemovePontuacao(std::string_view texto);
// Fills on the left with `preenchimento` up to `largura` characters; a longer
// value keeps its first `largura` characters. Widths count characters, not bytes.
std::string AlinhaDireita(std::string_view valor, int largura, char preenchimento);

class tSintegra {
public:
    // `caminho` is the folder prefix of the file, already ending with the separator.
    explicit tSintegra(std::string caminho);
    ~tSintegra();
    tSintegra(const tSintegra&) = delete;
    tSintegra& operator=(const tSintegra&) = delete;

    // Prepares the file `caminho + nomeArquivo`. Returns false when it cannot be
    // created (the folder does not exist, no permission); the writer then stays
    // closed and MensagemFalhaCriacao() gives the text to show the user.
    bool AbreArquivo(std::string_view nomeArquivo);
    // Flushes and closes the file and puts it under its real name, replacing an
    // earlier file of that name. Raises ErroArquivo on failure (the temporary
    // file is then removed and the earlier file left untouched).
    // `antesDePublicar`, when given, runs on the complete temporary file just
    // before it takes the real name (to sign it); if it raises, the file is
    // abandoned the same way and the error goes on to the caller.
    void FechaArquivo(const std::function<void(const std::string& temporario)>& antesDePublicar = {});
    // Gives up the file being written: the temporary file is removed and any
    // earlier file of the target name is left as it was. Harmless when closed.
    void AbandonaArquivo();
    bool ArquivoAberto() const { return fd_ >= 0; }

    std::string MensagemFalhaCriacao() const;

    // What the next records are written for ("nota 123 (movimento 45)",
    // "redução Z do ECF 1 de 15/03/2010", "produto 7"): an ErroValorCampo
    // names it. It stays until it is set again; empty names nothing.
    void DefineReferencia(std::string texto) { referencia_ = std::move(texto); }
    const std::string& Referencia() const { return referencia_; }

    // Records 10, 11 and 90.
    void Registro10(std::string_view CNPJ, std::string_view InscricaoEstadual,
                    std::string_view NomeContribuinte, std::string_view Municipio,
                    std::string_view UF, std::string_view Fax, Data DataInicial,
                    Data DataFinal, std::int64_t CodigoEstrutura,
                    std::int64_t CodigoNatureza, std::int64_t CodigoFinalidade);
    void Registro11(std::string_view Logradouro, std::string_view Numero,
                    std::string_view Complemento, std::string_view Bairro,
                    std::string_view CEP, std::string_view NomeContato,
                    std::string_view Telefone);
    void Registro90(std::string_view CNPJ, std::string_view InscricaoEstadual,
                    std::string_view TipoTotalizado, std::int64_t Total);

    // Records 50 and 54.
    void Registro50(std::string_view CNPJ, std::string_view InscricaoEstadual,
                    Data DataEmissao, std::string_view UF, std::string_view Modelo,
                    std::string_view Serie, std::string_view Numero,
                    std::string_view CFOP, std::string_view Emitente, double ValorTotal,
                    double BaseCalculoICMS, double ValorICMS, double IsentaNaoTributada,
                    double Outras, double Aliquota, std::string_view Situacao);
    void Registro54(std::string_view CNPJ, std::string_view Modelo,
                    std::string_view Serie, std::string_view Numero,
                    std::string_view CFOP, std::string_view CST,
                    std::string_view NumeroItem, std::string_view CodigoProduto,
                    double Quantidade, double ValorProduto, double ValorDesconto,
                    double BaseCalculoICMS, double BaseCalculoICMSST, double ValorIPI,
                    double AliquotaICMS);

    // Records 60M, 60A, 60D, 60I and 60R.
    void Registro60M(std::string_view NumeroSerie, std::string_view NumeroOrdem,
                     Data DataEmissao, std::string_view ModeloDocumento,
                     std::int64_t COOInicial, std::int64_t COOFinal,
                     std::int64_t ContadorReducaoZ, std::int64_t ContadorReinicioOperacao,
                     double VendaBruta, double GrandeTotal);
    void Registro60A(std::string_view NumeroSerie, std::string_view Aliquota,
                     Data DataEmissao, double Valor);
    void Registro60D(std::string_view NumeroSerie, std::string_view CodigoProduto,
                     Data DataEmissao, std::string_view Aliquota, double Quantidade,
                     double Valor, double BaseCalculoICMS, double ValorICMS);
    void Registro60I(std::string_view NumeroSerie, std::string_view ModeloDocumento,
                     Data DataEmissao, std::string_view CodigoProduto,
                     std::string_view Aliquota, std::int64_t NumeroDocumento,
                     std::int64_t NumeroItem,
                     double Quantidade, double Valor, double BaseCalculoICMS,
                     double ValorICMS);
    void Registro60R(std::string_view MesAno, std::string_view CodigoProduto,
                     std::string_view Aliquota, double Quantidade, double Valor,
                     double BaseCalculoICMS);

    // Records 61, 61R, 74 and 75.
    void Registro61(std::int64_t Modelo, std::string_view Serie, Data DataEmissao,
                    std::int64_t NumeroInicial, std::int64_t NumeroFinal, double ValorTotal,
                    double BaseCalculoICMS, double ValorICMS, double IsentaNaoTributada,
                    double Outras, double Aliquota);
    void Registro61R(std::int64_t Mes, std::int64_t Ano, std::string_view CodigoProduto,
                     double Quantidade,
                     double Valor, double BaseCalculoICMS, double Aliquota);
    void Registro74(std::string_view CodigoProduto, Data DataInventario,
                    std::string_view UF, double Quantidade, double Valor);
    void Registro75(std::string_view CodigoProduto, std::string_view CodigoNCM,
                    Data DataInicial, Data DataFinal, std::string_view Descricao,
                    std::string_view Unidade, double AliquotaIPI, double AliquotaICMS,
                    double ReducaoBaseCalculoICMS, double BaseCalculoICMSST);

    // Records 88.
    void Registro88SF();
    void Registro88EC(std::string_view NomeResponsavel, std::string_view CPF,
                      std::string_view CRC, std::string_view Telefone,
                      std::string_view Email, std::string_view Indicador);
    void Registro88SME(std::string_view CNPJ, std::string_view InscricaoEstadual);
    void Registro88SMS(std::string_view CNPJ, std::string_view InscricaoEstadual);

    // Counters: records written per type; QtdTotal counts every record but 10 and 11.
    std::int32_t Qtd50() const { return qtd50_; }
    std::int32_t Qtd54() const { return qtd54_; }
    std::int32_t Qtd60() const { return qtd60_; }  // 60M, 60A, 60D, 60I and 60R
    std::int32_t Qtd61() const { return qtd61_; }  // 61 and 61R
    std::int32_t Qtd74() const { return qtd74_; }
    std::int32_t Qtd75() const { return qtd75_; }
    std::int32_t Qtd88() const { return qtd88_; }  // 88SF, 88EC, 88SME and 88SMS
    std::int32_t QtdTotal() const { return qtdTotal_; }

    const std::string& Caminho() const { return caminho_; }
    const std::string& NomeArquivoCompleto() const { return nomeArquivoCompleto_; }
    const std::string& NomeArquivoTemporario() const { return nomeTemporario_; }

private:
    Linha NovaLinha(std::string_view registro) const;
    void GravaLinha(const Linha& linha);  // its 126 bytes, CR LF appended
    void Descarrega();
    [[noreturn]] void FalhaGravacao(const char* acao, int erro) const;

    std::int32_t qtd50_ = 0, qtd54_ = 0, qtd60_ = 0, qtd61_ = 0;
    std::int32_t qtd74_ = 0, qtd75_ = 0, qtd88_ = 0, qtdTotal_ = 0;
    std::string caminho_;
    std::string nomeArquivoCompleto_;
    std::string nomeTemporario_;
    int fd_ = -1;
    std::string buffer_;
    std::size_t usado_ = 0;
    std::string campo_;  // scratch for the field being converted
    std::string referencia_;
};

}  // namespace sintegra
