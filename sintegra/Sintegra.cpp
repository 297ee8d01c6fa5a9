#include "Sintegra.h"

#include "Campos.h"
#include "ErroSistema.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sintegra {

namespace {

// The software house that supplies this program, as record 88SF declares it.
constexpr std::string_view FornecedorNome = "NELVORA SISTEMAS LTDA";
constexpr std::string_view FornecedorCNPJ = "45997418000153";
// Two telephone numbers of eleven digits each: 0 + area code + number.
constexpr std::string_view FornecedorTelefones = "0473322110004733221101";
constexpr std::string_view FornecedorEmail = "sintegra@nelvora.com.br";

// Steps applied to a text field before it is aligned, in this order.
enum Regra : unsigned {
    Nada = 0,
    Aparado = 1,          // rule 4
    SemPontuacao = 2,     // rule 3
    Digitos = 4,          // numeric contact fields keep only their digits
};

constexpr std::size_t TamanhoBuffer = 1 << 18;

std::atomic<unsigned> SequenciaTemporario{0};

}  // namespace

ErroValorCampo::ErroValorCampo(std::string registro, std::string campo, int posicaoInicial,
                               int posicaoFinal, std::string valor, std::string referencia,
                               const std::string& problema)
    : std::runtime_error("Não foi possível gravar o registro " + registro +
                         (referencia.empty() ? "" : ", " + referencia) + ": o valor " + valor +
                         " do campo \"" + campo + "\" (posições " +
                         std::to_string(posicaoInicial) + " a " + std::to_string(posicaoFinal) +
                         ") " + problema + ". Corrija esse valor na origem e exporte novamente."),
      registro_(std::move(registro)),
      campo_(std::move(campo)),
      valor_(std::move(valor)),
      referencia_(std::move(referencia)),
      posicaoInicial_(posicaoInicial),
      posicaoFinal_(posicaoFinal) {}

std::string RemovePontuacao(std::string_view texto) {
    std::string s(texto);
    TiraPontuacao(s);
    return s;
}

std::string AlinhaDireita(std::string_view valor, int largura, char preenchimento) {
    if (largura <= 0) return {};
    // Count characters, not bytes: a UTF-8 continuation byte starts no character.
    std::size_t caracteres = 0;
    std::size_t corte = valor.size();
    for (std::size_t i = 0; i < valor.size(); ++i) {
        if ((static_cast<unsigned char>(valor[i]) & 0xC0) == 0x80) continue;
        if (caracteres == static_cast<std::size_t>(largura)) {
            corte = i;
            break;
        }
        ++caracteres;
    }
    if (corte < valor.size()) return std::string(valor.substr(0, corte));
    return std::string(static_cast<std::size_t>(largura) - caracteres, preenchimento) +
           std::string(valor);
}

tSintegra::tSintegra(std::string caminho) : caminho_(std::move(caminho)) {}

tSintegra::~tSintegra() { AbandonaArquivo(); }

