#include "ConjuntoDados.h"

#include "ArquivoIni.h"
#include "Datas.h"
#include "Script.h"

#include <algorithm>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr std::int64_t Potencia10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                       100000000, 1000000000, 10000000000LL};

std::string Maiusculas(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool IniciaNome(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool ContinuaNome(char c) { return IniciaNome(c) || (c >= '0' && c <= '9') || c == '$'; }

// Turns each :NAME outside quotes and comments into ? and lists the names.
std::string TrocaParametros(const std::string& sql, std::vector<std::string>& nomes) {
    std::string r;
    r.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (const auto fim = FimDeTextoOuComentario(sql, i); fim != i) {
            r.append(sql, i, fim - i);
            i = fim;
        } else if (c == ':' && i + 1 < sql.size() && IniciaNome(sql[i + 1])) {
            std::size_t j = i + 1;
            while (j < sql.size() && ContinuaNome(sql[j])) ++j;
            nomes.push_back(Maiusculas(std::string_view(sql).substr(i + 1, j - i - 1)));
            r += '?';
            i = j;
        } else {
            r += c;
            ++i;
        }
    }
    return r;
}

int Caracteres(std::string_view s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::int32_t DiasDesde1970(Data d) {
    return static_cast<std::int32_t>(std::chrono::sys_days(d).time_since_epoch().count());
}

Data DataDeDias(std::int32_t dias) {
    return Data{std::chrono::sys_days{std::chrono::days{dias}}};
}

std::string TextoDeReal(double v) {
    char t[64];
    std::snprintf(t, sizeof t, "%.15g", v);
    return t;
}

bool LeInteiroDeTexto(std::string_view t, std::int64_t& v) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool LeRealDeTexto(std::string_view t, double& v) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

}  // namespace

std::string_view PrimeirosCaracteres(std::string_view s, int n) {
    int caracteres = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
        if (caracteres == n) return s.substr(0, i);
        ++caracteres;
    }
    return s;
}

DefinicaoCampo Texto(std::string nome, int tamanho) {
    return {std::move(nome), TipoCampo::Texto, tamanho, false, 0};
}
DefinicaoCampo TextoFixo(std::string nome, int tamanho) {
    return {std::move(nome), TipoCampo::Texto, tamanho, true, 0};
}
DefinicaoCampo Inteiro(std::string nome) { return {std::move(nome), TipoCampo::Inteiro, 0, false, 0}; }
DefinicaoCampo Pequeno(std::string nome) { return {std::move(nome), TipoCampo::Pequeno, 0, false, 0}; }
DefinicaoCampo DataCampo(std::string nome) { return {std::move(nome), TipoCampo::Data, 0, false, 0}; }
DefinicaoCampo Decimal(std::string nome, int casas) {
    return {std::move(nome), TipoCampo::Decimal, 15, false, casas};
}

// ---------------------------------------------------------------- Coluna

void TConjuntoDados::Coluna::Limpa() {
    id16.Limpa();
    id32.Limpa();
    codigo8.Limpa();
    codigo16.Limpa();
    valores.clear();
    valores.shrink_to_fit();
    codigos = {};
    inteiros.Limpa();
    inteiros64.Limpa();
    reais.Limpa();
    nulos.clear();
    nulos.shrink_to_fit();
    forma = def.tipo == TipoCampo::Texto ? Forma::Id16 : Forma::Codigo8;
}

void TConjuntoDados::Coluna::MarcaNulo(std::size_t linha) {
    if (nulos.size() <= linha) nulos.resize(linha + 1, false);
    nulos[linha] = true;
}

void TConjuntoDados::Coluna::AcrescentaId(std::uint32_t id) {
    if (forma == Forma::Id16 && id > 0xFFFF) {
        for (std::size_t i = 0; i < id16.Quantidade(); ++i) id32.Acrescenta(id16[i]);
        id16.Limpa();
        forma = Forma::Id32;
    }
    if (forma == Forma::Id16)
        id16.Acrescenta(static_cast<std::uint16_t>(id));
    else
        id32.Acrescenta(id);
}

std::size_t TConjuntoDados::Coluna::Quantidade() const {
    switch (forma) {
        case Forma::Codigo8: return codigo8.Quantidade();
        case Forma::Codigo16: return codigo16.Quantidade();
        case Forma::Inteiro32: return inteiros.Quantidade();
        case Forma::Inteiro64: return inteiros64.Quantidade();
        case Forma::Real64: return reais.Quantidade();
        default: return 0;
    }
}

std::int64_t TConjuntoDados::Coluna::Inteiro(std::size_t linha) const {
    switch (forma) {
        case Forma::Codigo8: return valores[codigo8[linha]];
        case Forma::Codigo16: return valores[codigo16[linha]];
        case Forma::Inteiro64: return inteiros64[linha];
        default: return inteiros[linha];
    }
}

// Too many distinct values for codes: the values themselves.
void TConjuntoDados::Coluna::ParaInteiros() {
    const std::size_t n = Quantidade();
    for (std::size_t i = 0; i < n; ++i) inteiros.Acrescenta(Inteiro(i));
    codigo8.Limpa();
    codigo16.Limpa();
    valores.clear();
    valores.shrink_to_fit();
    codigos = {};
    forma = Forma::Inteiro32;
}

// A whole number that does not fit in 32 bits: every value in 64 bits.
void TConjuntoDados::Coluna::ParaInteiros64() {
    const std::size_t n = Quantidade();
    for (std::size_t i = 0; i < n; ++i) inteiros64.Acrescenta(Inteiro(i));
    codigo8.Limpa();
    codigo16.Limpa();
    inteiros.Limpa();
    valores.clear();
    valores.shrink_to_fit();
    codigos = {};
    forma = Forma::Inteiro64;
}