namespace {

// Temporary files of this target left by runs whose process is gone (killed,
// or a power cut): "NAME.~PID-N.tmp" beside the target.
void RemoveTemporariosAbandonados(const std::string& alvo) {
    namespace fs = std::filesystem;
    const fs::path caminho(alvo);
    const std::string prefixo = caminho.filename().string() + ".~";
    std::error_code e;
    const fs::path pasta = caminho.has_parent_path() ? caminho.parent_path() : fs::path(".");
    for (const auto& entrada : fs::directory_iterator(pasta, e)) {
        const std::string nome = entrada.path().filename().string();
        if (nome.size() <= prefixo.size() + 4 || nome.compare(0, prefixo.size(), prefixo) != 0 ||
            nome.compare(nome.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string resto = nome.substr(prefixo.size());
        const auto hifen = resto.find('-');
        if (hifen == 0 || hifen == std::string::npos ||
            resto.find_first_not_of("0123456789") != hifen)
            continue;
        const long pid = std::strtol(resto.c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fs::remove(entrada.path(), e);
    }
}

}  // namespace

bool tSintegra::AbreArquivo(std::string_view nomeArquivo) {
    AbandonaArquivo();
    nomeArquivoCompleto_ = caminho_ + std::string(nomeArquivo);
    RemoveTemporariosAbandonados(nomeArquivoCompleto_);
    // The temporary file lies beside the target, so that moving it onto the
    // target name at the end is a rename within one file system.
    for (int tentativa = 0; tentativa < 100; ++tentativa) {
        nomeTemporario_ = nomeArquivoCompleto_ + ".~" + std::to_string(::getpid()) + "-" +
                          std::to_string(SequenciaTemporario++) + ".tmp";
        fd_ = ::open(nomeTemporario_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) {
        nomeTemporario_.clear();
        return false;
    }
    buffer_.resize(TamanhoBuffer);
    usado_ = 0;
    return true;
}

std::string tSintegra::MensagemFalhaCriacao() const {
    return "Não foi possível criar o arquivo " + nomeArquivoCompleto_ +
           " no caminho especificado.";
}

void tSintegra::FalhaGravacao(const char* acao, int erro) const {
    throw ErroArquivo(std::string("Não foi possível ") + acao + " o arquivo " +
                      nomeArquivoCompleto_ + ": " + DescricaoErroSistema(erro) + ".");
}

void tSintegra::Descarrega() {
    std::size_t feito = 0;
    while (feito < usado_) {
        const auto n = ::write(fd_, buffer_.data() + feito, usado_ - feito);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int erro = errno;
            usado_ = 0;
            FalhaGravacao("gravar", erro);
        }
        feito += static_cast<std::size_t>(n);
    }
    usado_ = 0;
}

Linha tSintegra::NovaLinha(std::string_view registro) const {
    return Linha(registro, &referencia_);
}

void tSintegra::GravaLinha(const Linha& l) {
    const char* linha = l.Completa();  // a line of another length is never written
    if (fd_ < 0) FalhaGravacao("gravar", EBADF);
    if (usado_ + TamanhoLinha + 2 > buffer_.size()) Descarrega();
    char* p = buffer_.data() + usado_;
    std::memcpy(p, linha, TamanhoLinha);
    p[TamanhoLinha] = '\r';
    p[TamanhoLinha + 1] = '\n';
    usado_ += TamanhoLinha + 2;
}

void tSintegra::FechaArquivo(const std::function<void(const std::string&)>& antesDePublicar) {
    if (fd_ < 0) FalhaGravacao("fechar", EBADF);
    try {
        Descarrega();
        if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) FalhaGravacao("fechar", errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) FalhaGravacao("fechar", errno);
        if (antesDePublicar) antesDePublicar(nomeTemporario_);
        if (::rename(nomeTemporario_.c_str(), nomeArquivoCompleto_.c_str()) != 0)
            FalhaGravacao("fechar", errno);
    } catch (...) {
        AbandonaArquivo();
        throw;
    }
    nomeTemporario_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
}

void tSintegra::AbandonaArquivo() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!nomeTemporario_.empty()) {
        ::unlink(nomeTemporario_.c_str());
        nomeTemporario_.clear();
    }
    usado_ = 0;
}

namespace {

// Converts a UTF-8 argument into the writer's scratch field, then applies the rules.
const std::string& Prepara(std::string& campo, std::string_view utf8, unsigned regras) {
    campo.clear();
    AcrescentaWindows1252(utf8, campo);
    if (regras & Aparado) Apara(campo);
    if (regras & SemPontuacao) TiraPontuacao(campo);
    if (regras & Digitos) SoDigitos(campo);
    return campo;
}

// The document number of records 50 and 54: punctuation removed, and when longer
// than six characters its last six, as the tax authority asks of electronic notes.
const std::string& NumeroDocumento(std::string& campo, std::string_view utf8) {
    Prepara(campo, utf8, SemPontuacao);
    UltimosCaracteres(campo, 6);
    return campo;
}

}  // namespace

// ---------------------------------------------------------------- 10, 11, 90

void tSintegra::Registro10(std::string_view CNPJ, std::string_view InscricaoEstadual,
                           std::string_view NomeContribuinte, std::string_view Municipio,
                           std::string_view UF, std::string_view Fax, sintegra::Data DataInicial,
                           sintegra::Data DataFinal, std::int64_t CodigoEstrutura,
                           std::int64_t CodigoNatureza, std::int64_t CodigoFinalidade) {
    Linha l = NovaLinha("10");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0')
        .Esquerda(Prepara(campo_, InscricaoEstadual, SemPontuacao), 14, ' ')
        .Esquerda(Prepara(campo_, NomeContribuinte, Nada), 35, ' ')
        .Esquerda(Prepara(campo_, Municipio, Nada), 30, ' ')
        .Esquerda(Prepara(campo_, UF, Nada), 2, ' ');
    // The fax is DDD and number joined; a DDD written with its leading zero
    // ("048") makes one digit too many, and it is that zero that must go.
    Prepara(campo_, Fax, Digitos);
    UltimosCaracteres(campo_, 10);
    l.Direita(campo_, 10, '0')
        .Data(DataInicial)
        .Data(DataFinal)
        .Inteiro("Código da identificação da estrutura do arquivo", CodigoEstrutura, 1)
        .Inteiro("Código da natureza das operações informadas", CodigoNatureza, 1)
        .Inteiro("Código da finalidade do arquivo", CodigoFinalidade, 1);
    GravaLinha(l);
}