void TConjuntoDados::Coluna::AcrescentaInteiro(std::int64_t grande) {
    if (forma == Forma::Inteiro64) {
        inteiros64.Acrescenta(grande);
        return;
    }
    if (grande < INT32_MIN || grande > INT32_MAX) {
        if (forma == Forma::Real64) {
            AcrescentaReal(static_cast<double>(grande) / static_cast<double>(Potencia10[def.casas]));
            return;
        }
        ParaInteiros64();
        inteiros64.Acrescenta(grande);
        return;
    }
    const auto v = static_cast<std::int32_t>(grande);
    if (forma == Forma::Codigo8 || forma == Forma::Codigo16) {
        auto i = codigos.find(v);
        if (i == codigos.end()) {
            if (valores.size() == 256 && forma == Forma::Codigo8) {
                for (std::size_t k = 0; k < codigo8.Quantidade(); ++k) codigo16.Acrescenta(codigo8[k]);
                codigo8.Limpa();
                forma = Forma::Codigo16;
            }
            if (valores.size() == 65536) {
                ParaInteiros();
            } else {
                i = codigos.emplace(v, static_cast<std::uint16_t>(valores.size())).first;
                valores.push_back(v);
            }
        }
        if (forma == Forma::Codigo8) {
            codigo8.Acrescenta(static_cast<std::uint8_t>(i->second));
            return;
        }
        if (forma == Forma::Codigo16) {
            codigo16.Acrescenta(i->second);
            return;
        }
    }
    if (forma == Forma::Real64) {
        reais.Acrescenta(static_cast<double>(v) / static_cast<double>(Potencia10[def.casas]));
        return;
    }
    inteiros.Acrescenta(v);
}

void TConjuntoDados::Coluna::AcrescentaReal(double v) {
    if (forma != Forma::Real64) {
        const std::size_t n = Quantidade();
        const double escala = static_cast<double>(Potencia10[def.casas]);
        for (std::size_t i = 0; i < n; ++i) reais.Acrescenta(static_cast<double>(Inteiro(i)) / escala);
        codigo8.Limpa();
        codigo16.Limpa();
        inteiros.Limpa();
        inteiros64.Limpa();
        valores.clear();
        codigos = {};
        forma = Forma::Real64;
    }
    reais.Acrescenta(v);
}

void TConjuntoDados::Coluna::AcrescentaEscalado(std::int64_t v) {
    if (forma != Forma::Real64 && v >= INT32_MIN && v <= INT32_MAX)
        AcrescentaInteiro(static_cast<std::int32_t>(v));
    else
        AcrescentaReal(static_cast<double>(v) / static_cast<double>(Potencia10[def.casas]));
}

double TConjuntoDados::Coluna::Real(std::size_t linha) const {
    // An integer divided by an exact power of ten is the double nearest to the
    // decimal value, as the database's scaled integer read directly would be.
    if (forma == Forma::Real64) return reais[linha];
    return static_cast<double>(Inteiro(linha)) / static_cast<double>(Potencia10[def.casas]);
}

std::size_t TConjuntoDados::Coluna::Bytes() const {
    return id16.Bytes() + id32.Bytes() + codigo8.Bytes() + codigo16.Bytes() + inteiros.Bytes() +
           inteiros64.Bytes() + reais.Bytes() + valores.capacity() * 4 + codigos.size() * 24 + nulos.capacity() / 8;
}

// ---------------------------------------------------------------- TCampo

const std::string& TCampo::Nome() const { return conjunto_->colunas_[static_cast<std::size_t>(indice_)].def.nome; }

bool TCampo::Nulo() const { return conjunto_->NuloEm(conjunto_->LinhaAtual(), indice_); }

std::string TCampo::Texto() const { return conjunto_->TextoEm(conjunto_->LinhaAtual(), indice_); }

std::string_view TCampo::TextoVista() const { return conjunto_->VistaEm(conjunto_->LinhaAtual(), indice_); }

std::int64_t TCampo::Inteiro() const {
    const auto& c = conjunto_->colunas_[static_cast<std::size_t>(indice_)];
    const std::size_t l = conjunto_->LinhaAtual();
    if (conjunto_->NuloEm(l, indice_)) return 0;
    if (conjunto_->Editavel()) {
        const Valor& v = conjunto_->ValorEditavel(l, indice_);
        if (auto i = std::get_if<std::int64_t>(&v)) return *i;
        if (auto d = std::get_if<double>(&v)) return std::llround(*d);
        if (auto d = std::get_if<Data>(&v)) return DiasDesde1970(*d);
        std::int64_t r;
        const auto& t = std::get<std::string>(v);
        if (!LeInteiroDeTexto(t, r)) throw ErroConversao("'" + t + "' is not a valid integer value");
        return r;
    }
    switch (c.def.tipo) {
        case TipoCampo::Inteiro:
        case TipoCampo::Pequeno:
        case TipoCampo::Data:
            return c.Inteiro(l);
        case TipoCampo::Decimal:
            return std::llround(c.Real(l));
        case TipoCampo::Texto: {
            const auto t = TextoVista();
            std::int64_t v;
            if (!LeInteiroDeTexto(t, v))
                throw ErroConversao("'" + std::string(t) + "' is not a valid integer value");
            return v;
        }
    }
    return 0;
}

double TCampo::Real() const {
    const auto& c = conjunto_->colunas_[static_cast<std::size_t>(indice_)];
    const std::size_t l = conjunto_->LinhaAtual();
    if (conjunto_->NuloEm(l, indice_)) return 0;
    if (conjunto_->Editavel()) {
        const Valor& v = conjunto_->ValorEditavel(l, indice_);
        if (auto d = std::get_if<double>(&v)) return *d;
        if (auto t = std::get_if<std::string>(&v)) {
            double r;
            if (!LeRealDeTexto(*t, r)) throw ErroConversao("'" + *t + "' is not a valid floating point value");
            return r;
        }
        return static_cast<double>(Inteiro());
    }
    switch (c.def.tipo) {
        case TipoCampo::Decimal:
            return c.Real(l);
        case TipoCampo::Texto: {
            const auto t = TextoVista();
            double v;
            if (!LeRealDeTexto(t, v))
                throw ErroConversao("'" + std::string(t) + "' is not a valid floating point value");
            return v;
        }
        default:
            return static_cast<double>(Inteiro());
    }
}

Data TCampo::DataValor() const {
    const auto& c = conjunto_->colunas_[static_cast<std::size_t>(indice_)];
    const std::size_t l = conjunto_->LinhaAtual();
    if (conjunto_->NuloEm(l, indice_)) return Data{};
    if (conjunto_->Editavel()) {
        if (auto d = std::get_if<Data>(&conjunto_->ValorEditavel(l, indice_))) return *d;
    } else if (c.def.tipo == TipoCampo::Data) {
        return DataDeDias(static_cast<std::int32_t>(c.Inteiro(l)));
    }
    const std::string t = Texto();
    int d, m, a;
    if (std::sscanf(t.c_str(), "%d/%d/%d", &d, &m, &a) == 3) {
        const Data r = FazData(a, static_cast<unsigned>(m), static_cast<unsigned>(d));
        if (r.ok()) return r;
    }
    throw ErroConversao("'" + t + "' is not a valid date");
}

// ---------------------------------------------------------------- TConjuntoDados

void TCampo::Define(const Valor& valor) const {
    const_cast<TConjuntoDados*>(conjunto_)->DefineValor(Nome(), valor);
}

TConjuntoDados::TConjuntoDados(std::string nomeConsulta, std::string nome,
                               std::vector<std::string> linhasSql,
                               std::vector<DefinicaoCampo> campos)
    : nomeConsulta_(std::move(nomeConsulta)), nome_(std::move(nome)) {
    std::string sql;
    for (std::size_t i = 0; i < linhasSql.size(); ++i) {
        if (i) sql += "\r\n";
        sql += linhasSql[i];
    }
    sql_ = TrocaParametros(sql, nomesParametros_);
    for (auto& c : campos) {
        campos_.push_back(c);
        colunas_.emplace_back();
        colunas_.back().def = std::move(c);
        colunas_.back().Limpa();
    }
}

TConjuntoDados::~TConjuntoDados() = default;

void TConjuntoDados::AcrescentaCalculado(DefinicaoCampo campo, Calculo calculo) {
    if (ativo_) throw std::logic_error(nome_ + ": calculated column added to an open row set");
    campos_.push_back(campo);
    colunas_.emplace_back();
    colunas_.back().def = std::move(campo);
    colunas_.back().calculada = true;
    colunas_.back().Limpa();
    calculos_.push_back(std::move(calculo));
}

void TConjuntoDados::DefineIndice(std::string campo) {
    campoIndice_ = std::move(campo);
    if (ativo_) AplicaFiltroEIndice();
}

void TConjuntoDados::Parametro(std::string_view nome, Valor valor) {
    const std::string chave = Maiusculas(nome);
    if (std::find(nomesParametros_.begin(), nomesParametros_.end(), chave) ==
        nomesParametros_.end())
        throw std::runtime_error(nomeConsulta_ + ": Parameter '" + std::string(nome) +
                                 "' not found");
    parametros_[chave] = std::move(valor);
}

std::uint32_t TConjuntoDados::Guarda(std::string_view texto) {
    if (auto i = ids_.find(texto); i != ids_.end()) return i->second;
    const auto id = static_cast<std::uint32_t>(pool_.size());
    pool_.emplace_back(texto);
    ids_.emplace(std::string_view(pool_.back()), id);
    return id;
}

void TConjuntoDados::LimpaLinhas() {
    for (auto& c : colunas_) c.Limpa();
    quantidade_ = 0;
    visiveis_.clear();
    visiveis_.shrink_to_fit();
    ordemIndice_.clear();
    ordemIndice_.shrink_to_fit();
    pool_.clear();
    pool_.shrink_to_fit();
    ids_ = {};
}