void tSintegra::Registro11(std::string_view Logradouro, std::string_view Numero,
                           std::string_view Complemento, std::string_view Bairro,
                           std::string_view CEP, std::string_view NomeContato,
                           std::string_view Telefone) {
    Linha l = NovaLinha("11");
    l.Esquerda(Prepara(campo_, Logradouro, Nada), 34, ' ')
        .Direita(Prepara(campo_, Numero, Digitos), 5, '0')
        .Esquerda(Prepara(campo_, Complemento, Nada), 22, ' ')
        .Esquerda(Prepara(campo_, Bairro, Nada), 15, ' ')
        .Esquerda(Prepara(campo_, CEP, Digitos), 8, '0')
        .Esquerda(Prepara(campo_, NomeContato, Nada), 28, ' ')
        .Direita(Prepara(campo_, Telefone, Digitos), 12, '0');
    GravaLinha(l);
}

void tSintegra::Registro90(std::string_view CNPJ, std::string_view InscricaoEstadual,
                           std::string_view TipoTotalizado, std::int64_t Total) {
    if (Total <= 0) return;
    ++qtdTotal_;
    // Every 90 line carries the number of 90 lines of the file: one per type
    // with records, plus the "99" line.
    int linhas90 = 1;
    for (auto qtd : {qtd50_, qtd54_, qtd60_, qtd61_, qtd74_, qtd75_, qtd88_})
        if (qtd > 0) ++linhas90;
    Linha l = NovaLinha("90");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0')
        .Esquerda(Prepara(campo_, InscricaoEstadual, SemPontuacao), 14, ' ')
        .Direita(Prepara(campo_, TipoTotalizado, Nada), 2, '0')
        .Inteiro("Total de registros", Total, 8)
        .Brancos(85)
        .InteiroEsquerda("Número de registros tipo 90", linhas90, 1, '0');
    GravaLinha(l);
}

// ---------------------------------------------------------------- 50, 54

void tSintegra::Registro50(std::string_view CNPJ, std::string_view InscricaoEstadual,
                           sintegra::Data DataEmissao, std::string_view UF,
                           std::string_view Modelo, std::string_view Serie,
                           std::string_view Numero, std::string_view CFOP,
                           std::string_view Emitente, double ValorTotal,
                           double BaseCalculoICMS, double ValorICMS,
                           double IsentaNaoTributada, double Outras, double Aliquota,
                           std::string_view Situacao) {
    ++qtd50_;
    ++qtdTotal_;
    Linha l = NovaLinha("50");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0');
    // An Inscrição Estadual left blank is declared "ISENTO".
    Prepara(campo_, InscricaoEstadual, Aparado);
    if (campo_.empty()) campo_ = "ISENTO";
    TiraPontuacao(campo_);
    l.Esquerda(campo_, 14, ' ')
        .Data(DataEmissao)
        .Esquerda(Prepara(campo_, UF, SemPontuacao), 2, ' ')
        .Esquerda(Prepara(campo_, Modelo, SemPontuacao), 2, ' ')
        .Esquerda(Prepara(campo_, Serie, SemPontuacao), 3, ' ')
        .Direita(NumeroDocumento(campo_, Numero), 6, '0')
        .Direita(Prepara(campo_, CFOP, SemPontuacao), 4, '0')
        .Direita(Prepara(campo_, Emitente, SemPontuacao), 1, ' ')
        .Valor("Valor total", ValorTotal, 13, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 13, 2)
        .Valor("Valor do ICMS", ValorICMS, 13, 2)
        .Valor("Isenta ou não tributada", IsentaNaoTributada, 13, 2)
        .Valor("Outras", Outras, 13, 2)
        .Valor("Alíquota", Aliquota, 4, 2)
        .Esquerda(Prepara(campo_, Situacao, SemPontuacao), 1, ' ');
    GravaLinha(l);
}

void tSintegra::Registro54(std::string_view CNPJ, std::string_view Modelo,
                           std::string_view Serie, std::string_view Numero,
                           std::string_view CFOP, std::string_view CST,
                           std::string_view NumeroItem, std::string_view CodigoProduto,
                           double Quantidade, double ValorProduto, double ValorDesconto,
                           double BaseCalculoICMS, double BaseCalculoICMSST, double ValorIPI,
                           double AliquotaICMS) {
    ++qtd54_;
    ++qtdTotal_;
    Linha l = NovaLinha("54");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0')
        .Esquerda(Prepara(campo_, Modelo, Nada), 2, ' ')
        .Esquerda(Prepara(campo_, Serie, Nada), 3, ' ')
        .Direita(NumeroDocumento(campo_, Numero), 6, '0')
        .Direita(Prepara(campo_, CFOP, Nada), 4, '0')
        .Direita(Prepara(campo_, CST, Nada), 3, ' ')
        .NumeroEmTexto("Número do item", Prepara(campo_, NumeroItem, Nada), 3)
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade", Quantidade, 11, 3)
        .Valor("Valor do produto", ValorProduto, 12, 2)
        .Valor("Valor do desconto ou despesa acessória", ValorDesconto, 12, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 12, 2)
        .Valor("Base de cálculo do ICMS de substituição tributária", BaseCalculoICMSST, 12, 2)
        .Valor("Valor do IPI", ValorIPI, 12, 2)
        .Valor("Alíquota do ICMS", AliquotaICMS, 4, 2);
    GravaLinha(l);
}

// ---------------------------------------------------------------- 60

void tSintegra::Registro60M(std::string_view NumeroSerie, std::string_view NumeroOrdem,
                            sintegra::Data DataEmissao, std::string_view ModeloDocumento,
                            std::int64_t COOInicial, std::int64_t COOFinal,
                            std::int64_t ContadorReducaoZ, std::int64_t ContadorReinicioOperacao,
                            double VendaBruta, double GrandeTotal) {
    ++qtd60_;
    ++qtdTotal_;
    Linha l = NovaLinha("60M");
    l.Data(DataEmissao)
        .Esquerda(Prepara(campo_, NumeroSerie, Nada), 20, ' ')
        .NumeroEmTexto("Número de ordem sequencial do equipamento",
                       Prepara(campo_, NumeroOrdem, Nada), 3)
        .Direita(Prepara(campo_, ModeloDocumento, Nada), 2, '0')
        .Inteiro("Contador de ordem de operação no início do dia", COOInicial, 6)
        .Inteiro("Contador de ordem de operação no fim do dia", COOFinal, 6)
        .Inteiro("Contador de redução Z", ContadorReducaoZ, 6)
        .Inteiro("Contador de reinício de operação", ContadorReinicioOperacao, 3)
        .Valor("Venda bruta diária", VendaBruta, 16, 2)
        .Valor("Totalizador geral", GrandeTotal, 16, 2)
        .Brancos(37);
    GravaLinha(l);
}

void tSintegra::Registro60A(std::string_view NumeroSerie, std::string_view Aliquota,
                            sintegra::Data DataEmissao, double Valor) {
    ++qtd60_;
    ++qtdTotal_;
    Linha l = NovaLinha("60A");
    l.Data(DataEmissao).Esquerda(Prepara(campo_, NumeroSerie, Nada), 20, ' ');
    // The typed-in codes FF, II and NN stand for the one-letter codes F, I and N.
    Prepara(campo_, Aliquota, Aparado);
    if (campo_ == "FF")
        campo_ = "F";
    else if (campo_ == "II")
        campo_ = "I";
    else if (campo_ == "NN")
        campo_ = "N";
    else
        Prepara(campo_, Aliquota, Nada);
    l.Esquerda(campo_, 4, ' ')
        .Valor("Valor acumulado no totalizador parcial", Valor, 12, 2)
        .Brancos(79);
    GravaLinha(l);
}

void tSintegra::Registro60D(std::string_view NumeroSerie, std::string_view CodigoProduto,
                            sintegra::Data DataEmissao, std::string_view Aliquota,
                            double Quantidade, double Valor, double BaseCalculoICMS,
                            double ValorICMS) {
    ++qtd60_;
    ++qtdTotal_;
    Linha l = NovaLinha("60D");
    l.Data(DataEmissao)
        .Esquerda(Prepara(campo_, NumeroSerie, Nada), 20, ' ')
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade", Quantidade, 13, 3)
        .Valor("Valor acumulado do produto", Valor, 16, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 16, 2)
        .Esquerda(Prepara(campo_, Aliquota, Nada), 4, ' ')
        .Valor("Valor do ICMS", ValorICMS, 13, 2)
        .Brancos(19);
    GravaLinha(l);
}