void TConjuntoDados::Abre() {
    if (ativo_) return;
    const auto inicio = std::chrono::steady_clock::now();
    if (!conexao_) throw std::logic_error(nome_ + ": no connection");
    std::lock_guard trava(conexao_->Trava());
    fb::Conexao& conexao = conexao_->Conexao();
    fb::Transacao& transacao = conexao_->TransacaoLeitura();
    // A read that fails leaves no doubt about the transaction behind.
    struct Descarta {
        TConexaoSQL* conexao;
        bool ok = false;
        ~Descarta() {
            if (!ok) conexao->DescartaTransacaoLeitura();
        }
    } descarta{conexao_};
    if (!comando_ || comando_->Geracao() != conexao.Geracao())
        comando_ = std::make_unique<fb::Comando>(conexao, transacao, sql_);

    for (std::size_t i = 0; i < nomesParametros_.size(); ++i) {
        const auto p = parametros_.find(nomesParametros_[i]);
        comando_->DefineParametro(i, p == parametros_.end() ? Valor{} : p->second);
    }

    const auto& resultado = comando_->Colunas();
    for (auto& c : colunas_) {
        if (c.calculada) continue;
        c.origem = -1;
        for (std::size_t i = 0; i < resultado.size(); ++i)
            if (IguaisSemCaixa(resultado[i].nome, c.def.nome)) {
                c.origem = static_cast<int>(i);
                break;
            }
        if (c.origem < 0) throw std::runtime_error("Field '" + c.def.nome + "' not found");
    }

    LimpaLinhas();
    Guarda("");  // id 0: the empty text

    std::string preenchido;
    try {
        comando_->Abre(transacao, [&](const unsigned char* origem) {
            const std::size_t linha = quantidade_;
            for (auto& c : colunas_) {
                if (c.calculada) continue;
                const auto& r = resultado[static_cast<std::size_t>(c.origem)];
                const bool nulo = fb::EhNulo(r, origem);
                if (nulo) c.MarcaNulo(linha);
                switch (c.def.tipo) {
                    case TipoCampo::Texto: {
                        if (nulo) {
                            c.AcrescentaId(0);
                            break;
                        }
                        std::string_view t;
                        std::string convertido;
                        if (fb::EhTexto(r)) {
                            t = fb::VistaTexto(r, origem);
                        } else {
                            convertido = fb::LeTexto(r, origem);
                            t = convertido;
                        }
                        if (c.def.fixo) {
                            while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
                            t = PrimeirosCaracteres(t, c.def.tamanho);
                            preenchido.assign(t);
                            preenchido.append(static_cast<std::size_t>(c.def.tamanho - Caracteres(t)), ' ');
                            t = preenchido;
                        } else {
                            t = PrimeirosCaracteres(t, c.def.tamanho);
                        }
                        c.AcrescentaId(Guarda(t));
                        break;
                    }
                    case TipoCampo::Inteiro:
                    case TipoCampo::Pequeno:
                        c.AcrescentaInteiro(nulo ? 0 : fb::LeInteiro(r, origem));
                        break;
                    case TipoCampo::Data:
                        c.AcrescentaInteiro(nulo ? 0 : DiasDesde1970(fb::LeData(r, origem)));
                        break;
                    case TipoCampo::Decimal: {
                        std::int64_t escalado;
                        if (nulo)
                            c.AcrescentaEscalado(0);
                        else if (fb::LeInteiroEscalado(r, origem, c.def.casas, escalado))
                            c.AcrescentaEscalado(escalado);
                        else
                            c.AcrescentaReal(fb::LeReal(r, origem));
                        break;
                    }
                }
            }
            ++quantidade_;
            if (!calculos_.empty()) {
                linhaEmAvaliacao_ = linha;
                std::size_t n = 0;
                for (auto& c : colunas_) {
                    if (!c.calculada) continue;
                    const std::string v = calculos_[n++](*this);
                    c.AcrescentaId(Guarda(PrimeirosCaracteres(v, c.def.tamanho)));
                }
                linhaEmAvaliacao_ = SemLinha;
            }
        });
    } catch (...) {
        linhaEmAvaliacao_ = SemLinha;
        LimpaLinhas();
        throw;
    }
    descarta.ok = true;
    tempoAberturas_ += std::chrono::steady_clock::now() - inicio;
    ++quantidadeAberturas_;
    ativo_ = true;
    if (Editavel()) PassaParaEditavel();
    AplicaFiltroEIndice();
    Primeiro();
}

void TConjuntoDados::Fecha() {
    ativo_ = false;
    LimpaLinhas();
    linhasEditaveis_.clear();
    removidas_.clear();
    antesDaEdicao_.clear();
    estado_ = EstadoConjunto::Navegando;
    cursor_ = 0;
    fim_ = true;
}

std::size_t TConjuntoDados::BytesDasLinhas() const {
    std::size_t bytes = visiveis_.capacity() * 4 + ordemIndice_.capacity() * 4 + ids_.size() * 48;
    for (const auto& c : colunas_) bytes += c.Bytes();
    for (const auto& s : pool_) bytes += sizeof(std::string) + (s.size() > 15 ? s.capacity() + 1 : 0);
    return bytes;
}

void TConjuntoDados::VerificaAberto() const {
    if (!ativo_) throw std::runtime_error(nome_ + ": Cannot perform this operation on a closed dataset");
}

int TConjuntoDados::QuantidadeRegistros() const {
    if (!ativo_) return 0;
    if (Editavel()) return static_cast<int>(linhasEditaveis_.size());
    return static_cast<int>(todasVisiveis_ ? quantidade_ : visiveis_.size());
}

void TConjuntoDados::Primeiro() {
    VerificaAberto();
    cursor_ = 0;
    fim_ = QuantidadeRegistros() == 0;
}

void TConjuntoDados::Proximo() {
    VerificaAberto();
    if (cursor_ + 1 < QuantidadeRegistros())
        ++cursor_;
    else
        fim_ = true;
}

void TConjuntoDados::VaiPara(int numeroRegistro) {
    VerificaAberto();
    const int n = QuantidadeRegistros();
    if (n == 0) {
        cursor_ = 0;
        fim_ = true;
        return;
    }
    cursor_ = std::clamp(numeroRegistro, 1, n) - 1;
    fim_ = false;
}

void TConjuntoDados::Ultimo() {
    VerificaAberto();
    cursor_ = std::max(0, QuantidadeRegistros() - 1);
    fim_ = true;
}

std::size_t TConjuntoDados::LinhaAtual() const {
    if (linhaEmAvaliacao_ != SemLinha) return linhaEmAvaliacao_;
    VerificaAberto();
    if (QuantidadeRegistros() == 0) return SemLinha;
    return todasVisiveis_ ? static_cast<std::size_t>(cursor_) : visiveis_[static_cast<std::size_t>(cursor_)];
}

bool TConjuntoDados::NuloEm(std::size_t linha, int coluna) const {
    if (linha == SemLinha) return true;  // an empty row set reads as NULLs
    if (Editavel()) return std::holds_alternative<std::monostate>(ValorEditavel(linha, coluna));
    return colunas_[static_cast<std::size_t>(coluna)].Nulo(linha);
}

std::string_view TConjuntoDados::VistaEm(std::size_t linha, int coluna) const {
    const auto& c = colunas_[static_cast<std::size_t>(coluna)];
    if (c.def.tipo != TipoCampo::Texto || NuloEm(linha, coluna)) return {};
    if (Editavel()) {
        if (auto t = std::get_if<std::string>(&ValorEditavel(linha, coluna))) return *t;
        return {};
    }
    return TextoGuardado(c.Id(linha));
}