void tSintegra::Registro60I(std::string_view NumeroSerie, std::string_view ModeloDocumento,
                            sintegra::Data DataEmissao, std::string_view CodigoProduto,
                            std::string_view Aliquota, std::int64_t NumeroDocumento,
                            std::int64_t NumeroItem, double Quantidade, double Valor,
                            double BaseCalculoICMS, double ValorICMS) {
    ++qtd60_;
    ++qtdTotal_;
    Linha l = NovaLinha("60I");
    l.Data(DataEmissao)
        .Esquerda(Prepara(campo_, NumeroSerie, Nada), 20, ' ')
        .Esquerda(Prepara(campo_, ModeloDocumento, Nada), 2, ' ')
        .Inteiro("Número de ordem do documento fiscal", NumeroDocumento, 6)
        .Inteiro("Número do item", NumeroItem, 3)
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade", Quantidade, 13, 3)
        .Valor("Valor do produto", Valor, 13, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 12, 2)
        .Esquerda(Prepara(campo_, Aliquota, Nada), 4, ' ')
        .Valor("Valor do ICMS", ValorICMS, 12, 2)
        .Brancos(16);
    GravaLinha(l);
}

void tSintegra::Registro60R(std::string_view MesAno, std::string_view CodigoProduto,
                            std::string_view Aliquota, double Quantidade, double Valor,
                            double BaseCalculoICMS) {
    ++qtd60_;
    ++qtdTotal_;
    Linha l = NovaLinha("60R");
    l.Esquerda(Prepara(campo_, MesAno, Nada), 6, ' ')
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade", Quantidade, 13, 3)
        .Valor("Valor acumulado do produto", Valor, 16, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 16, 2)
        .Esquerda(Prepara(campo_, Aliquota, Nada), 4, ' ')
        .Brancos(54);
    GravaLinha(l);
}

// ---------------------------------------------------------------- 61, 61R, 74, 75

void tSintegra::Registro61(std::int64_t Modelo, std::string_view Serie,
                           sintegra::Data DataEmissao, std::int64_t NumeroInicial,
                           std::int64_t NumeroFinal, double ValorTotal, double BaseCalculoICMS,
                           double ValorICMS, double IsentaNaoTributada, double Outras,
                           double Aliquota) {
    ++qtd61_;
    ++qtdTotal_;
    Linha l = NovaLinha("61");
    l.Brancos(14)
        .Brancos(14)
        .Data(DataEmissao)
        .Inteiro("Modelo", Modelo, 2)
        .Esquerda(Prepara(campo_, Serie, Nada), 3, ' ')
        .Brancos(2)
        .Inteiro("Número inicial de ordem", NumeroInicial, 6)
        .Inteiro("Número final de ordem", NumeroFinal, 6)
        .Valor("Valor total", ValorTotal, 13, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 13, 2)
        .Valor("Valor do ICMS", ValorICMS, 12, 2)
        .Valor("Isenta ou não tributada", IsentaNaoTributada, 13, 2)
        .Valor("Outras", Outras, 13, 2)
        .Valor("Alíquota", Aliquota, 4, 2)
        .Brancos(1);
    GravaLinha(l);
}

void tSintegra::Registro61R(std::int64_t Mes, std::int64_t Ano, std::string_view CodigoProduto,
                            double Quantidade, double Valor, double BaseCalculoICMS,
                            double Aliquota) {
    ++qtd61_;
    ++qtdTotal_;
    Linha l = NovaLinha("61R");
    l.Inteiro("Mês de emissão", Mes, 2)
        .InteiroEsquerda("Ano de emissão", Ano, 4, ' ')
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade", Quantidade, 13, 3)
        .Valor("Valor bruto", Valor, 16, 2)
        .Valor("Base de cálculo do ICMS", BaseCalculoICMS, 16, 2)
        .Valor("Alíquota", Aliquota, 4, 2)
        .Brancos(54);
    GravaLinha(l);
}