std::string TConjuntoDados::TextoEm(std::size_t linha, int coluna) const {
    if (NuloEm(linha, coluna)) return {};
    const auto& c = colunas_[static_cast<std::size_t>(coluna)];
    if (Editavel()) {
        const Valor& v = ValorEditavel(linha, coluna);
        if (auto t = std::get_if<std::string>(&v)) return *t;
        if (auto i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
        if (auto d = std::get_if<double>(&v)) return TextoDeReal(*d);
        return TextoData(std::get<Data>(v));
    }
    switch (c.def.tipo) {
        case TipoCampo::Texto:
            return std::string(TextoGuardado(c.Id(linha)));
        case TipoCampo::Inteiro:
        case TipoCampo::Pequeno:
            return std::to_string(c.Inteiro(linha));
        case TipoCampo::Data:
            return TextoData(DataDeDias(static_cast<std::int32_t>(c.Inteiro(linha))));
        case TipoCampo::Decimal:
            return TextoDeReal(c.Real(linha));
    }
    return {};
}

int TConjuntoDados::IndiceCampo(std::string_view nome) const {
    for (std::size_t i = 0; i < colunas_.size(); ++i)
        if (IguaisSemCaixa(colunas_[i].def.nome, nome)) return static_cast<int>(i);
    return -1;
}

TCampo TConjuntoDados::Campo(std::string_view nome) const {
    const int i = IndiceCampo(nome);
    if (i < 0) throw std::runtime_error(nome_ + ": Field '" + std::string(nome) + "' not found");
    return TCampo(this, i);
}

bool TConjuntoDados::Compara(std::size_t linha, int coluna, const Valor& valor) const {
    const auto& c = colunas_[static_cast<std::size_t>(coluna)];
    if (std::holds_alternative<std::monostate>(valor)) return NuloEm(linha, coluna);
    if (NuloEm(linha, coluna)) return false;
    if (Editavel()) {
        try {
            return ValorEditavel(linha, coluna) == ValorParaColuna(coluna, valor);
        } catch (const std::exception&) {
            return false;  // a value the column cannot hold equals none of its values
        }
    }
    switch (c.def.tipo) {
        case TipoCampo::Texto:
            if (auto s = std::get_if<std::string>(&valor)) return VistaEm(linha, coluna) == *s;
            return false;
        case TipoCampo::Inteiro:
        case TipoCampo::Pequeno: {
            const std::int64_t v = c.Inteiro(linha);
            if (auto i = std::get_if<std::int64_t>(&valor)) return v == *i;
            if (auto d = std::get_if<double>(&valor)) return v == *d;
            if (auto s = std::get_if<std::string>(&valor)) return std::to_string(v) == *s;
            return false;
        }
        case TipoCampo::Data:
            if (auto d = std::get_if<Data>(&valor)) return c.Inteiro(linha) == DiasDesde1970(*d);
            return false;
        case TipoCampo::Decimal: {
            const double v = c.Real(linha);
            if (auto i = std::get_if<std::int64_t>(&valor)) return v == static_cast<double>(*i);
            if (auto d = std::get_if<double>(&valor)) return v == *d;
            return false;
        }
    }
    return false;
}

bool TConjuntoDados::Localiza(std::string_view campo, const Valor& valor) {
    VerificaAberto();
    const int coluna = Campo(campo).Indice();
    const int n = QuantidadeRegistros();
    for (int i = 0; i < n; ++i) {
        const std::size_t linha =
            todasVisiveis_ ? static_cast<std::size_t>(i) : visiveis_[static_cast<std::size_t>(i)];
        if (Compara(linha, coluna, valor)) {
            cursor_ = i;
            fim_ = false;
            return true;
        }
    }
    return false;
}

bool TConjuntoDados::AntesNoIndice(std::size_t a, std::size_t b, int coluna) const {
    const auto& c = colunas_[static_cast<std::size_t>(coluna)];
    const bool nuloA = c.Nulo(a), nuloB = c.Nulo(b);
    if (nuloA || nuloB) return nuloA && !nuloB;  // NULLs first
    switch (c.def.tipo) {
        case TipoCampo::Texto: return VistaEm(a, coluna) < VistaEm(b, coluna);
        case TipoCampo::Decimal: return c.Real(a) < c.Real(b);
        default: return c.Inteiro(a) < c.Inteiro(b);
    }
}

int TConjuntoDados::ComparaChave(std::size_t linha, int coluna, const Valor& chave) const {
    const auto& c = colunas_[static_cast<std::size_t>(coluna)];
    const bool chaveNula = std::holds_alternative<std::monostate>(chave);
    if (c.Nulo(linha)) return chaveNula ? 0 : -1;
    if (chaveNula) return 1;
    auto ordem = [](const auto& a, const auto& b) { return a < b ? -1 : (b < a ? 1 : 0); };
    switch (c.def.tipo) {
        case TipoCampo::Texto: return ordem(VistaEm(linha, coluna), std::string_view(std::get<std::string>(chave)));
        case TipoCampo::Decimal: return ordem(c.Real(linha), std::get<double>(chave));
        default: return ordem(c.Inteiro(linha), std::get<std::int64_t>(chave));
    }
}

bool TConjuntoDados::BuscaChave(const Valor& chave) {
    VerificaAberto();
    if (campoIndice_.empty() || Editavel()) throw std::runtime_error(nome_ + ": No index currently active");
    const int coluna = IndiceCampo(campoIndice_);
    // The key in the index column's own kind, so that the search follows the
    // index's order (numbers as numbers: 2 before 10).
    Valor procurado;
    try {
        procurado = ValorParaColuna(coluna, chave);
    } catch (const std::exception&) {
        return false;  // a key the column cannot hold matches no row
    }
    const auto tipo = colunas_[static_cast<std::size_t>(coluna)].def.tipo;
    if (tipo == TipoCampo::Data) {
        if (auto d = std::get_if<Data>(&procurado)) procurado = std::int64_t{DiasDesde1970(*d)};
    } else if (tipo == TipoCampo::Texto) {
        // The index holds texts as read, without cutting or padding the key.
        if (auto s = std::get_if<std::string>(&chave)) procurado = *s;
        else if (auto i = std::get_if<std::int64_t>(&chave)) procurado = std::to_string(*i);
    } else if (tipo == TipoCampo::Decimal) {
        if (auto i = std::get_if<std::int64_t>(&chave)) procurado = static_cast<double>(*i);
        else if (auto d = std::get_if<double>(&chave)) procurado = *d;
    } else if (auto d = std::get_if<double>(&chave)) {
        if (*d != std::floor(*d)) return false;  // no whole number equals it
    }
    // visiveis_ holds the rows that pass the filter, in index order.
    const auto it = std::lower_bound(visiveis_.begin(), visiveis_.end(), procurado,
                                     [&](std::uint32_t linha, const Valor& v) { return ComparaChave(linha, coluna, v) < 0; });
    if (it == visiveis_.end() || ComparaChave(*it, coluna, procurado) != 0) return false;
    cursor_ = static_cast<int>(it - visiveis_.begin());
    fim_ = false;
    return true;
}

void TConjuntoDados::DefineFiltro(const std::string& texto) {
    std::string_view t = texto;
    auto apara = [](std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '(')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == ')')) s.remove_suffix(1);
        return s;
    };
    t = apara(t);
    const auto diferente = t.find("<>");
    const auto igual = t.find('=');
    const bool ehDiferente = diferente != std::string_view::npos;
    const auto op = ehDiferente ? diferente : igual;
    if (op == std::string_view::npos) throw std::runtime_error(nome_ + ": filtro não suportado: " + texto);
    std::string_view coluna = apara(t.substr(0, op));
    std::string_view valor = apara(t.substr(op + (ehDiferente ? 2 : 1)));
    if (valor.size() < 2 || valor.front() != '\'' || valor.back() != '\'')
        throw std::runtime_error(nome_ + ": filtro não suportado: " + texto);
    const int indice = IndiceCampo(coluna);
    if (indice < 0) throw std::runtime_error(nome_ + ": Field '" + std::string(coluna) + "' not found");
    filtro_ = texto;
    colunaFiltro_ = indice;
    filtroDiferente_ = ehDiferente;
    valorFiltro_ = std::string(valor.substr(1, valor.size() - 2));
    if (ativo_) {
        AplicaFiltroEIndice();
        Primeiro();
    }
}

void TConjuntoDados::DefineFiltroFuncao(std::function<bool(const TConjuntoDados&)> condicao) {
    condicao_ = std::move(condicao);
    if (ativo_) {
        AplicaFiltroEIndice();
        Primeiro();
    }
}

void TConjuntoDados::RemoveFiltro() {
    filtro_.clear();
    colunaFiltro_ = -1;
    condicao_ = nullptr;
    if (ativo_) {
        AplicaFiltroEIndice();
        Primeiro();
    }
}

void TConjuntoDados::AplicaFiltroEIndice() {
    ordemIndice_.clear();
    visiveis_.clear();
    if (Editavel()) {  // an editable row set shows its rows in their own order
        todasVisiveis_ = true;
        return;
    }
    const int colunaIndice = campoIndice_.empty() ? -1 : IndiceCampo(campoIndice_);
    if (colunaIndice >= 0) {
        ordemIndice_.resize(quantidade_);
        for (std::uint32_t i = 0; i < quantidade_; ++i) ordemIndice_[i] = i;
        std::stable_sort(ordemIndice_.begin(), ordemIndice_.end(), [&](std::uint32_t a, std::uint32_t b) {
            return AntesNoIndice(a, b, colunaIndice);
        });
    }
    todasVisiveis_ = colunaFiltro_ < 0 && colunaIndice < 0 && !condicao_;
    if (todasVisiveis_) return;
    const auto passa = [&](std::uint32_t linha) {
        if (colunaFiltro_ >= 0) {
            // A NULL compares as empty text.
            const auto& cf = colunas_[static_cast<std::size_t>(colunaFiltro_)];
            const bool iguais = cf.def.tipo == TipoCampo::Texto ? VistaEm(linha, colunaFiltro_) == valorFiltro_
                                                                 : TextoEm(linha, colunaFiltro_) == valorFiltro_;
            if (filtroDiferente_ == iguais) return false;
        }
        if (condicao_) {
            linhaEmAvaliacao_ = linha;
            const bool passou = condicao_(*this);
            linhaEmAvaliacao_ = SemLinha;
            return passou;
        }
        return true;
    };
    visiveis_.reserve(quantidade_);
    if (colunaIndice >= 0) {
        for (auto linha : ordemIndice_)
            if (passa(linha)) visiveis_.push_back(linha);
    } else {
        for (std::uint32_t linha = 0; linha < quantidade_; ++linha)
            if (passa(linha)) visiveis_.push_back(linha);
    }
    visiveis_.shrink_to_fit();
}

bool TConjuntoDados::IrPara(int numeroRegistro) {
    VerificaAberto();
    if (numeroRegistro < 1 || numeroRegistro > QuantidadeRegistros()) return false;
    cursor_ = numeroRegistro - 1;
    fim_ = false;
    return true;
}

// ---------------------------------------------------------------- editing