void tSintegra::Registro74(std::string_view CodigoProduto, sintegra::Data DataInventario,
                           std::string_view UF, double Quantidade, double Valor) {
    ++qtd74_;
    ++qtdTotal_;
    Linha l = NovaLinha("74");
    l.Data(DataInventario)
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Valor("Quantidade do produto", Quantidade, 13, 3)
        .Valor("Valor do produto", Valor, 13, 2)
        .Fixo("1")   // goods owned and held by the informant
        .Zeros(14)
        .Brancos(14)
        .Esquerda(Prepara(campo_, UF, Nada), 2, ' ')
        .Brancos(45);
    GravaLinha(l);
}

void tSintegra::Registro75(std::string_view CodigoProduto, std::string_view CodigoNCM,
                           sintegra::Data DataInicial, sintegra::Data DataFinal,
                           std::string_view Descricao, std::string_view Unidade,
                           double AliquotaIPI, double AliquotaICMS,
                           double ReducaoBaseCalculoICMS, double BaseCalculoICMSST) {
    ++qtd75_;
    ++qtdTotal_;
    Linha l = NovaLinha("75");
    l.Data(DataInicial)
        .Data(DataFinal)
        .Esquerda(Prepara(campo_, CodigoProduto, Nada), 14, ' ')
        .Direita(Prepara(campo_, CodigoNCM, Nada), 8, ' ')
        .Esquerda(Prepara(campo_, Descricao, Nada), 53, ' ')
        .Esquerda(Prepara(campo_, Unidade, Nada), 6, ' ')
        .Valor("Alíquota do IPI", AliquotaIPI, 5, 2)
        .Valor("Alíquota do ICMS", AliquotaICMS, 4, 2)
        .Valor("Redução da base de cálculo do ICMS", ReducaoBaseCalculoICMS, 5, 2)
        .Valor("Base de cálculo do ICMS de substituição tributária", BaseCalculoICMSST, 13, 2);
    GravaLinha(l);
}

// ---------------------------------------------------------------- 88

void tSintegra::Registro88SF() {
    ++qtd88_;
    ++qtdTotal_;
    Linha l = NovaLinha("88SF");
    l.Esquerda(FornecedorNome, 35, ' ')
        .Fixo(FornecedorCNPJ)
        .Fixo(FornecedorTelefones)
        .Esquerda(FornecedorEmail, 50, ' ')
        .Fixo("1");
    GravaLinha(l);
}

void tSintegra::Registro88EC(std::string_view NomeResponsavel, std::string_view CPF,
                             std::string_view CRC, std::string_view Telefone,
                             std::string_view Email, std::string_view Indicador) {
    ++qtd88_;
    ++qtdTotal_;
    Linha l = NovaLinha("88EC");
    l.Esquerda(Prepara(campo_, NomeResponsavel, Nada), 39, ' ')
        .Direita(Prepara(campo_, CPF, Digitos), 11, '0')
        .Esquerda(Prepara(campo_, CRC, Nada), 10, ' ');
    // DDD and number joined, like the fax of record 10: a DDD with its leading
    // zero and a nine-digit number make twelve digits, and the zero goes.
    Prepara(campo_, Telefone, Digitos);
    UltimosCaracteres(campo_, 11);
    l.Esquerda(campo_, 11, '0')
        .Esquerda(Prepara(campo_, Email, Nada), 50, ' ')
        .Esquerda(Prepara(campo_, Indicador, Nada), 1, ' ');
    GravaLinha(l);
}

void tSintegra::Registro88SME(std::string_view CNPJ, std::string_view InscricaoEstadual) {
    ++qtd88_;
    ++qtdTotal_;
    Linha l = NovaLinha("88SME");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0')
        .Direita(Prepara(campo_, InscricaoEstadual, SemPontuacao), 14, '0')
        .Esquerda(Prepara(campo_, "SEM MOVIMENTO DE ENTRADAS", Nada), 34, ' ')
        .Brancos(59);
    GravaLinha(l);
}

void tSintegra::Registro88SMS(std::string_view CNPJ, std::string_view InscricaoEstadual) {
    ++qtd88_;
    ++qtdTotal_;
    Linha l = NovaLinha("88SMS");
    l.Direita(Prepara(campo_, CNPJ, SemPontuacao), 14, '0')
        .Direita(Prepara(campo_, InscricaoEstadual, SemPontuacao), 14, '0')
        .Esquerda(Prepara(campo_, "SEM MOVIMENTO DE SAÍDAS", Nada), 34, ' ')
        .Brancos(59);
    GravaLinha(l);
}

}  // namespace sintegra