Valor TConjuntoDados::ValorParaColuna(int coluna, const Valor& valor) const {
    const auto& def = colunas_[static_cast<std::size_t>(coluna)].def;
    if (std::holds_alternative<std::monostate>(valor)) return Valor{};
    switch (def.tipo) {
        case TipoCampo::Texto: {
            std::string t;
            if (auto s = std::get_if<std::string>(&valor)) t = *s;
            else if (auto i = std::get_if<std::int64_t>(&valor)) t = std::to_string(*i);
            else if (auto d = std::get_if<double>(&valor)) t = TextoDeReal(*d);
            else t = TextoData(std::get<Data>(valor));
            std::string r(PrimeirosCaracteres(t, def.tamanho));
            if (def.fixo) r.append(static_cast<std::size_t>(std::max(0, def.tamanho - Caracteres(r))), ' ');
            return r;
        }
        case TipoCampo::Inteiro:
        case TipoCampo::Pequeno: {
            if (auto i = std::get_if<std::int64_t>(&valor)) return *i;
            if (auto d = std::get_if<double>(&valor)) return std::int64_t{std::llround(*d)};
            if (auto s = std::get_if<std::string>(&valor)) {
                std::int64_t v;
                if (!LeInteiroDeTexto(*s, v)) throw ErroConversao("'" + *s + "' is not a valid integer value");
                return v;
            }
            throw ErroConversao(def.nome + ": uma data não é um número inteiro");
        }
        case TipoCampo::Data: {
            if (auto d = std::get_if<Data>(&valor)) return *d;
            if (auto s = std::get_if<std::string>(&valor)) {
                int d, m, a;
                if (std::sscanf(s->c_str(), "%d/%d/%d", &d, &m, &a) == 3) {
                    const Data r = FazData(a, static_cast<unsigned>(m), static_cast<unsigned>(d));
                    if (r.ok()) return r;
                }
                throw ErroConversao("'" + *s + "' is not a valid date");
            }
            throw ErroConversao(def.nome + ": um número não é uma data");
        }
        case TipoCampo::Decimal: {
            double v;
            if (auto i = std::get_if<std::int64_t>(&valor)) v = static_cast<double>(*i);
            else if (auto d = std::get_if<double>(&valor)) v = *d;
            else if (auto s = std::get_if<std::string>(&valor)) {
                if (!LeRealDeTexto(*s, v)) throw ErroConversao("'" + *s + "' is not a valid floating point value");
            } else {
                throw ErroConversao(def.nome + ": uma data não é um número");
            }
            // Held as the database holds it: to its declared places.
            const double escala = static_cast<double>(Potencia10[std::clamp(def.casas, 0, 10)]);
            return std::round(v * escala) / escala;
        }
    }
    return Valor{};
}

void TConjuntoDados::DefineTabelaAtualizacao(std::string tabela) {
    if (ativo_) throw std::logic_error(nome_ + ": table set on an open row set");
    if (!calculos_.empty() || !campoIndice_.empty())
        throw std::logic_error(nome_ + ": an editable row set has no calculated column nor index");
    tabela_ = std::move(tabela);
}

// The rows just read become plain values, each remembering what it was.
void TConjuntoDados::PassaParaEditavel() {
    linhasEditaveis_.assign(quantidade_, {});
    for (std::size_t l = 0; l < quantidade_; ++l) {
        auto& linha = linhasEditaveis_[l];
        linha.valores.resize(colunas_.size());
        for (std::size_t k = 0; k < colunas_.size(); ++k) {
            const auto& c = colunas_[k];
            if (c.Nulo(l)) continue;
            switch (c.def.tipo) {
                case TipoCampo::Texto: linha.valores[k] = std::string(TextoGuardado(c.Id(l))); break;
                case TipoCampo::Inteiro:
                case TipoCampo::Pequeno: linha.valores[k] = c.Inteiro(l); break;
                case TipoCampo::Data: linha.valores[k] = DataDeDias(static_cast<std::int32_t>(c.Inteiro(l))); break;
                case TipoCampo::Decimal: linha.valores[k] = c.Real(l); break;
            }
        }
        linha.lidos = linha.valores;
    }
    LimpaLinhas();
    removidas_.clear();
    estado_ = EstadoConjunto::Navegando;
}

void TConjuntoDados::VerificaNavegando(const char* operacao) const {
    if (estado_ != EstadoConjunto::Navegando)
        throw std::runtime_error(nome_ + ": " + operacao + " com um registro em edição");
}

void TConjuntoDados::Insere() {
    VerificaAberto();
    if (!Editavel()) throw std::logic_error(nome_ + ": conjunto somente de leitura");
    if (estado_ != EstadoConjunto::Navegando) Posta();
    linhasEditaveis_.push_back({std::vector<Valor>(colunas_.size()), std::nullopt});
    cursor_ = static_cast<int>(linhasEditaveis_.size()) - 1;
    fim_ = false;
    estado_ = EstadoConjunto::Inserindo;
    if (AoNovoRegistro) AoNovoRegistro(*this);
}

void TConjuntoDados::Edita() {
    VerificaAberto();
    if (!Editavel()) throw std::logic_error(nome_ + ": conjunto somente de leitura");
    if (estado_ != EstadoConjunto::Navegando) return;
    if (linhasEditaveis_.empty()) {  // nothing to edit: a new row, as the user would get
        Insere();
        return;
    }
    antesDaEdicao_ = linhasEditaveis_[static_cast<std::size_t>(cursor_)].valores;
    estado_ = EstadoConjunto::Editando;
}

void TConjuntoDados::DefineValor(std::string_view campo, const Valor& valor) {
    VerificaAberto();
    if (estado_ == EstadoConjunto::Navegando)
        throw std::runtime_error(nome_ + ": o conjunto não está em edição nem em inclusão");
    const int coluna = Campo(campo).Indice();
    linhasEditaveis_[static_cast<std::size_t>(cursor_)].valores[static_cast<std::size_t>(coluna)] =
        ValorParaColuna(coluna, valor);
}

void TConjuntoDados::Posta() {
    if (!ativo_ || estado_ == EstadoConjunto::Navegando) return;
    if (AntesDePostar) AntesDePostar(*this);  // may refuse the row by raising
    estado_ = EstadoConjunto::Navegando;
    antesDaEdicao_.clear();
}

void TConjuntoDados::CancelaEdicao() {
    if (!ativo_) return;
    if (estado_ == EstadoConjunto::Inserindo) {
        linhasEditaveis_.erase(linhasEditaveis_.begin() + cursor_);
        cursor_ = std::max(0, std::min(cursor_, static_cast<int>(linhasEditaveis_.size()) - 1));
        fim_ = linhasEditaveis_.empty();
    } else if (estado_ == EstadoConjunto::Editando) {
        linhasEditaveis_[static_cast<std::size_t>(cursor_)].valores = antesDaEdicao_;
    }
    estado_ = EstadoConjunto::Navegando;
    antesDaEdicao_.clear();
}

void TConjuntoDados::Exclui() {
    VerificaAberto();
    if (!Editavel()) throw std::logic_error(nome_ + ": conjunto somente de leitura");
    if (estado_ == EstadoConjunto::Inserindo) {
        CancelaEdicao();
        return;
    }
    CancelaEdicao();
    if (linhasEditaveis_.empty())
        throw std::runtime_error(nome_ + ": não há registro a excluir (o conjunto está vazio)");
    const auto i = static_cast<std::size_t>(cursor_);
    if (linhasEditaveis_[i].lidos) removidas_.push_back(*linhasEditaveis_[i].lidos);
    linhasEditaveis_.erase(linhasEditaveis_.begin() + cursor_);
    cursor_ = std::max(0, std::min(cursor_, static_cast<int>(linhasEditaveis_.size()) - 1));
    fim_ = linhasEditaveis_.empty();
}

bool TConjuntoDados::AlteracoesPendentes() const {
    if (estado_ != EstadoConjunto::Navegando || !removidas_.empty()) return true;
    for (const auto& l : linhasEditaveis_)
        if (!l.lidos || *l.lidos != l.valores) return true;
    return false;
}

namespace {

// One statement of a store: its text and its values in order.
struct Instrucao {
    std::string sql;
    std::vector<Valor> valores;
};

// "A = ? AND B IS NULL ...": the row as it was read.
void AcrescentaCondicao(Instrucao& i, const std::vector<std::string>& nomes, const std::vector<Valor>& lidos) {
    i.sql += " WHERE ";
    for (std::size_t k = 0; k < nomes.size(); ++k) {
        if (k) i.sql += " AND ";
        if (std::holds_alternative<std::monostate>(lidos[k])) {
            i.sql += nomes[k] + " IS NULL";
        } else {
            i.sql += nomes[k] + " = ?";
            i.valores.push_back(lidos[k]);
        }
    }
}

}  // namespace

void TConjuntoDados::AplicaAlteracoes(TConexaoSQL& conexao, fb::Transacao& transacao) {
    VerificaAberto();
    if (!Editavel()) throw std::logic_error(nome_ + ": conjunto somente de leitura");
    Posta();
    std::vector<std::string> nomes;
    for (const auto& c : colunas_) nomes.push_back(c.def.nome);

    // Removed rows first, then changed rows, then new rows.
    std::vector<std::pair<Instrucao, bool>> instrucoes;  // bool: must find its row
    for (const auto& lidos : removidas_) {
        Instrucao i{"DELETE FROM " + tabela_, {}};
        AcrescentaCondicao(i, nomes, lidos);
        instrucoes.emplace_back(std::move(i), true);
    }
    for (const auto& l : linhasEditaveis_) {
        if (!l.lidos || *l.lidos == l.valores) continue;
        Instrucao i{"UPDATE " + tabela_ + " SET ", {}};
        bool primeira = true;
        for (std::size_t k = 0; k < nomes.size(); ++k) {
            if (l.valores[k] == (*l.lidos)[k]) continue;
            i.sql += (primeira ? "" : ", ") + nomes[k] + " = ?";
            i.valores.push_back(l.valores[k]);
            primeira = false;
        }
        AcrescentaCondicao(i, nomes, *l.lidos);
        instrucoes.emplace_back(std::move(i), true);
    }
    for (const auto& l : linhasEditaveis_) {
        if (l.lidos) continue;
        Instrucao i{"INSERT INTO " + tabela_ + " (", l.valores};
        std::string marcas;
        for (std::size_t k = 0; k < nomes.size(); ++k) {
            i.sql += (k ? ", " : "") + nomes[k];
            marcas += k ? ", ?" : "?";
        }
        i.sql += ") VALUES (" + marcas + ")";
        instrucoes.emplace_back(std::move(i), false);
    }

    std::lock_guard trava(conexao.Trava());
    fb::Conexao& c = conexao.Conexao();
    for (const auto& [instrucao, achaLinha] : instrucoes) {
        fb::Comando comando(c, transacao, instrucao.sql);
        for (std::size_t k = 0; k < instrucao.valores.size(); ++k)
            comando.DefineParametro(k, instrucao.valores[k]);
        comando.Executa(transacao);
        if (achaLinha && comando.LinhasAfetadas() != 1)
            throw ErroArmazenamento("O registro de " + tabela_ +
                                    " não foi encontrado como foi lido: outro usuário o alterou ou excluiu. "
                                    "Cancele e consulte de novo.");
    }
}

void TConjuntoDados::FundeAlteracoes() {
    if (!ativo_ || !Editavel()) return;
    Posta();
    removidas_.clear();
    for (auto& l : linhasEditaveis_) l.lidos = l.valores;
}

bool TConjuntoDados::RegistroArmazenado() const {
    if (!ativo_ || !Editavel() || linhasEditaveis_.empty()) return false;
    return linhasEditaveis_[static_cast<std::size_t>(cursor_)].lidos.has_value();
}

Valor TConjuntoDados::ValorLido(std::string_view campo) const {
    if (!RegistroArmazenado()) return Valor{};
    return (*linhasEditaveis_[static_cast<std::size_t>(cursor_)].lidos)[static_cast<std::size_t>(Campo(campo).Indice())];
}
